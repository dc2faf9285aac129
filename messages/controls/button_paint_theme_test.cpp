// Style 6 through a stand-in visual style, its fallback when there is none, and what the
// button hands its painters: the host's default-button flag and the surface colour.
#include "button_paint_theme.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "canvas_pixels.h"
#include "null_button_view.h"
#include "styled_button.h"

namespace murmurex {
namespace {

constexpr Colour kSentinel = Rgb(255, 0, 255);
constexpr Colour kThemeColour = Rgb(12, 34, 56);

struct ThemeLog {
    int opened = 0;
    int closed = 0;
    std::vector<PixelRect> regions;
    std::vector<int> regionStates;
    std::vector<PixelRect> draws;
    std::vector<int> drawStates;
    std::vector<int> parts;
    bool drawSucceeds = true;
};

// Records the calls and fills the drawn rectangle with one colour, as a themed face would.
class FakeTheme final : public ButtonTheme {
  public:
    explicit FakeTheme(ThemeLog& log) : log_(log) { ++log_.opened; }
    ~FakeTheme() override { ++log_.closed; }
    void ApplyBackgroundRegion(int part, int state, const PixelRect& rect) override {
        log_.parts.push_back(part);
        log_.regionStates.push_back(state);
        log_.regions.push_back(rect);
    }
    bool DrawBackground(Canvas& canvas, int part, int state, const PixelRect& rect) override {
        log_.parts.push_back(part);
        log_.drawStates.push_back(state);
        log_.draws.push_back(rect);
        if (log_.drawSucceeds) {
            canvas.Fill(rect.left + 1, rect.top + 1, rect.right - rect.left - 2,
                        rect.bottom - rect.top - 2, kThemeColour);
        }
        return log_.drawSucceeds;
    }

  private:
    ThemeLog& log_;
};

ButtonPaintInput Input(int state, bool focused) {
    ButtonPaintInput in;
    in.width = 100;
    in.height = 30;
    in.state = state;
    in.focused = focused;
    in.buttonFace = Rgb(236, 233, 216);
    return in;
}

TEST(ThemeStyle, PartStateIsDefaultedWhenFocusedAtRest) {
    EXPECT_EQ(ThemePartState(1, true), 5);
    EXPECT_EQ(ThemePartState(1, false), 1);
    for (int state : {2, 3, 4}) {
        EXPECT_EQ(ThemePartState(state, true), state);
        EXPECT_EQ(ThemePartState(state, false), state);
    }
}

TEST(ThemeStyle, DrawsThePushButtonPartAndAsksForTheGrownRegion) {
    ThemeLog log;
    {
        FakeTheme theme(log);
        PixelCanvas canvas(100, 30, kSentinel);
        EXPECT_EQ(PaintThemeStyle(canvas, &theme, Input(1, true), true), ThemedPaint::Drawn);
        EXPECT_EQ(canvas.At(0, 0), Rgb(236, 233, 216));  // the face around the themed body
        EXPECT_EQ(canvas.At(50, 15), kThemeColour);
    }
    EXPECT_EQ(log.regions, (std::vector<PixelRect>{{-1, -1, 101, 31}}));
    EXPECT_EQ(log.regionStates, (std::vector<int>{5}));
    EXPECT_EQ(log.draws, (std::vector<PixelRect>{{0, 0, 100, 30}}));
    EXPECT_EQ(log.drawStates, (std::vector<int>{5}));
    EXPECT_EQ(log.parts, (std::vector<int>{1, 1}));
}

TEST(ThemeStyle, NoRegionWithoutRoundedBordersAndAFailedDrawIsReported) {
    ThemeLog log;
    log.drawSucceeds = false;
    FakeTheme theme(log);
    PixelCanvas canvas(100, 30, kSentinel);
    EXPECT_EQ(PaintThemeStyle(canvas, &theme, Input(3, true), false), ThemedPaint::Failed);
    EXPECT_TRUE(log.regions.empty());
    EXPECT_EQ(log.drawStates, (std::vector<int>{3}));
}

TEST(ThemeStyle, WithoutAThemeOnlyTheFace) {
    PixelCanvas canvas(100, 30, kSentinel);
    EXPECT_EQ(PaintThemeStyle(canvas, nullptr, Input(2, false), true), ThemedPaint::NoTheme);
    EXPECT_EQ(canvas.At(0, 0), Rgb(236, 233, 216));
    EXPECT_EQ(canvas.At(99, 29), Rgb(236, 233, 216));
}

// The window side of a button, with a visual style that can be switched off and a host that
// can name the button its default.
class PaintView : public NullButtonView {
  public:
    ThemeLog log;
    bool themed = true;
    bool isDefault = false;

    bool DisplayAsDefault() const override { return isDefault; }
    std::unique_ptr<ButtonTheme> OpenTheme() override {
        if (!themed) {
            return nullptr;
        }
        return std::make_unique<FakeTheme>(log);
    }
};

SystemColours Colours() {
    SystemColours colours;
    colours.buttonFace = Rgb(236, 233, 216);
    colours.highlight = Rgb(49, 106, 197);
    colours.buttonShadow = Rgb(172, 168, 153);
    colours.window = Rgb(255, 255, 254);
    colours.grayText = Rgb(172, 168, 153);
    return colours;
}

class PaintedButton : public ::testing::Test {
  protected:
    void SetUp() override {
        button.InitProperties("cmdTest");
        button.Shown();
    }
    PixelCanvas Paint() {
        PixelCanvas canvas(100, 30, kSentinel);
        button.Paint(canvas, 100, 30);
        return canvas;
    }

