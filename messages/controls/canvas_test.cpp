#include <gtest/gtest.h>

#include "canvas_pixels.h"

namespace murmurex {
namespace {

constexpr Colour kPaper = Rgb(255, 0, 255);
constexpr Colour kInk = Rgb(1, 2, 3);

TEST(PixelCanvas, LinesLeaveOutTheirEndPoint) {
    PixelCanvas canvas(10, 10, kPaper);
    canvas.Line(1, 1, 5, 1, kInk);
    canvas.Line(8, 5, 8, 2, kInk);  // upwards
    canvas.Line(0, 9, 0, 9, kInk);  // empty
    for (int x = 1; x <= 4; ++x) {
        EXPECT_EQ(canvas.At(x, 1), kInk) << x;
    }
    EXPECT_EQ(canvas.At(5, 1), kPaper);
    EXPECT_EQ(canvas.At(8, 5), kInk);
    EXPECT_EQ(canvas.At(8, 3), kInk);
    EXPECT_EQ(canvas.At(8, 2), kPaper);
    EXPECT_EQ(canvas.At(0, 9), kPaper);
}

TEST(PixelCanvas, OutlineIncludesBothCorners) {
    PixelCanvas canvas(6, 6, kPaper);
    canvas.Outline(1, 1, 3, 2, kInk);
    EXPECT_EQ(canvas.At(1, 1), kInk);
    EXPECT_EQ(canvas.At(4, 3), kInk);
    EXPECT_EQ(canvas.At(4, 1), kInk);
    EXPECT_EQ(canvas.At(1, 3), kInk);
    EXPECT_EQ(canvas.At(2, 2), kPaper);
    EXPECT_EQ(canvas.At(5, 3), kPaper);
    EXPECT_EQ(canvas.At(4, 4), kPaper);
}

TEST(PixelCanvas, FillClipsAndIgnoresEmptySizes) {
    PixelCanvas canvas(4, 4, kPaper);
    canvas.Fill(2, 2, 10, 10, kInk);
    canvas.Fill(0, 0, -3, 2, Rgb(9, 9, 9));
    canvas.Fill(0, 0, 2, 0, Rgb(9, 9, 9));
    EXPECT_EQ(canvas.At(3, 3), kInk);
    EXPECT_EQ(canvas.At(2, 2), kInk);
    EXPECT_EQ(canvas.At(1, 2), kPaper);
    EXPECT_EQ(canvas.At(0, 0), kPaper);
}

TEST(PixelCanvas, VerticalGradientDrawsStepsPlusOneRows) {
    PixelCanvas canvas(6, 8, kPaper);
    canvas.VerticalGradient(Rgb(0, 100, 255), Rgb(30, 0, 0), 1, 2, 4, 4);
    EXPECT_EQ(canvas.At(1, 2), Rgb(0, 100, 255));
    // Row i: from + (to - from) / 4 * i: 7.5 -> 8, 75, 191.25 -> 191
    EXPECT_EQ(canvas.At(2, 3), Rgb(8, 75, 191));
    EXPECT_EQ(canvas.At(3, 6), Rgb(30, 0, 0));
    EXPECT_EQ(canvas.At(4, 6), kPaper);  // x2 excluded
    EXPECT_EQ(canvas.At(1, 7), kPaper);  // n + 1 rows only
}

TEST(PixelCanvas, GradientWithoutStepsIsOneLineOfTheFromColour) {
    PixelCanvas canvas(4, 4, kPaper);
    canvas.VerticalGradient(kInk, Rgb(200, 200, 200), 0, 1, 3, 0);
    canvas.VerticalGradient(kInk, Rgb(200, 200, 200), 0, 2, 3, -1);
    EXPECT_EQ(canvas.At(0, 1), kInk);
    EXPECT_EQ(canvas.At(0, 2), kPaper);
}

}  // namespace
}  // namespace murmurex
