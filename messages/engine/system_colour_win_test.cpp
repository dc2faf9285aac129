#include "system_colour_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "settings_store.h"

namespace murmurex {
namespace {

TEST(SystemColourWin, KnownIndexesGiveThePlatformsColourAndOthersNothing) {
    EXPECT_EQ(PlatformSystemColour(COLOR_WINDOWTEXT), ::GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(PlatformSystemColour(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PlatformSystemColour(0x1234), std::nullopt);
    EXPECT_EQ(PlatformSystemColour(0xFFFFFF), std::nullopt);
}

TEST(SystemColourWin, AStoredSystemColourBecomesATextColour) {
    // 0x8000000D is the highlight colour, as a colour picker stores it.
    const auto highlight = static_cast<std::int32_t>(0x80000000u | COLOR_HIGHLIGHT);
    EXPECT_EQ(TextColourOf(highlight, PlatformSystemColour),
              UsableTextColour(::GetSysColor(COLOR_HIGHLIGHT) & 0x00FFFFFF));
}

}  // namespace
}  // namespace murmurex
