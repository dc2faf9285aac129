#include "tray_win.h"

#include <gtest/gtest.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "win/ui_test_support_win.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

// Every record as the shell receives it, passed on to the real shell.
struct ShellCall {
    DWORD command;
    NOTIFYICONDATAA data;
    BOOL answer;
};
std::vector<ShellCall> g_calls;

BOOL WINAPI RecordingShellNotify(DWORD command, PNOTIFYICONDATAA data) {
    const BOOL answer = ::Shell_NotifyIconA(command, data);
    g_calls.push_back({command, *data, answer});
    return answer;
}

using win::test::PumpMessages;

// Whether the shell holds an icon for (window, 1): only an existing icon can be modified.
bool ShellHasIcon(HWND window) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = window;
    data.uID = 1;
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// The settings window's stand-in: records the X coordinate of every mouse-move it gets.
struct MouseMoveRecorder {
    std::vector<int> seen;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_MOUSEMOVE) {
            seen.push_back(GET_X_LPARAM(lParam));
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
};

// Real input: the pointer moves and the buttons go down and up as a user's would, and each
// event has 100 ms to be handled.
void SendMouse(DWORD flags, POINT screen = {}) {
    win::test::SendMouse(flags, screen, 100);
}

class TrayWinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_calls.clear();
        win::RegisterWindowClass("MurmurexTrayOwnerStandIn",
                                 win::WindowProcedure<MouseMoveRecorder>);
        window.reset(::CreateWindowExA(0, "MurmurexTrayOwnerStandIn", "Settings",
                                       WS_OVERLAPPEDWINDOW, 300, 300, 300, 200, nullptr, nullptr,
                                       ::GetModuleHandleA(nullptr), &recorder));
        ASSERT_TRUE(window);
        icon = ::LoadIconA(nullptr, IDI_APPLICATION);
        otherIcon = ::LoadIconA(nullptr, IDI_WARNING);
        owner.SetIcon(icon);
        trayIcon = TrayIcon::Create(RecordingShellNotify);
        ASSERT_NE(trayIcon, nullptr);
    }

    void TearDown() override {
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V2_SIZE;
        data.hWnd = window.get();
        data.uID = 1;
        ::Shell_NotifyIconA(NIM_DELETE, &data);
    }

    const ShellCall& Last() const { return g_calls.back(); }

    MouseMoveRecorder recorder;
    std::vector<int>& seen = recorder.seen;
    win::UniqueWindow window;
    HICON icon = nullptr;
    HICON otherIcon = nullptr;
    WindowTrayOwner owner{nullptr, "Murmurex"};
    std::unique_ptr<TrayIcon> trayIcon;
};

