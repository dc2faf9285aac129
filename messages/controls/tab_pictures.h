#pragma once
// The tab strip's pictures, drawn here pixel by pixel: the background gradient, the
// separator, the two glassy tab pictures and the three drop-arrow buttons. The same pixels
// are written as 24-bit .bmp files that the Windows build embeds as bitmap resources; a test
// checks that the committed files still equal what these functions draw.

#include <cstdint>
#include <string>
#include <vector>

namespace murmurex {

/// A picture of `width` x `height` pixels, rows from the top, each 0x00RRGGBB.
struct TabBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

/// The pictures by name; the name is also the bitmap resource's name and the file's stem.
enum class TabPictureId {
    Background,  // 2 x 35: behind every button and the strip
    Separator,   // 3 x 25: the divider at the right of each button
    TabOver,     // 64 x 36: light-blue glassy tab
    TabDown,     // 65 x 36: darker-blue tab, pressed or selected
    MenuNormal,  // 22 x 36: round drop-arrow button, three shadings
    MenuOver,
    MenuDown,
};
inline constexpr TabPictureId kAllTabPictures[] = {
    TabPictureId::Background, TabPictureId::Separator,  TabPictureId::TabOver,
    TabPictureId::TabDown,    TabPictureId::MenuNormal, TabPictureId::MenuOver,
    TabPictureId::MenuDown,
};

/// "TAB_BACKGROUND" and so on: resource name and file stem (lower case for the file).
const char* TabPictureName(TabPictureId id) noexcept;

/// The picture as designed (96 DPI), or drawn afresh for `dpi`: the same shapes and gradients
/// at dpi / 96 times the size, sharp where a stretched copy would blur.
TabBitmap DrawTabPicture(TabPictureId id, int dpi = 96);

/// The picture as a bottom-up 24-bit .bmp file.
std::vector<std::uint8_t> EncodeBmp(const TabBitmap& bitmap);

}  // namespace murmurex
