// Styles 7 to 9, icons and the About window on real windows: the painted pixels read back
// from the screen at the points the painters fix, the window region's cut corners, a
// disabled icon in grey, PaintIconGrayscale on a platform icon, and the About window.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "about_win.h"
#include "button_icon.h"
#include "button_icon_image.h"
#include "button_icon_win.h"
#include "button_paint_shades.h"
#include "styled_button_win.h"
#include "win/ui_test_support_win.h"

namespace murmurex {
namespace {

constexpr Colour kHostColour = Rgb(255, 0, 255);

void Pump(DWORD milliseconds) {
    win::test::PumpMessages(milliseconds, {}, TranslateButtonAccessKey);
}

void MoveTo(POINT screen) {
    win::test::SendMouseInput(MOUSEEVENTF_MOVE, screen);
    Pump(250);
}

void SendMouse(DWORD flags) {
    win::test::SendMouseInput(flags);
    Pump(150);
}

// The screen as the user sees it, read in the button's client coordinates.
class Shot {
  public:
    explicit Shot(HWND window) : window_(window) {}
    Colour At(int x, int y) const {
        POINT p{x, y};
        ::ClientToScreen(window_, &p);
        const std::uint32_t rgb = capture_.At(p.x, p.y);
        return Rgb(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                   static_cast<int>(rgb & 0xFF));
    }

  private:
    HWND window_;
    win::test::ScreenCapture capture_ = win::test::CaptureScreen();
};

// A 16 x 16 picture in strong colours, its top-left pixel transparent.
IconImage Picture() {
    IconImage image;
    image.width = 16;
    image.height = 16;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            image.colours.push_back(Rgb(40 + 12 * x, 220 - 10 * y, 30 + 7 * (x + y)));
            image.alpha.push_back(x == 0 && y == 0 ? 0 : 255);
        }
    }
    return image;
}

class ShadesWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static const win::UniqueBrush hostBrush(::CreateSolidBrush(kHostColour));
        win::test::RegisterWindowClass("ButtonShadesTestHost", ::DefWindowProcA, hostBrush.get());
        host.reset(::CreateWindowExA(WS_EX_CONTROLPARENT, "ButtonShadesTestHost", "host",
                                     WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, nullptr, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(host);
        button = StyledButtonWindow::Create(host.get(), 1, {20, 20, 120, 50}, "cmdShaded");
        ASSERT_TRUE(button);
        button->Button().SetCaption("");
        ::SetForegroundWindow(host.get());
        MoveTo({700, 700});
        Pump(200);
    }

    POINT Screen(int x, int y) const {
        POINT p{x, y};
        ::ClientToScreen(button->hWnd(), &p);
        return p;
    }

    win::UniqueWindow host;
    std::unique_ptr<StyledButtonWindow> button;
};

void ExpectStyle9(const Shot& shot, const Style9Shades& s, const char* what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(shot.At(50, 15), s.centre);
    EXPECT_EQ(shot.At(50, 1), s.top);
    EXPECT_EQ(shot.At(50, 28), s.bottom);
    EXPECT_EQ(shot.At(1, 15), s.side);
    EXPECT_EQ(shot.At(98, 15), s.side);
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {50, 0}, {0, 15}, {99, 15}, {50, 29}, {1, 1}, {97, 1}, {97, 28}, {2, 27}}) {
        EXPECT_EQ(shot.At(x, y), s.border) << x << "," << y;
    }
    // The region's cut corners show the host behind the button.
    for (const auto& [x, y] :
         std::vector<std::pair<int, int>>{{0, 0}, {99, 0}, {98, 0}, {99, 29}, {0, 29}, {1, 29}}) {
        EXPECT_EQ(shot.At(x, y), kHostColour) << x << "," << y;
    }
}

TEST_F(ShadesWindowTest, StyleNineInItsStatesReadBackFromTheScreen) {
    StyledButton& b = button->Button();
    const Colour base = Rgb(90, 140, 60);
    const Colour accent = Rgb(200, 60, 40);
    b.SetStyle(9);
    b.SetUseCustomColors(true);
    b.SetBackColor(base);
    b.SetHighlightColor(accent);
    Pump(200);
    ExpectStyle9(Shot(button->hWnd()), Style9ShadesFor(1, base, accent), "normal");
    EXPECT_EQ(b.TextMargin(), 6);

    MoveTo(Screen(50, 15));
    ASSERT_EQ(b.State(), ButtonState::Hot);
    ExpectStyle9(Shot(button->hWnd()), Style9ShadesFor(2, base, accent), "hot");

    SendMouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_EQ(b.State(), ButtonState::Pressed);
    ExpectStyle9(Shot(button->hWnd()), Style9ShadesFor(3, base, accent), "pressed");
    SendMouse(MOUSEEVENTF_LEFTUP);
    MoveTo({700, 700});

    b.SetEnabled(false);
    Pump(200);
    ExpectStyle9(Shot(button->hWnd()), Style9ShadesFor(4, base, accent), "disabled");
}

