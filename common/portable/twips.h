#pragma once
// Form lengths are twips, 1/1440 inch, so that a layout keeps its size at any DPI. Every
// conversion to pixels goes through here, with the DPI of the screen or monitor it is for.

#include "portable/round_half_even.h"

#include <cstdint>

namespace murmurex {

inline constexpr int kTwipsPerInch = 1440;
/// The DPI of an unscaled screen (15 twips to the pixel); used when a DPI is not known.
inline constexpr int kDefaultDpi = 96;

/// `dpi`, or the default when the platform gave none (0 or less).
constexpr int UsableDpi(int dpi) noexcept {
    return dpi > 0 ? dpi : kDefaultDpi;
}

/// Twips to whole pixels at `dpi` dots per inch, halves to even.
inline std::int32_t TwipsToPixels(double twips, int dpi) noexcept {
    return RoundHalfEven(twips * UsableDpi(dpi) / kTwipsPerInch);
}

inline constexpr int kTwipsPerPoint = 20;

/// A font's height in whole pixels for `points` at `dpi`: points stay points, so 12 points are
/// 16 pixels at 96 DPI and 24 at 144.
inline std::int32_t PointsToPixels(double points, int dpi) noexcept {
    return TwipsToPixels(points * kTwipsPerPoint, dpi);
}

/// How many twips one pixel spans at `dpi` dots per inch.
constexpr double TwipsPerPixelAt(int dpi) noexcept {
    return static_cast<double>(kTwipsPerInch) / UsableDpi(dpi);
}

}  // namespace murmurex
