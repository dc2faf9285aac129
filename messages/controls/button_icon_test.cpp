#include "button_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "canvas_pixels.h"
#include "portable/little_endian.h"
#include "styled_button.h"
#include "testing/stopwatch.h"

namespace murmurex {
namespace {

using common::AppendLe16;
using common::AppendLe32;

constexpr Colour kBackground = Rgb(250, 0, 250);

// A 16 x 16 picture: colours that differ in every pixel, the top-left pixel transparent.
IconImage Picture(int side = 16) {
    IconImage image;
    image.width = side;
    image.height = side;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            image.colours.push_back(Rgb(10 + 15 * x % 240, 250 - 15 * y % 240, 60 + x + y));
            image.alpha.push_back(x == 0 && y == 0 ? 0 : 255);
        }
    }
    return image;
}

struct HandImage {
    int width;
    int height;
    int bits;
    std::vector<std::uint8_t> body;  // header, palette, colour rows, mask rows
};

// A 4-bit image, 8 x 2: the top row palette index 1 (red), the bottom row index 2 (blue),
// the rightmost pixel of the top row masked out. Rows are stored bottom-up.
HandImage FourBitImage() {
    HandImage image{8, 2, 4, {}};
    std::vector<std::uint8_t>& b = image.body;
    AppendLe32(b, 40);
    AppendLe32(b, 8);
    AppendLe32(b, 4);  // colour and mask rows
    AppendLe16(b, 1);
    AppendLe16(b, 4);
    for (int i = 0; i < 6; ++i) {
        AppendLe32(b, 0);
    }
    for (int i = 0; i < 16; ++i) {
        // Bytes blue, green, red, reserved: as a little-endian number red is 0xFF0000.
        const unsigned quad = i == 1 ? 0xFF0000 : (i == 2 ? 0x0000FF : 0x000000);
        AppendLe32(b, quad);
    }
    // Bottom row first: eight pixels of index 2, then the top row of index 1.
    for (int i = 0; i < 4; ++i) b.push_back(0x22);
    for (int i = 0; i < 4; ++i) b.push_back(0x11);
    // Mask, bottom-up, four bytes a row: the top row's last pixel transparent.
    b.insert(b.end(), {0x00, 0, 0, 0});
    b.insert(b.end(), {0x01, 0, 0, 0});
    return image;
}

// A 24-bit image, 3 x 1 (rows padded to 12 bytes), mask all opaque.
HandImage TwentyFourBitImage() {
    HandImage image{3, 1, 24, {}};
    std::vector<std::uint8_t>& b = image.body;
    AppendLe32(b, 40);
    AppendLe32(b, 3);
    AppendLe32(b, 2);
    AppendLe16(b, 1);
    AppendLe16(b, 24);
    for (int i = 0; i < 6; ++i) {
        AppendLe32(b, 0);
    }
    b.insert(b.end(), {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0});  // B G R per pixel, then padding
    b.insert(b.end(), {0, 0, 0, 0});
    return image;
}

std::vector<std::uint8_t> IconFile(const std::vector<HandImage>& images) {
    std::vector<std::uint8_t> file;
    AppendLe16(file, 0);
    AppendLe16(file, 1);
    AppendLe16(file, static_cast<unsigned>(images.size()));
    std::size_t offset = 6 + 16 * images.size();
    for (const HandImage& image : images) {
        file.push_back(static_cast<std::uint8_t>(image.width));
        file.push_back(static_cast<std::uint8_t>(image.height));
        file.push_back(0);
        file.push_back(0);
        AppendLe16(file, 1);
        AppendLe16(file, static_cast<unsigned>(image.bits));
        AppendLe32(file, static_cast<unsigned>(image.body.size()));
        AppendLe32(file, static_cast<unsigned>(offset));
        offset += image.body.size();
    }
    for (const HandImage& image : images) {
        file.insert(file.end(), image.body.begin(), image.body.end());
    }
    return file;
}

