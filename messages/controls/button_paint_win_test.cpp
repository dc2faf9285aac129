// Styles 0 to 6 on the platform: the 3D-edge model against the platform's own edge drawing,
// the GDI canvas against the pixel canvas for every painter, and real button windows in
// styles 0, 3 and 5 read back from the screen pixel by pixel.
#include <gtest/gtest.h>

#include <windows.h>

#include <uxtheme.h>

#include <memory>
#include <string>
#include <vector>

#include "button_paint_edges.h"
#include "button_paint_gradient.h"
#include "button_paint_theme_win.h"
#include "canvas_gdi_win.h"
#include "canvas_pixels.h"
#include "styled_button_win.h"
#include "win/ui_test_support_win.h"

namespace murmurex {
namespace {

constexpr Colour kSentinel = Rgb(255, 0, 255);
constexpr int kW = 100;
constexpr int kH = 30;

EdgeColours PlatformEdgeColours() {
    return EdgeColours{::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_3DLIGHT),
                       ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_3DDKSHADOW)};
}

// A 32-bit memory surface of width x height, filled with the sentinel.
class MemorySurface {
  public:
    MemorySurface(int width, int height) : width_(width), height_(height) {
        const auto screen = win::GetWindowDcOwned(nullptr);
        dc_.reset(::CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        selected_ = std::make_unique<win::SelectGuard>(dc_.get(), bitmap_.get());
        GdiCanvas(dc_.get()).Fill(0, 0, width, height, kSentinel);
    }
    HDC dc() const { return dc_.get(); }
    Colour At(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }
    bool ok() const { return dc_ && bitmap_; }

  private:
    int width_;
    int height_;
    win::UniqueOwnedDc dc_;
    win::UniqueBitmap bitmap_;
    std::unique_ptr<win::SelectGuard> selected_;
};

// The first pixel where the two differ, as text; empty when they agree everywhere.
std::string FirstDifference(const MemorySurface& gdi, const PixelCanvas& pixels) {
    for (int y = 0; y < pixels.Height(); ++y) {
        for (int x = 0; x < pixels.Width(); ++x) {
            if (gdi.At(x, y) != pixels.At(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "(%d,%d): platform %06lX, model %06lX", x, y,
                              static_cast<unsigned long>(gdi.At(x, y)),
                              static_cast<unsigned long>(pixels.At(x, y)));
                return text;
            }
        }
    }
    return {};
}

TEST(EdgeModel, DrawsWhatThePlatformsEdgeDrawingDraws) {
    for (EdgeKind kind : {EdgeKind::Raised, EdgeKind::Sunken, EdgeKind::RaisedInner,
                          EdgeKind::SunkenOuter, EdgeKind::RaisedOuter, EdgeKind::SunkenInner}) {
        for (const auto& [w, h] :
             {std::pair{100, 30}, std::pair{10, 6}, std::pair{3, 3}, std::pair{2, 40}}) {
            MemorySurface gdi(w + 4, h + 4);
            ASSERT_TRUE(gdi.ok());
            GdiCanvas(gdi.dc()).Edge({2, 2, 2 + w, 2 + h}, kind);
            PixelCanvas model(w + 4, h + 4, kSentinel);
            model.SetEdgeColours(PlatformEdgeColours());
            model.Edge({2, 2, 2 + w, 2 + h}, kind);
            EXPECT_EQ(FirstDifference(gdi, model), "")
                << "edge " << static_cast<unsigned>(kind) << " on " << w << "x" << h;
        }
    }
}

ButtonPaintInput PlatformInput(int state, bool custom, int w = kW, int h = kH) {
    const SystemColours system = CurrentSystemColours();
    ButtonPaintInput in;
    in.width = w;
    in.height = h;
    in.state = state;
    in.useCustomColors = custom;
    in.backColor = Rgb(10, 200, 30);
    in.highlightColor = Rgb(200, 40, 90);
    in.buttonFace = system.buttonFace;
    in.highlight = system.highlight;
    in.buttonShadow = system.buttonShadow;
    in.window = system.window;
    return in;
}

void PaintStyle(Canvas& canvas, int style, const ButtonPaintInput& in) {
    if (style == 5) {
        PaintStyle5(canvas, in);
    } else {
        PaintEdgeStyle(canvas, style, in);
    }
}

TEST(GdiCanvas, EveryPainterDrawsTheSamePixelsAsOnThePixelCanvas) {
    for (int style = 0; style <= 5; ++style) {
        for (int state = 1; state <= 4; ++state) {
            for (bool custom : {false, true}) {
                for (const auto& [w, h] : {std::pair{kW, kH}, std::pair{300, 80}}) {
                    ButtonPaintInput in = PlatformInput(state, custom, w, h);
                    in.focused = state == 1;
                    in.showFocus = true;
                    MemorySurface gdi(w, h);
                    ASSERT_TRUE(gdi.ok());
                    GdiCanvas canvas(gdi.dc());
                    PaintStyle(canvas, style, in);
                    PixelCanvas model(w, h, kSentinel);
                    model.SetEdgeColours(PlatformEdgeColours());
                    PaintStyle(model, style, in);
                    EXPECT_EQ(FirstDifference(gdi, model), "")
                        << "style " << style << " state " << state << " custom " << custom << " "
                        << w << "x" << h;
                }
            }
        }
    }
}

// ---- real button windows ------------------------------------------------------------------

LONG g_defaultId = 0;  // what the test host answers to DM_GETDEFID; 0 for none

LRESULT CALLBACK HostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == DM_GETDEFID) {
        return g_defaultId != 0 ? MAKELRESULT(g_defaultId, DC_HASDEFID) : 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

Colour FromCapture(std::uint32_t pixel) {
    return Rgb(static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
               static_cast<int>(pixel & 0xFF));
}

class PaintedWindowTest : public ::testing::Test {
  protected:
    static constexpr int kId = 7;

    void SetUp() override {
        g_defaultId = 0;
        win::test::RegisterWindowClass("ButtonPaintTestHost", HostProcedure,
                                       reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        host.reset(::CreateWindowExA(WS_EX_CONTROLPARENT, "ButtonPaintTestHost", "host",
                                     WS_POPUP | WS_VISIBLE, 100, 100, 400, 200, nullptr, nullptr,
                                     ::GetModuleHandleA(nullptr), nullptr));
        ASSERT_TRUE(host);
        button = StyledButtonWindow::Create(host.get(), kId, {20, 20, 20 + kW, 20 + kH}, "");
        ASSERT_TRUE(button);
        button->Button().SetCaption("");  // the pixel canvas draws no text
        ::SetForegroundWindow(host.get());
        Away();
    }

    void Pump(DWORD milliseconds) { win::test::PumpMessages(milliseconds); }
    void Away() {
        win::test::SendMouseInput(MOUSEEVENTF_MOVE, {700, 700});
        Pump(250);
    }
    void Over() {
        POINT centre{50, 15};
        ::ClientToScreen(button->hWnd(), &centre);
        win::test::SendMouseInput(MOUSEEVENTF_MOVE, centre);
        Pump(250);
    }
    void Mouse(DWORD flags) {
        win::test::SendMouseInput(flags);
        Pump(200);
    }

    // The button's pixels on the screen, client coordinates.
    PixelCanvas Screen() {
        Pump(100);
        const win::test::ScreenCapture capture = win::test::CaptureScreen();
        PixelCanvas shown(kW, kH, kSentinel);
        if (!capture.ok()) {
            return shown;
        }
        POINT origin{0, 0};
        ::ClientToScreen(button->hWnd(), &origin);
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                shown.Pixel(x, y, FromCapture(capture.At(origin.x + x, origin.y + y)));
            }
        }
        return shown;
    }

    // Every pixel inside the window region agrees with the painter's picture of the state.
    void ExpectScreenShows(int style, int state, bool focused, const PixelCanvas& shown) {
        ButtonPaintInput in = PlatformInput(state, button->Button().Properties().useCustomColors);
        in.focused = focused;
        in.displayAsDefault = g_defaultId == kId;
        PixelCanvas model(kW, kH, kSentinel);
        model.SetEdgeColours(PlatformEdgeColours());
        PaintStyle(model, style, in);
        win::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
        const bool shaped = ::GetWindowRgn(button->hWnd(), region.get()) != ERROR;
        int compared = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                if (shaped && !::PtInRegion(region.get(), x, y)) {
                    continue;
                }
                ++compared;
                ASSERT_EQ(shown.At(x, y), model.At(x, y))
                    << "style " << style << " state " << state << " at " << x << "," << y;
            }
        }
        EXPECT_GT(compared, kW * kH - 20);
    }

    win::UniqueWindow host;
    std::unique_ptr<StyledButtonWindow> button;
};

