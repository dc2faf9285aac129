#pragma once
// Where a pie slice's radial points fall when the caller does not give them: the first at
// the middle of the top edge, the second walking round the bounding box as the angle grows.

#include <cstdint>

#include "drawing_types.h"

namespace murmurex {

/// The angle a pie slice is drawn with: below 0 becomes 0, above 360 becomes 360.
std::int32_t ClampPieAngle(std::int32_t angle) noexcept;

/// The middle of the top edge: where every computed pie slice starts.
ScreenPoint PieFirstRadialPoint(const ScreenBox& box) noexcept;

/// The second radial point for an angle (clamped first) inside `box`.
ScreenPoint PieSecondRadialPoint(const ScreenBox& box, std::int32_t angle) noexcept;

}  // namespace murmurex
