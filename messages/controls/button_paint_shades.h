#pragma once
// Styles 7, 8 and 9 of the styled button: shaded looks whose every colour is an Offset shade
// of one or two input colours, so they follow the user's system colours (7, 8) or the
// button's custom colours (9). Each table below names the shades one state uses; the
// painters draw them in a fixed structure that keeps inside the style's window region.

#include "canvas.h"

namespace murmurex {

/// Style 7: face and highlight shades. A light band at the top, the centre block, a darker
/// band at the bottom, a one-pixel border with softened corners, and an inner frame in
/// highlight shades when hot, or when focused in the normal state.
struct Style7Shades {
    Colour border;
    /// Pixels (1, 1) and the three mirrored ones, inside the region's cut corners.
    Colour innerCorner;
    /// Pixels beside the cut corners: (0, 1), (1, 0) and their mirrors.
    Colour outerCorner;
    /// Rows 1 to 4, from this colour to the centre colour.
    Colour topBand;
    Colour centre;
    /// Rows H - 5 to H - 2, from the centre colour to this one.
    Colour bottomBand;
    bool innerFrame;
    /// Row 1 and column 1 (and their mirrors) when innerFrame is set.
    Colour innerFrameOuter;
    /// Row 2 and column 2 (and their mirrors) when innerFrame is set.
    Colour innerFrameInner;
};
Style7Shades Style7ShadesFor(int paintState, bool focused, Colour face, Colour highlight) noexcept;
void PaintStyle7(Canvas& canvas, int width, int height, const Style7Shades& shades);

/// Style 8: flat face shades. A flat centre, a light inner line along the top and left and a
/// shadow line along the bottom and right (swapped when pressed), a border that follows the
/// region's cut corners, and four corner pixels that soften the cuts.
struct Style8Shades {
    Colour border;
    /// (1, 2), (W - 2, 3), (W - 2, H - 4) and (1, H - 5): just inside each cut.
    Colour corner;
    Colour centre;
    bool innerLines;
    /// Row 1 and column 1.
    Colour topLeftLine;
    /// Row H - 2 and column W - 2.
    Colour bottomRightLine;
};
Style8Shades Style8ShadesFor(int paintState, Colour face) noexcept;
void PaintStyle8(Canvas& canvas, int width, int height, const Style8Shades& shades);

/// Style 9: base shades in the normal and disabled states, accent shades when hot or pressed.
/// A vertical gradient from the top edge to the centre row and on to the bottom edge, and
/// horizontal gradients over the four columns at each side, inside a border that follows the
/// region's cut corners.
struct Style9Shades {
    Colour border;
    /// Row 1, fading to the centre at row H / 2.
    Colour top;
    Colour centre;
    /// Row H - 2, faded to from the centre.
    Colour bottom;
    /// Columns 1 and W - 2, fading to the body over four columns.
    Colour side;
    bool gradients;
};
Style9Shades Style9ShadesFor(int paintState, Colour base, Colour accent) noexcept;
void PaintStyle9(Canvas& canvas, int width, int height, const Style9Shades& shades);

/// The points the style-8 and style-9 border runs through, in order: along the region
/// polygon (0,2) (2,0) (W-3,0) (W,3) (W,H-3) (W-3,H) (4,H) (0,H-4), on the pixels whose
/// centres lie inside it (a pixel centred on the polygon's edge may or may not be shown).
inline constexpr int kCutBorderPoints = 8;
struct CutBorder {
    int x[kCutBorderPoints];
    int y[kCutBorderPoints];
};
CutBorder CutBorderFor(int width, int height) noexcept;

}  // namespace murmurex
