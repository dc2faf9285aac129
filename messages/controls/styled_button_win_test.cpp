// The styled button as a real window under real input: pointer moves and clicks through
// SendInput, the platform's pointer-leave notice, keys, focus, the tooltip window, the window
// region and the painted pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "button_texts.h"
#include "styled_button_win.h"
#include "win/ui_test_support_win.h"

namespace murmurex {
namespace {

// Access keys go to the buttons before translation, as in the programs' own loops.
void Pump(DWORD milliseconds) {
    win::test::PumpMessages(milliseconds, {}, TranslateButtonAccessKey);
}

void SendMouse(DWORD flags) {
    win::test::SendMouseInput(flags);
    Pump(150);
}

void MoveTo(POINT screen) {
    win::test::SendMouseInput(MOUSEEVENTF_MOVE, screen);
    Pump(250);
}

void SendKey(WORD key, bool up) {
    win::test::SendKeyInput(key, up);
    Pump(100);
}

void Tap(WORD key) {
    SendKey(key, false);
    SendKey(key, true);
}

POINT ScreenPoint(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    return point;
}

COLORREF ScreenPixel(POINT at) {
    const auto screen = win::GetWindowDcOwned(nullptr);
    return ::GetPixel(screen.get(), at.x, at.y);
}

class ButtonWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        win::test::RegisterWindowClass("StyledButtonTestHost", ::DefWindowProcA,
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        host.reset(::CreateWindowExA(WS_EX_CONTROLPARENT, "StyledButtonTestHost", "host",
                                     WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, nullptr, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(host);
        first = Make(1, {20, 20, 120, 50}, "cmdFirst");
        second = Make(2, {140, 20, 240, 50}, "cmdSecond");
        ASSERT_TRUE(first && second);
        ::SetForegroundWindow(host.get());
        MoveTo({600, 600});  // away from the buttons
        Pump(200);
        log.clear();
    }

    std::unique_ptr<StyledButtonWindow> Make(int id, RECT placement, const char* name) {
        auto button = StyledButtonWindow::Create(host.get(), id, placement, name);
        if (button) {
            button->Button().SetStyle(10);
            const std::string tag = name;
            button->Button().SetEvents({[this, tag] { log.push_back("Click " + tag); },
                                        [this, tag] { log.push_back("MouseEnter " + tag); },
                                        [this, tag] { log.push_back("MouseLeave " + tag); }});
        }
        return button;
    }

    POINT Centre(const StyledButtonWindow& button) const {
        return ScreenPoint(button.hWnd(), 50, 15);
    }

    win::UniqueWindow host;
    std::unique_ptr<StyledButtonWindow> first;
    std::unique_ptr<StyledButtonWindow> second;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(ButtonWindowTest, HoverClickAndLeaveWithTheTooltip) {
    first->Button().SetHostToolTipText("First tip");
    MoveTo(Centre(*first));
    EXPECT_EQ(log, (Log{"MouseEnter cmdFirst"}));
    EXPECT_EQ(first->Button().State(), ButtonState::Hot);
    ASSERT_NE(first->ToolTipWindow(), nullptr);
    char name[64] = {};
    ::GetClassNameA(first->ToolTipWindow(), name, sizeof name);
    EXPECT_STREQ(name, "tooltips_class32");
    // One tool: the button's client area, with the host's text.
    EXPECT_EQ(::SendMessageA(first->ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);
    char text[64] = {};
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.lpszText = text;
    ASSERT_TRUE(
        ::SendMessageA(first->ToolTipWindow(), TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.hwnd, first->hWnd());
    EXPECT_STREQ(text, "First tip");
    EXPECT_NE(::GetWindowLongA(first->ToolTipWindow(), GWL_STYLE) & 0x43, 0);
    EXPECT_EQ(first->Button().HostToolTipText(), "");

    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(first->Button().State(), ButtonState::Pressed);
    EXPECT_EQ(::GetFocus(), first->hWnd());
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(log, (Log{"MouseEnter cmdFirst", "Click cmdFirst"}));
    EXPECT_EQ(first->Button().State(), ButtonState::Hot);

    // The platform's leave notice, once the pointer has gone.
    MoveTo({600, 600});
    Pump(300);
    EXPECT_EQ(log, (Log{"MouseEnter cmdFirst", "Click cmdFirst", "MouseLeave cmdFirst"}));
    EXPECT_EQ(first->Button().State(), ButtonState::Normal);
    EXPECT_EQ(first->ToolTipWindow(), nullptr);
    EXPECT_EQ(first->Button().HostToolTipText(), "First tip");
}

TEST_F(ButtonWindowTest, PressMoveOutReleaseIsNoClick) {
    MoveTo(Centre(*first));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    MoveTo({600, 600});
    SendMouse(MOUSEEVENTF_LEFTUP);
    Pump(300);
    EXPECT_EQ(log, (Log{"MouseEnter cmdFirst", "MouseLeave cmdFirst"}));
    EXPECT_EQ(first->Button().State(), ButtonState::Normal);
}

TEST_F(ButtonWindowTest, DoubleClickClicksTwice) {
    MoveTo(Centre(*first));
    INPUT clicks[4] = {};
    const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = flags[i];
    }
    ::SendInput(4, clicks, sizeof(INPUT));
    Pump(300);
    EXPECT_EQ(log, (Log{"MouseEnter cmdFirst", "Click cmdFirst", "Click cmdFirst"}));
}

TEST_F(ButtonWindowTest, CheckButtonStaysPressedUntilClickedAgain) {
    first->Button().SetButtonType(1);
    MoveTo(Centre(*first));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(first->Button().Properties().value);
    EXPECT_EQ(first->Button().PaintState(), ButtonState::Pressed);
    Pump(300);  // past the double-click time
    Pump(300);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(first->Button().Properties().value);
    EXPECT_EQ(first->Button().PaintState(), ButtonState::Hot);
    EXPECT_EQ(log, (Log{"MouseEnter cmdFirst", "Click cmdFirst", "Click cmdFirst"}));
}

TEST_F(ButtonWindowTest, KeyboardClicksAndMovesTheFocus) {
    ::SetFocus(first->hWnd());
    Pump(100);
    ASSERT_EQ(::GetFocus(), first->hWnd());
    SendKey(VK_SPACE, false);
    EXPECT_EQ(first->Button().State(), ButtonState::Pressed);
    SendKey(VK_SPACE, true);
    EXPECT_EQ(log, (Log{"Click cmdFirst"}));
    EXPECT_EQ(first->Button().State(), ButtonState::Normal);

    Tap(VK_RIGHT);
    EXPECT_EQ(::GetFocus(), second->hWnd());
    Tap(VK_UP);
    EXPECT_EQ(::GetFocus(), first->hWnd());
    Tap(VK_TAB);
    EXPECT_EQ(::GetFocus(), second->hWnd());
    EXPECT_EQ(log, (Log{"Click cmdFirst", "MouseLeave cmdFirst"}));
}

TEST_F(ButtonWindowTest, AltAndTheAccessKeyClick) {
    second->Button().SetCaption("&Start");
    ::SetFocus(first->hWnd());
    Pump(100);
    SendKey(VK_MENU, false);
    Tap('S');
    SendKey(VK_MENU, true);
    EXPECT_EQ(log, (Log{"Click cmdSecond"}));
}

TEST_F(ButtonWindowTest, RegionMinimumSizeAndPaintedLooks) {
    RECT box{};
    win::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetWindowRgn(first->hWnd(), region.get()), COMPLEXREGION);
    ::GetRgnBox(region.get(), &box);
    EXPECT_GE(box.right, 100);
    EXPECT_GE(box.bottom, 30);
    EXPECT_EQ(::PtInRegion(region.get(), 0, 0), FALSE);  // rounded corner
    EXPECT_NE(::PtInRegion(region.get(), 50, 15), FALSE);

    // Painted pixels on the screen, left of the caption: grey, then blue under the pointer.
    const POINT probe = ScreenPoint(first->hWnd(), 20, 15);
    EXPECT_EQ(ScreenPixel(probe), RGB(232, 231, 234));
    EXPECT_EQ(ScreenPixel(ScreenPoint(first->hWnd(), 50, 0)), RGB(106, 105, 103));
    MoveTo(Centre(*first));
    EXPECT_EQ(ScreenPixel(probe), RGB(106, 166, 226));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(ScreenPixel(probe), RGB(106, 155, 204));
    SendMouse(MOUSEEVENTF_LEFTUP);

    ::SetWindowPos(second->hWnd(), nullptr, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER);
    RECT small{};
    ::GetClientRect(second->hWnd(), &small);
    EXPECT_EQ(small.right, 20);
    EXPECT_EQ(small.bottom, 20);
}

TEST_F(ButtonWindowTest, AKeptPictureFollowsAResizeAndIsCopiedAgainWhenRedrawnFromOutside) {
    // Wider than the first paint's picture: its rounded corner and right edge were where the
    // top outline and the face now run.
    ::SetWindowPos(first->hWnd(), nullptr, 0, 0, 115, 30, SWP_NOMOVE | SWP_NOZORDER);
    Pump(200);
    const POINT newTop = ScreenPoint(first->hWnd(), 95, 0);
    const POINT newFace = ScreenPoint(first->hWnd(), 90, 15);
    EXPECT_EQ(ScreenPixel(newTop), RGB(106, 105, 103));
    EXPECT_EQ(ScreenPixel(newFace), RGB(232, 231, 234));

    // Redrawn from outside with no change of its own: the kept picture is copied again.
    ::RedrawWindow(first->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Pump(100);
    EXPECT_EQ(ScreenPixel(newFace), RGB(232, 231, 234));
    EXPECT_EQ(ScreenPixel(newTop), RGB(106, 105, 103));
}

TEST_F(ButtonWindowTest, AButtonMadeUnderAHiddenParentPaintsOnceTheParentShows) {
    win::UniqueWindow hidden(::CreateWindowExA(0, "StyledButtonTestHost", "hidden", WS_POPUP, 100,
                                               350, 200, 80, nullptr, nullptr,
                                               ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(hidden);
    auto button = StyledButtonWindow::Create(hidden.get(), 3, {10, 10, 110, 40}, "cmdLate");
    ASSERT_TRUE(button);
    button->Button().SetStyle(10);
    EXPECT_TRUE(button->Button().IsShown());
    ::ShowWindow(hidden.get(), SW_SHOWNA);
    Pump(200);
    EXPECT_EQ(ScreenPixel(ScreenPoint(button->hWnd(), 20, 15)), RGB(232, 231, 234));
    button.reset();
}

TEST_F(ButtonWindowTest, DisablingHidingAndTheAboutWindow) {
    first->Button().SetEnabled(false);
    EXPECT_FALSE(::IsWindowEnabled(first->hWnd()));
    MoveTo(Centre(*first));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(log.empty());
    first->Button().SetEnabled(true);

    ::ShowWindow(second->hWnd(), SW_HIDE);
    EXPECT_FALSE(second->Button().IsShown());
    ::ShowWindow(second->hWnd(), SW_SHOW);
    EXPECT_TRUE(second->Button().IsShown());

    first->About();
    ASSERT_NE(first->AboutWindow(), nullptr);
    char title[64] = {};
    ::GetWindowTextA(first->AboutWindow(), title, sizeof title);
    EXPECT_STREQ(title, "About StyledButton 3.6.2");
    EXPECT_TRUE(::IsWindowVisible(first->AboutWindow()));
    // Close is a styled button itself, clicked as a user clicks it.
    const HWND close = ::FindWindowExA(first->AboutWindow(), nullptr, "StyledButton", "Close");
    ASSERT_NE(close, nullptr);
    RECT closeRect{};
    ::GetWindowRect(close, &closeRect);
    MoveTo(POINT{(closeRect.left + closeRect.right) / 2, (closeRect.top + closeRect.bottom) / 2});
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Pump(100);
    EXPECT_FALSE(::IsWindowVisible(first->AboutWindow()));
}

TEST(ButtonOpenLink, AnswersTheShellsCode) {
    // A missing file: the shell's "file not found" (2), an error code of 32 or below.
    const int result = StyledButtonWindow::OpenLink("Z:\\no\\such\\murmurex-file.txt");
    EXPECT_LE(result, 32);
    EXPECT_GE(result, 0);
}

}  // namespace
}  // namespace murmurex
