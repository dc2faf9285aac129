#include "colour.h"

#include <gtest/gtest.h>

namespace murmurex {
namespace {

TEST(Colour, BlendRoundsHalvesToEven) {
    EXPECT_EQ(Blend(Rgb(0, 0, 0), Rgb(255, 255, 255)), Rgb(128, 128, 128));  // 127.5
    EXPECT_EQ(Blend(Rgb(1, 2, 3), Rgb(2, 3, 4)), Rgb(2, 2, 4));              // 1.5, 2.5, 3.5
    EXPECT_EQ(Blend(Rgb(10, 20, 30), Rgb(30, 40, 50)), Rgb(20, 30, 40));
}

TEST(Colour, LightenUsesIntegerDivisionAndStaysInRange) {
    EXPECT_EQ(Lighten(0x000000, 176), Rgb(176, 176, 176));
    EXPECT_EQ(Lighten(Rgb(255, 255, 255), 32), Rgb(255, 255, 255));
    // (255 - 32) * 100 / 255 = 87.45 -> 87, + 32
    EXPECT_EQ(Lighten(Rgb(100, 0, 200), 32), Rgb(119, 32, 206));
    EXPECT_EQ(Lighten(Rgb(100, 100, 100), 0), Rgb(100, 100, 100));
    EXPECT_EQ(Lighten(Rgb(100, 100, 100), 300), Rgb(255, 255, 255));
}

TEST(Colour, OffsetClampsEachChannel) {
    EXPECT_EQ(Offset(Rgb(250, 5, 128), 10), Rgb(255, 15, 138));
    EXPECT_EQ(Offset(Rgb(250, 5, 128), -10), Rgb(240, 0, 118));
}

TEST(Colour, GrayIsTheRoundedMeanOfThirds) {
    EXPECT_EQ(Gray(Rgb(10, 20, 30)), Rgb(20, 20, 20));
    EXPECT_EQ(Gray(Rgb(255, 255, 255)), Rgb(255, 255, 255));
    EXPECT_EQ(Gray(Rgb(1, 0, 0)), Rgb(0, 0, 0));  // 0.33
    EXPECT_EQ(Gray(Rgb(2, 0, 0)), Rgb(1, 1, 1));  // 0.67
    // The high byte of a system-colour reference is not a channel.
    EXPECT_EQ(Gray(0x80000000u | Rgb(3, 3, 3)), Rgb(3, 3, 3));
}

}  // namespace
}  // namespace murmurex
