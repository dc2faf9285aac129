#include "screen_rules.h"

#include <gtest/gtest.h>

namespace murmurex {
namespace {

TEST(ScreenRules, TwipsPerPixelIsSinglePrecisionOfTheMillimetreRatio) {
    EXPECT_EQ(TwipsPerPixel(508, 1920), static_cast<float>(56.7 * 508 / 1920));
}

}  // namespace
}  // namespace murmurex
