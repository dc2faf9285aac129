#pragma once
// A canvas over a plain pixel buffer. Text and icons are not rasterised: each call is kept in
// a list so callers can check what would have been drawn and where.

#include <string>
#include <vector>

#include "canvas.h"

namespace murmurex {

class PixelCanvas final : public Canvas {
  public:
    struct TextCall {
        PixelRect rect;
        std::string text;
        unsigned format = 0;
        Colour colour = 0;
    };
    struct IconCall {
        int x = 0;
        int y = 0;
        int size = 0;
    };

    PixelCanvas(int width, int height, Colour background);

    int Width() const noexcept { return width_; }
    int Height() const noexcept { return height_; }
    /// The pixel at x, y; outside the buffer, the background.
    Colour At(int x, int y) const noexcept;
    const std::vector<TextCall>& Texts() const noexcept { return texts_; }
    const std::vector<IconCall>& Icons() const noexcept { return icons_; }
    /// The colours 3D edges are drawn in; the platform's usual ones until set.
    void SetEdgeColours(const EdgeColours& colours) noexcept { edgeColours_ = colours; }

    void Line(int x1, int y1, int x2, int y2, Colour colour) override;
    void Fill(int x, int y, int width, int height, Colour colour) override;
    void Outline(int x, int y, int w, int h, Colour colour) override;
    void Pixel(int x, int y, Colour colour) override;
    void Text(const PixelRect& rect, std::string_view text, unsigned format,
              Colour colour) override;
    void Icon(std::span<const std::uint8_t> icon, int x, int y, int size) override;
    std::optional<Colour> PixelAt(int x, int y) const override;
    void Edge(const PixelRect& rect, EdgeKind kind) override;

  private:
    void EdgeRing(const PixelRect& rect, Colour topLeft, Colour bottomRight);

    int width_;
    int height_;
    Colour background_;
    std::vector<Colour> pixels_;
    std::vector<TextCall> texts_;
    std::vector<IconCall> icons_;
    EdgeColours edgeColours_;
};

}  // namespace murmurex
