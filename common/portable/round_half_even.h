#pragma once
// The program's one rounding rule: to the nearest integer, halves to the even neighbour
// (2.5 -> 2, 3.5 -> 4), as conversions of lengths, twips and point sizes expect.

#include <cmath>
#include <cstdint>
#include <limits>

namespace murmurex {

/// Rounds half to even; saturates at the 32-bit range, and NaN gives 0.
inline std::int32_t RoundHalfEven(double value) noexcept {
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= static_cast<double>(kMax)) {
        return kMax;
    }
    if (value <= static_cast<double>(kMin)) {
        return kMin;
    }
    const double lower = std::floor(value);
    const double fraction = value - lower;
    auto result = static_cast<std::int64_t>(lower);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0)) {
        ++result;
    }
    return static_cast<std::int32_t>(result);
}

}  // namespace murmurex
