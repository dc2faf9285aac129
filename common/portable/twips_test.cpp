#include "portable/twips.h"

#include <gtest/gtest.h>

namespace murmurex {
namespace {

TEST(Twips, ScaleWithTheDpiAndRoundHalvesToEven) {
    EXPECT_EQ(TwipsToPixels(6870, 96), 458);
    EXPECT_EQ(TwipsToPixels(6870, 144), 687);
    EXPECT_EQ(TwipsToPixels(6870, 192), 916);
    // 22.5 and 23.5 pixels at 96 DPI.
    EXPECT_EQ(TwipsToPixels(337.5, 96), 22);
    EXPECT_EQ(TwipsToPixels(352.5, 96), 24);
    EXPECT_EQ(TwipsToPixels(-352.5, 96), -24);
}

TEST(Twips, PointSizesStayPointsAtEveryDpi) {
    EXPECT_EQ(PointsToPixels(12, 96), 16);
    EXPECT_EQ(PointsToPixels(12, 144), 24);
    EXPECT_EQ(PointsToPixels(9.75, 96), 13);
    EXPECT_EQ(PointsToPixels(9.75, 192), 26);
}

TEST(Twips, AMissingDpiCountsAsTheUnscaledScreen) {
    EXPECT_EQ(TwipsToPixels(1440, 0), 96);
    EXPECT_EQ(TwipsToPixels(1440, -5), 96);
    EXPECT_DOUBLE_EQ(TwipsPerPixelAt(0), 15.0);
    EXPECT_DOUBLE_EQ(TwipsPerPixelAt(120), 12.0);
}

}  // namespace
}  // namespace murmurex