TEST(IconFile, PaletteImageTopRowFirstWithItsMask) {
    const auto image = DecodeIconFile(IconFile({FourBitImage()}), 16);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->width, 8);
    ASSERT_EQ(image->height, 2);
    EXPECT_EQ(image->ColourAt(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(image->ColourAt(0, 1), Rgb(0, 0, 255));
    EXPECT_EQ(image->AlphaAt(6, 0), 255);
    EXPECT_EQ(image->AlphaAt(7, 0), 0);
    EXPECT_EQ(image->AlphaAt(7, 1), 255);
}

TEST(IconFile, TwentyFourBitRowsArePadded) {
    const auto image = DecodeIconFile(IconFile({TwentyFourBitImage()}), 16);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->ColourAt(0, 0), Rgb(3, 2, 1));
    EXPECT_EQ(image->ColourAt(2, 0), Rgb(9, 8, 7));
}

TEST(IconFile, ThirtyTwoBitRoundTripKeepsPartialCoverage) {
    IconImage picture = Picture(20);
    picture.alpha[5] = 100;
    const auto image = DecodeIconFile(EncodeIconFile(picture), 20);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->colours, picture.colours);
    EXPECT_EQ(image->alpha, picture.alpha);
}

TEST(IconFile, NearestSizeIsChosenAndTiesGoToTheLarger) {
    IconImage small = Picture(16);
    IconImage large = Picture(32);
    // One file with both images, made from two single-image files.
    const auto a = EncodeIconFile(small);
    const auto b = EncodeIconFile(large);
    HandImage first{16, 16, 32, {a.begin() + 22, a.end()}};
    HandImage second{32, 32, 32, {b.begin() + 22, b.end()}};
    const auto file = IconFile({first, second});
    EXPECT_EQ(DecodeIconFile(file, 16)->width, 16);
    EXPECT_EQ(DecodeIconFile(file, 20)->width, 16);
    EXPECT_EQ(DecodeIconFile(file, 24)->width, 32);
    EXPECT_EQ(DecodeIconFile(file, 48)->width, 32);
}

TEST(IconFile, CompressedImagesArePassedOver) {
    HandImage png{16, 16, 32, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}};
    png.body.resize(64, 0);
    EXPECT_FALSE(DecodeIconFile(IconFile({png}), 16));
    const auto withBitmap = DecodeIconFile(IconFile({png, FourBitImage()}), 16);
    ASSERT_TRUE(withBitmap);
    EXPECT_EQ(withBitmap->width, 8);
}

TEST(IconFile, ManyEntriesSharingOneLargeImageDecodeItOnce) {
    // 4,000 entries all claiming 16 pixels and pointing at one 256 x 256 image: the work
    // must stay one image's, not one per entry.
    const auto single = EncodeIconFile(Picture(256));
    const std::vector<std::uint8_t> body(single.begin() + 22, single.end());
    constexpr unsigned kEntries = 4000;
    std::vector<std::uint8_t> file;
    AppendLe16(file, 0);
    AppendLe16(file, 1);
    AppendLe16(file, kEntries);
    const unsigned offset = 6 + 16 * kEntries;
    for (unsigned i = 0; i < kEntries; ++i) {
        file.insert(file.end(), {16, 16, 0, 0});
        AppendLe16(file, 1);
        AppendLe16(file, 32);
        AppendLe32(file, static_cast<unsigned>(body.size()));
        AppendLe32(file, offset);
    }
    file.insert(file.end(), body.begin(), body.end());
    const test_support::Stopwatch watch;
    const auto image = DecodeIconFile(file, 16);
    const auto took = watch.Elapsed();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 256);
    EXPECT_LT(took, std::chrono::seconds(1));
}

TEST(IconFile, DamagedFilesGiveNoImage) {
    const auto good = IconFile({FourBitImage()});
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        EXPECT_FALSE(DecodeIconFile(std::span(good).first(cut), 16)) << cut;
    }
    // A directory that claims far more entries than the file holds.
    auto claims = good;
    claims[4] = 0xFF;
    claims[5] = 0xFF;
    EXPECT_FALSE(DecodeIconFile(claims, 16));
    // An entry pointing past the end, and an image far larger than any icon.
    auto past = good;
    past[6 + 12] = 0xF0;
    EXPECT_FALSE(DecodeIconFile(past, 16));
    auto huge = good;
    huge[22 + 4] = 0x00;
    huge[22 + 5] = 0x40;  // width 16384
    EXPECT_FALSE(DecodeIconFile(huge, 16));
    auto negative = good;
    negative[22 + 11] = 0xFF;  // height negative
    EXPECT_FALSE(DecodeIconFile(negative, 16));
    EXPECT_FALSE(DecodeIconFile({}, 16));
}

