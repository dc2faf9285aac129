#include "button_paint_gradient.h"

namespace murmurex {
namespace {

using S = Style5Shade;

constexpr std::size_t At(S shade) {
    return static_cast<std::size_t>(shade);
}

constexpr Style5Palette MakeFixedPalette() {
    Style5Palette p{};
    p[At(S::TopFrom)] = Rgb(252, 251, 251);
    p[At(S::TopTo)] = Rgb(240, 240, 240);
    p[At(S::BodyFrom)] = Rgb(250, 250, 249);
    p[At(S::BodyTo)] = Rgb(240, 240, 234);
    p[At(S::BottomFrom)] = Rgb(235, 235, 230);
    p[At(S::BottomTo)] = Rgb(214, 208, 197);
    p[At(S::InnerSideFrom)] = Rgb(251, 251, 250);
    p[At(S::InnerSideTo)] = Rgb(228, 226, 218);
    p[At(S::OuterSideFrom)] = Rgb(245, 244, 242);
    p[At(S::OuterSideTo)] = Rgb(219, 215, 205);
    p[At(S::PressedTopFrom)] = Rgb(209, 204, 193);
    p[At(S::PressedTopTo)] = Rgb(228, 227, 220);
    p[At(S::PressedBodyFrom)] = Rgb(228, 227, 220);
    p[At(S::PressedBodyTo)] = Rgb(227, 226, 219);
    p[At(S::PressedBottomFrom)] = Rgb(227, 226, 219);
    p[At(S::PressedBottomTo)] = Rgb(242, 241, 238);
    p[At(S::PressedSideFrom)] = Rgb(218, 216, 206);
    p[At(S::PressedSideTo)] = Rgb(227, 226, 219);
    p[At(S::Border)] = Rgb(0, 60, 116);
    p[At(S::CornerDiagonal)] = Rgb(72, 110, 144);
    p[At(S::CornerSide)] = Rgb(106, 139, 162);
    p[At(S::CornerInner)] = Rgb(191, 199, 202);
    p[At(S::HotRow1)] = Rgb(255, 240, 207);
    p[At(S::HotRow2)] = Rgb(253, 216, 137);
    p[At(S::HotRowNearBottom)] = Rgb(248, 179, 48);
    p[At(S::HotRowBottom)] = Rgb(229, 151, 16);
    p[At(S::FocusRow1)] = Rgb(206, 231, 255);
    p[At(S::FocusRow2)] = Rgb(188, 212, 246);
    p[At(S::FocusRowNearBottom)] = Rgb(137, 173, 228);
    p[At(S::FocusRowBottom)] = Rgb(105, 130, 238);
    p[At(S::DisabledBack)] = Rgb(245, 244, 234);
    p[At(S::DisabledOutline)] = Rgb(201, 199, 186);
    p[At(S::DisabledCorner)] = Rgb(216, 213, 199);
    return p;
}

constexpr Style5Palette kFixed = MakeFixedPalette();

int Lightness(Colour c) noexcept {
    return (RedOf(c) + GreenOf(c) + BlueOf(c)) / 3;
}

// Sets a pixel and its mirror images in the other three corners.
void MirroredPixel(Canvas& canvas, const ButtonPaintInput& in, int x, int y, Colour colour) {
    const int right = in.width - 1 - x;
    const int bottom = in.height - 1 - y;
    canvas.Pixel(x, y, colour);
    canvas.Pixel(right, y, colour);
    canvas.Pixel(x, bottom, colour);
    canvas.Pixel(right, bottom, colour);
}

void PaintBody(Canvas& canvas, const ButtonPaintInput& in, const Style5Palette& p, bool pressed) {
    const int w = in.width;
    const int h = in.height;
    const auto shade = [&](S normal, S darker) { return p[At(pressed ? darker : normal)]; };
    canvas.VerticalGradient(shade(S::TopFrom, S::PressedTopFrom), shade(S::TopTo, S::PressedTopTo),
                            1, 1, w - 2, 4);
    canvas.VerticalGradient(shade(S::BodyFrom, S::PressedBodyFrom),
                            shade(S::BodyTo, S::PressedBodyTo), 1, 4, w - 2, h - 8);
    canvas.VerticalGradient(shade(S::BottomFrom, S::PressedBottomFrom),
                            shade(S::BottomTo, S::PressedBottomTo), 1, h - 4, w - 2, 3);
    // The right-hand shading, one column each.
    canvas.VerticalGradient(shade(S::InnerSideFrom, S::PressedSideFrom),
                            shade(S::InnerSideTo, S::PressedSideTo), w - 3, 3, w - 2, h - 5);
    canvas.VerticalGradient(shade(S::OuterSideFrom, S::PressedSideFrom),
                            shade(S::OuterSideTo, S::PressedSideTo), w - 2, 3, w - 1, h - 5);
}

// Two rows at the top and bottom inside the border, and two columns at each side that run
// from the second row's colour to the colour of the row above the bottom one.
void PaintInnerFrame(Canvas& canvas, const ButtonPaintInput& in, Colour row1, Colour row2,
                     Colour rowNearBottom, Colour rowBottom) {
    const int w = in.width;
    const int h = in.height;
    canvas.Line(1, 1, w - 1, 1, row1);
    canvas.Line(1, 2, w - 1, 2, row2);
    canvas.Line(1, h - 3, w - 1, h - 3, rowNearBottom);
    canvas.Line(1, h - 2, w - 1, h - 2, rowBottom);
    canvas.VerticalGradient(row2, rowNearBottom, 1, 2, 3, h - 5);
    canvas.VerticalGradient(row2, rowNearBottom, w - 3, 2, w - 1, h - 5);
}

}  // namespace

const Style5Palette& Style5FixedPalette() noexcept {
    return kFixed;
}

Style5Palette Style5AccentPalette(Colour accent) noexcept {
    const int body = Lightness(kFixed[At(S::BodyTo)]);
    Style5Palette palette{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = Offset(accent, Lightness(kFixed[i]) - body);
    }
    return palette;
}

void PaintStyle5With(Canvas& canvas, const ButtonPaintInput& in, const Style5Palette& p) {
    const int w = in.width;
    const int h = in.height;
    if (in.state == 4) {
        canvas.Fill(0, 0, w, h, p[At(S::DisabledBack)]);
        canvas.Outline(0, 0, w - 1, h - 1, p[At(S::DisabledOutline)]);
        MirroredPixel(canvas, in, 1, 1, p[At(S::DisabledCorner)]);
        MirroredPixel(canvas, in, 0, 1, p[At(S::DisabledCorner)]);
        MirroredPixel(canvas, in, 1, 0, p[At(S::DisabledCorner)]);
        return;
    }
    PaintBody(canvas, in, p, in.state == 3);
    if (in.state == 2) {
        PaintInnerFrame(canvas, in, p[At(S::HotRow1)], p[At(S::HotRow2)],
                        p[At(S::HotRowNearBottom)], p[At(S::HotRowBottom)]);
    } else if (in.state == 1 && (in.focused || in.displayAsDefault)) {
        PaintInnerFrame(canvas, in, p[At(S::FocusRow1)], p[At(S::FocusRow2)],
                        p[At(S::FocusRowNearBottom)], p[At(S::FocusRowBottom)]);
    }
    // The border and its softened corners last, so nothing inside covers them.
    canvas.Outline(0, 0, w - 1, h - 1, p[At(S::Border)]);
    MirroredPixel(canvas, in, 1, 1, p[At(S::CornerDiagonal)]);
    MirroredPixel(canvas, in, 0, 1, p[At(S::CornerSide)]);
    MirroredPixel(canvas, in, 1, 0, p[At(S::CornerSide)]);
    MirroredPixel(canvas, in, 1, 2, p[At(S::CornerInner)]);
    MirroredPixel(canvas, in, 2, 1, p[At(S::CornerInner)]);
}

void PaintStyle5(Canvas& canvas, const ButtonPaintInput& input) {
    if (input.useCustomColors) {
        PaintStyle5With(canvas, input, Style5AccentPalette(input.highlightColor));
    } else {
        PaintStyle5With(canvas, input, kFixed);
    }
}

}  // namespace murmurex
