#pragma once
// The button canvas over a GDI device context. Pens and brushes are made per colour and kept
// while the colour repeats, which style 10's runs of equal lines make common.

#include <windows.h>

#include "canvas.h"
#include "win/unique_handle.h"

namespace murmurex {

class GdiCanvas final : public Canvas {
  public:
    /// Draws on dc; the caller keeps the DC and whatever font it selected into it.
    explicit GdiCanvas(HDC dc) noexcept : dc_(dc) {}

    void Line(int x1, int y1, int x2, int y2, Colour colour) override;
    void Fill(int x, int y, int width, int height, Colour colour) override;
    void Outline(int x, int y, int w, int h, Colour colour) override;
    void Pixel(int x, int y, Colour colour) override;
    void Text(const PixelRect& rect, std::string_view text, unsigned format,
              Colour colour) override;
    void Icon(std::span<const std::uint8_t> icon, int x, int y, int size) override;
    std::optional<Colour> PixelAt(int x, int y) const override;
    void Edge(const PixelRect& rect, EdgeKind kind) override;

    /// The device context drawn on, for platform drawing outside this interface.
    HDC dc() const noexcept { return dc_; }

  private:
    HPEN PenFor(Colour colour);
    HBRUSH BrushFor(Colour colour);

    HDC dc_;
    win::UniquePen pen_;
    Colour penColour_ = 0;
    win::UniqueBrush brush_;
    Colour brushColour_ = 0;
};

/// An icon from the bytes of an icon file, the image nearest to size x size; null when the
/// bytes are not a well-formed icon file.
win::UniqueIcon IconFromFileImage(std::span<const std::uint8_t> icon, int size);

}  // namespace murmurex
