#include <gtest/gtest.h>

#include "ole_library_win.h"

namespace murmurex {
namespace {

// Loaded late, the translation answers as the platform's own does: plain colours without the
// library, system colours through it, an unknown kind refused.
TEST(OleLibrary, TranslatesColoursAsThePlatformDoes) {
    for (const OLE_COLOR colour : {0x000000u, 0x0000FFu, 0xFFFFFFu, 0x8000000Fu, 0x80000012u,
                                   0x800000FFu, 0x01000002u, 0x7F000000u}) {
        COLORREF late = 0x12345678, platform = 0x12345678;
        EXPECT_EQ(ole::OleTranslateColor(colour, nullptr, &late),
                  ::OleTranslateColor(colour, nullptr, &platform))
            << std::hex << colour;
        EXPECT_EQ(late, platform) << std::hex << colour;
    }
}

}  // namespace
}  // namespace murmurex
