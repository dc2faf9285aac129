// Proves on a real screen that a flashed phrase shows in its colour while everything else in
// the message window lets the window behind it through: no white box, no pale halo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "message_window_win.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace murmurex {
namespace {

constexpr COLORREF kBackdrop = RGB(0, 0, 255);
constexpr std::uint32_t kTextColour = 0x000000FF;  // pure red

// Holds the settings window "open", so the step leaves its phrase on screen.
struct SettingsOpen : SettingsVisibility {
    bool SettingsWindowVisible() const override { return true; }
    bool TrayMenuVisible() const override { return false; }
};

constexpr std::uint32_t kRed = 0x00FF0000;  // as read back: 0x00RRGGBB
constexpr std::uint32_t kBlue = 0x000000FF;

LRESULT CALLBACK BackdropProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        win::PaintGuard paint(window);
        win::UniqueBrush brush(::CreateSolidBrush(kBackdrop));
        ::FillRect(paint.dc(), &paint.paint().rcPaint, brush.get());
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

TEST(MessageScreenshotTest, PhraseShowsInItsColourAndTheBackgroundIsKeyedOut) {
    // A known solid window stands in for the desktop behind the message window.
    win::test::RegisterWindowClass("MurmurexBackdrop", &BackdropProcedure);
    win::UniqueWindow backdrop(::CreateWindowExA(
        0, "MurmurexBackdrop", "", WS_POPUP, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
        ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(backdrop);
    ::ShowWindow(backdrop.get(), SW_SHOW);

    auto form = frmMessage::Create();
    ASSERT_NE(form, nullptr);
    SettingsOpen settingsOpen;
    form->SetSettingsVisibility(&settingsOpen);
    form->Phrases() = PhrasePool::FromList({"MWMW subliminal"});
    form->lblMessage.SetFont({"Arial", 36.0f, true, false});
    form->lblMessage.SetForeColor(kTextColour);
    form->Paused() = false;
    form->Show();
    form->Cycle().TimerFrequency_Timer();
    ASSERT_TRUE(form->lblMessage.Visible());
    win::test::PumpMessages(700);

    const win::test::ScreenCapture shot = win::test::CaptureScreen();
    ASSERT_TRUE(shot.ok());

    RECT window{};
    ::GetWindowRect(form->hWnd(), &window);
    const int labelLeft = window.left + static_cast<int>(form->lblMessage.Left() / 15.0f);
    const int labelTop = window.top + static_cast<int>(form->lblMessage.Top() / 15.0f);
    const int labelRight = labelLeft + static_cast<int>(form->lblMessage.Width() / 15.0f);
    const int labelBottom = labelTop + static_cast<int>(form->lblMessage.Height() / 15.0f);
    ASSERT_GE(labelLeft, 0);
    ASSERT_LE(labelRight, shot.width);
    ASSERT_LE(labelBottom, shot.height);

    int red = 0;
    int redOutsideLabel = 0;
    int other = 0;
    for (int y = std::max<int>(window.top, 0); y < std::min<int>(window.bottom, shot.height); ++y) {
        for (int x = std::max<int>(window.left, 0); x < std::min<int>(window.right, shot.width);
             ++x) {
            const std::uint32_t p = shot.At(x, y);
            const bool inLabel =
                x >= labelLeft && x < labelRight && y >= labelTop && y < labelBottom;
            if (p == kRed) {
                ++red;
                redOutsideLabel += inLabel ? 0 : 1;
            } else if (p != kBlue) {
                ++other;  // white left unkeyed, or a blended fringe
            }
        }
    }
    const int labelArea = (labelRight - labelLeft) * (labelBottom - labelTop);
    EXPECT_GT(red, labelArea / 10) << "the phrase is missing";
    EXPECT_EQ(redOutsideLabel, 0);
    EXPECT_EQ(other, 0) << "pixels neither text nor backdrop inside the message window";
    // The window's own frame area below the label is see-through too.
    EXPECT_EQ(shot.At(labelLeft, std::min<int>(window.bottom, shot.height) - 1), kBlue);
}

}  // namespace
}  // namespace murmurex
