#include "button_layout.h"

#include <gtest/gtest.h>

namespace murmurex {
namespace {

using namespace text_format;

// A 40 x 13 caption measured inside 4, 4, W - 4, H - 4.
constexpr PixelRect kMeasured{4, 4, 44, 17};

TEST(ButtonLayout, MinimumIsThreeHundredTwips) {
    EXPECT_EQ(ButtonMinimumPixels(96), 20);
    EXPECT_EQ(ButtonMinimumPixels(120), 25);
    EXPECT_EQ(ButtonMinimumPixels(144), 30);
    EXPECT_EQ(ButtonMinimumPixels(100), 21);  // 20.8 px: a part pixel still counts
    EXPECT_EQ(ButtonMinimumPixels(0), 20);
}

TEST(ButtonLayout, CentredCaptionRoundsHalvesToEven) {
    const CaptionLayout layout = LayOutCaption(100, 30, kMeasured, 0, 4, false);
    EXPECT_EQ(layout.rect, (PixelRect{26, 8, 70, 22}));
    EXPECT_EQ(layout.format, kCentre | kVerticalCentre | kWordBreak);
    EXPECT_EQ(layout.format, 21u);
}

TEST(ButtonLayout, EachAlignmentHasItsRectangleAndFlags) {
    struct Case {
        int align;
        PixelRect rect;
        unsigned format;
    };
    // W 100, H 30, m 7: the margin style 10 leaves behind.
    const Case cases[] = {
        {1, {7, 8, 51, 22}, 20},   {2, {45, 8, 89, 22}, 22},
        {3, {26, 4, 70, 16}, 17},   // m/2 = 3.5 -> 4; 3.5 + 13 = 16.5 -> 16
        {4, {26, 14, 70, 26}, 25},  // 30 - 13 - 3.5 = 13.5 -> 14; 26.5 -> 26
        {9, {26, 8, 70, 22}, 21},   // unknown: centred
    };
    for (const Case& c : cases) {
        const CaptionLayout layout = LayOutCaption(100, 30, kMeasured, c.align, 7, false);
        EXPECT_EQ(layout.rect, c.rect) << c.align;
        EXPECT_EQ(layout.format, c.format) << c.align;
    }
}

TEST(ButtonLayout, RightToLeftAddsReadingOrderToMeasureAndDraw) {
    EXPECT_EQ(CaptionMeasureFormat(false), kMeasureOnly | kWordBreak);
    EXPECT_EQ(CaptionMeasureFormat(true), kMeasureOnly | kWordBreak | kRightToLeft);
    EXPECT_EQ(LayOutCaption(100, 30, kMeasured, 1, 4, true).format, 20u | 0x20000u);
    EXPECT_EQ(CaptionMeasureRect(100, 30), (PixelRect{4, 4, 96, 26}));
}

TEST(ButtonLayout, IconPositions) {
    EXPECT_EQ(IconPosition(0, 100, 31, 16, 3), (PixelPoint{42, 8}));  // 7.5 -> 8
    EXPECT_EQ(IconPosition(1, 100, 30, 16, 3), (PixelPoint{3, 7}));
    EXPECT_EQ(IconPosition(2, 100, 30, 16, 3), (PixelPoint{81, 7}));
    EXPECT_EQ(IconPosition(3, 100, 30, 16, 3), (PixelPoint{42, 3}));
    EXPECT_EQ(IconPosition(4, 100, 30, 16, 3), (PixelPoint{42, 11}));
}

TEST(ButtonLayout, RegionOfEachStyle) {
    const ButtonRegion style10 = RegionForStyle(10, 100, 30);
    EXPECT_EQ(style10.kind, ButtonRegion::Kind::RoundRectangle);
    EXPECT_EQ(style10.bounds, (PixelRect{0, 0, 101, 31}));
    EXPECT_EQ(style10.ellipse, 18);

    for (int style : {5, 7}) {
        const ButtonRegion region = RegionForStyle(style, 100, 30);
        ASSERT_EQ(region.kind, ButtonRegion::Kind::Polygon);
        EXPECT_EQ(region.points,
                  (std::vector<PixelPoint>{
                      {0, 1}, {1, 0}, {99, 0}, {100, 1}, {100, 28}, {98, 30}, {2, 30}, {0, 28}}));
    }
    for (int style : {8, 9}) {
        const ButtonRegion region = RegionForStyle(style, 100, 30);
        ASSERT_EQ(region.kind, ButtonRegion::Kind::Polygon);
        EXPECT_EQ(region.points,
                  (std::vector<PixelPoint>{
                      {0, 2}, {2, 0}, {97, 0}, {100, 3}, {100, 27}, {97, 30}, {4, 30}, {0, 26}}));
    }
    for (int style : {0, 1, 2, 3, 4, 6}) {
        const ButtonRegion region = RegionForStyle(style, 100, 30);
        EXPECT_EQ(region.kind, ButtonRegion::Kind::Rectangle);
        EXPECT_EQ(region.bounds, (PixelRect{0, 0, 100, 30}));
    }
}

}  // namespace
}  // namespace murmurex
