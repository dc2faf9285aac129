#pragma once
// Colours as the platform stores them, 0x00BBGGRR (red in the low byte), and the small colour
// arithmetic the button painters share.

#include <cstdint>

namespace murmurex {

using Colour = std::uint32_t;

constexpr Colour Rgb(int red, int green, int blue) noexcept {
    return static_cast<Colour>(red & 0xFF) | (static_cast<Colour>(green & 0xFF) << 8) |
           (static_cast<Colour>(blue & 0xFF) << 16);
}
constexpr int RedOf(Colour c) noexcept {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(Colour c) noexcept {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(Colour c) noexcept {
    return static_cast<int>((c >> 16) & 0xFF);
}

/// True for a system-colour reference (high bit set, index in the low byte).
constexpr bool IsSystemColourReference(Colour c) noexcept {
    return (c & 0x80000000u) != 0;
}

/// Each channel the mean of the two, halves rounded to even.
Colour Blend(Colour a, Colour b) noexcept;
/// Each channel moved towards white: min(255, (255 - k) * c / 255 + k), integer division.
Colour Lighten(Colour c, int k) noexcept;
/// Each channel plus d, clamped to 0..255.
Colour Offset(Colour c, int d) noexcept;
/// The grey of equal weights: round(R/3 + G/3 + B/3), halves to even.
Colour Gray(Colour c) noexcept;
/// The colour a share t (0..1) of the way from a to b, each channel rounded to nearest.
Colour Mix(Colour a, Colour b, float t) noexcept;

}  // namespace murmurex
