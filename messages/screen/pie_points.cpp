#include "pie_points.h"

#include <algorithm>
#include <limits>

#include "portable/round_half_even.h"

namespace murmurex {
namespace {

// Coordinates near the 32-bit limits must not overflow on the way: work wide, then saturate.
std::int32_t Saturate(std::int64_t value) noexcept {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

struct PieGeometry {
    std::int64_t left, top, right, bottom;
    std::int64_t centreX, centreY;
    std::int64_t stepX, stepY;  // pixels per degree along the edges
};

PieGeometry Measure(const ScreenBox& box) noexcept {
    const double width = static_cast<double>(box.right) - box.left;
    const double height = static_cast<double>(box.bottom) - box.top;
    return {box.left,
            box.top,
            box.right,
            box.bottom,
            RoundHalfEven(width / 2 + box.left),
            RoundHalfEven(height / 2 + box.top),
            RoundHalfEven(width / 90),
            RoundHalfEven(height / 90)};
}

}  // namespace

std::int32_t ClampPieAngle(std::int32_t angle) noexcept {
    return std::clamp(angle, 0, 360);
}

ScreenPoint PieFirstRadialPoint(const ScreenBox& box) noexcept {
    const PieGeometry g = Measure(box);
    return {Saturate(g.centreX), box.top};
}

ScreenPoint PieSecondRadialPoint(const ScreenBox& box, std::int32_t angle) noexcept {
    const PieGeometry g = Measure(box);
    const std::int64_t a = ClampPieAngle(angle);
    std::int64_t x = 0;
    std::int64_t y = 0;
    if (a == 0) {
        x = g.centreX, y = g.top;
    } else if (a < 45) {
        x = g.centreX + a * g.stepX, y = g.top;
    } else if (a == 45) {
        x = g.right, y = g.top;
    } else if (a < 90) {
        x = g.right, y = g.top + (a - 45) * g.stepY;
    } else if (a == 90) {
        x = g.right, y = g.centreY;
    } else if (a < 135) {
        x = g.right, y = g.centreY + (a - 90) * g.stepY;
    } else if (a == 135) {
        x = g.right, y = g.bottom;
    } else if (a < 180) {
        x = g.right - (a - 135) * g.stepX, y = g.bottom;
    } else if (a == 180) {
        x = g.centreX, y = g.bottom;
    } else if (a < 225) {
        x = g.centreX - (a - 180) * g.stepX, y = g.bottom;
    } else if (a == 225) {
        x = g.left, y = g.bottom;
    } else if (a < 270) {
        x = g.left, y = g.bottom - (a - 225) * g.stepY;
    } else if (a == 270) {
        x = g.left, y = g.centreY;
    } else if (a < 315) {
        x = g.left, y = g.centreY - (a - 270) * g.stepY;
    } else if (a == 315) {
        x = g.left, y = g.top;
    } else if (a < 360) {
        x = g.left + (a - 315) * g.stepX, y = g.top;
    } else {
        // A full circle must not start and end at the same point, or the platform draws nothing.
        x = g.centreX - 1, y = g.top;
    }
    return {Saturate(x), Saturate(y)};
}

}  // namespace murmurex
