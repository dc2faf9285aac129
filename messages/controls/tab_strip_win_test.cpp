#include "tab_strip_win.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tab_pictures.h"
#include "win/ui_test_support_win.h"

namespace murmurex {
namespace {

using win::test::PumpMessages;

// Real input: the pointer moves and the button goes down and up as a user's would, and each
// event has 60 ms to be handled.
void SendMouse(DWORD flags, POINT screen = {}) {
    win::test::SendMouse(flags, screen, 60);
}

POINT OnScreen(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    return point;
}

RECT RectIn(HWND child, HWND parent) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

COLORREF PixelOf(HWND window, int x, int y) {
    ::UpdateWindow(window);
    const win::UniqueWindowDc dc = win::GetWindowDcOwned(window);
    return ::GetPixel(dc.get(), x, y);
}

// The colour a picture has at a point of the 65 x 35 image area it is stretched over.
COLORREF PictureColour(TabPictureId id, int x, int y) {
    const TabBitmap picture = DrawTabPicture(id);
    const std::uint32_t rgb = picture.At(x * picture.width / 65, y * picture.height / 35);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 10 &&
           std::abs(GetGValue(a) - GetGValue(b)) <= 10 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 10;
}

// Pixels of the caption area that are white / dark navy.
struct CaptionInk {
    int white = 0;
    int navy = 0;
};
CaptionInk InkOf(HWND tab) {
    ::UpdateWindow(tab);
    const win::UniqueWindowDc dc = win::GetWindowDcOwned(tab);
    CaptionInk ink;
    for (int y = 13; y < 30; ++y) {
        for (int x = 0; x < 65; ++x) {
            const COLORREF c = ::GetPixel(dc.get(), x, y);
            ink.white += GetRValue(c) > 235 && GetGValue(c) > 235 && GetBValue(c) > 235;
            ink.navy += GetRValue(c) < 60 && GetGValue(c) < 60 && GetBValue(c) < 120;
        }
    }
    return ink;
}

class TabStripWinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        win::test::RegisterWindowClass("MurmurexTabHostStandIn", ::DefWindowProcA,
                                       static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        host.reset(::CreateWindowExA(0, "MurmurexTabHostStandIn", "Settings",
                                     WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 600, 200,
                                     nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(host);
        tabs = TabMenuWindow::Create(host.get(), 0, 0, 458);
        ASSERT_NE(tabs, nullptr);
        TabMenu& strip = tabs->Strip();
        strip.ItemClick = [this] { events.push_back("ItemClick:" + tabs->Strip().ClickedItem); };
        strip.ItemMenuClick = [this] {
            events.push_back("ItemMenuClick:" + tabs->Strip().ClickedItem);
        };
        ASSERT_EQ(strip.AddButton(1, "Messages"), TabStatus::Ok);
        ASSERT_EQ(strip.AddButton(1, "Help"), TabStatus::Ok);
        ASSERT_EQ(strip.AddButton(1, "About"), TabStatus::Ok);
        ASSERT_EQ(strip.AddButton(2, ""), TabStatus::Ok);
        SendMouse(MOUSEEVENTF_MOVE, OnScreen(host.get(), 500, 150));
        PumpMessages(100);
    }

    // The n-th added tab's window and model.
    HWND TabAt(int n) const { return tabs->TabWindow(n + 1); }
    TabButton& Tab(int n) { return *tabs->Strip().Tab(n + 1); }

    void ClickAt(HWND window, int x, int y) {
        SendMouse(MOUSEEVENTF_MOVE, OnScreen(window, x, y));
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }

    win::UniqueWindow host;
    std::unique_ptr<TabMenuWindow> tabs;
    std::vector<std::string> events;
};

TEST_F(TabStripWinTest, ElementsAreChildWindowsInARow) {
    const HWND strip = tabs->hWnd();
    const RECT stripRect = RectIn(strip, host.get());
    EXPECT_EQ(stripRect.right - stripRect.left, 458);
    EXPECT_EQ(stripRect.bottom - stripRect.top, 35);
    for (int n = 1; n <= 3; ++n) {
        const RECT rect = RectIn(TabAt(n), strip);
        EXPECT_EQ(rect.left, 70 * (n - 1)) << n;
        EXPECT_EQ(rect.top, 0);
        EXPECT_EQ(rect.right - rect.left, 70);
        EXPECT_EQ(rect.bottom - rect.top, 35);
        EXPECT_TRUE(::IsWindowVisible(TabAt(n)));
    }
    const RECT menu = RectIn(tabs->MenuWindow(2), strip);
    EXPECT_EQ(menu.left, 210);
    EXPECT_EQ(menu.right - menu.left, 27);
    EXPECT_FALSE(::IsWindowVisible(tabs->TabWindow(1)));
    EXPECT_FALSE(::IsWindowVisible(tabs->MenuWindow(1)));

    char name[64] = {};
    const HWND separator = ::GetWindow(TabAt(1), GW_CHILD);
    ASSERT_NE(separator, nullptr);
    ::GetClassNameA(separator, name, sizeof name);
    EXPECT_STREQ(name, kTabSeparatorClass);
    const RECT sep = RectIn(separator, TabAt(1));
    EXPECT_EQ(sep.left, 65);
    EXPECT_EQ(sep.top, 7);
    EXPECT_EQ(sep.right, 70);
    EXPECT_EQ(sep.bottom, 32);

    for (TabPictureId id : kAllTabPictures) {
        EXPECT_NE(::FindResourceA(nullptr, TabPictureName(id), MAKEINTRESOURCEA(2)), nullptr)
            << TabPictureName(id);
    }
}

TEST_F(TabStripWinTest, SizesSnapBack) {
    ::SetWindowPos(TabAt(1), nullptr, 0, 0, 300, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    ::GetClientRect(TabAt(1), &client);
    EXPECT_EQ(client.right, 70);
    EXPECT_EQ(client.bottom, 35);
    ::SetWindowPos(tabs->MenuWindow(2), nullptr, 0, 0, 5, 5, SWP_NOMOVE | SWP_NOZORDER);
    ::GetClientRect(tabs->MenuWindow(2), &client);
    EXPECT_EQ(client.right, 27);
    EXPECT_EQ(client.bottom, 35);
    tabs->Move(0, 0, 300);
    ::SetWindowPos(tabs->hWnd(), nullptr, 0, 0, 320, 100, SWP_NOMOVE | SWP_NOZORDER);
    ::GetClientRect(tabs->hWnd(), &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 35);
}

TEST_F(TabStripWinTest, SetTabFocusPaintsTheSelectedTab) {
    ASSERT_EQ(tabs->Strip().SetTabFocus(1), TabStatus::Ok);
    EXPECT_EQ(events, std::vector<std::string>{"ItemClick:Messages"});
    EXPECT_TRUE(Near(PixelOf(TabAt(1), 5, 25), PictureColour(TabPictureId::TabDown, 5, 25)));
    EXPECT_TRUE(Near(PixelOf(TabAt(2), 5, 25), PictureColour(TabPictureId::Background, 5, 25)));
    const CaptionInk selected = InkOf(TabAt(1));
    const CaptionInk plain = InkOf(TabAt(2));
    EXPECT_GT(selected.white, 5);
    EXPECT_EQ(plain.white, 0);
    EXPECT_GT(plain.navy, 5);
}

TEST_F(TabStripWinTest, PointerHoverFollowsRealMovesAndLeaves) {
    ASSERT_EQ(tabs->Strip().SetTabFocus(1), TabStatus::Ok);
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(TabAt(2), 30, 20));
    EXPECT_EQ(Tab(2).Picture(), TabPicture::Over);
    EXPECT_TRUE(Near(PixelOf(TabAt(2), 5, 25), PictureColour(TabPictureId::TabOver, 5, 25)));

    SendMouse(MOUSEEVENTF_MOVE, OnScreen(TabAt(3), 30, 20));
    EXPECT_EQ(Tab(2).Picture(), TabPicture::Normal);
    EXPECT_EQ(Tab(3).Picture(), TabPicture::Over);

    // Over the selected tab: nothing changes on it, the hover elsewhere goes.
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(TabAt(1), 30, 20));
    EXPECT_EQ(Tab(3).Picture(), TabPicture::Normal);
    EXPECT_EQ(Tab(1).Picture(), TabPicture::Down);

    SendMouse(MOUSEEVENTF_MOVE, OnScreen(tabs->MenuWindow(2), 10, 20));
    EXPECT_EQ(tabs->Strip().Menu(2)->Picture(), TabPicture::Over);
    // Off the strip: the leave notification takes the hover away.
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(host.get(), 500, 150));
    PumpMessages(300);
    EXPECT_EQ(tabs->Strip().Menu(2)->Picture(), TabPicture::Normal);
    EXPECT_TRUE(
        Near(PixelOf(tabs->MenuWindow(2), 2, 2), PictureColour(TabPictureId::MenuNormal, 2, 2)));
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(TabStripWinTest, ClicksSelectTabsAndReportMenuButtons) {
    ClickAt(TabAt(2), 30, 20);
    EXPECT_EQ(events, std::vector<std::string>{"ItemClick:Help"});
    EXPECT_TRUE(Tab(2).HasFocus);
    EXPECT_EQ(Tab(2).Picture(), TabPicture::Down);

    ClickAt(TabAt(2), 10, 10);
    EXPECT_EQ(events.back(), "ItemClick:Help");
    EXPECT_TRUE(Tab(2).HasFocus);

    ClickAt(tabs->MenuWindow(2), 11, 17);
    EXPECT_EQ(events.back(), "ItemMenuClick:1");
    EXPECT_TRUE(Tab(2).HasFocus);
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(TabStripWinTest, PressReleasedElsewhereIsNoClick) {
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(TabAt(3), 30, 20));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    EXPECT_EQ(Tab(3).Picture(), TabPicture::Down);
    SendMouse(MOUSEEVENTF_MOVE, OnScreen(host.get(), 500, 150));
    SendMouse(MOUSEEVENTF_LEFTUP);
    PumpMessages(300);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(Tab(3).HasFocus);
    EXPECT_EQ(Tab(3).Picture(), TabPicture::Normal);
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(TabStripWinTest, HostGoingFirstLeavesNothingToDestroyTwice) {
    const HWND strip = tabs->hWnd();
    const HWND first = TabAt(1);
    host.reset();
    EXPECT_FALSE(::IsWindow(strip));
    EXPECT_FALSE(::IsWindow(first));
    EXPECT_EQ(tabs->hWnd(), nullptr);
    EXPECT_EQ(tabs->TabWindow(2), nullptr);
    // The model outlives its windows; nothing it does may reach them.
    EXPECT_EQ(tabs->Strip().SetTabFocus(2), TabStatus::Ok);
    EXPECT_EQ(events, std::vector<std::string>{"ItemClick:Help"});
    tabs.reset();
}

}  // namespace
}  // namespace murmurex
