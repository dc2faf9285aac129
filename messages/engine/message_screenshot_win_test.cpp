// Proves on a real screen that a flashed phrase shows in its colour while everything else in
// the message window lets the window behind it through: no white box, no pale halo.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "message_window_win.h"
#include "win/unique_handle.h"

namespace murmurex {
namespace {

constexpr COLORREF kBackdrop = RGB(0, 0, 255);
constexpr std::uint32_t kTextColour = 0x000000FF;  // pure red

void Pump(DWORD milliseconds) {
    const DWORD end = ::GetTickCount() + milliseconds;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&message);
        }
    }
}

// Holds the settings window "open", so the step leaves its phrase on screen.
struct SettingsOpen : SettingsVisibility {
    bool SettingsWindowVisible() const override { return true; }
    bool TrayMenuVisible() const override { return false; }
};

// The whole screen as 0x00RRGGBB values, read back through the screen's device context.
class ScreenShot {
  public:
    ScreenShot() {
        width = ::GetSystemMetrics(SM_CXSCREEN);
        height = ::GetSystemMetrics(SM_CYSCREEN);
        const auto screen = win::GetWindowDcOwned(nullptr);
        win::UniqueOwnedDc memory(::CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        win::UniqueBitmap bitmap(
            ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || bits == nullptr) {
            return;
        }
        {
            win::SelectGuard selected(memory.get(), bitmap.get());
            ok = ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0,
                          SRCCOPY | CAPTUREBLT) != FALSE;
            ::GdiFlush();
        }
        const auto* source = static_cast<const std::uint32_t*>(bits);
        pixels.assign(source, source + static_cast<std::size_t>(width) * height);
    }

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * width + x] & 0x00FFFFFFu;
    }

    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
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
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &BackdropProcedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "MurmurexBackdrop";
    ::RegisterClassExA(&windowClass);
    win::UniqueWindow backdrop(::CreateWindowExA(
        0, "MurmurexBackdrop", "", WS_POPUP, 0, 0, ::GetSystemMetrics(SM_CXSCREEN),
        ::GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, windowClass.hInstance, nullptr));
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
    Pump(700);

    const ScreenShot shot;
    ASSERT_TRUE(shot.ok);

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