    PaintView view;
    StyledButton button{view, Colours()};
};

TEST_F(PaintedButton, Style6WithoutVisualStylesShowsTheFaceOnceThenItsNonThemeStyleForGood) {
    view.themed = false;
    button.SetStyle(6);
    button.SetNonThemeStyle(3);
    button.SetCaption("Go");
    const PixelCanvas first = Paint();
    EXPECT_EQ(first.At(0, 0), Rgb(236, 233, 216));
    EXPECT_EQ(first.At(99, 0), Rgb(236, 233, 216));
    EXPECT_EQ(first.At(50, 15), Rgb(236, 233, 216));
    ASSERT_EQ(first.Texts().size(), 1u);  // the caption still shows
    EXPECT_EQ(first.Texts()[0].text, "Go");
    EXPECT_EQ(button.Properties().style, 3);

    // Later paints are style 3, even once visual styles come back.
    view.themed = true;
    const PixelCanvas second = Paint();
    EXPECT_EQ(second.At(0, 0), Rgb(172, 168, 153));  // the etched frame's dark outline
    EXPECT_EQ(second.At(1, 1), Rgb(255, 255, 254));
    EXPECT_EQ(view.log.opened, 0);
}

TEST_F(PaintedButton, Style6WithVisualStylesStaysThemedAndClosesTheDataEachPaint) {
    button.SetStyle(6);
    button.SetNonThemeStyle(3);
    button.SetRoundedBordersByTheme(true);
    button.FocusChanged(true);
    const PixelCanvas first = Paint();
    EXPECT_EQ(first.At(50, 15), kThemeColour);
    button.FocusChanged(false);
    button.PointerMoved();  // hot
    Paint();
    EXPECT_EQ(button.Properties().style, 6);
    EXPECT_EQ(view.log.opened, 2);
    EXPECT_EQ(view.log.closed, 2);
    EXPECT_EQ(view.log.drawStates, (std::vector<int>{5, 2}));
    EXPECT_EQ(view.log.regions.size(), 2u);
    EXPECT_EQ(button.SurfaceColour(), Rgb(236, 233, 216));
}

TEST_F(PaintedButton, DisabledThemedButtonUsesTheDisabledPartState) {
    button.SetStyle(6);
    button.SetEnabled(false);
    Paint();
    EXPECT_EQ(view.log.drawStates, (std::vector<int>{4}));
    EXPECT_TRUE(view.log.regions.empty());  // RoundedBordersByTheme is off on a new control
}

TEST_F(PaintedButton, TheHostsDefaultButtonGetsTheBlackFrameInStyle0AndTheBlueFrameInStyle5) {
    button.SetStyle(0);
    EXPECT_NE(Paint().At(0, 0), Rgb(0, 0, 0));
    view.isDefault = true;
    EXPECT_EQ(Paint().At(0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(Paint().At(99, 29), Rgb(0, 0, 0));
    button.FocusChanged(true);  // a focused button shows the frame only with ShowFocus
    EXPECT_NE(Paint().At(0, 0), Rgb(0, 0, 0));

    button.FocusChanged(false);
    button.SetStyle(5);
    EXPECT_EQ(Paint().At(50, 1), Rgb(206, 231, 255));
    view.isDefault = false;
    EXPECT_EQ(Paint().At(50, 1), Rgb(252, 251, 251));
}

TEST_F(PaintedButton, EdgeStylesMakeTheirFillTheBackgroundTheNextPaintClearsWith) {
    button.SetStyle(4);
    button.PointerMoved();  // hot: Lighten(highlight, 176)
    Paint();
    EXPECT_EQ(button.SurfaceColour(), Rgb(191, 208, 237));
    button.SetStyle(3);
    button.MouseDown(1);  // pressed: the button shadow
    Paint();
    EXPECT_EQ(button.SurfaceColour(), Rgb(172, 168, 153));
    // Style 5 leaves the background as it was.
    button.SetStyle(5);
    Paint();
    EXPECT_EQ(button.SurfaceColour(), Rgb(172, 168, 153));
}

TEST_F(PaintedButton, EachStyleReachesItsOwnPainter) {
    // The pixel (50, 0) tells them apart: edge, flat fill, etched frame, light fill, border.
    const std::vector<Colour> expected{
        Rgb(227, 227, 227),  // 0: the raised edge's outer light (the canvas's usual colours)
        Rgb(255, 255, 255),  // 1: the thin raised edge's highlight
        Rgb(236, 233, 216),  // 2: flat, in the fill
        Rgb(172, 168, 153),  // 3: the etched frame's dark outline
        Rgb(238, 235, 220),  // 4: Lighten(face, 32)
        Rgb(0, 60, 116),     // 5: the dark-blue border
    };
    for (int style = 0; style <= 5; ++style) {
        button.SetStyle(style);
        EXPECT_EQ(Paint().At(50, 0), expected[static_cast<std::size_t>(style)]) << style;
        EXPECT_EQ(button.TextMargin(), 3) << style;
    }
}

}  // namespace
}  // namespace murmurex
