#include "portable/round_half_even.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

namespace murmurex {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    const std::pair<double, std::int32_t> cases[] = {
        {0.5, 0},   {1.5, 2},   {2.5, 2},    {3.5, 4},    {-0.5, 0},  {-1.5, -2},
        {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}, {7.0, 7}};
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    }
}

TEST(RoundHalfEven, SaturatesAtThe32BitRangeAndNanGivesZero) {
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(RoundHalfEven(1e12), kMax);
    EXPECT_EQ(RoundHalfEven(-1e12), kMin);
    EXPECT_EQ(RoundHalfEven(2147483646.5), 2147483646);
    EXPECT_EQ(RoundHalfEven(-2147483647.5), kMin);
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::infinity()), kMax);
    EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
}

}  // namespace
}  // namespace murmurex
