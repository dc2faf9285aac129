#include "tab_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace murmurex {
namespace {

int Channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

int Brightness(std::uint32_t rgb) {
    return Channel(rgb, 16) + Channel(rgb, 8) + Channel(rgb, 0);
}

bool Bluish(std::uint32_t rgb) {
    return Channel(rgb, 0) > Channel(rgb, 16);
}

TEST(TabPictures, SizesAreTheFixedOnes) {
    const struct {
        TabPictureId id;
        int width, height;
    } sizes[] = {{TabPictureId::Background, 2, 35},  {TabPictureId::Separator, 3, 25},
                 {TabPictureId::TabOver, 64, 36},    {TabPictureId::TabDown, 65, 36},
                 {TabPictureId::MenuNormal, 22, 36}, {TabPictureId::MenuOver, 22, 36},
                 {TabPictureId::MenuDown, 22, 36}};
    for (const auto& size : sizes) {
        const TabBitmap bitmap = DrawTabPicture(size.id);
        EXPECT_EQ(bitmap.width, size.width) << TabPictureName(size.id);
        EXPECT_EQ(bitmap.height, size.height) << TabPictureName(size.id);
        EXPECT_EQ(bitmap.pixels.size(), static_cast<std::size_t>(size.width * size.height));
    }
}

TEST(TabPictures, GradientsHitTheirEndColours) {
    const TabBitmap background = DrawTabPicture(TabPictureId::Background);
    for (int x = 0; x < 2; ++x) {
        EXPECT_EQ(background.At(x, 0), 0xEAF3FFu);
        EXPECT_EQ(background.At(x, 17), 0xB8CDECu);
        EXPECT_EQ(background.At(x, 18), 0x97B9E4u);
        EXPECT_EQ(background.At(x, 33), 0x618EC7u);
        EXPECT_EQ(background.At(x, 34), 0x6598E0u);
    }
    // Each half darkens steadily downwards.
    for (int y = 1; y <= 33; ++y) {
        if (y != 18) {
            EXPECT_LT(Brightness(background.At(0, y)), Brightness(background.At(0, y - 1))) << y;
        }
    }

    const TabBitmap separator = DrawTabPicture(TabPictureId::Separator);
    EXPECT_EQ(separator.At(1, 0), 0xDDE9FCu);
    EXPECT_EQ(separator.At(1, 12), 0xC5D6EFu);
    EXPECT_EQ(separator.At(1, 13), 0xA9C5E9u);
    EXPECT_EQ(separator.At(1, 24), 0x729DD1u);
}

TEST(TabPictures, TabsAreRoundedGlassOverTheBackground) {
    const TabBitmap background = DrawTabPicture(TabPictureId::Background);
    for (TabPictureId id : {TabPictureId::TabOver, TabPictureId::TabDown}) {
        const TabBitmap tab = DrawTabPicture(id);
        // The curved top corners leave the strip's own colour showing.
        EXPECT_EQ(tab.At(0, 1), background.At(0, 0)) << TabPictureName(id);
        EXPECT_EQ(tab.At(tab.width - 1, 1), background.At(0, 0)) << TabPictureName(id);
        // Glass: the lower half is deeper than the upper one, both blue.
        const int mid = tab.width / 2;
        EXPECT_TRUE(Bluish(tab.At(mid, 8)));
        EXPECT_TRUE(Bluish(tab.At(mid, 28)));
        EXPECT_GT(Brightness(tab.At(mid, 8)), Brightness(tab.At(mid, 28)));
    }
    // The selected picture is the darker one, so its white caption reads.
    EXPECT_LT(Brightness(DrawTabPicture(TabPictureId::TabDown).At(32, 18)),
              Brightness(DrawTabPicture(TabPictureId::TabOver).At(32, 18)) - 150);
}

TEST(TabPictures, MenuButtonsShareTheArrowAndDifferInShading) {
    const TabBitmap normal = DrawTabPicture(TabPictureId::MenuNormal);
    const TabBitmap over = DrawTabPicture(TabPictureId::MenuOver);
    const TabBitmap down = DrawTabPicture(TabPictureId::MenuDown);
    for (const TabBitmap* button : {&normal, &over, &down}) {
        // The arrow's middle is dark ink; the ring beside it is the light button body.
        EXPECT_LT(Brightness(button->At(11, 17)), 250);
        EXPECT_GT(Brightness(button->At(11, 12)), 400);
        // Outside the circle: the background gradient.
        EXPECT_EQ(button->At(0, 0), DrawTabPicture(TabPictureId::Background).At(0, 0));
    }
    EXPECT_NE(normal.At(11, 12), over.At(11, 12));
    EXPECT_GT(Brightness(normal.At(11, 22)), Brightness(down.At(11, 22)));
}

// How far the mean of the 2 x 2 block of `large` at (2x, 2y) is from `design` at (x, y), in
// the channel that differs most.
int BlockDifference(const TabBitmap& design, const TabBitmap& large, int x, int y) {
    int worst = 0;
    for (int shift : {0, 8, 16}) {
        const int sum = Channel(large.At(2 * x, 2 * y), shift) +
                        Channel(large.At(2 * x + 1, 2 * y), shift) +
                        Channel(large.At(2 * x, 2 * y + 1), shift) +
                        Channel(large.At(2 * x + 1, 2 * y + 1), shift);
        worst = std::max(worst, std::abs((sum + 2) / 4 - Channel(design.At(x, y), shift)));
    }
    return worst;
}

// Drawn for 192 DPI, each design pixel becomes a 2 x 2 block of about its colour: the same
// shapes and gradients, larger. Where the design has a hard step inside a pixel the block may
// land half a pixel off, so a few pixels may differ by up to half that step.
TEST(TabPictures, DrawnForADpiTheyAreTheSamePicturesLarger) {
    for (TabPictureId id : kAllTabPictures) {
        const TabBitmap design = DrawTabPicture(id);
        const TabBitmap large = DrawTabPicture(id, 192);
        const TabBitmap between = DrawTabPicture(id, 144);
        ASSERT_EQ(large.width, design.width * 2) << TabPictureName(id);
        ASSERT_EQ(large.height, design.height * 2) << TabPictureName(id);
        EXPECT_NEAR(between.width, design.width * 1.5, 0.5) << TabPictureName(id);
        EXPECT_NEAR(between.height, design.height * 1.5, 0.5) << TabPictureName(id);
        int worst = 0;
        int off = 0;
        for (int y = 0; y < design.height; ++y) {
            for (int x = 0; x < design.width; ++x) {
                const int spread = BlockDifference(design, large, x, y);
                worst = std::max(worst, spread);
                off += spread > 12 ? 1 : 0;
            }
        }
        EXPECT_LE(worst, 40) << TabPictureName(id);
        EXPECT_LE(off * 20, design.width * design.height) << TabPictureName(id);
    }
}

// The Windows build embeds the committed files: they must be what the drawing code makes.
TEST(TabPictures, CommittedFilesMatchTheDrawings) {
    for (TabPictureId id : kAllTabPictures) {
        std::string stem = TabPictureName(id);
        for (char& c : stem) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        std::ifstream file(std::string(TAB_PICTURES_DIR) + "/" + stem + ".bmp", std::ios::binary);
        ASSERT_TRUE(file) << stem;
        const std::vector<std::uint8_t> committed{std::istreambuf_iterator<char>(file), {}};
        EXPECT_EQ(committed, EncodeBmp(DrawTabPicture(id)))
            << stem << ": run tab_picture_gen messages/controls/tab_pictures";
    }
}

}  // namespace
}  // namespace murmurex
