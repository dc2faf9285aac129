#pragma once
// Style 5 of the styled button: a shaded body of vertical gradients inside a dark-blue border
// with softened corners, a warm inner frame when hot and a blue one when focused or default.
// With custom colours the same structure is drawn in shades of the accent colour.

#include <array>
#include <cstddef>

#include "button_paint_input.h"
#include "canvas.h"

namespace murmurex {

/// The named shades of style 5. Gradients run from the first colour to the second.
enum class Style5Shade : std::size_t {
    TopFrom,
    TopTo,
    BodyFrom,
    BodyTo,
    BottomFrom,
    BottomTo,
    InnerSideFrom,
    InnerSideTo,
    OuterSideFrom,
    OuterSideTo,
    PressedTopFrom,
    PressedTopTo,
    PressedBodyFrom,
    PressedBodyTo,
    PressedBottomFrom,
    PressedBottomTo,
    PressedSideFrom,
    PressedSideTo,
    Border,
    CornerDiagonal,
    CornerSide,
    CornerInner,
    HotRow1,
    HotRow2,
    HotRowNearBottom,
    HotRowBottom,
    FocusRow1,
    FocusRow2,
    FocusRowNearBottom,
    FocusRowBottom,
    DisabledBack,
    DisabledOutline,
    DisabledCorner,
    Count
};

using Style5Palette = std::array<Colour, static_cast<std::size_t>(Style5Shade::Count)>;

/// The fixed shades, used without custom colours.
const Style5Palette& Style5FixedPalette() noexcept;

/// Every fixed shade moved to the accent colour with Offset: the shade's lightness relative to
/// the body's becomes the offset from the accent.
Style5Palette Style5AccentPalette(Colour accent) noexcept;

/// Paints the whole button in style 5 with the fixed shades, or, with custom colours, with the
/// shades of HighlightColor.
void PaintStyle5(Canvas& canvas, const ButtonPaintInput& input);

/// Paints style 5 with the given shades.
void PaintStyle5With(Canvas& canvas, const ButtonPaintInput& input, const Style5Palette& palette);

}  // namespace murmurex
