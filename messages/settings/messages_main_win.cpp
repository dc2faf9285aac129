// Messages.exe: one copy per user session. It seeds an installed copy's library, creates the
// settings window, whose start-up builds everything else, and runs the message loop until the
// program is ended.

#include <windows.h>

#include <filesystem>
#include <string>

#include "frm_settings_win.h"
#include "library_seed.h"
#include "styled_button_win.h"
#include "win/system_library.h"
#include "win/unique_handle.h"

namespace {

// Taken before any file is touched: a second copy must change nothing.
constexpr wchar_t kSingleInstanceMutex[] = L"Local\\Murmurex.Messages.SingleInstance";

// The folder of the executable: where the data files and the Lists folder live.
std::filesystem::path ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::filesystem::current_path();
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        buffer.resize(buffer.size() * 2);  // truncated: long path
    }
}

std::string CommandLineText() {
    const wchar_t* wide = ::GetCommandLineW();
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), length, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(length) - 1);
    return text;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace murmurex;

    // Before anything can load a library: none may come from the program's own folder.
    win::RestrictLibrarySearchToSystem();

    win::UniqueKernelHandle instanceMutex(::CreateMutexW(nullptr, FALSE, kSingleInstanceMutex));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        return 0;
    }

    // An installed copy makes the user's library from its sample copy at the first start;
    // from then on the library is the user's and is never seeded again.
    const std::filesystem::path appPath = ExecutableFolder();
    SeedLibraryFromSample(appPath);

    auto settings = frmSettings::Create(instance, CommandLineText(), appPath);
    if (!settings) {
        return 1;
    }

    MSG message;
    while (!settings->Ended() && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // A close posted to the message window (as taskkill does to every window) ends the
        // program as closing the settings window does.
        frmMessage* messageWindow = settings->MessageWindow();
        if (message.message == WM_CLOSE && messageWindow != nullptr &&
            message.hwnd == messageWindow->hWnd()) {
            settings->Unload();
            continue;
        }
        if (TranslateButtonAccessKey(message)) {
            continue;
        }
        if (::IsDialogMessageW(settings->hWnd(), &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
