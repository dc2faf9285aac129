#pragma once
// The common dialogs, from comdlg32 in the system folder, loaded the first time one is asked
// for: most runs open none, and the library brings the printing libraries in with it. Each
// call answers as the dialog's own failure when the library or the function is missing.

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

namespace murmurex::common_dialogs {

BOOL ChooseColorA(CHOOSECOLORA* request) noexcept;
BOOL ChooseColorW(CHOOSECOLORW* request) noexcept;
BOOL ChooseFontA(CHOOSEFONTA* request) noexcept;
BOOL GetOpenFileNameA(OPENFILENAMEA* request) noexcept;
BOOL GetSaveFileNameA(OPENFILENAMEA* request) noexcept;
BOOL PrintDlgA(PRINTDLGA* request) noexcept;
BOOL PageSetupDlgA(PAGESETUPDLGA* request) noexcept;
/// CDERR_INITIALIZATION when the library could not be loaded.
DWORD CommDlgExtendedError() noexcept;
/// -1 (the call's own failure) when the library could not be loaded.
short GetFileTitleA(const char* file, char* title, WORD titleSize) noexcept;

}  // namespace murmurex::common_dialogs
