#pragma once
// The style-10 artwork of the styled button: the glassy rounded button of the settings
// window, in a normal (grey), hot (light blue) and pressed (darker blue) variant.

#include <array>

#include "canvas.h"

namespace murmurex {

enum class Style10Variant { Normal, Hot, Pressed };

/// Hot for state 2, and for states 1 and 4 while focused; normal for 1 and 4 otherwise;
/// pressed for any other state.
Style10Variant ChooseStyle10Variant(int paintState, bool focused) noexcept;

/// The fixed line colours of one variant.
struct Style10Artwork {
    Colour centre;
    /// Columns x = 0 .. 17 of the left cap.
    std::array<Colour, 18> left;
    /// Columns x = W - 17 .. W - 1 of the right cap.
    std::array<Colour, 17> right;
    /// Rows y = 0 .. 11 of the top band.
    std::array<Colour, 12> top;
    /// Rows y = H - 11 .. H of the bottom band.
    std::array<Colour, 12> bottom;
};

const Style10Artwork& Style10ArtworkOf(Style10Variant variant) noexcept;

/// Corner blocks, 17 columns by 11 rows each, row by row: top-left x 0..16 y 0..10,
/// top-right x W-17..W-1 y 0..10, bottom-left x 0..16 y H-10..H, bottom-right likewise.
inline constexpr int kStyle10CornerWidth = 17;
inline constexpr int kStyle10CornerHeight = 11;
using Style10Corner = std::array<Colour, kStyle10CornerWidth * kStyle10CornerHeight>;
struct Style10Corners {
    Style10Corner topLeft;
    Style10Corner topRight;
    Style10Corner bottomLeft;
    Style10Corner bottomRight;
};

const Style10Corners& Style10CornersOf(Style10Variant variant);

/// Paints the whole button of width x height: centre block, caps, bands and corners.
/// A button smaller than the artwork still paints; its centre block is then empty.
void PaintStyle10(Canvas& canvas, int width, int height, Style10Variant variant);

}  // namespace murmurex
