#include "button_paint_shades.h"

namespace murmurex {
namespace {

constexpr int kNormal = 1;
constexpr int kHot = 2;
constexpr int kPressed = 3;
constexpr int kDisabled = 4;

// A one-pixel wide vertical gradient: the primitive's lines are one pixel long here.
void ColumnGradient(Canvas& canvas, Colour from, Colour to, int x, int y, int steps) {
    canvas.VerticalGradient(from, to, x, y, x + 1, steps);
}

void DrawCutBorder(Canvas& canvas, int width, int height, Colour colour) {
    const CutBorder border = CutBorderFor(width, height);
    for (int i = 0; i < kCutBorderPoints; ++i) {
        const int next = (i + 1) % kCutBorderPoints;
        canvas.Line(border.x[i], border.y[i], border.x[next], border.y[next], colour);
    }
}

}  // namespace

CutBorder CutBorderFor(int width, int height) noexcept {
    const int w = width;
    const int h = height;
    return CutBorder{{0, 2, w - 4, w - 1, w - 1, w - 4, 4, 0},
                     {2, 0, 0, 3, h - 4, h - 1, h - 1, h - 5}};
}

Style7Shades Style7ShadesFor(int paintState, bool focused, Colour face, Colour highlight) noexcept {
    Style7Shades s{};
    s.border = Offset(face, -144);
    s.innerCorner = Offset(face, -96);
    s.outerCorner = Offset(face, -48);
    s.innerFrameOuter = Offset(highlight, 96);
    s.innerFrameInner = Offset(highlight, 144);
    switch (paintState) {
        case kHot:
            s.topBand = Offset(face, 15);
            s.centre = Offset(face, 8);
            s.bottomBand = Offset(face, -24);
            s.innerFrame = true;
            s.innerFrameOuter = Offset(highlight, 32);
            s.innerFrameInner = Offset(highlight, 96);
            break;
        case kPressed:
            // Darkest at the top, as if pushed in.
            s.topBand = Offset(face, -40);
            s.centre = Offset(face, -16);
            s.bottomBand = Offset(face, -4);
            s.innerFrame = false;
            break;
        case kDisabled:
            s.border = Offset(face, -64);
            s.innerCorner = Offset(face, -32);
            s.outerCorner = Offset(face, -16);
            s.topBand = face;
            s.centre = face;
            s.bottomBand = face;
            s.innerFrame = false;
            break;
        case kNormal:
        default:
            s.topBand = Offset(face, 15);
            s.centre = face;
            s.bottomBand = Offset(face, -32);
            s.innerFrame = focused;
            break;
    }
    return s;
}

void PaintStyle7(Canvas& canvas, int width, int height, const Style7Shades& s) {
    const int w = width;
    const int h = height;
    canvas.Fill(1, 1, w - 2, h - 2, s.centre);
    canvas.VerticalGradient(s.topBand, s.centre, 1, 1, w - 1, 3);
    canvas.VerticalGradient(s.centre, s.bottomBand, 1, h - 5, w - 1, 3);
    if (s.innerFrame) {
        canvas.Outline(1, 1, w - 3, h - 3, s.innerFrameOuter);
        canvas.Outline(2, 2, w - 5, h - 5, s.innerFrameInner);
    }
    canvas.Outline(0, 0, w - 1, h - 1, s.border);
    // Soften the corners the region cuts: beside each cut a lighter border pixel, inside it
    // a pixel between border and body.
    const int outer[][2] = {{0, 1},         {1, 0},         {w - 2, 0}, {w - 1, 1},
                            {w - 1, h - 2}, {w - 2, h - 1}, {1, h - 1}, {0, h - 2}};
    for (const auto& p : outer) {
        canvas.Pixel(p[0], p[1], s.outerCorner);
    }
    const int inner[][2] = {{1, 1}, {w - 2, 1}, {w - 2, h - 2}, {1, h - 2}};
    for (const auto& p : inner) {
        canvas.Pixel(p[0], p[1], s.innerCorner);
    }
}

Style8Shades Style8ShadesFor(int paintState, Colour face) noexcept {
    Style8Shades s{};
    s.border = Offset(face, -112);
    s.corner = Offset(face, -56);
    s.innerLines = true;
    switch (paintState) {
        case kHot:
            s.centre = Offset(face, 10);
            s.topLeftLine = Offset(face, 15);
            s.bottomRightLine = Offset(face, -16);
            break;
        case kPressed:
            // The light and shadow lines swap sides.
            s.centre = Offset(face, -20);
            s.topLeftLine = Offset(face, -48);
            s.bottomRightLine = Offset(face, -8);
            break;
        case kDisabled:
            s.border = Offset(face, -56);
            s.corner = Offset(face, -28);
            s.centre = face;
            s.innerLines = false;
            s.topLeftLine = face;
            s.bottomRightLine = face;
            break;
        case kNormal:
        default:
            s.centre = face;
            s.topLeftLine = Offset(face, 15);
            s.bottomRightLine = Offset(face, -24);
            break;
    }
    return s;
}

void PaintStyle8(Canvas& canvas, int width, int height, const Style8Shades& s) {
    const int w = width;
    const int h = height;
    canvas.Fill(1, 1, w - 2, h - 2, s.centre);
    if (s.innerLines) {
        canvas.Line(1, 1, w - 1, 1, s.topLeftLine);
        canvas.Line(1, 1, 1, h - 1, s.topLeftLine);
        canvas.Line(1, h - 2, w - 1, h - 2, s.bottomRightLine);
        canvas.Line(w - 2, 1, w - 2, h - 1, s.bottomRightLine);
    }
    DrawCutBorder(canvas, w, h, s.border);
    canvas.Pixel(1, 2, s.corner);
    canvas.Pixel(w - 2, 3, s.corner);
    canvas.Pixel(w - 2, h - 4, s.corner);
    canvas.Pixel(1, h - 5, s.corner);
}

Style9Shades Style9ShadesFor(int paintState, Colour base, Colour accent) noexcept {
    Style9Shades s{};
    s.gradients = true;
    switch (paintState) {
        case kHot:
            s.border = Offset(accent, -64);
            s.top = Offset(accent, 112);
            s.centre = Offset(accent, 64);
            s.bottom = Offset(accent, 16);
            s.side = Offset(accent, 40);
            break;
        case kPressed:
            // Accent shades, darkest at the top.
            s.border = Offset(accent, -96);
            s.top = Offset(accent, -32);
            s.centre = accent;
            s.bottom = Offset(accent, 32);
            s.side = Offset(accent, -16);
            break;
        case kDisabled:
            s.border = Offset(base, -56);
            s.top = base;
            s.centre = base;
            s.bottom = base;
            s.side = base;
            s.gradients = false;
            break;
        case kNormal:
        default:
            s.border = Offset(base, -112);
            s.top = Offset(base, 24);
            s.centre = base;
            s.bottom = Offset(base, -32);
            s.side = Offset(base, -12);
            break;
    }
    return s;
}

void PaintStyle9(Canvas& canvas, int width, int height, const Style9Shades& s) {
    const int w = width;
    const int h = height;
    const int middle = h / 2;
    if (!s.gradients) {
        canvas.Fill(1, 1, w - 2, h - 2, s.centre);
    } else {
        canvas.VerticalGradient(s.top, s.centre, 1, 1, w - 1, middle - 1);
        canvas.VerticalGradient(s.centre, s.bottom, 1, middle, w - 1, h - 2 - middle);
        // Each side column fades from the side shade into the body over four columns.
        for (int i = 0; i < 4; ++i) {
            const float share = static_cast<float>(i) / 4.0f;
            const Colour top = Mix(s.side, s.top, share);
            const Colour centre = Mix(s.side, s.centre, share);
            const Colour bottom = Mix(s.side, s.bottom, share);
            for (const int x : {1 + i, w - 2 - i}) {
                ColumnGradient(canvas, top, centre, x, 1, middle - 1);
                ColumnGradient(canvas, centre, bottom, x, middle, h - 2 - middle);
            }
        }
    }
    DrawCutBorder(canvas, w, h, s.border);
}

}  // namespace murmurex
