#include "dialog_hook_win.h"

#include "common_dialog_win.h"

namespace murmurex::dialogs::mDialogHook {
namespace {

GCommonDialog* g_worker = nullptr;

// Every kind does the same; separate procedures keep each dialog's hook its own symbol.
UINT_PTR Forward(HWND dialog, UINT message, WPARAM first, LPARAM second) noexcept {
    if (g_worker == nullptr) {
        return 0;
    }
    try {
        return static_cast<UINT_PTR>(
            static_cast<std::uint32_t>(g_worker->DialogHook(dialog, message, first, second)));
    } catch (...) {
        // Nothing may unwind through the dialog's own message loop.
        return 0;
    }
}

}  // namespace

SlotScope::SlotScope(GCommonDialog* worker) {
    g_worker = worker;
}
SlotScope::~SlotScope() {
    g_worker = nullptr;
}
GCommonDialog* Slot() noexcept {
    return g_worker;
}

UINT_PTR CALLBACK FontHookProc(HWND d, UINT m, WPARAM w, LPARAM l) {
    return Forward(d, m, w, l);
}
UINT_PTR CALLBACK OpenHookProc(HWND d, UINT m, WPARAM w, LPARAM l) {
    return Forward(d, m, w, l);
}
UINT_PTR CALLBACK SaveHookProc(HWND d, UINT m, WPARAM w, LPARAM l) {
    return Forward(d, m, w, l);
}
UINT_PTR CALLBACK ColorHookProc(HWND d, UINT m, WPARAM w, LPARAM l) {
    return Forward(d, m, w, l);
}

UINT_PTR CALLBACK PrintHookProc(HWND d, UINT m, WPARAM w, LPARAM l) {
    return Forward(d, m, w, l);
}
UINT_PTR CALLBACK PageSetupHookProc(HWND d, UINT m, WPARAM w, LPARAM l) {
    return Forward(d, m, w, l);
}

}  // namespace murmurex::dialogs::mDialogHook
