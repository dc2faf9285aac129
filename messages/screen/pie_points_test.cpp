#include "pie_points.h"

#include <gtest/gtest.h>

namespace murmurex {
namespace {

// 180 x 180 pixels: centre (190, 140), two pixels per degree along each edge.
constexpr ScreenBox kBox{100, 50, 280, 230};

TEST(PieRadialPoints, WalkRoundTheBoxAtTheTableAngles) {
    const struct {
        int angle;
        ScreenPoint expected;
    } table[] = {
        {0, {190, 50}},    {1, {192, 50}},    {44, {278, 50}},   {45, {280, 50}},
        {46, {280, 52}},   {90, {280, 140}},  {91, {280, 142}},  {135, {280, 230}},
        {136, {278, 230}}, {180, {190, 230}}, {181, {188, 230}}, {225, {100, 230}},
        {226, {100, 228}}, {270, {100, 140}}, {271, {100, 138}}, {315, {100, 50}},
        {316, {102, 50}},  {359, {188, 50}},  {360, {189, 50}},
    };
    for (const auto& row : table) {
        EXPECT_EQ(PieSecondRadialPoint(kBox, row.angle), row.expected) << row.angle;
    }
    EXPECT_EQ(PieFirstRadialPoint(kBox), (ScreenPoint{190, 50}));
}

TEST(PieRadialPoints, AnglesOutsideACircleAreClamped) {
    EXPECT_EQ(ClampPieAngle(-30), 0);
    EXPECT_EQ(ClampPieAngle(400), 360);
    EXPECT_EQ(ClampPieAngle(200), 200);
    EXPECT_EQ(PieSecondRadialPoint(kBox, -30), PieSecondRadialPoint(kBox, 0));
    EXPECT_EQ(PieSecondRadialPoint(kBox, 400), PieSecondRadialPoint(kBox, 360));
    // A full circle ends one pixel left of where it starts, so the platform draws a whole pie.
    EXPECT_NE(PieSecondRadialPoint(kBox, 360), PieFirstRadialPoint(kBox));
}

TEST(PieRadialPoints, CentreAndStepsRoundHalvesToEven) {
    // 225 x 135: steps 2.5 -> 2 and 1.5 -> 2; centre 112.5 -> 112 and 67.5 -> 68.
    const ScreenBox box{0, 0, 225, 135};
    EXPECT_EQ(PieFirstRadialPoint(box), (ScreenPoint{112, 0}));
    EXPECT_EQ(PieSecondRadialPoint(box, 10), (ScreenPoint{132, 0}));
    EXPECT_EQ(PieSecondRadialPoint(box, 60), (ScreenPoint{225, 30}));
    EXPECT_EQ(PieSecondRadialPoint(box, 270), (ScreenPoint{0, 68}));
}

TEST(PieRadialPoints, BoxesWiderThanThe32BitRangeStillFindTheirCentre) {
    // Right minus left is 4e9 here, which does not fit in 32 bits.
    const ScreenBox box{-2'000'000'000, -2'000'000'000, 2'000'000'000, 2'000'000'000};
    EXPECT_EQ(PieFirstRadialPoint(box), (ScreenPoint{0, -2'000'000'000}));
    EXPECT_EQ(PieSecondRadialPoint(box, 90), (ScreenPoint{2'000'000'000, 0}));
    EXPECT_EQ(PieSecondRadialPoint(box, 44), (ScreenPoint{44 * 44'444'444, -2'000'000'000}));
}

}  // namespace
}  // namespace murmurex
