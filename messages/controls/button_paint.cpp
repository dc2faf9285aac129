#include "button_paint.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace murmurex {
namespace {

constexpr Style10Artwork kNormal{
    Rgb(232, 231, 234),
    {Rgb(247, 247, 247), Rgb(160, 160, 160), Rgb(153, 153, 153), Rgb(195, 195, 195),
     Rgb(201, 201, 201), Rgb(213, 213, 213), Rgb(215, 215, 215), Rgb(223, 223, 223),
     Rgb(224, 224, 224), Rgb(224, 224, 224), Rgb(228, 228, 228), Rgb(230, 232, 230),
     Rgb(231, 231, 232), Rgb(232, 231, 234), Rgb(232, 231, 234), Rgb(232, 231, 234),
     Rgb(232, 231, 234), Rgb(232, 231, 234)},
    {Rgb(232, 231, 234), Rgb(232, 231, 234), Rgb(232, 231, 234), Rgb(232, 231, 234),
     Rgb(231, 231, 231), Rgb(230, 230, 230), Rgb(228, 228, 228), Rgb(224, 224, 224),
     Rgb(224, 224, 224), Rgb(222, 222, 222), Rgb(217, 217, 217), Rgb(211, 211, 211),
     Rgb(204, 204, 204), Rgb(195, 195, 195), Rgb(163, 163, 163), Rgb(156, 156, 156),
     Rgb(246, 246, 246)},
    {Rgb(106, 105, 103), Rgb(246, 244, 245), Rgb(244, 242, 243), Rgb(238, 238, 238),
     Rgb(235, 235, 235), Rgb(234, 232, 235), Rgb(234, 232, 235), Rgb(234, 234, 234),
     Rgb(225, 225, 225), Rgb(227, 226, 229), Rgb(232, 231, 234), Rgb(233, 235, 232)},
    {Rgb(233, 235, 232), Rgb(239, 241, 238), Rgb(242, 242, 242), Rgb(245, 245, 245),
     Rgb(254, 254, 255), Rgb(255, 255, 255), Rgb(253, 253, 253), Rgb(254, 254, 254),
     Rgb(251, 251, 251), Rgb(84, 84, 84), Rgb(197, 197, 197), Rgb(236, 236, 236)},
};

// The blue variants keep the grey one's structure: a light rim, a grey-blue and a dark-blue
// outline at the sides, a glassy top fading into the centre, a bottom brightening towards a
// dark outline, and the grey shadow rows below.
constexpr Style10Artwork kHot{
    Rgb(106, 166, 226),
    {Rgb(247, 247, 247), Rgb(128, 150, 186), Rgb(19, 46, 113), Rgb(60, 100, 170), Rgb(65, 107, 176),
     Rgb(69, 113, 181), Rgb(74, 120, 187), Rgb(78, 126, 192), Rgb(83, 133, 198), Rgb(88, 140, 204),
     Rgb(92, 146, 209), Rgb(97, 153, 215), Rgb(101, 159, 220), Rgb(106, 166, 226),
     Rgb(106, 166, 226), Rgb(106, 166, 226), Rgb(106, 166, 226), Rgb(106, 166, 226)},
    {Rgb(106, 166, 226), Rgb(106, 166, 226), Rgb(106, 166, 226), Rgb(106, 166, 226),
     Rgb(106, 166, 226), Rgb(101, 159, 220), Rgb(96, 151, 214), Rgb(91, 144, 207),
     Rgb(86, 137, 201), Rgb(80, 129, 195), Rgb(75, 122, 189), Rgb(70, 115, 182), Rgb(65, 107, 176),
     Rgb(60, 100, 170), Rgb(19, 46, 113), Rgb(128, 150, 186), Rgb(246, 246, 246)},
    {Rgb(8, 6, 69), Rgb(214, 234, 252), Rgb(203, 227, 249), Rgb(192, 220, 247), Rgb(182, 214, 244),
     Rgb(171, 207, 242), Rgb(160, 200, 239), Rgb(149, 193, 236), Rgb(138, 186, 234),
     Rgb(128, 180, 231), Rgb(117, 173, 229), Rgb(106, 166, 226)},
    {Rgb(106, 166, 226), Rgb(114, 174, 230), Rgb(123, 182, 233), Rgb(131, 190, 237),
     Rgb(140, 198, 240), Rgb(148, 206, 244), Rgb(156, 214, 248), Rgb(165, 222, 251),
     Rgb(173, 230, 255), Rgb(64, 93, 99), Rgb(197, 197, 197), Rgb(236, 236, 236)},
};

constexpr Style10Artwork kPressed{
    Rgb(106, 155, 204),
    {Rgb(247, 247, 247), Rgb(122, 140, 170), Rgb(23, 45, 99), Rgb(58, 90, 150), Rgb(63, 96, 155),
     Rgb(68, 103, 161), Rgb(72, 110, 166), Rgb(77, 116, 172), Rgb(82, 122, 177), Rgb(87, 129, 182),
     Rgb(92, 136, 188), Rgb(96, 142, 193), Rgb(101, 148, 199), Rgb(106, 155, 204),
     Rgb(106, 155, 204), Rgb(106, 155, 204), Rgb(106, 155, 204), Rgb(106, 155, 204)},
    {Rgb(106, 155, 204), Rgb(106, 155, 204), Rgb(106, 155, 204), Rgb(106, 155, 204),
     Rgb(106, 155, 204), Rgb(101, 148, 198), Rgb(95, 141, 192), Rgb(90, 133, 186),
     Rgb(85, 126, 180), Rgb(79, 119, 174), Rgb(74, 112, 168), Rgb(69, 104, 162), Rgb(63, 97, 156),
     Rgb(58, 90, 150), Rgb(23, 45, 99), Rgb(122, 140, 170), Rgb(246, 246, 246)},
    {Rgb(10, 9, 60), Rgb(190, 212, 234), Rgb(182, 206, 231), Rgb(173, 201, 228), Rgb(165, 195, 225),
     Rgb(156, 189, 222), Rgb(148, 184, 219), Rgb(140, 178, 216), Rgb(131, 172, 213),
     Rgb(123, 166, 210), Rgb(114, 161, 207), Rgb(106, 155, 204)},
    {Rgb(106, 155, 204), Rgb(114, 162, 208), Rgb(121, 170, 211), Rgb(128, 177, 215),
     Rgb(136, 184, 218), Rgb(144, 191, 222), Rgb(151, 198, 226), Rgb(158, 206, 229),
     Rgb(166, 213, 233), Rgb(62, 86, 90), Rgb(197, 197, 197), Rgb(236, 236, 236)},
};

// A side's colours by depth inside its outline: depth 0 is the outline, negative depths
// are the rim outside it, positive ones run towards the centre. Fractional depths blend the
// two nearest columns; depths past either end take the end colour.
class Profile {
  public:
    Profile(std::span<const Colour> colours, int outlineIndex, int direction)
        : colours_(colours), outline_(outlineIndex), direction_(direction) {}

