#pragma once
// The drawing half of the screen object, without the platform: the colours, pen, brush and
// font it holds, the drawing members with their checks and error texts, the display list and
// its replay. Each member takes a fresh context from the surface, draws, lets the context go
// and, when EnableRefresh is on and the call succeeded, records it.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "display_list.h"
#include "drawing_types.h"
#include "screen_error.h"
#include "screen_surface.h"

namespace murmurex {

/// The member and bracketed call a helper step raises with ("GetPen(CreatePen)"); empty for
/// the member's own drawing call, whose source is the member's.
std::string_view HelperStepSource(SurfaceStep step);

class ScreenDrawing {
  public:
    /// `executableName` leads every error source.
    ScreenDrawing(ScreenSurface& surface, std::string executableName);

    // Colours: a value that is neither RGB nor a system colour raises -1 and keeps the old one.
    std::uint32_t BackColor_Scr() const noexcept { return style_.colours.backScr; }
    std::uint32_t ForeColor_Scr() const noexcept { return style_.colours.foreScr; }
    std::uint32_t BackColor_Txt() const noexcept { return style_.colours.backTxt; }
    std::uint32_t ForeColor_Txt() const noexcept { return style_.colours.foreTxt; }
    ScreenError BackColor_Scr(std::uint32_t colour);
    ScreenError ForeColor_Scr(std::uint32_t colour);
    ScreenError BackColor_Txt(std::uint32_t colour);
    ScreenError ForeColor_Txt(std::uint32_t colour);

    // Pen and brush: stored without checks, applied from the next call on.
    std::int32_t BrushSyle() const noexcept { return style_.brushStyle; }
    void BrushSyle(std::int32_t value) noexcept { style_.brushStyle = value; }
    std::int32_t BrushHatch() const noexcept { return style_.brushHatch; }
    void BrushHatch(std::int32_t value) noexcept { style_.brushHatch = value; }
    std::int32_t PenStyle() const noexcept { return style_.penStyle; }
    void PenStyle(std::int32_t value) noexcept { style_.penStyle = value; }
    std::int32_t PenWidth() const noexcept { return style_.penWidth; }
    void PenWidth(std::int32_t value) noexcept { style_.penWidth = value; }

    bool EnableRefresh() const noexcept { return enableRefresh_; }
    void EnableRefresh(bool value) noexcept { enableRefresh_ = value; }

    /// A new font object from the font fields (character set 0, weight 700 when bold).
    ScreenFontObject Font() const;
    /// Takes name, size (to whole points) and attributes; used by the next drawText.
    void Font(const ScreenFontObject& font);
    const FontFields& FontSettings() const noexcept { return font_; }
    const DrawingStyle& Style() const noexcept { return style_; }

    ScreenResult<bool> DrawArc(std::int32_t centreX, std::int32_t centreY, std::int32_t radius,
                               std::int32_t lineStartX, std::int32_t lineStartY, float startAngle,
                               float sweepAngle);
    ScreenResult<bool> DrawEllipse(std::int32_t left, std::int32_t top, std::int32_t right,
                                   std::int32_t bottom);
    ScreenResult<bool> DrawHalfCircle(std::int32_t left, std::int32_t top, std::int32_t right,
                                      std::int32_t bottom, std::int32_t x1, std::int32_t y1,
                                      std::int32_t x2, std::int32_t y2);
    ScreenResult<bool> DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    /// From the file when `path` is given, else from `bitmap`, else from `picture`.
    /// A width or height of 0 takes the picture's own.
    ScreenResult<bool> DrawPicture(std::int32_t x, std::int32_t y, std::string_view path,
                                   const PictureObject& picture, std::uintptr_t bitmap,
                                   std::int32_t width, std::int32_t height, bool stretch);
    ScreenResult<bool> DrawPie(std::int32_t left, std::int32_t top, std::int32_t right,
                               std::int32_t bottom, std::int32_t angle, bool explicitPoints,
                               std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    /// Pairs xs[i] with ys[i] for i below `count`.
    ScreenResult<bool> DrawPolygon(std::span<const std::int32_t> xs,
                                   std::span<const std::int32_t> ys, std::int32_t count);
    ScreenResult<bool> DrawPolyline(std::int32_t startX, std::int32_t startY,
                                    std::span<const std::int32_t> xs,
                                    std::span<const std::int32_t> ys, std::int32_t count);
    ScreenResult<bool> DrawRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                     std::int32_t bottom, bool filled, bool outlined);
    ScreenResult<bool> drawText(std::string_view text, std::int32_t x, std::int32_t y,
                                bool wordWrap);

    /// Draws the display list again, each record in its own colours; True when every replayed
    /// call succeeded. The current colours are the same afterwards.
    ScreenResult<bool> Refresh();
    /// Makes the desktop repaint over what was drawn; `dropList` also empties the list.
    ScreenResult<bool> Clear(bool dropList);

    const DisplayList& List() const noexcept { return list_; }
    bool Refreshing() const noexcept { return refreshing_; }

  private:
    class Call;

    ScreenError SetColour(std::uint32_t& field, std::uint32_t colour, std::string_view member);
    bool Recording() const noexcept { return enableRefresh_ && !refreshing_; }
    ScreenError Invalid(std::string_view member, std::string_view description) const;
    ScreenResult<bool> DrawPoints(std::string_view member, std::span<const std::int32_t> xs,
                                  std::span<const std::int32_t> ys, std::int32_t count,
                                  const ScreenPoint* start);
    template <typename Record>
    bool ReplayList(const std::vector<Record>& records, ScreenResult<bool>& answer);
    ScreenResult<bool> Replay(const ArcRecord& r);
    ScreenResult<bool> Replay(const EllipseRecord& r);
    ScreenResult<bool> Replay(const ChordRecord& r);
    ScreenResult<bool> Replay(const LineRecord& r);
    ScreenResult<bool> Replay(const PictureRecord& r);
    ScreenResult<bool> Replay(const PieRecord& r);
    ScreenResult<bool> Replay(const PolygonRecord& r);
    ScreenResult<bool> Replay(const PolylineRecord& r);
    ScreenResult<bool> Replay(const RectangleRecord& r);
    ScreenResult<bool> Replay(const TextRecord& r);

    ScreenSurface& surface_;
    std::string executableName_;
    DrawingStyle style_;
    FontFields font_;
    bool enableRefresh_ = false;
    bool refreshing_ = false;
    DisplayList list_;
};

}  // namespace murmurex