std::vector<std::uint8_t> ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// Icon files written by other tools, where this machine has them. The expected pixels were
// read from the same files with ImageMagick, a decoder of its own.
TEST(IconFile, RealIconsFromOtherTools) {
    int read = 0;
    if (const auto bytes = ReadFile("/usr/share/clang/scan-view-14/share/bugcatcher.ico");
        !bytes.empty()) {
        // One 16 x 16 image of 4 bits per pixel, fully opaque.
        const auto image = DecodeIconFile(bytes, 16);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 16);
        EXPECT_EQ(image->ColourAt(0, 0), Rgb(255, 255, 255));
        EXPECT_EQ(image->ColourAt(7, 0), Rgb(128, 128, 128));
        EXPECT_EQ(image->ColourAt(7, 7), Rgb(192, 192, 192));
        EXPECT_EQ(image->ColourAt(2, 2), Rgb(128, 128, 128));
        EXPECT_EQ(image->ColourAt(5, 4), Rgb(192, 192, 192));
        EXPECT_EQ(std::count(image->alpha.begin(), image->alpha.end(), 255), 256);
        ++read;
    }
    if (const auto bytes = ReadFile("/usr/share/doc/fp-compiler/3.2.2/wince/SysInfo/sysinfo.ico");
        !bytes.empty()) {
        // 32 x 32 and 16 x 16 images of 4 bits per pixel with masks.
        const auto image = DecodeIconFile(bytes, 32);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 32);
        EXPECT_EQ(image->AlphaAt(0, 0), 0);
        EXPECT_EQ(image->ColourAt(11, 9), Rgb(128, 128, 128));
        EXPECT_EQ(image->AlphaAt(11, 9), 255);
        EXPECT_EQ(image->ColourAt(15, 16), Rgb(255, 255, 255));
        EXPECT_EQ(image->AlphaAt(31, 31), 0);
        EXPECT_EQ(std::count(image->alpha.begin(), image->alpha.end(), 0), 96);
        EXPECT_EQ(DecodeIconFile(bytes, 16)->width, 16);
        ++read;
    }
    if (const auto bytes =
            ReadFile("/root/.pyenv/versions/3.13.0/lib/python3.13/idlelib/Icons/idle.ico");
        !bytes.empty()) {
        // 16, 32 and 48 pixels at 32 bits with partial alpha, and a compressed 256.
        const auto image = DecodeIconFile(bytes, 16);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, 16);
        EXPECT_EQ(image->ColourAt(0, 0), Rgb(183, 183, 183));
        EXPECT_EQ(image->ColourAt(7, 7), Rgb(62, 116, 160));
        EXPECT_EQ(image->ColourAt(8, 8), Rgb(234, 239, 243));
        EXPECT_EQ(image->AlphaAt(14, 15), 0);
        EXPECT_EQ(image->ColourAt(11, 0), Rgb(196, 196, 196));
        EXPECT_EQ(image->AlphaAt(11, 0), 127);
        EXPECT_EQ(image->AlphaAt(13, 3), 181);
        EXPECT_EQ(DecodeIconFile(bytes, 32)->width, 32);
        EXPECT_EQ(DecodeIconFile(bytes, 256)->width, 48);
        ++read;
    }
    if (read == 0) {
        GTEST_SKIP() << "no icon files of other tools on this machine";
    }
}

