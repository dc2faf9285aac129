// Messages.exe: builds the phrase pool from the files beside the program, creates the one
// message window and runs its cycle until the window is closed.

#include <windows.h>

#include <filesystem>
#include <string>

#include "message_window_win.h"
#include "phrase_library.h"

namespace {

// The folder of the executable: where the selection file and the Lists folder live.
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

// Until the settings file is read, the cycle runs with its defaults.
constexpr std::uint32_t kDefaultFrequencySeconds = 2;
constexpr std::uint32_t kDefaultDisplayLengthMs = 2;

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace murmurex;

    auto messageWindow = frmMessage::Create(instance);
    if (!messageWindow) {
        return 1;
    }
    // Created paused so that no tick runs before the pool is in place.
    messageWindow->Paused() = true;
    messageWindow->Phrases() = BuildPhrasePool(ExecutableFolder());
    messageWindow->TimerFrequency.SetInterval(kDefaultFrequencySeconds);
    messageWindow->TimerDisplayLength.SetInterval(kDefaultDisplayLengthMs);

    // Starting the display: unpause, show without activating, label hidden, wait first.
    messageWindow->Paused() = false;
    messageWindow->Show();
    messageWindow->lblMessage.SetVisible(false);
    messageWindow->SetVisible(true);
    messageWindow->Begin();

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The message window ignores close requests (the settings window will decide when it
        // goes); until that window exists, a close posted to the program, as taskkill does,
        // ends it cleanly.
        if (message.message == WM_CLOSE && message.hwnd == messageWindow->hWnd()) {
            break;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
        if (!::IsWindow(messageWindow->hWnd())) {
            break;
        }
    }
    return 0;
}
