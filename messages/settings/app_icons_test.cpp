#include "app_icons.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace murmurex {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::uint16_t Le16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

TEST(AppIcons, CornersAreTransparentAndTheMiddleIsOpaque) {
    for (const AppIconId id : kAllAppIcons) {
        for (const int size : kAppIconSizes) {
            const IconImage image = DrawAppIcon(id, size);
            ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(size * size));
            EXPECT_EQ(image.At(0, 0) >> 24, 0u) << AppIconFileStem(id) << size;
            EXPECT_EQ(image.At(size - 1, size - 1) >> 24, 0u);
            EXPECT_EQ(image.At(size / 2, size / 2) >> 24, 255u);
            // Smoothed edges: some pixels are partly covered.
            bool partial = false;
            for (const std::uint32_t pixel : image.pixels) {
                const std::uint32_t alpha = pixel >> 24;
                partial = partial || (alpha > 0 && alpha < 255);
            }
            EXPECT_TRUE(partial);
        }
    }
}

TEST(AppIcons, RunningIsGreenAndStoppedIsGrey) {
    const IconImage running = DrawAppIcon(AppIconId::Running, 32);
    const IconImage stopped = DrawAppIcon(AppIconId::Stopped, 32);
    // Just inside the circle's top edge, above the bubble.
    const std::uint32_t green = running.At(16, 2);
    EXPECT_GT((green >> 8) & 0xFF, (green >> 16) & 0xFF);
    EXPECT_GT((green >> 8) & 0xFF, green & 0xFF);
    const std::uint32_t grey = stopped.At(16, 2);
    EXPECT_EQ((grey >> 16) & 0xFF, grey & 0xFF);
    EXPECT_NE(running.pixels, stopped.pixels);
}

TEST(AppIcons, TheIcoFileHoldsThreeSizesOf32BitPictures) {
    const std::vector<std::uint8_t> file = AppIconFile(AppIconId::Program);
    ASSERT_GE(file.size(), 6u + 3 * 16);
    EXPECT_EQ(Le16(file, 0), 0);
    EXPECT_EQ(Le16(file, 2), 1);
    ASSERT_EQ(Le16(file, 4), 3);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const int size = kAppIconSizes[i];
        EXPECT_EQ(file[entry], size);
        EXPECT_EQ(file[entry + 1], size);
        EXPECT_EQ(Le16(file, entry + 6), 32);
        const std::uint32_t bytes = Le32(file, entry + 8);
        const std::uint32_t offset = Le32(file, entry + 12);
        const std::uint32_t maskRow = ((size + 31) / 32) * 4;
        EXPECT_EQ(bytes, 40u + size * size * 4 + maskRow * size);
        ASSERT_LE(static_cast<std::size_t>(offset) + bytes, file.size());
        EXPECT_EQ(Le32(file, offset), 40u);
        EXPECT_EQ(Le32(file, offset + 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(Le32(file, offset + 8), static_cast<std::uint32_t>(size * 2));
        // The bottom-left pixel comes first and is a transparent corner; its mask bit is set.
        EXPECT_EQ(Le32(file, offset + 40) >> 24, 0u);
        EXPECT_EQ(file[offset + 40 + size * size * 4] & 0x80, 0x80);
    }
}

TEST(AppIcons, CommittedFilesMatchTheDrawings) {
    for (const AppIconId id : kAllAppIcons) {
        const std::string path = std::string(APP_ICONS_DIR) + "/" + AppIconFileStem(id) + ".ico";
        std::ifstream in(path, std::ios::binary);
        ASSERT_TRUE(in) << path;
        const std::vector<std::uint8_t> committed((std::istreambuf_iterator<char>(in)),
                                                  std::istreambuf_iterator<char>());
        EXPECT_EQ(committed, AppIconFile(id))
            << path << " is stale: run app_icon_gen messages/settings/icons";
    }
}

}  // namespace
}  // namespace murmurex