TEST(GreyIcon, KeptGreysStayAndOthersUseTheWeights) {
    const Colour kept[] = {0x000000, 0x101010, 0x202020, 0x303030, 0x404040, 0x505050,
                           0x606060, 0x707070, 0x808080, 0xA0A0A0, 0xB0B0B0, 0xC0C0C0,
                           0xD0D0D0, 0xE0E0E0, 0xF0F0F0, 0xFFFFFF};
    for (const Colour c : kept) {
        EXPECT_TRUE(IsKeptGrey(c)) << std::hex << c;
        EXPECT_EQ(GreyIconPixel(c), c) << std::hex << c;
    }
    // 0x909090 is not kept: 1.03 x 144 = 148.32.
    EXPECT_FALSE(IsKeptGrey(0x909090));
    EXPECT_EQ(GreyIconPixel(0x909090), Rgb(148, 148, 148));
    // Other greys are not kept either: 1.03 x 0x11 = 17.51.
    EXPECT_EQ(GreyIconPixel(0x111111), Rgb(18, 18, 18));
    // The weights belong to their channels: red 0.33, green 0.59, blue 0.11.
    EXPECT_EQ(GreyIconPixel(Rgb(100, 0, 0)), Rgb(33, 33, 33));
    EXPECT_EQ(GreyIconPixel(Rgb(0, 100, 0)), Rgb(59, 59, 59));
    EXPECT_EQ(GreyIconPixel(Rgb(0, 0, 100)), Rgb(11, 11, 11));
    // Halves go to the even neighbour: 29.5 -> 30, 88.5 -> 88, 0.5 -> 0, 5.5 -> 6.
    EXPECT_EQ(GreyIconPixel(Rgb(0, 50, 0)), Rgb(30, 30, 30));
    EXPECT_EQ(GreyIconPixel(Rgb(0, 150, 0)), Rgb(88, 88, 88));
    EXPECT_EQ(GreyIconPixel(Rgb(0, 0, 50)), Rgb(6, 6, 6));     // 5.5
    EXPECT_EQ(GreyIconPixel(Rgb(50, 0, 0)), Rgb(16, 16, 16));  // 16.5
    // Near white the sum passes 255 and is capped.
    EXPECT_EQ(GreyIconPixel(Rgb(255, 255, 254)), Rgb(255, 255, 255));
    EXPECT_EQ(GreyIconPixel(Rgb(250, 250, 250)), Rgb(255, 255, 255));
}

TEST(GreyIcon, PaintsEveryPixelGreyAndKeepsTheMask) {
    // A picture holding the kept greys, 0x909090 and colours, one pixel transparent.
    IconImage picture;
    picture.width = 5;
    picture.height = 4;
    const Colour colours[] = {0x000000,       0x101010,       0x808080,           0x909090,
                              0xA0A0A0,       0xF0F0F0,       0xFFFFFF,           Rgb(255, 0, 0),
                              Rgb(0, 255, 0), Rgb(0, 0, 255), Rgb(0, 50, 0),      Rgb(12, 200, 99),
                              0x707070,       0xE0E0E0,       0x7F7F7F,           Rgb(1, 2, 3),
                              0xC0C0C0,       0x303030,       Rgb(250, 250, 250), 0x505050};
    for (const Colour c : colours) {
        picture.colours.push_back(c);
        picture.alpha.push_back(255);
    }
    picture.alpha[7] = 0;  // the red one is masked out
    PixelCanvas canvas(12, 12, kBackground);
    const PixelRect all{0, 0, 12, 12};
    ASSERT_TRUE(PaintIconGrayscale(canvas, &picture, 3, 4, 5, 4, all));
    for (int i = 0; i < 20; ++i) {
        const int x = 3 + i % 5;
        const int y = 4 + i / 5;
        if (i == 7) {
            EXPECT_EQ(canvas.At(x, y), kBackground);
            continue;
        }
        const Colour painted = canvas.At(x, y);
        EXPECT_EQ(painted, GreyIconPixel(colours[i])) << i;
        EXPECT_TRUE(RedOf(painted) == GreenOf(painted) && GreenOf(painted) == BlueOf(painted));
    }
    EXPECT_EQ(canvas.At(3, 4), Rgb(0, 0, 0));
    EXPECT_EQ(canvas.At(3 + 3, 4), Rgb(148, 148, 148));
    EXPECT_EQ(canvas.At(3, 4 + 2), Rgb(30, 30, 30));
    // Nothing outside the picture's place.
    EXPECT_EQ(canvas.At(2, 4), kBackground);
    EXPECT_EQ(canvas.At(8, 4), kBackground);

    EXPECT_FALSE(PaintIconGrayscale(canvas, nullptr, 0, 0, 5, 4, all));
    EXPECT_FALSE(PaintIconGrayscale(canvas, &picture, 0, 0, 0, 4, all));

    // Only the visible part is drawn.
    PixelCanvas clipped(12, 12, kBackground);
    ASSERT_TRUE(PaintIconGrayscale(clipped, &picture, 3, 4, 5, 4, PixelRect{4, 0, 12, 6}));
    EXPECT_EQ(clipped.At(3, 4), kBackground);
    EXPECT_EQ(clipped.At(4, 4), GreyIconPixel(colours[1]));
    EXPECT_EQ(clipped.At(4, 6), kBackground);
}

