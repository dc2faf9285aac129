#pragma once
// `mDialogHook`: the one slot naming the worker whose hooked dialog is open, and one hook
// procedure per dialog kind (font, open, save, colour, print, page setup). Only one hooked dialog
// can be open at a time.

#include <windows.h>

namespace murmurex::dialogs {

class GCommonDialog;

namespace mDialogHook {

/// Fills the slot for the length of one dialog call and clears it afterwards.
class SlotScope {
  public:
    explicit SlotScope(GCommonDialog* worker);
    SlotScope(const SlotScope&) = delete;
    SlotScope& operator=(const SlotScope&) = delete;
    ~SlotScope();
};

GCommonDialog* Slot() noexcept;

UINT_PTR CALLBACK FontHookProc(HWND dialog, UINT message, WPARAM first, LPARAM second);
UINT_PTR CALLBACK OpenHookProc(HWND dialog, UINT message, WPARAM first, LPARAM second);
UINT_PTR CALLBACK SaveHookProc(HWND dialog, UINT message, WPARAM first, LPARAM second);
UINT_PTR CALLBACK ColorHookProc(HWND dialog, UINT message, WPARAM first, LPARAM second);
UINT_PTR CALLBACK PrintHookProc(HWND dialog, UINT message, WPARAM first, LPARAM second);
UINT_PTR CALLBACK PageSetupHookProc(HWND dialog, UINT message, WPARAM first, LPARAM second);

}  // namespace mDialogHook
}  // namespace murmurex::dialogs
