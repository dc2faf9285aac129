#pragma once
// An icon as pixels: the button draws icons itself (scaled, masked, shadowed or grey), so it
// reads the ".ico" file image of its Icon property into colours and coverage. Only bitmap
// images are read (1, 4, 8, 24 and 32 bits per pixel); a file holding only compressed (PNG)
// images gives no pixels, and the canvas then draws the picture its own way.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "colour.h"

namespace murmurex {

struct IconImage {
    int width = 0;
    int height = 0;
    /// Row by row from the top, 0x00BBGGRR.
    std::vector<Colour> colours;
    /// Coverage of each pixel, 0 (transparent) to 255 (opaque).
    std::vector<std::uint8_t> alpha;

    Colour ColourAt(int x, int y) const noexcept {
        return colours[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x)];
    }
    std::uint8_t AlphaAt(int x, int y) const noexcept {
        return alpha[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x)];
    }
};

/// The largest side read; bigger images are refused rather than decoded.
inline constexpr int kIconImageMaximumSide = 256;

/// The bitmap image of an icon file nearest in width to `size` (ties: the larger); nothing
/// when the bytes hold no readable bitmap image. Every length and offset is checked.
std::optional<IconImage> DecodeIconFile(std::span<const std::uint8_t> file, int size);

/// An icon file with one 32-bit image (colours and alpha) and the matching mask.
std::vector<std::uint8_t> EncodeIconFile(const IconImage& image);

}  // namespace murmurex