// The bounding box of what differs from the background.
PixelRect Drawn(const PixelCanvas& c, Colour background = kBackground) {
    PixelRect box{c.Width(), c.Height(), -1, -1};
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            if (c.At(x, y) != background) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    return box;
}

TEST(ButtonIcon, PositionByAlignmentAndPressedOffset) {
    // Halves to even: (101 - 16) / 2 = 42.5 -> 42, (41 - 16) / 2 = 12.5 -> 12.
    const auto file = EncodeIconFile(Picture());
    struct Case {
        int align;
        int x;
        int y;
    };
    for (const Case& k :
         {Case{0, 42, 12}, Case{1, 7, 12}, Case{2, 78, 12}, Case{3, 42, 7}, Case{4, 42, 18}}) {
        for (const int state : {1, 2, 3, 4}) {
            ButtonIconRequest request;
            request.icon = file;
            request.iconAlign = k.align;
            request.width = 101;
            request.height = 41;
            request.textMargin = 7;
            request.style = 10;
            request.paintState = state;
            PixelCanvas c(101, 41, kBackground);
            PaintButtonIcon(c, request);
            const int shift = state == 3 ? 1 : 0;
            // The top-left pixel is transparent, so the box starts one pixel in on top.
            const PixelRect box = Drawn(c);
            EXPECT_EQ(box,
                      (PixelRect{k.x + shift, k.y + shift, k.x + shift + 16, k.y + shift + 16}))
                << "align " << k.align << " state " << state;
            EXPECT_EQ(c.At(k.x + shift, k.y + shift), kBackground);
            const Colour corner = c.At(k.x + shift + 15, k.y + shift + 15);
            if (state == 4) {
                EXPECT_EQ(corner, GreyIconPixel(Picture().ColourAt(15, 15)));
            } else {
                EXPECT_EQ(corner, Picture().ColourAt(15, 15));
            }
        }
    }
}

TEST(ButtonIcon, HugeIconSizeCostsOnlyTheButtonsPixels) {
    // IconSize is a 16-bit property: 32,767 squared pixels would be a billion visits.
    const auto file = EncodeIconFile(Picture(16));
    ButtonIconRequest request;
    request.icon = file;
    request.iconSize = 32767;
    request.iconAlign = 1;
    request.width = 100;
    request.height = 30;
    request.textMargin = 4;
    PixelCanvas c(100, 30, kBackground);
    const test_support::Stopwatch watch;
    PaintButtonIcon(c, request);
    EXPECT_LT(watch.Elapsed(), std::chrono::seconds(1));
    // At y = (30 - 32767) / 2 = -16368 (a half, to even), button row 20 is picture row
    // 16388 * 16 / 32767 = 8; from x = 4 every column is the picture's first.
    EXPECT_EQ(c.At(3, 20), kBackground);
    EXPECT_EQ(c.At(50, 20), Picture().ColourAt(0, 8));
    EXPECT_EQ(c.At(99, 0), Picture().ColourAt(0, 7));
}

TEST(ButtonIcon, ScaledToIconSize) {
    const auto file = EncodeIconFile(Picture(16));
    ButtonIconRequest request;
    request.icon = file;
    request.iconSize = 32;
    request.iconAlign = 1;
    request.width = 100;
    request.height = 40;
    request.textMargin = 4;
    PixelCanvas c(100, 40, kBackground);
    PaintButtonIcon(c, request);
    EXPECT_EQ(Drawn(c), (PixelRect{4, 4, 36, 36}));
    // Each picture pixel covers two by two.
    EXPECT_EQ(c.At(4 + 2 * 5, 4 + 2 * 7), Picture().ColourAt(5, 7));
    EXPECT_EQ(c.At(4 + 2 * 5 + 1, 4 + 2 * 7 + 1), Picture().ColourAt(5, 7));
}

TEST(ButtonIcon, MaskColourIsLeftTransparentAndGreyWhenDisabled) {
    IconImage picture = Picture();
    const Colour mask = Rgb(0xC0, 0xC0, 0xC0);
    picture.colours[16 * 3 + 4] = mask;
    const auto file = EncodeIconFile(picture);
    for (const int state : {1, 4}) {
        ButtonIconRequest request;
        request.icon = file;
        request.iconAlign = 1;
        request.width = 60;
        request.height = 30;
        request.textMargin = 3;
        request.paintState = state;
        request.useMaskColor = true;
        request.maskColor = mask;
        PixelCanvas c(60, 30, kBackground);
        PaintButtonIcon(c, request);
        const int x = 3;
        const int y = 7;
        EXPECT_EQ(c.At(x + 4, y + 3), kBackground) << state;
        const Colour expected =
            state == 4 ? GreyIconPixel(picture.ColourAt(5, 3)) : picture.ColourAt(5, 3);
        EXPECT_EQ(c.At(x + 5, y + 3), expected) << state;
    }
}

