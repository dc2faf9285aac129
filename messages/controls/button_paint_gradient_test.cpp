#include "button_paint_gradient.h"

#include <gtest/gtest.h>

#include "canvas_pixels.h"

namespace murmurex {
namespace {

constexpr int kW = 100;
constexpr int kH = 30;
constexpr Colour kSentinel = Rgb(255, 0, 255);

constexpr Colour kBorder = Rgb(0, 60, 116);
constexpr Colour kDiagonal = Rgb(72, 110, 144);
constexpr Colour kSide = Rgb(106, 139, 162);
constexpr Colour kInner = Rgb(191, 199, 202);

ButtonPaintInput Input(int state) {
    ButtonPaintInput in;
    in.width = kW;
    in.height = kH;
    in.state = state;
    in.buttonFace = Rgb(236, 233, 216);
    in.backColor = Rgb(10, 200, 30);
    in.highlightColor = Rgb(100, 150, 200);
    return in;
}

PixelCanvas Paint(const ButtonPaintInput& in) {
    PixelCanvas canvas(in.width, in.height, kSentinel);
    PaintStyle5(canvas, in);
    return canvas;
}

// The pixel at (x, y) of the top-left corner and its mirror images in the other three.
void ExpectMirrored(const PixelCanvas& c, int x, int y, Colour colour) {
    EXPECT_EQ(c.At(x, y), colour) << x << "," << y;
    EXPECT_EQ(c.At(kW - 1 - x, y), colour) << kW - 1 - x << "," << y;
    EXPECT_EQ(c.At(x, kH - 1 - y), colour) << x << "," << kH - 1 - y;
    EXPECT_EQ(c.At(kW - 1 - x, kH - 1 - y), colour) << kW - 1 - x << "," << kH - 1 - y;
}

void ExpectBorderAndCorners(const PixelCanvas& c) {
    EXPECT_EQ(c.At(50, 0), kBorder);
    EXPECT_EQ(c.At(50, kH - 1), kBorder);
    EXPECT_EQ(c.At(0, 15), kBorder);
    EXPECT_EQ(c.At(kW - 1, 15), kBorder);
    EXPECT_EQ(c.At(2, 0), kBorder);
    ExpectMirrored(c, 1, 1, kDiagonal);
    ExpectMirrored(c, 0, 1, kSide);
    ExpectMirrored(c, 1, 0, kSide);
    ExpectMirrored(c, 1, 2, kInner);
    ExpectMirrored(c, 2, 1, kInner);
}

TEST(Style5, NormalBodyBordersAndCorners) {
    const PixelCanvas c = Paint(Input(1));
    ExpectBorderAndCorners(c);
    EXPECT_EQ(c.At(50, 1), Rgb(252, 251, 251));       // top band starts
    EXPECT_EQ(c.At(50, 3), Rgb(246, 246, 246));       // two of four steps: 245.5 rounds to even
    EXPECT_EQ(c.At(50, 4), Rgb(250, 250, 249));       // the body band starts over the top band
    EXPECT_EQ(c.At(50, kH - 4), Rgb(235, 235, 230));  // the bottom band starts
    EXPECT_EQ(c.At(50, kH - 2), Rgb(221, 217, 208));  // two of three steps
    // The body lines stop before x = W - 2; the right shading covers columns W - 3 and W - 2.
    EXPECT_EQ(c.At(kW - 3, 3), Rgb(251, 251, 250));
    EXPECT_EQ(c.At(kW - 2, 3), Rgb(245, 244, 242));
    EXPECT_NE(c.At(kW - 3, 15), c.At(50, 15));
    EXPECT_EQ(c.At(1, 15), c.At(50, 15));  // no shading on the left
    // Nothing is left unpainted.
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            ASSERT_NE(c.At(x, y), kSentinel) << x << "," << y;
        }
    }
}

void ExpectInnerFrame(const PixelCanvas& c, Colour row1, Colour row2, Colour rowNearBottom,
                      Colour rowBottom) {
    EXPECT_EQ(c.At(50, 1), row1);
    EXPECT_EQ(c.At(3, 1), row1);
    EXPECT_EQ(c.At(50, 2), row2);
    EXPECT_EQ(c.At(50, kH - 3), rowNearBottom);
    EXPECT_EQ(c.At(50, kH - 2), rowBottom);
    // The side columns run from the second row's colour to the one above the bottom row.
    EXPECT_EQ(c.At(2, 2), row2);
    EXPECT_EQ(c.At(kW - 3, 2), row2);
    EXPECT_EQ(c.At(2, kH - 3), rowNearBottom);
    EXPECT_EQ(c.At(kW - 3, kH - 3), rowNearBottom);
    for (int x : {1, 2, kW - 3, kW - 2}) {
        EXPECT_EQ(c.At(x, 15), c.At(1, 15)) << x;
    }
    EXPECT_NE(c.At(1, 15), c.At(50, 15));
    EXPECT_NE(c.At(1, 15), row2);
    EXPECT_NE(c.At(1, 15), rowNearBottom);
}

