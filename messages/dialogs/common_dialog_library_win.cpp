#include "common_dialog_library_win.h"

#include <cderr.h>

#include "win/system_library.h"

namespace murmurex::common_dialogs {

namespace {

const win::SystemLibrary& Library() noexcept {
    static const win::SystemLibrary library(L"comdlg32.dll");
    return library;
}

// `missing` stands for the call's own failure when the library or the function is absent.
template <typename Function, typename Result, typename... Args>
Result CallOr(const char* name, Result missing, Args... args) noexcept {
    return win::CallExportOr<Function>(Library().Module(), name, missing, args...);
}

}  // namespace

BOOL ChooseColorA(CHOOSECOLORA* request) noexcept {
    return CallOr<decltype(::ChooseColorA)>("ChooseColorA", FALSE, request);
}

BOOL ChooseColorW(CHOOSECOLORW* request) noexcept {
    return CallOr<decltype(::ChooseColorW)>("ChooseColorW", FALSE, request);
}

BOOL ChooseFontA(CHOOSEFONTA* request) noexcept {
    return CallOr<decltype(::ChooseFontA)>("ChooseFontA", FALSE, request);
}

BOOL GetOpenFileNameA(OPENFILENAMEA* request) noexcept {
    return CallOr<decltype(::GetOpenFileNameA)>("GetOpenFileNameA", FALSE, request);
}

BOOL GetSaveFileNameA(OPENFILENAMEA* request) noexcept {
    return CallOr<decltype(::GetSaveFileNameA)>("GetSaveFileNameA", FALSE, request);
}

BOOL PrintDlgA(PRINTDLGA* request) noexcept {
    return CallOr<decltype(::PrintDlgA)>("PrintDlgA", FALSE, request);
}

BOOL PageSetupDlgA(PAGESETUPDLGA* request) noexcept {
    return CallOr<decltype(::PageSetupDlgA)>("PageSetupDlgA", FALSE, request);
}

DWORD CommDlgExtendedError() noexcept {
    return CallOr<decltype(::CommDlgExtendedError)>("CommDlgExtendedError",
                                                    static_cast<DWORD>(CDERR_INITIALIZATION));
}

short GetFileTitleA(const char* file, char* title, WORD titleSize) noexcept {
    return CallOr<decltype(::GetFileTitleA)>("GetFileTitleA", static_cast<short>(-1), file, title,
                                             titleSize);
}

}  // namespace murmurex::common_dialogs