TEST(ButtonIcon, StyleFourHotShadowWithoutMask) {
    const auto file = EncodeIconFile(Picture());
    const Colour body = Lighten(Rgb(0, 120, 215), 176);
    ButtonIconRequest request;
    request.icon = file;
    request.iconAlign = 0;
    request.width = 60;
    request.height = 40;
    request.textMargin = 3;
    request.style = 4;
    request.paintState = 2;
    PixelCanvas c(60, 40, body);
    PaintButtonIcon(c, request);
    const int x = 22;  // (60 - 16) / 2
    const int y = 12;  // (40 - 16) / 2
    // The icon itself, moved up and left by two.
    EXPECT_EQ(c.At(x - 2 + 5, y - 2 + 5), Picture().ColourAt(5, 5));
    // Where the moved icon does not cover the picture's square, the shadow shows.
    EXPECT_EQ(c.At(x + 15, y + 15), kIconShadowColour);
    EXPECT_EQ(c.At(x + 14, y + 15), kIconShadowColour);
    // The square's transparent pixel kept the body colour, so it stays unshadowed.
    EXPECT_EQ(c.At(x - 2, y - 2), body);
    EXPECT_EQ(Drawn(c, body), (PixelRect{x - 2, y - 2, x + 16, y + 16}));
}

TEST(ButtonIcon, StyleFourHotShadowWithMask) {
    const auto file = EncodeIconFile(Picture());
    const Colour body = Rgb(200, 220, 240);
    ButtonIconRequest request;
    request.icon = file;
    request.iconAlign = 0;
    request.width = 60;
    request.height = 40;
    request.style = 4;
    request.paintState = 2;
    request.useMaskColor = true;
    request.maskColor = Rgb(1, 1, 1);  // in no pixel
    PixelCanvas c(60, 40, body);
    PaintButtonIcon(c, request);
    const int x = 22;
    const int y = 12;
    // Shadow at (+1, +1), icon at (-1, -1) and again at (-2, -2).
    EXPECT_EQ(c.At(x + 1 + 15, y + 1 + 15), kIconShadowColour);
    EXPECT_EQ(c.At(x - 1 + 15, y - 1 + 15), Picture().ColourAt(15, 15));
    EXPECT_EQ(c.At(x - 2 + 3, y - 2 + 3), Picture().ColourAt(3, 3));
    EXPECT_EQ(Drawn(c, body), (PixelRect{x - 2, y - 2, x + 17, y + 17}));
    // The other styles draw no shadow when hot.
    request.style = 5;
    PixelCanvas plain(60, 40, body);
    PaintButtonIcon(plain, request);
    EXPECT_EQ(Drawn(plain, body), (PixelRect{x, y, x + 16, y + 16}));
}

TEST(ButtonIcon, UnreadablePictureIsLeftToTheCanvasAndHiddenWhenDisabled) {
    const std::vector<std::uint8_t> unreadable = {0, 0, 1, 0, 1, 0, 16, 16};
    ButtonIconRequest request;
    request.icon = unreadable;
    request.width = 60;
    request.height = 30;
    request.textMargin = 3;
    PixelCanvas c(60, 30, kBackground);
    PaintButtonIcon(c, request);
    ASSERT_EQ(c.Icons().size(), 1u);
    EXPECT_EQ(c.Icons()[0].x, 3);
    request.paintState = 4;
    PixelCanvas disabled(60, 30, kBackground);
    PaintButtonIcon(disabled, request);
    EXPECT_TRUE(disabled.Icons().empty());
    request.icon = {};
    PixelCanvas none(60, 30, kBackground);
    PaintButtonIcon(none, request);
    EXPECT_TRUE(none.Icons().empty());
    EXPECT_EQ(Drawn(none), (PixelRect{60, 30, -1, -1}));
}

}  // namespace
}  // namespace murmurex