TEST(Style5, HotAddsTheWarmInnerFrame) {
    const PixelCanvas c = Paint(Input(2));
    ExpectBorderAndCorners(c);
    ExpectInnerFrame(c, Rgb(255, 240, 207), Rgb(253, 216, 137), Rgb(248, 179, 48),
                     Rgb(229, 151, 16));
    EXPECT_EQ(c.At(50, 4), Rgb(250, 250, 249));
}

TEST(Style5, FocusOrDefaultAtRestAddsTheBlueInnerFrame) {
    for (const auto& [focused, isDefault] : {std::pair{true, false}, std::pair{false, true}}) {
        ButtonPaintInput in = Input(1);
        in.focused = focused;
        in.displayAsDefault = isDefault;
        const PixelCanvas c = Paint(in);
        ExpectBorderAndCorners(c);
        ExpectInnerFrame(c, Rgb(206, 231, 255), Rgb(188, 212, 246), Rgb(137, 173, 228),
                         Rgb(105, 130, 238));
    }
    // Hot wins over focus: the warm frame.
    ButtonPaintInput hot = Input(2);
    hot.focused = true;
    EXPECT_EQ(Paint(hot).At(50, 1), Rgb(255, 240, 207));
}

TEST(Style5, PressedBandsAreDarkestAtTheTop) {
    ButtonPaintInput in = Input(3);
    in.focused = true;  // no inner frame when pressed
    const PixelCanvas c = Paint(in);
    ExpectBorderAndCorners(c);
    EXPECT_EQ(c.At(50, 1), Rgb(209, 204, 193));
    EXPECT_EQ(c.At(50, 4), Rgb(228, 227, 220));
    EXPECT_EQ(c.At(50, kH - 4), Rgb(227, 226, 219));
    EXPECT_EQ(c.At(50, kH - 2), Rgb(237, 236, 232));  // two of three steps to (242,241,238)
    EXPECT_EQ(c.At(kW - 3, 3), Rgb(218, 216, 206));
    EXPECT_EQ(c.At(kW - 2, 3), Rgb(218, 216, 206));
    EXPECT_EQ(c.At(kW - 3, kH - 3), Rgb(227, 226, 218));  // 24 of 25 steps
}

TEST(Style5, DisabledIsFlatWithALightOutline) {
    ButtonPaintInput in = Input(4);
    in.focused = true;
    const PixelCanvas c = Paint(in);
    EXPECT_EQ(c.At(50, 15), Rgb(245, 244, 234));
    EXPECT_EQ(c.At(2, 1), Rgb(245, 244, 234));
    EXPECT_EQ(c.At(50, 1), Rgb(245, 244, 234));
    EXPECT_EQ(c.At(50, 0), Rgb(201, 199, 186));
    EXPECT_EQ(c.At(kW - 1, 15), Rgb(201, 199, 186));
    ExpectMirrored(c, 1, 1, Rgb(216, 213, 199));
    ExpectMirrored(c, 0, 1, Rgb(216, 213, 199));
    ExpectMirrored(c, 1, 0, Rgb(216, 213, 199));
}

TEST(Style5, CustomColoursDrawTheSameStructureInOffsetsOfTheAccent) {
    // Accent (100,150,200); the body's lightness is 238, so the border (lightness 58) is the
    // accent offset by -180, the top of the body band (249) by +11, the body's end by 0.
    ButtonPaintInput in = Input(1);
    in.useCustomColors = true;
    const PixelCanvas c = Paint(in);
    EXPECT_EQ(c.At(50, 0), Rgb(0, 0, 20));
    EXPECT_EQ(c.At(0, 15), Rgb(0, 0, 20));
    EXPECT_EQ(c.At(50, 4), Rgb(111, 161, 211));
    EXPECT_EQ(c.At(50, kH - 5), Rgb(100, 150, 200));
    ExpectMirrored(c, 1, 1, Rgb(0, 20, 70));  // corner (72,110,144): lightness 108, -130
    // Hot: the warm frame's first row (255,240,207) has lightness 234: offset -4.
    in.state = 2;
    EXPECT_EQ(Paint(in).At(50, 1), Rgb(96, 146, 196));
    const Style5Palette palette = Style5AccentPalette(Rgb(100, 150, 200));
    EXPECT_EQ(palette[static_cast<std::size_t>(Style5Shade::Border)], Rgb(0, 0, 20));
    EXPECT_EQ(Style5FixedPalette()[static_cast<std::size_t>(Style5Shade::Border)], kBorder);
}

TEST(Style5, SmallButtonsStillPaintWithoutOverrunning) {
    for (const auto& [w, h] : {std::pair{20, 20}, std::pair{4, 4}, std::pair{1, 1}}) {
        ButtonPaintInput in = Input(2);
        in.width = w;
        in.height = h;
        PixelCanvas c(w, h, kSentinel);
        PaintStyle5(c, in);
        EXPECT_NE(c.At(0, h / 2), kSentinel);
    }
}

}  // namespace
}  // namespace murmurex