    Colour At(float depth) const {
        const float index = static_cast<float>(outline_) + static_cast<float>(direction_) * depth;
        const float last = static_cast<float>(colours_.size() - 1);
        const float clamped = std::clamp(index, 0.0f, last);
        const auto low = static_cast<std::size_t>(std::floor(clamped));
        const std::size_t high = std::min(low + 1, colours_.size() - 1);
        return Mix(colours_[low], colours_[high], clamped - static_cast<float>(low));
    }

  private:
    std::span<const Colour> colours_;
    int outline_;
    int direction_;
};

// The corners round the outline off with this radius, inside the window's 18 x 18 rounded
// corners, so the outline meets the caps' and bands' outlines.
constexpr float kCornerRadius = 8.0f;

// One corner pixel from its depths inside the side outline (across) and the band outline
// (down): inside the rounded quarter the depth is measured from the arc and the colour
// leans towards the side or the band by direction; elsewhere the nearer edge decides.
Colour CornerPixel(float across, float down, const Profile& side, const Profile& band) {
    const float r = kCornerRadius;
    if (across < r && down < r) {
        const float dx = r - across;
        const float dy = r - down;
        const float depth = r - std::hypot(dx, dy);
        const float towardsBand = dx + dy > 0.0f ? dy / (dx + dy) : 0.5f;
        return Mix(side.At(depth), band.At(depth), towardsBand);
    }
    return across < down ? side.At(across) : band.At(down);
}

Style10Corners BuildCorners(const Style10Artwork& art) {
    // Left outline at x = 1, right at W - 2, top at y = 0, bottom at H - 2.
    const Profile left(art.left, 1, 1);
    const Profile right(art.right, 15, -1);
    const Profile top(art.top, 0, 1);
    const Profile bottom(art.bottom, 9, -1);
    Style10Corners corners{};
    for (int row = 0; row < kStyle10CornerHeight; ++row) {
        for (int column = 0; column < kStyle10CornerWidth; ++column) {
            const auto at = static_cast<std::size_t>(row * kStyle10CornerWidth + column);
            const auto acrossLeft = static_cast<float>(column - 1);
            const auto acrossRight = static_cast<float>(15 - column);
            const auto downTop = static_cast<float>(row);
            const auto upBottom = static_cast<float>(8 - row);
            corners.topLeft[at] = CornerPixel(acrossLeft, downTop, left, top);
            corners.topRight[at] = CornerPixel(acrossRight, downTop, right, top);
            corners.bottomLeft[at] = CornerPixel(acrossLeft, upBottom, left, bottom);
            corners.bottomRight[at] = CornerPixel(acrossRight, upBottom, right, bottom);
        }
    }
    return corners;
}

void PaintCorner(Canvas& canvas, const Style10Corner& corner, int left, int top) {
    for (int row = 0; row < kStyle10CornerHeight; ++row) {
        for (int column = 0; column < kStyle10CornerWidth; ++column) {
            canvas.Pixel(left + column, top + row,
                         corner[static_cast<std::size_t>(row * kStyle10CornerWidth + column)]);
        }
    }
}

}  // namespace