TEST_F(ShadesWindowTest, StylesSevenAndEightFollowTheSystemColours) {
    const SystemColours system = CurrentSystemColours();
    StyledButton& b = button->Button();
    b.SetStyle(7);
    Pump(200);
    {
        const Shot shot(button->hWnd());
        const Style7Shades s = Style7ShadesFor(1, false, system.buttonFace, system.highlight);
        EXPECT_EQ(shot.At(50, 15), s.centre);
        EXPECT_EQ(shot.At(50, 0), s.border);
        EXPECT_EQ(shot.At(1, 1), s.innerCorner);
        EXPECT_EQ(shot.At(0, 0), kHostColour);
        EXPECT_EQ(shot.At(99, 29), kHostColour);
    }
    b.SetStyle(8);
    Pump(200);
    {
        const Shot shot(button->hWnd());
        const Style8Shades s = Style8ShadesFor(1, system.buttonFace);
        EXPECT_EQ(shot.At(50, 15), s.centre);
        EXPECT_EQ(shot.At(50, 0), s.border);
        EXPECT_EQ(shot.At(50, 1), s.topLeftLine);
        EXPECT_EQ(shot.At(1, 2), s.corner);
        EXPECT_EQ(shot.At(0, 0), kHostColour);
    }
}

TEST_F(ShadesWindowTest, DisabledIconIsDrawnGrey) {
    StyledButton& b = button->Button();
    const IconImage picture = Picture();
    b.SetStyle(10);
    b.SetIcon(ButtonPicture{EncodeIconFile(picture)});
    b.SetIconAlign(1);
    Pump(200);
    // Style 10 leaves a margin of 7: the icon sits at (7, 7) of the 100 x 30 button.
    {
        const Shot shot(button->hWnd());
        EXPECT_EQ(shot.At(7 + 5, 7 + 9), picture.ColourAt(5, 9));
        EXPECT_EQ(shot.At(7 + 15, 7 + 15), picture.ColourAt(15, 15));
    }
    b.SetEnabled(false);
    Pump(200);
    const Shot shot(button->hWnd());
    int grey = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            if (picture.AlphaAt(x, y) == 0) {
                continue;
            }
            const Colour painted = shot.At(7 + x, 7 + y);
            EXPECT_EQ(painted, GreyIconPixel(picture.ColourAt(x, y))) << x << "," << y;
            grey += RedOf(painted) == GreenOf(painted) && GreenOf(painted) == BlueOf(painted);
        }
    }
    EXPECT_EQ(grey, 255);
}

// A platform icon from 32-bit colours with alpha, or from colours without alpha plus a mask.
win::UniqueIcon MakeIcon(const std::vector<Colour>& colours, int side, bool withAlpha,
                         int transparentIndex) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const win::UniqueBitmap colour(
        ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour || bits == nullptr) {
        return {};
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const Colour c = colours[i];
        const std::uint32_t alpha =
            withAlpha ? (static_cast<int>(i) == transparentIndex ? 0u : 0xFFu) : 0u;
        pixels[i] = (alpha << 24) | (static_cast<std::uint32_t>(RedOf(c)) << 16) |
                    (static_cast<std::uint32_t>(GreenOf(c)) << 8) |
                    static_cast<std::uint32_t>(BlueOf(c));
    }
    // Mask rows are whole 16-bit words: one set bit is one transparent pixel.
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>(side) * 2, 0);
    if (!withAlpha && transparentIndex >= 0) {
        const int x = transparentIndex % side;
        const int y = transparentIndex / side;
        maskBits[static_cast<std::size_t>(y) * 2 + static_cast<std::size_t>(x) / 8] |=
            static_cast<std::uint8_t>(0x80u >> (x % 8));
    }
    const win::UniqueBitmap mask(::CreateBitmap(side, side, 1, 1, maskBits.data()));
    ICONINFO parts{};
    parts.fIcon = TRUE;
    parts.hbmColor = colour.get();
    parts.hbmMask = mask.get();
    return win::UniqueIcon(::CreateIconIndirect(&parts));
}

