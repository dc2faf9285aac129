#include "portable/little_endian.h"

#include <gtest/gtest.h>

namespace {

TEST(LittleEndian, AppendsLowByteFirstAfterWhatIsThere) {
    std::vector<std::uint8_t> out{0xEE};
    common::AppendLe16(out, 0x1234);
    common::AppendLe32(out, 0xA1B2C3D4u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0xEE, 0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1}));
}

TEST(LittleEndian, SixteenBitsKeepOnlyTheLowHalf) {
    std::vector<std::uint8_t> out;
    common::AppendLe16(out, 0xABCD1234u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x34, 0x12}));
}

}  // namespace