Style10Variant ChooseStyle10Variant(int paintState, bool focused) noexcept {
    switch (paintState) {
        case 2:
            return Style10Variant::Hot;
        case 1:
        case 4:
            return focused ? Style10Variant::Hot : Style10Variant::Normal;
        default:
            return Style10Variant::Pressed;
    }
}

const Style10Artwork& Style10ArtworkOf(Style10Variant variant) noexcept {
    switch (variant) {
        case Style10Variant::Hot:
            return kHot;
        case Style10Variant::Pressed:
            return kPressed;
        case Style10Variant::Normal:
        default:
            return kNormal;
    }
}

const Style10Corners& Style10CornersOf(Style10Variant variant) {
    // Built once from the line colours, so corners and straight edges always agree.
    static const Style10Corners normal = BuildCorners(kNormal);
    static const Style10Corners hot = BuildCorners(kHot);
    static const Style10Corners pressed = BuildCorners(kPressed);
    switch (variant) {
        case Style10Variant::Hot:
            return hot;
        case Style10Variant::Pressed:
            return pressed;
        case Style10Variant::Normal:
        default:
            return normal;
    }
}

void PaintStyle10(Canvas& canvas, int width, int height, Style10Variant variant) {
    const int w = width;
    const int h = height;
    const Style10Artwork& art = Style10ArtworkOf(variant);
    canvas.Fill(18, 11, w - 34, h - 19, art.centre);
    for (int x = 0; x <= 17; ++x) {
        canvas.Line(x, 11, x, h - 10, art.left[static_cast<std::size_t>(x)]);
    }
    for (int i = 0; i < 17; ++i) {
        canvas.Line(w - 17 + i, 11, w - 17 + i, h - 10, art.right[static_cast<std::size_t>(i)]);
    }
    for (int y = 0; y <= 11; ++y) {
        canvas.Line(17, y, w - 17, y, art.top[static_cast<std::size_t>(y)]);
    }
    for (int i = 0; i < 12; ++i) {
        canvas.Line(17, h - 11 + i, w - 17, h - 11 + i, art.bottom[static_cast<std::size_t>(i)]);
    }
    const Style10Corners& corners = Style10CornersOf(variant);
    PaintCorner(canvas, corners.topLeft, 0, 0);
    PaintCorner(canvas, corners.topRight, w - kStyle10CornerWidth, 0);
    PaintCorner(canvas, corners.bottomLeft, 0, h - 10);
    PaintCorner(canvas, corners.bottomRight, w - kStyle10CornerWidth, h - 10);
}

}  // namespace murmurex
