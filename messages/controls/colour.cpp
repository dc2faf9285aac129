#include "colour.h"

#include <algorithm>
#include <cmath>

#include "portable/round_half_even.h"

namespace murmurex {
namespace {

int Clamp255(long long value) noexcept {
    return static_cast<int>(std::clamp(value, 0LL, 255LL));
}

template <typename Channel>
Colour PerChannel(Colour c, Channel channel) noexcept {
    return Rgb(channel(RedOf(c)), channel(GreenOf(c)), channel(BlueOf(c)));
}

int HalfToEven(int sum) noexcept {
    const int half = sum / 2;
    return (sum % 2 != 0 && half % 2 != 0) ? half + 1 : half;
}

}  // namespace

Colour Blend(Colour a, Colour b) noexcept {
    return Rgb(HalfToEven(RedOf(a) + RedOf(b)), HalfToEven(GreenOf(a) + GreenOf(b)),
               HalfToEven(BlueOf(a) + BlueOf(b)));
}

Colour Lighten(Colour c, int k) noexcept {
    // k outside 0..255 would push channels out of range; the clamp keeps them colours.
    return PerChannel(c, [k](int channel) { return Clamp255((255LL - k) * channel / 255 + k); });
}

Colour Offset(Colour c, int d) noexcept {
    return PerChannel(c,
                      [d](int channel) { return Clamp255(static_cast<long long>(channel) + d); });
}

Colour Gray(Colour c) noexcept {
    const double g = RedOf(c) / 3.0 + GreenOf(c) / 3.0 + BlueOf(c) / 3.0;
    const int grey = Clamp255(RoundHalfEven(g));
    return Rgb(grey, grey, grey);
}

Colour Mix(Colour a, Colour b, float t) noexcept {
    const auto channel = [t](int from, int to) {
        return Clamp255(std::lround(static_cast<float>(from) + static_cast<float>(to - from) * t));
    };
    return Rgb(channel(RedOf(a), RedOf(b)), channel(GreenOf(a), GreenOf(b)),
               channel(BlueOf(a), BlueOf(b)));
}

}  // namespace murmurex
