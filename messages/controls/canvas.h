#pragma once
// The drawing surface the button painters use. One implementation draws with GDI, another into
// a pixel buffer, so a painter's output can be checked pixel by pixel without a window.
// All lengths are pixels.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "colour.h"

namespace murmurex {

struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

/// Text-drawing flags, the platform's values.
namespace text_format {
inline constexpr unsigned kCentre = 1;
inline constexpr unsigned kRight = 2;
inline constexpr unsigned kVerticalCentre = 4;
inline constexpr unsigned kBottom = 8;
inline constexpr unsigned kWordBreak = 16;
inline constexpr unsigned kMeasureOnly = 1024;
inline constexpr unsigned kRightToLeft = 0x20000;
}  // namespace text_format

/// The platform's 3D edge borders, its own values: an outer and an inner ring, each raised
/// (light above and left, dark below and right) or sunken (the other way round).
enum class EdgeKind : unsigned {
    RaisedOuter = 0x1,
    SunkenOuter = 0x2,
    RaisedInner = 0x4,
    SunkenInner = 0x8,
    Raised = 0x5,  // both rings raised: the full raised edge
    Sunken = 0xA,  // both rings sunken
};

/// The colours the platform draws 3D edges in.
struct EdgeColours {
    Colour highlight = Rgb(255, 255, 255);
    Colour light = Rgb(227, 227, 227);
    Colour shadow = Rgb(160, 160, 160);
    Colour darkShadow = Rgb(105, 105, 105);
};

class Canvas {
  public:
    virtual ~Canvas() = default;

    /// One-pixel solid line from (x1, y1) to (x2, y2); the end point is not drawn.
    virtual void Line(int x1, int y1, int x2, int y2, Colour colour) = 0;
    /// Solid fill of x, y, width, height; nothing when either size is not positive.
    virtual void Fill(int x, int y, int width, int height, Colour colour) = 0;
    /// One-pixel outline through (x, y) and (x + w, y + h), both corners included.
    virtual void Outline(int x, int y, int w, int h, Colour colour) = 0;
    virtual void Pixel(int x, int y, Colour colour) = 0;
    /// Text inside rect with the text-drawing flags above.
    virtual void Text(const PixelRect& rect, std::string_view text, unsigned format,
                      Colour colour) = 0;
    /// An icon file image (".ico" bytes) drawn at x, y scaled to size x size.
    virtual void Icon(std::span<const std::uint8_t> icon, int x, int y, int size) = 0;
    /// The colour already drawn at x, y, for drawing that blends or compares with it;
    /// nothing outside the surface or where the surface cannot be read.
    virtual std::optional<Colour> PixelAt(int x, int y) const;

    /// A 3D edge on all four sides of rect (right and bottom exclusive), as the platform's edge
    /// drawing makes it.
    virtual void Edge(const PixelRect& rect, EdgeKind kind) = 0;

    /// steps + 1 horizontal lines from (x1, y + i) to (x2, y + i); line i has each channel
    /// from + (to - from) / steps * i, in single precision, rounded to nearest.
    virtual void VerticalGradient(Colour from, Colour to, int x1, int y, int x2, int steps);
};

}  // namespace murmurex
