#pragma once
// Geometry of the styled button: its minimum size, where the caption and the icon go, and
// the window shape of each style. Pure arithmetic; the window applies the results.

#include <vector>

#include "canvas.h"

namespace murmurex {

/// Caption and icon alignment values.
enum class Align : int { Centre = 0, Left = 1, Right = 2, Top = 3, Bottom = 4 };

/// Smallest width and height, in twips.
inline constexpr int kButtonMinimumTwips = 300;

/// The smallest side in pixels at the given dots per inch (20 at 96 dpi).
int ButtonMinimumPixels(int dotsPerInch) noexcept;

/// The rectangle the caption is measured in, and the measuring flags.
PixelRect CaptionMeasureRect(int width, int height) noexcept;
unsigned CaptionMeasureFormat(bool rightToLeft) noexcept;

struct CaptionLayout {
    PixelRect rect;
    unsigned format = 0;
};

/// CaptionRect and CaptionFormat from the control's size, the measured caption rectangle and
/// the current text margin. An alignment outside 0..4 is laid out centred.
CaptionLayout LayOutCaption(int width, int height, const PixelRect& measured, int align,
                            int textMargin, bool rightToLeft) noexcept;

struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

/// Top-left corner of an icon of the given size; an alignment outside 0..4 centres it.
PixelPoint IconPosition(int align, int width, int height, int iconSize, int textMargin) noexcept;

/// The window shape of a style.
struct ButtonRegion {
    enum class Kind { Rectangle, Polygon, RoundRectangle };
    Kind kind = Kind::Rectangle;
    /// Rectangle and rounded rectangle: left, top, right, bottom.
    PixelRect bounds;
    /// Rounded rectangle: width and height of the corner ellipse.
    int ellipse = 0;
    /// Polygon corners, filled in alternate mode.
    std::vector<PixelPoint> points;
};

ButtonRegion RegionForStyle(int style, int width, int height);

}  // namespace murmurex