TEST(PaintIconGrayscaleOnHandles, KeptGreysStayOthersTurnGreyMaskKept) {
    // The kept greys, 0x909090 and colours, on a 16 x 16 icon.
    std::vector<Colour> colours(256, Rgb(200, 30, 90));
    const Colour samples[] = {0x000000,       0x101010,       0x808080,      0x909090,
                              0xA0A0A0,       0xF0F0F0,       0xFFFFFF,      Rgb(255, 0, 0),
                              Rgb(0, 255, 0), Rgb(0, 0, 255), Rgb(0, 50, 0), 0x7F7F7F};
    for (std::size_t i = 0; i < std::size(samples); ++i) {
        colours[i] = samples[i];
    }
    const int transparent = 20;
    for (const bool withAlpha : {true, false}) {
        SCOPED_TRACE(withAlpha ? "alpha" : "mask");
        const win::UniqueIcon icon = MakeIcon(colours, 16, withAlpha, transparent);
        ASSERT_TRUE(icon);
        const auto screen = win::GetWindowDcOwned(nullptr);
        const win::UniqueOwnedDc dc(::CreateCompatibleDC(screen.get()));
        const win::UniqueBitmap surface(::CreateCompatibleBitmap(screen.get(), 40, 40));
        win::SelectGuard selected(dc.get(), surface.get());
        const RECT all{0, 0, 40, 40};
        const win::UniqueBrush background(::CreateSolidBrush(kHostColour));
        ::FillRect(dc.get(), &all, background.get());

        ASSERT_TRUE(StyledButtonWindow::PaintIconGrayscale(dc.get(), icon.get(), 10, 12, 16, 16));
        for (int i = 0; i < 256; ++i) {
            const COLORREF painted = ::GetPixel(dc.get(), 10 + i % 16, 12 + i / 16);
            if (i == transparent) {
                EXPECT_EQ(painted, kHostColour);
            } else {
                EXPECT_EQ(painted, GreyIconPixel(colours[static_cast<std::size_t>(i)])) << i;
            }
        }
        EXPECT_EQ(::GetPixel(dc.get(), 10 + 3, 12), Rgb(148, 148, 148));  // 0x909090
        EXPECT_EQ(::GetPixel(dc.get(), 9, 12), kHostColour);
        EXPECT_FALSE(PaintIconGrayscale(nullptr, icon.get(), 0, 0, 16, 16));
        EXPECT_FALSE(PaintIconGrayscale(dc.get(), nullptr, 0, 0, 16, 16));
    }
}

TEST_F(ShadesWindowTest, AboutWindowIsPaintedAndClosed) {
    button->About();
    Pump(300);
    const HWND about = button->AboutWindow();
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(::IsWindowVisible(about));
    {
        const Shot shot(about);
        EXPECT_EQ(shot.At(4, 0), AboutWindow::kBandTop);
        EXPECT_EQ(shot.At(4, AboutWindow::kBandHeight - 1), AboutWindow::kBandBottom);
        // The band darkens downwards, and the name is written in white on it.
        EXPECT_GT(GreenOf(shot.At(4, 10)), GreenOf(shot.At(4, 25)));
        int white = 0;
        for (int y = 0; y < AboutWindow::kBandHeight; ++y) {
            for (int x = 0; x < 200; ++x) {
                white += shot.At(x, y) == Rgb(255, 255, 255);
            }
        }
        EXPECT_GT(white, 20);
        // Below the band: the text colour somewhere in the version line.
        int text = 0;
        for (int y = AboutWindow::kBandHeight + 10; y < AboutWindow::kBandHeight + 28; ++y) {
            for (int x = 12; x < 150; ++x) {
                text += shot.At(x, y) == Colour{::GetSysColor(COLOR_BTNTEXT)};
            }
        }
        EXPECT_GT(text, 10);
    }
    // The frame's close box hides it too; About shows it again.
    ::SendMessageA(about, WM_CLOSE, 0, 0);
    Pump(100);
    EXPECT_FALSE(::IsWindowVisible(about));
    EXPECT_TRUE(::IsWindow(about));
    button->About();
    Pump(100);
    EXPECT_TRUE(::IsWindowVisible(about));
    EXPECT_EQ(button->AboutWindow(), about);

    const HWND close = ::FindWindowExA(about, nullptr, "StyledButton", "Close");
    ASSERT_NE(close, nullptr);
    RECT place{};
    ::GetWindowRect(close, &place);
    MoveTo(POINT{(place.left + place.right) / 2, (place.top + place.bottom) / 2});
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Pump(100);
    EXPECT_FALSE(::IsWindowVisible(about));
}

}  // namespace
}  // namespace murmurex