TEST_F(TrayWinTest, ShellReceivesThePlatformRecord) {
    owner = WindowTrayOwner(window.get(), "Murmurex");
    owner.SetIcon(icon);
    std::string tip(127, 'a');
    trayIcon->Tray().ShowIcon(owner, tip);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(Last().command, static_cast<DWORD>(NIM_ADD));
    const NOTIFYICONDATAA& data = Last().data;
    // The layout with the 128-character tip and the balloon fields, at this program's width.
    EXPECT_EQ(data.cbSize, sizeof(void*) == 8 ? 504u : 488u);
    EXPECT_EQ(data.hWnd, window.get());
    EXPECT_EQ(data.uID, 1u);
    EXPECT_EQ(data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(data.uCallbackMessage, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(data.hIcon, icon);
    EXPECT_EQ(std::string(data.szTip), tip);  // whole, with its NUL in the last place
    EXPECT_EQ(data.dwState, 0u);
    EXPECT_EQ(data.dwStateMask, 0u);
    EXPECT_EQ(data.szInfo[0], '\0');
    EXPECT_EQ(data.szInfoTitle[0], '\0');
    EXPECT_EQ(data.dwInfoFlags, 0u);
    EXPECT_TRUE(Last().answer);
    EXPECT_TRUE(ShellHasIcon(window.get()));

    // Longer tips are cut to what the field can hold with its NUL.
    trayIcon->Tray().ChangeToolTip(owner, std::string(128, 'b'));
    EXPECT_EQ(std::string(Last().data.szTip), std::string(127, 'b'));
    trayIcon->Tray().ChangeToolTip(owner, std::string(500, 'c'));
    EXPECT_EQ(std::string(Last().data.szTip), std::string(127, 'c'));
    EXPECT_EQ(Last().data.szTip[127], '\0');
    EXPECT_TRUE(Last().answer);

    trayIcon->Tray().RemoveIcon(owner);
    EXPECT_EQ(Last().command, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(Last().data.uCallbackMessage, 1u);
    EXPECT_TRUE(Last().answer);
    EXPECT_FALSE(ShellHasIcon(window.get()));
}

TEST_F(TrayWinTest, ClicksOnTheIconReachTheOwnerAsMouseMoves) {
    owner = WindowTrayOwner(window.get(), "Murmurex");
    owner.SetIcon(icon);
    std::string tip = "Click for menu options.";
    trayIcon->Tray().ShowIcon(owner, tip);
    PumpMessages(300);
    // Without a desktop, Wine shows the notification area as a window of its own with the
    // icons from its left edge.
    const HWND area = ::FindWindowA("__winex11_standalone_tray", nullptr);
    if (area == nullptr) {
        GTEST_SKIP() << "no notification-area window to click on";
    }
    POINT onIcon{10, 10};
    ::ClientToScreen(area, &onIcon);
    SendMouse(MOUSEEVENTF_MOVE, onIcon);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
    PumpMessages(200);
    // The owner's mouse-move handler reads the event in its X coordinate.
    EXPECT_NE(std::find(seen.begin(), seen.end(), kTrayLeftButtonUp), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), kTrayRightButtonUp), seen.end());
    EXPECT_LT(std::find(seen.begin(), seen.end(), kTrayLeftButtonUp),
              std::find(seen.begin(), seen.end(), kTrayRightButtonUp));
}

TEST_F(TrayWinTest, RemoveIconShowsAHiddenOwner) {
    owner = WindowTrayOwner(window.get(), "Murmurex");
    std::string tip;
    trayIcon->Tray().ShowIcon(owner, tip);
    EXPECT_EQ(tip, "Murmurex");
    ASSERT_FALSE(::IsWindowVisible(window.get()));
    trayIcon->Tray().bRunningInTray = true;

    trayIcon->Tray().RemoveIcon(owner);
    EXPECT_TRUE(::IsWindowVisible(window.get()));
    EXPECT_FALSE(trayIcon->Tray().bRunningInTray);

    // Removing again: no icon left, the window stays shown.
    trayIcon->Tray().RemoveIcon(owner);
    EXPECT_TRUE(::IsWindowVisible(window.get()));
    EXPECT_FALSE(Last().answer);
}

TEST_F(TrayWinTest, TaskbarCreatedBringsTheIconBackAsItWas) {
    owner = WindowTrayOwner(window.get(), "Murmurex");
    owner.SetIcon(icon);
    std::string tip = "Click for menu options.";
    trayIcon->Tray().ShowIcon(owner, tip);
    owner.SetIcon(otherIcon);
    trayIcon->Tray().ChangeToolTip(owner, "Subliminal Message are ON.");
    ASSERT_TRUE(ShellHasIcon(window.get()));

    // The shell forgets its icons, as a restarted Explorer does, then announces itself.
    NOTIFYICONDATAA gone{};
    gone.cbSize = NOTIFYICONDATAA_V2_SIZE;
    gone.hWnd = window.get();
    gone.uID = 1;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &gone));
    ASSERT_FALSE(ShellHasIcon(window.get()));
    g_calls.clear();

    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(HWND_BROADCAST, trayIcon->TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG,
                          2000, &result);
    PumpMessages(100);
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(Last().command, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(Last().data.hIcon, otherIcon);
    EXPECT_STREQ(Last().data.szTip, "Subliminal Message are ON.");
    EXPECT_EQ(Last().data.uCallbackMessage, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_TRUE(ShellHasIcon(window.get()));

    // Once removed, a new task bar gets nothing.
    trayIcon->Tray().RemoveIcon(owner);
    g_calls.clear();
    ::SendMessageTimeoutA(HWND_BROADCAST, trayIcon->TaskbarCreatedMessage(), 0, 0, SMTO_ABORTIFHUNG,
                          2000, &result);
    PumpMessages(100);
    EXPECT_TRUE(g_calls.empty());
    EXPECT_FALSE(ShellHasIcon(window.get()));
}

}  // namespace
}  // namespace murmurex