TEST_F(PaintedWindowTest, Style0InEachStateWithItsEdgesAndTheDefaultFrame) {
    StyledButton& b = button->Button();
    b.SetStyle(0);
    const EdgeColours edges = PlatformEdgeColours();
    PixelCanvas normal = Screen();
    ExpectScreenShows(0, 1, false, normal);
    EXPECT_EQ(normal.At(0, 0), edges.light);
    EXPECT_EQ(normal.At(kW - 1, kH - 1), edges.darkShadow);
    EXPECT_EQ(normal.At(1, 1), edges.highlight);
    EXPECT_EQ(normal.At(50, 15), ::GetSysColor(COLOR_BTNFACE));

    Over();
    ExpectScreenShows(0, 2, false, Screen());
    Mouse(MOUSEEVENTF_LEFTDOWN);
    const PixelCanvas pressed = Screen();
    ExpectScreenShows(0, 3, true, pressed);
    EXPECT_EQ(pressed.At(0, 0), edges.shadow);
    EXPECT_EQ(pressed.At(1, 1), edges.darkShadow);
    Mouse(MOUSEEVENTF_LEFTUP);
    Away();
    ::SetFocus(host.get());
    Pump(100);

    // The host names the button its default (DM_GETDEFID): a black frame while unfocused.
    g_defaultId = kId;
    ::SendMessageA(button->hWnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    const PixelCanvas framed = Screen();
    ExpectScreenShows(0, 1, false, framed);
    EXPECT_EQ(framed.At(0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(framed.At(kW - 1, kH - 1), Rgb(0, 0, 0));
    g_defaultId = kId + 1;  // another button is the default now
    ::SendMessageA(button->hWnd(), BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(Screen().At(0, 0), edges.light);

    b.SetEnabled(false);
    ExpectScreenShows(0, 4, false, Screen());
}

TEST_F(PaintedWindowTest, Style3EtchedFrameCornersInEachState) {
    StyledButton& b = button->Button();
    b.SetStyle(3);
    const SystemColours system = CurrentSystemColours();
    const Colour between = Blend(system.window, system.buttonShadow);
    const auto expectCorners = [&](const PixelCanvas& shown, Colour fill) {
        EXPECT_EQ(shown.At(0, 0), system.buttonShadow);
        EXPECT_EQ(shown.At(kW - 1, kH - 1), system.window);
        EXPECT_EQ(shown.At(0, kH - 1), fill);
        EXPECT_EQ(shown.At(kW - 1, 0), fill);
        EXPECT_EQ(shown.At(1, kH - 2), between);
        EXPECT_EQ(shown.At(kW - 2, 1), between);
        EXPECT_EQ(shown.At(50, 15), fill);
    };
    const PixelCanvas normal = Screen();
    ExpectScreenShows(3, 1, false, normal);
    expectCorners(normal, system.buttonFace);
    Over();
    const PixelCanvas hot = Screen();
    ExpectScreenShows(3, 2, false, hot);
    expectCorners(hot, Blend(system.buttonShadow, system.buttonFace));
    Mouse(MOUSEEVENTF_LEFTDOWN);
    const PixelCanvas pressed = Screen();
    ExpectScreenShows(3, 3, true, pressed);
    expectCorners(pressed, system.buttonShadow);
    Mouse(MOUSEEVENTF_LEFTUP);
    Away();
    // Custom colours while disabled: BackColor inside the frame.
    b.SetBackColor(Rgb(10, 200, 30));
    b.SetHighlightColor(Rgb(200, 40, 90));
    b.SetUseCustomColors(true);
    b.SetEnabled(false);
    const PixelCanvas disabled = Screen();
    ExpectScreenShows(3, 4, false, disabled);
    expectCorners(disabled, Rgb(10, 200, 30));
}

TEST_F(PaintedWindowTest, Style5BorderCornersAndInnerFramesInItsPolygon) {
    StyledButton& b = button->Button();
    b.SetStyle(5);
    win::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(::GetWindowRgn(button->hWnd(), region.get()), COMPLEXREGION);
    EXPECT_FALSE(::PtInRegion(region.get(), 0, 0));
    EXPECT_FALSE(::PtInRegion(region.get(), 0, kH - 1));  // the bottom corners are cut deeper
    EXPECT_TRUE(::PtInRegion(region.get(), 1, 1));
    EXPECT_TRUE(::PtInRegion(region.get(), kW - 1, 15));

    const PixelCanvas normal = Screen();
    ExpectScreenShows(5, 1, false, normal);
    EXPECT_EQ(normal.At(50, 0), Rgb(0, 60, 116));
    EXPECT_EQ(normal.At(1, 1), Rgb(72, 110, 144));
    EXPECT_EQ(normal.At(kW - 2, 1), Rgb(72, 110, 144));
    EXPECT_EQ(normal.At(1, 0), Rgb(106, 139, 162));
    EXPECT_EQ(normal.At(2, 1), Rgb(191, 199, 202));
    EXPECT_EQ(normal.At(50, 1), Rgb(252, 251, 251));
    // Outside the region the host shows through.
    EXPECT_EQ(normal.At(0, kH - 1), ::GetSysColor(COLOR_BTNFACE));

    Over();
    const PixelCanvas hot = Screen();
    ExpectScreenShows(5, 2, false, hot);
    EXPECT_EQ(hot.At(50, 1), Rgb(255, 240, 207));
    EXPECT_EQ(hot.At(50, kH - 2), Rgb(229, 151, 16));
    Mouse(MOUSEEVENTF_LEFTDOWN);
    const PixelCanvas pressed = Screen();
    ExpectScreenShows(5, 3, true, pressed);
    EXPECT_EQ(pressed.At(50, 1), Rgb(209, 204, 193));
    Mouse(MOUSEEVENTF_LEFTUP);
    Away();
    // Focused at rest: the blue inner frame.
    ASSERT_EQ(::GetFocus(), button->hWnd());
    const PixelCanvas focused = Screen();
    ExpectScreenShows(5, 1, true, focused);
    EXPECT_EQ(focused.At(50, 1), Rgb(206, 231, 255));

    b.SetEnabled(false);
    const PixelCanvas disabled = Screen();
    ExpectScreenShows(5, 4, false, disabled);
    EXPECT_EQ(disabled.At(50, 15), Rgb(245, 244, 234));
    EXPECT_EQ(disabled.At(50, 0), Rgb(201, 199, 186));
}

TEST_F(PaintedWindowTest, Style6DrawsTheVisualStyleAndTakesItsRegion) {
    StyledButton& b = button->Button();
    b.SetNonThemeStyle(5);
    if (OpenButtonTheme(button->hWnd()) == nullptr) {
        GTEST_SKIP() << "this system has no visual style for buttons";
    }
    b.SetStyle(6);
    Pump(100);
    EXPECT_EQ(b.Properties().style, 6);
    const PixelCanvas shown = Screen();
    bool drawn = false;
    for (int x = 0; x < kW && !drawn; ++x) {
        drawn = shown.At(x, kH / 2) != ::GetSysColor(COLOR_BTNFACE);
    }
    EXPECT_TRUE(drawn);
    // The theme's region of the grown client becomes the window's shape, set once: the paint
    // that sets it asks for no further paint.
    b.SetRoundedBordersByTheme(true);
    b.Refresh();
    Pump(300);
    win::UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(button->hWnd(), region.get()), ERROR);
    RECT box{};
    ::GetRgnBox(region.get(), &box);
    EXPECT_GE(box.right, kW - 2);
    EXPECT_LE(box.right, kW + 1);
    EXPECT_GE(box.bottom, kH - 2);
    EXPECT_LE(box.bottom, kH + 1);
    EXPECT_FALSE(::GetUpdateRect(button->hWnd(), nullptr, FALSE));
    EXPECT_EQ(b.Properties().style, 6);
}

TEST_F(PaintedWindowTest, Style6WithoutAVisualStyleShowsTheFaceOnceThenItsNonThemeStyle) {
    StyledButton& b = button->Button();
    b.SetNonThemeStyle(5);
    // Visual styles off for this window, as on a system without them.
    ::SetWindowTheme(button->hWnd(), L" ", L" ");
    ASSERT_EQ(OpenButtonTheme(button->hWnd()), nullptr);
    b.SetStyle(6);
    const PixelCanvas first = Screen();
    EXPECT_EQ(b.Properties().style, 5);
    EXPECT_EQ(first.At(0, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(first.At(50, 0), ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(first.At(50, 15), ::GetSysColor(COLOR_BTNFACE));
    b.Refresh();
    const PixelCanvas later = Screen();
    EXPECT_EQ(later.At(50, 0), Rgb(0, 60, 116));
    EXPECT_EQ(later.At(1, 1), Rgb(72, 110, 144));
}

INT_PTR CALLBACK PlainDialogProcedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;  // the dialog manager's own handling for everything
}

TEST(DisplayAsDefault, ARealDialogsDefaultIdFramesTheStyle0Button) {
    // An empty dialog template: style, extended style, no items, place, no menu, class, title.
    alignas(DWORD) WORD dialogTemplate[16] = {};
    auto* header = reinterpret_cast<DLGTEMPLATE*>(dialogTemplate);
    header->style = WS_POPUP | WS_VISIBLE;
    header->x = 10;
    header->y = 10;
    header->cx = 200;
    header->cy = 80;
    win::UniqueWindow dialog(::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), header,
                                                          nullptr, PlainDialogProcedure, 0));
    ASSERT_TRUE(dialog);
    auto button = StyledButtonWindow::Create(dialog.get(), 7, {10, 10, 110, 40}, "");
    ASSERT_TRUE(button);
    button->Button().SetCaption("");
    button->Button().SetStyle(0);
    const auto cornerShown = [&] {
        button->Button().Refresh();
        win::test::PumpMessages(100);
        POINT corner{0, 0};
        ::ClientToScreen(button->hWnd(), &corner);
        const win::test::ScreenCapture capture = win::test::CaptureScreen();
        return FromCapture(capture.At(corner.x, corner.y));
    };
    ::SendMessageA(dialog.get(), DM_SETDEFID, 7, 0);
    ASSERT_EQ(::SendMessageA(dialog.get(), DM_GETDEFID, 0, 0), MAKELRESULT(7, DC_HASDEFID));
    EXPECT_EQ(cornerShown(), Rgb(0, 0, 0));
    ::SendMessageA(dialog.get(), DM_SETDEFID, 8, 0);
    EXPECT_EQ(cornerShown(), ::GetSysColor(COLOR_3DLIGHT));
    button.reset();
}

TEST(ButtonTheme, OpensOnlyWhereTheSystemHasAVisualStyleForButtons) {
    win::test::RegisterWindowClass("ButtonThemeTestWindow");
    win::UniqueWindow window(::CreateWindowExA(0, "ButtonThemeTestWindow", "", WS_POPUP, 0, 0, 50,
                                               20, nullptr, nullptr, ::GetModuleHandleA(nullptr),
                                               nullptr));
    ASSERT_TRUE(window);
    const HTHEME raw = ::OpenThemeData(window.get(), L"Button");
    const bool available = raw != nullptr;
    if (raw != nullptr) {
        ::CloseThemeData(raw);
    }
    std::unique_ptr<ButtonTheme> theme = OpenButtonTheme(window.get());
    EXPECT_EQ(theme != nullptr, available);
    if (theme) {
        // Only through the GDI canvas: anything else is refused rather than misdrawn.
        PixelCanvas pixels(50, 20, kSentinel);
        EXPECT_FALSE(theme->DrawBackground(pixels, kThemePushButtonPart, 1, {0, 0, 50, 20}));
        MemorySurface surface(50, 20);
        GdiCanvas gdi(surface.dc());
        EXPECT_TRUE(theme->DrawBackground(gdi, kThemePushButtonPart, 1, {0, 0, 50, 20}));
    }
}

}  // namespace
}  // namespace murmurex
