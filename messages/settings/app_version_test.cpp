#include "app_version.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "portable/little_endian.h"

namespace murmurex {
namespace {

using common::AppendLe16;
using common::AppendLe32;

// A version resource as the resource compiler lays it out, with no string tables after the
// fixed part.
std::vector<std::uint8_t> VersionBlock(std::uint16_t major, std::uint16_t minor,
                                       std::uint16_t revision, std::uint16_t build,
                                       std::u16string_view key = u"VS_VERSION_INFO",
                                       std::uint32_t signature = 0xFEEF04BD) {
    std::vector<std::uint8_t> out;
    AppendLe16(out, 0);   // total length, set below
    AppendLe16(out, 52);  // the fixed part's length
    AppendLe16(out, 0);   // binary value
    for (const char16_t c : key) {
        AppendLe16(out, c);
    }
    AppendLe16(out, 0);
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
    AppendLe32(out, signature);
    AppendLe32(out, 0x00010000);  // structure version
    AppendLe32(out, static_cast<std::uint32_t>(major) << 16 | minor);
    AppendLe32(out, static_cast<std::uint32_t>(revision) << 16 | build);
    for (int i = 0; i < 9; ++i) {
        AppendLe32(out, 0);  // product version, flags, OS, type, dates
    }
    out[0] = static_cast<std::uint8_t>(out.size() & 0xFF);
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    return out;
}

TEST(VersionResource, TheFixedPartGivesMajorMinorAndRevision) {
    const auto block = VersionBlock(1, 0, 12, 7);
    EXPECT_EQ(ParseVersionResource(block), (AppVersion{1, 0, 12}));
    EXPECT_EQ(ParseVersionResource(VersionBlock(65535, 65535, 65535, 0)),
              (AppVersion{65535, 65535, 65535}));
}

TEST(VersionResource, AnythingElseIsNoVersion) {
    EXPECT_EQ(ParseVersionResource({}), std::nullopt);
    auto block = VersionBlock(1, 2, 3, 0);
    const std::vector<std::uint8_t> cut(block.begin(), block.end() - 1);
    EXPECT_EQ(ParseVersionResource(cut), std::nullopt) << "one byte short";
    EXPECT_EQ(ParseVersionResource(VersionBlock(1, 2, 3, 0, u"VS_VERSION_INFX")), std::nullopt);
    EXPECT_EQ(ParseVersionResource(VersionBlock(1, 2, 3, 0, u"VS_VERSION_INFO", 0xFEEF04BC)),
              std::nullopt);
    block[0] = 0xFF;  // claims more bytes than there are
    block[1] = 0x7F;
    EXPECT_EQ(ParseVersionResource(block), std::nullopt);
}

TEST(VersionText, PlainNumbersJoinedByDots) {
    EXPECT_EQ(VersionText({1, 0, 12}), "Version 1.0.12");
    EXPECT_EQ(VersionText({2, 1, 0}), "Version 2.1.0");
    EXPECT_EQ(VersionText({10, 20, 300}), "Version 10.20.300");
}

}  // namespace
}  // namespace murmurex
