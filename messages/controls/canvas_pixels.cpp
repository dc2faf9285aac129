#include "canvas_pixels.h"

#include <algorithm>
#include <cstdlib>

namespace murmurex {

PixelCanvas::PixelCanvas(int width, int height, Colour background)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      background_(background),
      pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), background) {}

Colour PixelCanvas::At(int x, int y) const noexcept {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return background_;
    }
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
}

std::optional<Colour> PixelCanvas::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return std::nullopt;
    }
    return At(x, y);
}

void PixelCanvas::Pixel(int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
            static_cast<std::size_t>(x)] = colour;
}

void PixelCanvas::Line(int x1, int y1, int x2, int y2, Colour colour) {
    // Bresenham, stopping before the end point as the platform's line drawing does.
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    int x = x1;
    int y = y1;
    while (x != x2 || y != y2) {
        Pixel(x, y, colour);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void PixelCanvas::Fill(int x, int y, int width, int height, Colour colour) {
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min(x + std::max(width, 0), width_);
    const int bottom = std::min(y + std::max(height, 0), height_);
    for (int row = top; row < bottom; ++row) {
        for (int column = left; column < right; ++column) {
            Pixel(column, row, colour);
        }
    }
}

void PixelCanvas::Outline(int x, int y, int w, int h, Colour colour) {
    for (int column = x; column <= x + w; ++column) {
        Pixel(column, y, colour);
        Pixel(column, y + h, colour);
    }
    for (int row = y; row <= y + h; ++row) {
        Pixel(x, row, colour);
        Pixel(x + w, row, colour);
    }
}

void PixelCanvas::Text(const PixelRect& rect, std::string_view text, unsigned format,
                       Colour colour) {
    texts_.push_back(TextCall{rect, std::string(text), format, colour});
}

void PixelCanvas::Icon(std::span<const std::uint8_t> icon, int x, int y, int size) {
    if (!icon.empty()) {
        icons_.push_back(IconCall{x, y, size});
    }
}

void PixelCanvas::EdgeRing(const PixelRect& rect, Colour topLeft, Colour bottomRight) {
    // The top-left side first, over the whole length; the bottom-right side then takes the two
    // far corners (on a rectangle without width or height the top-left side keeps them).
    for (int x = rect.left; x < rect.right; ++x) {
        Pixel(x, rect.top, topLeft);
    }
    for (int y = rect.top; y < rect.bottom; ++y) {
        Pixel(rect.left, y, topLeft);
    }
    for (int x = rect.left; x < rect.right; ++x) {
        Pixel(x, rect.bottom - 1, bottomRight);
    }
    for (int y = rect.top; y < rect.bottom; ++y) {
        Pixel(rect.right - 1, y, bottomRight);
    }
}

void PixelCanvas::Edge(const PixelRect& rect, EdgeKind kind) {
    const auto has = [kind](EdgeKind part) {
        return (static_cast<unsigned>(kind) & static_cast<unsigned>(part)) != 0;
    };
    const EdgeColours& c = edgeColours_;
    PixelRect ring = rect;
    if (has(EdgeKind::RaisedOuter) || has(EdgeKind::SunkenOuter)) {
        if (has(EdgeKind::RaisedOuter)) {
            EdgeRing(ring, c.light, c.darkShadow);
        } else {
            EdgeRing(ring, c.shadow, c.highlight);
        }
        ring = PixelRect{ring.left + 1, ring.top + 1, ring.right - 1, ring.bottom - 1};
    }
    if (has(EdgeKind::RaisedInner)) {
        EdgeRing(ring, c.highlight, c.shadow);
    } else if (has(EdgeKind::SunkenInner)) {
        EdgeRing(ring, c.darkShadow, c.light);
    }
}

}  // namespace murmurex
