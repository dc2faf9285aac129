#pragma once
// The program's own icons, drawn in code: the program icon and the tray icons for a running
// and a stopped display. app_icon_gen writes them as .ico files (16, 32 and 48 pixels, 32-bit
// with alpha), which the program compiles in as ICON resources.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace murmurex {

enum class AppIconId { Program, Running, Stopped };

inline constexpr std::array<AppIconId, 3> kAllAppIcons{AppIconId::Program, AppIconId::Running,
                                                       AppIconId::Stopped};
inline constexpr std::array<int, 3> kAppIconSizes{16, 32, 48};

/// A square picture, top row first; each pixel 0xAARRGGBB with straight (not premultiplied)
/// alpha.
struct IconImage {
    int size = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                      static_cast<std::size_t>(x)];
    }
};

/// The file stem of an icon ("murmurex", "running", "stopped").
std::string AppIconFileStem(AppIconId id);

/// Draws one icon at `size` pixels, edges smoothed through the alpha channel.
IconImage DrawAppIcon(AppIconId id, int size);

/// An .ico file holding `images` as 32-bit pictures with alpha (and the matching mask).
std::vector<std::uint8_t> EncodeIco(const std::vector<IconImage>& images);

/// Every size of one icon, as its .ico file.
std::vector<std::uint8_t> AppIconFile(AppIconId id);

}  // namespace murmurex
