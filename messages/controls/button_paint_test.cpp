#include "button_paint.h"

#include <gtest/gtest.h>

#include <cmath>

#include "canvas_pixels.h"

namespace murmurex {
namespace {

constexpr Colour kSentinel = Rgb(255, 0, 255);
constexpr int kW = 100;
constexpr int kH = 30;

PixelCanvas Painted(Style10Variant variant, int w = kW, int h = kH) {
    PixelCanvas canvas(w, h, kSentinel);
    PaintStyle10(canvas, w, h, variant);
    return canvas;
}

// Inside the window's rounded rectangle 0, 0, W + 1, H + 1 with 18 x 18 corners, keeping a
// pixel's margin off the curve, where the platform's rasterising may differ.
bool SafelyInsideRegion(int x, int y, int w, int h) {
    const double r = 9.0;
    const double cx = x < r ? r : (x > w + 1 - r ? w + 1 - r : x + 0.5);
    const double cy = y < r ? r : (y > h + 1 - r ? h + 1 - r : y + 0.5);
    return std::hypot(x + 0.5 - cx, y + 0.5 - cy) < r - 1.0;
}

TEST(Style10, VariantByStateAndFocus) {
    EXPECT_EQ(ChooseStyle10Variant(1, false), Style10Variant::Normal);
    EXPECT_EQ(ChooseStyle10Variant(4, false), Style10Variant::Normal);
    EXPECT_EQ(ChooseStyle10Variant(1, true), Style10Variant::Hot);
    EXPECT_EQ(ChooseStyle10Variant(4, true), Style10Variant::Hot);
    EXPECT_EQ(ChooseStyle10Variant(2, false), Style10Variant::Hot);
    EXPECT_EQ(ChooseStyle10Variant(3, false), Style10Variant::Pressed);
    EXPECT_EQ(ChooseStyle10Variant(3, true), Style10Variant::Pressed);
}

TEST(Style10, NormalVariantAtItsFixedColours) {
    const PixelCanvas c = Painted(Style10Variant::Normal);
    EXPECT_EQ(c.At(50, 15), Rgb(232, 231, 234));  // centre block
    EXPECT_EQ(c.At(0, 15), Rgb(247, 247, 247));   // left cap, outer column
    EXPECT_EQ(c.At(1, 15), Rgb(160, 160, 160));
    EXPECT_EQ(c.At(2, 15), Rgb(153, 153, 153));
    EXPECT_EQ(c.At(12, 15), Rgb(231, 231, 232));
    EXPECT_EQ(c.At(kW - 1, 15), Rgb(246, 246, 246));  // right cap, outer column
    EXPECT_EQ(c.At(kW - 2, 15), Rgb(156, 156, 156));
    EXPECT_EQ(c.At(kW - 13, 15), Rgb(231, 231, 231));
    EXPECT_EQ(c.At(50, 0), Rgb(106, 105, 103));  // top outline
    EXPECT_EQ(c.At(50, 1), Rgb(246, 244, 245));
    EXPECT_EQ(c.At(50, 11), Rgb(233, 235, 232));
    EXPECT_EQ(c.At(50, kH - 11), Rgb(233, 235, 232));
    EXPECT_EQ(c.At(50, kH - 3), Rgb(251, 251, 251));
    EXPECT_EQ(c.At(50, kH - 2), Rgb(84, 84, 84));  // bottom outline
    EXPECT_EQ(c.At(50, kH - 1), Rgb(197, 197, 197));
    // The caps run down to row H - 11; the corner blocks start below.
    EXPECT_EQ(c.At(0, kH - 11), Rgb(247, 247, 247));
}

TEST(Style10, HotAndPressedVariantsAtTheirFixedColours) {
    const PixelCanvas hot = Painted(Style10Variant::Hot);
    EXPECT_EQ(hot.At(50, 15), Rgb(106, 166, 226));
    EXPECT_EQ(hot.At(17, 15), Rgb(106, 166, 226));  // caps reach the centre at x = 17
    EXPECT_EQ(hot.At(0, 15), Rgb(247, 247, 247));
    EXPECT_EQ(hot.At(2, 15), Rgb(19, 46, 113));
    EXPECT_EQ(hot.At(50, 0), Rgb(8, 6, 69));
    EXPECT_EQ(hot.At(50, kH - 3), Rgb(173, 230, 255));
    EXPECT_EQ(hot.At(50, kH - 2), Rgb(64, 93, 99));
    EXPECT_EQ(hot.At(50, kH - 1), Rgb(197, 197, 197));

    const PixelCanvas pressed = Painted(Style10Variant::Pressed);
    EXPECT_EQ(pressed.At(50, 15), Rgb(106, 155, 204));
    EXPECT_EQ(pressed.At(17, 15), Rgb(106, 155, 204));
    EXPECT_EQ(pressed.At(2, 15), Rgb(23, 45, 99));
    EXPECT_EQ(pressed.At(50, 0), Rgb(10, 9, 60));
    EXPECT_EQ(pressed.At(50, kH - 3), Rgb(166, 213, 233));
    EXPECT_EQ(pressed.At(50, kH - 2), Rgb(62, 86, 90));
    EXPECT_EQ(pressed.At(50, kH - 1), Rgb(197, 197, 197));
}

// Sizes below the artwork's 34 x 19 still paint, without a centre block.
TEST(Style10, EveryPixelInsideTheRoundedRegionIsPainted) {
    for (Style10Variant variant :
         {Style10Variant::Normal, Style10Variant::Hot, Style10Variant::Pressed}) {
        for (const auto& [w, h] : {std::pair{100, 30}, std::pair{75, 23}, std::pair{200, 40},
                                   std::pair{34, 19}, std::pair{20, 20}, std::pair{0, 0}}) {
            const PixelCanvas c = Painted(variant, w, h);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    if (SafelyInsideRegion(x, y, w, h)) {
                        ASSERT_NE(c.At(x, y), kSentinel)
                            << x << "," << y << " in " << w << "x" << h;
                    }
                }
            }
        }
    }
}

TEST(Style10, CornersJoinTheStraightEdges) {
    // Where a corner block meets a cap or a band, it continues that line's colour.
    for (Style10Variant variant :
         {Style10Variant::Normal, Style10Variant::Hot, Style10Variant::Pressed}) {
        const Style10Artwork& art = Style10ArtworkOf(variant);
        const PixelCanvas c = Painted(variant);
        EXPECT_EQ(c.At(1, 10), art.left[1]);
        EXPECT_EQ(c.At(kW - 2, 10), art.right[15]);
        EXPECT_EQ(c.At(16, 0), art.top[0]);
        EXPECT_EQ(c.At(kW - 17, 0), art.top[0]);
        EXPECT_EQ(c.At(16, kH - 2), art.bottom[9]);
        EXPECT_EQ(c.At(kW - 1, kH - 10), art.right[16]);
        // The arc of the outline is dark in every corner: darker than the centre.
        const auto darkness = [](Colour colour) {
            return RedOf(colour) + GreenOf(colour) + BlueOf(colour);
        };
        EXPECT_LT(darkness(c.At(3, 3)), darkness(art.centre));
        EXPECT_LT(darkness(c.At(kW - 4, 3)), darkness(art.centre));
        EXPECT_LT(darkness(c.At(3, kH - 5)), darkness(art.centre));
        EXPECT_LT(darkness(c.At(kW - 4, kH - 5)), darkness(art.centre));
    }
}

}  // namespace
}  // namespace murmurex
