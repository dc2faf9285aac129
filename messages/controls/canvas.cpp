#include "canvas.h"

#include <algorithm>
#include <cmath>

#include "portable/round_half_even.h"

namespace murmurex {
namespace {

int GradientChannel(int from, int to, int steps, int i) {
    const float value = static_cast<float>(from) + static_cast<float>(to - from) /
                                                       static_cast<float>(steps) *
                                                       static_cast<float>(i);
    return std::clamp(static_cast<int>(RoundHalfEven(value)), 0, 255);
}

}  // namespace

std::optional<Colour> Canvas::PixelAt(int, int) const {
    return std::nullopt;
}

void Canvas::VerticalGradient(Colour from, Colour to, int x1, int y, int x2, int steps) {
    if (steps < 0) {
        return;
    }
    // No steps means one line in the from-colour rather than a division by zero.
    if (steps == 0) {
        Line(x1, y, x2, y, from);
        return;
    }
    for (int i = 0; i <= steps; ++i) {
        Line(x1, y + i, x2, y + i,
             Rgb(GradientChannel(RedOf(from), RedOf(to), steps, i),
                 GradientChannel(GreenOf(from), GreenOf(to), steps, i),
                 GradientChannel(BlueOf(from), BlueOf(to), steps, i)));
    }
}

}  // namespace murmurex
