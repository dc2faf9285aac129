#include "button_paint_edges.h"

#include <gtest/gtest.h>

#include "canvas_pixels.h"

namespace murmurex {
namespace {

constexpr int kW = 100;
constexpr int kH = 30;
constexpr Colour kSentinel = Rgb(255, 0, 255);
constexpr Colour kBlack = Rgb(0, 0, 0);

// Every colour distinct, so a pixel tells which one was used.
constexpr Colour kFace = Rgb(236, 233, 216);
constexpr Colour kHighlight = Rgb(49, 106, 197);
constexpr Colour kShadow = Rgb(172, 168, 153);
constexpr Colour kWindow = Rgb(255, 255, 254);
constexpr Colour kBack = Rgb(10, 200, 30);
constexpr Colour kCustomHighlight = Rgb(200, 40, 90);

constexpr EdgeColours kEdges{Rgb(250, 250, 250), Rgb(230, 230, 230), Rgb(150, 150, 150),
                             Rgb(60, 60, 60)};

ButtonPaintInput Input(int state, bool custom = false) {
    ButtonPaintInput in;
    in.width = kW;
    in.height = kH;
    in.state = state;
    in.useCustomColors = custom;
    in.backColor = kBack;
    in.highlightColor = kCustomHighlight;
    in.buttonFace = kFace;
    in.highlight = kHighlight;
    in.buttonShadow = kShadow;
    in.window = kWindow;
    return in;
}

struct Painted {
    PixelCanvas canvas{kW, kH, kSentinel};
    Colour fill = 0;
};

Painted Paint(int style, const ButtonPaintInput& in) {
    Painted result;
    result.canvas.SetEdgeColours(kEdges);
    result.fill = PaintEdgeStyle(result.canvas, style, in);
    return result;
}

void ExpectRaisedFull(const PixelCanvas& c) {
    EXPECT_EQ(c.At(0, 0), kEdges.light);
    EXPECT_EQ(c.At(50, 0), kEdges.light);
    EXPECT_EQ(c.At(0, 15), kEdges.light);
    EXPECT_EQ(c.At(kW - 1, 15), kEdges.darkShadow);
    EXPECT_EQ(c.At(50, kH - 1), kEdges.darkShadow);
    EXPECT_EQ(c.At(kW - 1, kH - 1), kEdges.darkShadow);
    EXPECT_EQ(c.At(1, 1), kEdges.highlight);
    EXPECT_EQ(c.At(50, 1), kEdges.highlight);
    EXPECT_EQ(c.At(kW - 2, 15), kEdges.shadow);
    EXPECT_EQ(c.At(50, kH - 2), kEdges.shadow);
}

void ExpectSunkenFull(const PixelCanvas& c) {
    EXPECT_EQ(c.At(0, 0), kEdges.shadow);
    EXPECT_EQ(c.At(50, 0), kEdges.shadow);
    EXPECT_EQ(c.At(kW - 1, kH - 1), kEdges.highlight);
    EXPECT_EQ(c.At(50, kH - 1), kEdges.highlight);
    EXPECT_EQ(c.At(1, 1), kEdges.darkShadow);
    EXPECT_EQ(c.At(kW - 2, 15), kEdges.light);
}

TEST(EdgeModel, FarCornersBelongToTheDarkSideOfEachRing) {
    PixelCanvas c(10, 6, kSentinel);
    c.SetEdgeColours(kEdges);
    c.Edge({0, 0, 10, 6}, EdgeKind::Raised);
    EXPECT_EQ(c.At(8, 0), kEdges.light);
    EXPECT_EQ(c.At(9, 0), kEdges.darkShadow);
    EXPECT_EQ(c.At(0, 4), kEdges.light);
    EXPECT_EQ(c.At(0, 5), kEdges.darkShadow);
    EXPECT_EQ(c.At(7, 1), kEdges.highlight);
    EXPECT_EQ(c.At(8, 1), kEdges.shadow);
    EXPECT_EQ(c.At(1, 4), kEdges.shadow);
    // Inside both rings nothing is drawn.
    EXPECT_EQ(c.At(2, 2), kSentinel);
    EXPECT_EQ(c.At(7, 3), kSentinel);
    EXPECT_EQ(c.At(10, 0), kSentinel);  // right is exclusive
}

TEST(EdgeModel, AThinEdgeIsOneRingAtTheRectangle) {
    PixelCanvas c(10, 6, kSentinel);
    c.SetEdgeColours(kEdges);
    c.Edge({0, 0, 10, 6}, EdgeKind::RaisedInner);
    EXPECT_EQ(c.At(0, 0), kEdges.highlight);
    EXPECT_EQ(c.At(9, 5), kEdges.shadow);
    EXPECT_EQ(c.At(1, 1), kSentinel);
    c.Edge({0, 0, 10, 6}, EdgeKind::SunkenOuter);
    EXPECT_EQ(c.At(0, 0), kEdges.shadow);
    EXPECT_EQ(c.At(9, 5), kEdges.highlight);
    EXPECT_EQ(c.At(1, 1), kSentinel);
}

TEST(Style0, RaisedAtRestSunkenWhenPressedFilledWithBaseOrAccent) {
    for (int state : {1, 2, 4}) {
        const Painted p = Paint(0, Input(state));
        SCOPED_TRACE(state);
        ExpectRaisedFull(p.canvas);
        EXPECT_EQ(p.canvas.At(50, 15), kFace);
        EXPECT_EQ(p.fill, kFace);
    }
    const Painted pressed = Paint(0, Input(3));
    ExpectSunkenFull(pressed.canvas);
    EXPECT_EQ(pressed.canvas.At(50, 15), kFace);

    // Custom colours: BackColor at rest, HighlightColor in every other state.
    EXPECT_EQ(Paint(0, Input(1, true)).canvas.At(50, 15), kBack);
    for (int state : {2, 3, 4}) {
        const Painted p = Paint(0, Input(state, true));
        EXPECT_EQ(p.canvas.At(50, 15), kCustomHighlight) << state;
        EXPECT_EQ(p.fill, kCustomHighlight) << state;
    }
}

TEST(Style0, BlackFrameForShownFocusOrForTheDefaultButtonWithoutFocus) {
    const auto framed = [](bool showFocus, bool focused, bool isDefault) {
        ButtonPaintInput in = Input(1);
        in.showFocus = showFocus;
        in.focused = focused;
        in.displayAsDefault = isDefault;
        const Painted p = Paint(0, in);
        const bool all = p.canvas.At(0, 0) == kBlack && p.canvas.At(kW - 1, 0) == kBlack &&
                         p.canvas.At(0, kH - 1) == kBlack &&
                         p.canvas.At(kW - 1, kH - 1) == kBlack && p.canvas.At(50, 0) == kBlack &&
                         p.canvas.At(0, 15) == kBlack;
        // The frame is one pixel: the inner ring of the edge still shows.
        EXPECT_EQ(p.canvas.At(1, 1), kEdges.highlight);
        return all;
    };
    EXPECT_TRUE(framed(true, true, false));
    EXPECT_TRUE(framed(false, false, true));
    EXPECT_TRUE(framed(true, false, true));
    EXPECT_FALSE(framed(false, false, false));
    EXPECT_FALSE(framed(true, false, false));  // focus shown only while focused
    EXPECT_FALSE(framed(false, true, true));   // the focused button is framed by ShowFocus
    EXPECT_FALSE(framed(false, true, false));
}

TEST(Style1, ThinRaisedAtRestAndHotThinSunkenWhenPressedNoneWhenDisabled) {
    for (int state : {1, 2}) {
        const Painted p = Paint(1, Input(state));
        EXPECT_EQ(p.canvas.At(0, 0), kEdges.highlight) << state;
        EXPECT_EQ(p.canvas.At(kW - 1, kH - 1), kEdges.shadow) << state;
        EXPECT_EQ(p.canvas.At(1, 1), kFace) << state;  // one ring only
    }
    const Painted pressed = Paint(1, Input(3));
    EXPECT_EQ(pressed.canvas.At(0, 0), kEdges.shadow);
    EXPECT_EQ(pressed.canvas.At(kW - 1, kH - 1), kEdges.highlight);
    const Painted disabled = Paint(1, Input(4, true));
    EXPECT_EQ(disabled.canvas.At(0, 0), kBack);
    EXPECT_EQ(disabled.canvas.At(kW - 1, kH - 1), kBack);
    EXPECT_EQ(disabled.canvas.At(50, 15), kBack);
    EXPECT_EQ(disabled.fill, kBack);
    // Hot and pressed fill with the accent.
    EXPECT_EQ(Paint(1, Input(2, true)).canvas.At(50, 15), kCustomHighlight);
    EXPECT_EQ(Paint(1, Input(3, true)).canvas.At(50, 15), kCustomHighlight);
    EXPECT_EQ(Paint(1, Input(1, true)).canvas.At(50, 15), kBack);
}

TEST(Style2, FlatAtRestRaisedWhenHotSunkenWhenPressed) {
    const Painted rest = Paint(2, Input(1, true));
    EXPECT_EQ(rest.canvas.At(0, 0), kBack);
    EXPECT_EQ(rest.canvas.At(kW - 1, kH - 1), kBack);
    EXPECT_EQ(rest.canvas.At(kW - 1, 0), kBack);
    const Painted hot = Paint(2, Input(2, true));
    EXPECT_EQ(hot.canvas.At(0, 0), kEdges.highlight);
    EXPECT_EQ(hot.canvas.At(kW - 1, kH - 1), kEdges.shadow);
    EXPECT_EQ(hot.canvas.At(50, 15), kCustomHighlight);
    const Painted pressed = Paint(2, Input(3, true));
    EXPECT_EQ(pressed.canvas.At(0, 0), kEdges.shadow);
    EXPECT_EQ(pressed.canvas.At(kW - 1, kH - 1), kEdges.highlight);
    const Painted disabled = Paint(2, Input(4));
    EXPECT_EQ(disabled.canvas.At(0, 0), kFace);
    EXPECT_EQ(disabled.canvas.At(kW - 1, kH - 1), kFace);
}

// The etched frame on 100 x 30: w = 99, h = 29; dark through (0,0)-(98,28), light through
// (1,1)-(99,29); the far corners (0,29) and (99,0) in the fill, the near ones in between.
void ExpectEtchedFrame(const PixelCanvas& c, Colour fill) {
    const Colour between = Rgb(214, 212, 204);  // Blend(window, shadow), halves to even
    EXPECT_EQ(c.At(0, 0), kShadow);
    EXPECT_EQ(c.At(50, 0), kShadow);
    EXPECT_EQ(c.At(0, 15), kShadow);
    EXPECT_EQ(c.At(98, 15), kShadow);
    EXPECT_EQ(c.At(50, 28), kShadow);
    EXPECT_EQ(c.At(50, 1), kWindow);
    EXPECT_EQ(c.At(1, 15), kWindow);
    EXPECT_EQ(c.At(99, 15), kWindow);
    EXPECT_EQ(c.At(50, 29), kWindow);
    EXPECT_EQ(c.At(99, 29), kWindow);
    EXPECT_EQ(c.At(1, 1), kWindow);
    EXPECT_EQ(c.At(0, 29), fill);
    EXPECT_EQ(c.At(99, 0), fill);
    EXPECT_EQ(c.At(1, 28), between);
    EXPECT_EQ(c.At(98, 1), between);
    EXPECT_EQ(c.At(50, 15), fill);
}

TEST(Style3, FillsByStateUnderTheEtchedFrame) {
    for (int state : {1, 4}) {
        const Painted p = Paint(3, Input(state));
        SCOPED_TRACE(state);
        ExpectEtchedFrame(p.canvas, kFace);
        EXPECT_EQ(p.fill, kFace);
    }
    // Blend(shadow, face): (172+236)/2, (168+233)/2 = 200.5 -> 200, (153+216)/2 = 184.5 -> 184.
    const Painted hot = Paint(3, Input(2));
    ExpectEtchedFrame(hot.canvas, Rgb(204, 200, 184));
    const Painted pressed = Paint(3, Input(3));
    ExpectEtchedFrame(pressed.canvas, kShadow);
    EXPECT_EQ(pressed.fill, kShadow);
}

TEST(Style3, CustomColours) {
    ExpectEtchedFrame(Paint(3, Input(1, true)).canvas, kBack);
    ExpectEtchedFrame(Paint(3, Input(4, true)).canvas, kBack);
    // Blend(HighlightColor, BackColor) = (105, 120, 60).
    ExpectEtchedFrame(Paint(3, Input(2, true)).canvas, Rgb(105, 120, 60));
    ExpectEtchedFrame(Paint(3, Input(3, true)).canvas, kCustomHighlight);
}

TEST(Style3, EtchedFrameAtAnOffset) {
    PixelCanvas c(20, 12, kSentinel);
    PaintEtchedFrame(c, 3, 2, 10, 6, Rgb(1, 1, 1), Rgb(3, 3, 3), Rgb(9, 9, 9));
    // w = 9, h = 5: far corners (3,7) and (12,2), near ones (4,6) and (11,3).
    EXPECT_EQ(c.At(3, 2), Rgb(1, 1, 1));
    EXPECT_EQ(c.At(11, 6), Rgb(1, 1, 1));
    EXPECT_EQ(c.At(12, 7), Rgb(3, 3, 3));
    EXPECT_EQ(c.At(3, 7), Rgb(9, 9, 9));
    EXPECT_EQ(c.At(12, 2), Rgb(9, 9, 9));
    EXPECT_EQ(c.At(4, 6), Rgb(2, 2, 2));
    EXPECT_EQ(c.At(11, 3), Rgb(2, 2, 2));
    EXPECT_EQ(c.At(2, 2), kSentinel);
    EXPECT_EQ(c.At(13, 7), kSentinel);
    EXPECT_EQ(c.At(7, 4), kSentinel);  // the inside is left alone
}

TEST(Style4, LightFillsAndTheAccentFrameWhenHotOrPressed) {
    // Lighten(face, 32) everywhere, no frame.
    for (int state : {1, 4}) {
        const Painted p = Paint(4, Input(state));
        EXPECT_EQ(p.canvas.At(0, 0), Rgb(238, 235, 220)) << state;
        EXPECT_EQ(p.canvas.At(kW - 1, kH - 1), Rgb(238, 235, 220)) << state;
        EXPECT_EQ(p.canvas.At(50, 15), Rgb(238, 235, 220)) << state;
        EXPECT_EQ(p.fill, Rgb(238, 235, 220)) << state;
    }
    // Lighten(highlight, 176) and Lighten(highlight, 128) inside a frame in the highlight.
    const Painted hot = Paint(4, Input(2));
    EXPECT_EQ(hot.canvas.At(50, 15), Rgb(191, 208, 237));
    EXPECT_EQ(hot.fill, Rgb(191, 208, 237));
    const Painted pressed = Paint(4, Input(3));
    EXPECT_EQ(pressed.canvas.At(50, 15), Rgb(152, 180, 226));
    for (const Painted* p : {&hot, &pressed}) {
        EXPECT_EQ(p->canvas.At(0, 0), kHighlight);
        EXPECT_EQ(p->canvas.At(kW - 1, 0), kHighlight);
        EXPECT_EQ(p->canvas.At(0, kH - 1), kHighlight);
        EXPECT_EQ(p->canvas.At(kW - 1, kH - 1), kHighlight);
        EXPECT_EQ(p->canvas.At(50, kH - 1), kHighlight);
        EXPECT_EQ(p->canvas.At(1, 1), p->fill);
    }
}

TEST(Style4, CustomColours) {
    EXPECT_EQ(Paint(4, Input(1, true)).canvas.At(50, 15), Rgb(40, 206, 58));
    const Painted hot = Paint(4, Input(2, true));
    EXPECT_EQ(hot.canvas.At(50, 15), Rgb(237, 188, 203));
    EXPECT_EQ(hot.canvas.At(0, 0), kCustomHighlight);
}

}  // namespace
}  // namespace murmurex
