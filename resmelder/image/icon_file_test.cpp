// Icon files as users hand them over (bitmaps and PNG images, depths left 0) and hostile ones,
// and the icon-group resource built from them.

#include <gtest/gtest.h>

#include "image/icon_file.h"
#include "image/icon_file_test_support.h"
#include "image/test_pe.h"

namespace resmelder {
namespace {

using testpe::Bytes;

using testpe::IconFileBytes;
using TestImage = testpe::TestIconImage;

// A DIB as icons hold it, with its depth in the header.
Bytes Dib(std::uint32_t side, std::uint16_t bitCount, std::uint8_t fill) {
    Bytes dib = testpe::IconDib(side, fill * 0x01010101u);
    dib[14] = static_cast<std::uint8_t>(bitCount);
    return dib;
}

Bytes Png(std::size_t size) {
    return testpe::PngLike(size);
}

Bytes IconFile(const std::vector<TestImage>& images) {
    return IconFileBytes(images);
}

std::string Problem(const Bytes& file) {
    std::string problem;
    const auto images = ParseIconFile(file, problem);
    EXPECT_FALSE(images);
    return problem;
}

TEST(IconFileTest, BitmapsAndPngImagesAreReadWithTheirDepths) {
    const Bytes small = Dib(16, 32, 0x11);
    const Bytes large = Png(300);
    const Bytes file =
        IconFile({{16, 16, 1, 32, small}, {0, 0, 0, 0, large}, {32, 32, 0, 0, Dib(32, 8, 0x22)}});
    std::string problem;
    const auto images = ParseIconFile(file, problem);
    ASSERT_TRUE(images) << problem;
    ASSERT_EQ(images->size(), 3u);
    EXPECT_EQ((*images)[0].width, 16);
    EXPECT_EQ(Bytes((*images)[0].bytes.begin(), (*images)[0].bytes.end()), small);
    EXPECT_EQ((*images)[1].width, 0) << "0 is 256 and stays so";
    EXPECT_EQ(Bytes((*images)[1].bytes.begin(), (*images)[1].bytes.end()), large);
    EXPECT_EQ((*images)[1].planes, 1) << "a PNG left at 0 counts as one plane";
    EXPECT_EQ((*images)[1].bitCount, 32);
    EXPECT_EQ((*images)[2].planes, 1) << "from the bitmap's header";
    EXPECT_EQ((*images)[2].bitCount, 8);
}

TEST(IconFileTest, HostileFilesAreRefusedWithAReason) {
    const Bytes good = IconFile({{16, 16, 1, 32, Dib(16, 32, 1)}});
    EXPECT_EQ(Problem({}), "not an icon file");
    EXPECT_EQ(Problem(Bytes(good.begin(), good.begin() + 5)), "not an icon file");
    Bytes cursor = good;
    cursor[2] = 2;
    EXPECT_EQ(Problem(cursor), "not an icon file");
    Bytes reserved = good;
    reserved[0] = 1;
    EXPECT_EQ(Problem(reserved), "not an icon file");
    EXPECT_EQ(Problem(Bytes(Bytes{0, 0, 1, 0, 0, 0})), "the icon file holds no images");

    // A count of 65535 in a small file: refused before anything is reserved for it.
    Bytes claims = good;
    claims[4] = 0xFF, claims[5] = 0xFF;
    EXPECT_EQ(Problem(claims), "the icon file's directory runs past its end");

    Bytes outside = good;
    testpe::Put32(outside, 6 + 12, static_cast<std::uint32_t>(good.size()));
    EXPECT_EQ(Problem(outside), "image 1 lies outside the file");
    Bytes wraps = good;
    testpe::Put32(wraps, 6 + 8, 0x20);
    testpe::Put32(wraps, 6 + 12, 0xFFFFFFF0u);  // offset + size wraps around 32 bits
    EXPECT_EQ(Problem(wraps), "image 1 lies outside the file");
    Bytes empty = good;
    testpe::Put32(empty, 6 + 8, 0);
    EXPECT_EQ(Problem(empty), "image 1 lies outside the file");
    Bytes overlapping = good;
    testpe::Put32(overlapping, 6 + 12, 0);
    EXPECT_EQ(Problem(overlapping), "image 1 overlaps the icon file's directory");

    const Bytes text(Bytes(60, 'A'));
    EXPECT_EQ(Problem(IconFile({{16, 16, 1, 32, Dib(16, 32, 1)}, {16, 16, 1, 32, text}})),
              "image 2 is neither a PNG nor a bitmap");
    Bytes hugeHeader = Dib(16, 32, 1);
    testpe::Put32(hugeHeader, 0, 0x7FFFFFFF);
    EXPECT_EQ(Problem(IconFile({{16, 16, 1, 32, hugeHeader}})),
              "image 1 is neither a PNG nor a bitmap");

    Bytes large = good;
    large.resize(kMaxIconFileBytes + 1);
    EXPECT_EQ(Problem(large), "the file is larger than any icon file");
}

TEST(IconFileTest, TheGroupNamesEachImageByItsNewId) {
    const Bytes file = IconFile({{48, 48, 1, 32, Dib(48, 32, 3)}, {0, 0, 0, 0, Png(99)}});
    std::string problem;
    const auto images = ParseIconFile(file, problem);
    ASSERT_TRUE(images) << problem;
    const std::uint16_t ids[] = {7, 65535};
    const Bytes group = BuildIconGroup(*images, ids);
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ(testpe::Get16(group, 2), 1);
    EXPECT_EQ(testpe::Get16(group, 4), 2);
    EXPECT_EQ(group[6], 48);
    EXPECT_EQ(testpe::Get16(group, 6 + 6), 32);
    EXPECT_EQ(testpe::Get32(group, 6 + 8), (*images)[0].bytes.size());
    EXPECT_EQ(testpe::Get32(group, 20 + 8), 99u);
    EXPECT_EQ(testpe::Get16(group, 20 + 4), 1);
    EXPECT_EQ(IconGroupIds(group), (std::vector<std::uint16_t>{7, 65535}));

    Bytes cut = group;
    cut.pop_back();
    EXPECT_FALSE(IconGroupIds(cut));
    Bytes claims = group;
    claims[4] = 0xFF;
    EXPECT_FALSE(IconGroupIds(claims));
    EXPECT_FALSE(IconGroupIds({}));
}

}  // namespace
}  // namespace resmelder
