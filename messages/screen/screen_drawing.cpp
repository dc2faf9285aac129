#include "screen_drawing.h"

#include <memory>
#include <utility>
#include <vector>

#include "pie_points.h"
#include "portable/round_half_even.h"
#include "portable/twips.h"
#include "screen_texts.h"

namespace murmurex {
namespace t = screen_texts;

std::string_view HelperStepSource(SurfaceStep step) {
    switch (step) {
        case SurfaceStep::GetDc:
            return "hDC(GetDC)";
        case SurfaceStep::SetTextBackColour:
            return "SetColors(SetTextBackColor)";
        case SurfaceStep::SetTextForeColour:
            return "SetColors(SetTextForeColor)";
        case SurfaceStep::CreateBrush:
            return "GetBrush(CreateBrushIndirect)";
        case SurfaceStep::CreatePen:
            return "GetPen(CreatePen)";
        case SurfaceStep::CreateFont:
            return "GetFont(CreateFont)";
        case SurfaceStep::CreateMemoryDc:
            return "DrawPicture(CreateCompatibleDC)";
        case SurfaceStep::LoadPicture:
            return "DrawPicture(LoadPicture)";
        case SurfaceStep::Draw:
            break;
    }
    return {};
}

namespace {

constexpr double kHimetricPerInch = 2540.0;

// A picture's size in 0.01 mm as whole pixels, through twips. Divided by the screen object's
// measured twips per pixel, not converted at a DPI: that is what the drawing members promise.
std::int32_t HimetricToPixels(std::int32_t himetric, float twipsPerPixel) {
    if (twipsPerPixel <= 0) {
        return 0;
    }
    const double twips = static_cast<double>(himetric) * kTwipsPerInch / kHimetricPerInch;
    return RoundHalfEven(twips / twipsPerPixel);
}

}  // namespace

// One drawing call: its context, and the first error raised while it runs. Later failures
// of the same call are skipped, so the answer names the cause.
class ScreenDrawing::Call {
  public:
    explicit Call(ScreenDrawing& owner) : owner_(owner) {
        SurfaceOutcome failure;
        context_ = owner.surface_.Open(owner.style_, failure);
        if (!failure.ok) {
            Failed(failure, {});
        }
    }

    ScreenContext* drawingContext() const noexcept { return context_.get(); }

    /// Raises a failed step (helper steps with their own source, the member's call with
    /// `drawSource`); answers whether the step failed.
    bool Failed(const SurfaceOutcome& outcome, std::string_view drawSource) {
        if (outcome.ok) {
            return false;
        }
        const std::string_view member =
            outcome.step == SurfaceStep::Draw ? drawSource : HelperStepSource(outcome.step);
        Raise(t::Source(owner_.executableName_, member), outcome.code, outcome.text);
        return true;
    }

    void Raise(std::string_view source, std::int32_t number, std::string_view description) {
        if (answer.error.number == 0) {
            RaiseScreenError(answer.error, source, number, description);
        }
    }

    /// Lets the context go and gives the answer.
    ScreenResult<bool> Finish(bool drawn) {
        context_.reset();
        answer.value = drawn;
        return std::move(answer);
    }

    ScreenResult<bool> answer;

  private:
    ScreenDrawing& owner_;
    std::unique_ptr<ScreenContext> context_;
};

ScreenDrawing::ScreenDrawing(ScreenSurface& surface, std::string executableName)
    : surface_(surface), executableName_(std::move(executableName)) {}

ScreenError ScreenDrawing::Invalid(std::string_view member, std::string_view description) const {
    ScreenError error;
    RaiseScreenError(error, t::Source(executableName_, member), -1, description);
    return error;
}

ScreenError ScreenDrawing::SetColour(std::uint32_t& field, std::uint32_t colour,
                                     std::string_view member) {
    if (!surface_.IsValidColour(colour)) {
        return Invalid(member, t::kInvalidColor);
    }
    field = colour;
    return {};
}

ScreenError ScreenDrawing::BackColor_Scr(std::uint32_t colour) {
    return SetColour(style_.colours.backScr, colour, "Let_BackColor_Scr(TranslateColor)");
}

ScreenError ScreenDrawing::ForeColor_Scr(std::uint32_t colour) {
    return SetColour(style_.colours.foreScr, colour, "Let_ForeColor_Scr(TranslateColor)");
}

ScreenError ScreenDrawing::BackColor_Txt(std::uint32_t colour) {
    return SetColour(style_.colours.backTxt, colour, "Let_BackColor_Txt(TranslateColor)");
}

ScreenError ScreenDrawing::ForeColor_Txt(std::uint32_t colour) {
    return SetColour(style_.colours.foreTxt, colour, "Let_ForeColor_Txt(TranslateColor)");
}

ScreenFontObject ScreenDrawing::Font() const {
    ScreenFontObject font;
    font.name = font_.name;
    font.size = font_.size;
    font.bold = font_.bold;
    font.italic = font_.italic;
    font.underline = font_.underline;
    font.strikethrough = font_.strikethrough;
    font.charset = 0;
    font.weight = font_.bold ? 700 : 400;
    return font;
}

void ScreenDrawing::Font(const ScreenFontObject& font) {
    font_.name = font.name;
    font_.size = RoundHalfEven(font.size);
    font_.bold = font.bold;
    font_.italic = font.italic;
    font_.underline = font.underline;
    font_.strikethrough = font.strikethrough;
}

ScreenResult<bool> ScreenDrawing::DrawArc(std::int32_t centreX, std::int32_t centreY,
                                          std::int32_t radius, std::int32_t lineStartX,
                                          std::int32_t lineStartY, float startAngle,
                                          float sweepAngle) {
    if (radius < 1) {
        return {};
    }
    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        if (!call.Failed(context->MoveTo({lineStartX, lineStartY}),
                         "SetCurrentXY(DRAW_MoveCurrentXY)")) {
            drawn =
                !call.Failed(context->AngleArc({centreX, centreY}, radius, startAngle, sweepAngle),
                             "DrawArc(DRAW_Arc)");
        }
    }
    if (drawn && Recording()) {
        list_.arcs.push_back({centreX, centreY, radius, lineStartX, lineStartY, startAngle,
                              sweepAngle, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::DrawEllipse(std::int32_t left, std::int32_t top,
                                              std::int32_t right, std::int32_t bottom) {
    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        drawn =
            !call.Failed(context->Ellipse({left, top, right, bottom}), "DrawEllipse(DRAW_Ellipse)");
    }
    if (drawn && Recording()) {
        list_.ellipses.push_back({left, top, right, bottom, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::DrawHalfCircle(std::int32_t left, std::int32_t top,
                                                 std::int32_t right, std::int32_t bottom,
                                                 std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                                 std::int32_t y2) {
    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        drawn = !call.Failed(context->Chord({left, top, right, bottom}, {x1, y1}, {x2, y2}),
                             "DrawHalfCircle(DRAW_HalfCircle)");
    }
    if (drawn && Recording()) {
        list_.chords.push_back({left, top, right, bottom, x1, y1, x2, y2, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                           std::int32_t y2) {
    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        ScreenPoint current;
        if (!call.Failed(context->CurrentPosition(current), "GetCurrentXY(DRAW_MoveCurrentXY)")) {
            const ScreenPoint start{x1, y1};
            const bool atStart =
                current == start ||
                !call.Failed(context->MoveTo(start), "SetCurrentXY(DRAW_MoveCurrentXY)");
            if (atStart) {
                drawn = !call.Failed(context->LineTo({x2, y2}), "DrawLine(DRAW_Line)");
            }
        }
    }
    if (drawn && Recording()) {
        list_.lines.push_back({x1, y1, x2, y2, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::DrawPicture(std::int32_t x, std::int32_t y, std::string_view path,
                                              const PictureObject& picture, std::uintptr_t bitmap,
                                              std::int32_t width, std::int32_t height,
                                              bool stretch) {
    ScreenResult<bool> refused;
    if (path.empty() && !picture && bitmap == 0) {
        refused.error = Invalid("DrawPicture", t::kNoPicture);
        return refused;
    }
    if (!path.empty() && !surface_.FileExists(path)) {
        refused.error = Invalid("DrawPicture", t::kPictureNotFound);
        return refused;
    }
    if (picture && !picture->HasImage()) {
        refused.error = Invalid("DrawPicture", t::kInvalidPicture);
        return refused;
    }

    PictureObject drawnPicture;
    if (!path.empty()) {
        const SurfaceOutcome loaded = surface_.LoadPicture(path, drawnPicture);
        if (!loaded.ok || !drawnPicture) {
            RaiseScreenError(refused.error,
                             t::Source(executableName_, HelperStepSource(SurfaceStep::LoadPicture)),
                             loaded.ok ? -1 : loaded.code, loaded.text);
            return refused;
        }
    } else if (bitmap != 0) {
        drawnPicture = surface_.PictureFromBitmap(bitmap);
        if (!drawnPicture) {
            refused.error = Invalid("DrawPicture", t::kInvalidPicture);
            return refused;
        }
    } else {
        drawnPicture = picture;
    }
    if (width == 0) {
        width = HimetricToPixels(drawnPicture->WidthHimetric(), surface_.TwipsPerPixelX());
    }
    if (height == 0) {
        height = HimetricToPixels(drawnPicture->HeightHimetric(), surface_.TwipsPerPixelY());
    }

    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        drawn = !call.Failed(
            context->PaintPicture(*drawnPicture, {x, y}, width, height, stretch),
            stretch ? "DrawPicture(DRAW_PictureStretch)" : "DrawPicture(DRAW_Picture)");
    }
    if (drawn && Recording()) {
        list_.pictures.push_back(
            {x, y, std::string(path), drawnPicture, 0, width, height, stretch, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::DrawPie(std::int32_t left, std::int32_t top, std::int32_t right,
                                          std::int32_t bottom, std::int32_t angle,
                                          bool explicitPoints, std::int32_t x1, std::int32_t y1,
                                          std::int32_t x2, std::int32_t y2) {
    const std::int32_t clamped = ClampPieAngle(angle);
    const ScreenBox box{left, top, right, bottom};
    const ScreenPoint first = explicitPoints ? ScreenPoint{x1, y1} : PieFirstRadialPoint(box);
    const ScreenPoint second =
        explicitPoints ? ScreenPoint{x2, y2} : PieSecondRadialPoint(box, clamped);
    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        drawn = !call.Failed(context->Pie(box, first, second), "DrawPie(DRAW_Pie)");
    }
    if (drawn && Recording()) {
        list_.pies.push_back(
            {left, top, right, bottom, clamped, explicitPoints, x1, y1, x2, y2, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::DrawPoints(std::string_view member,
                                             std::span<const std::int32_t> xs,
                                             std::span<const std::int32_t> ys, std::int32_t count,
                                             const ScreenPoint* start) {
    ScreenResult<bool> refused;
    if (count <= 0) {
        refused.error = Invalid(member, t::kInvalidPointCount);
        return refused;
    }
    // A count beyond the arrays would read past them: refuse it as an index out of range.
    const auto points = static_cast<std::size_t>(count);
    if (points > xs.size() || points > ys.size()) {
        RaiseScreenError(refused.error, t::Source(executableName_, member),
                         t::kSubscriptOutOfRangeNumber, t::kSubscriptOutOfRange);
        return refused;
    }
    std::vector<ScreenPoint> path(points);
    for (std::size_t i = 0; i < points; ++i) {
        path[i] = {xs[i], ys[i]};
    }

    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        if (start == nullptr) {
            drawn = !call.Failed(context->Polygon(path), "DrawPolygon(DRAW_Polygon)");
        } else if (!call.Failed(context->MoveTo(*start), "DrawPolyline(DRAW_MoveCurrentXY)")) {
            drawn = !call.Failed(context->PolylineTo(path), "DrawPolyline(DRAW_Polyline)");
        }
    }
    if (drawn && Recording()) {
        std::vector<std::int32_t> xCopy(xs.begin(), xs.end());
        std::vector<std::int32_t> yCopy(ys.begin(), ys.end());
        if (start == nullptr) {
            list_.polygons.push_back({std::move(xCopy), std::move(yCopy), count, style_.colours});
        } else {
            list_.polylines.push_back(
                {start->x, start->y, std::move(xCopy), std::move(yCopy), count, style_.colours});
        }
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::DrawPolygon(std::span<const std::int32_t> xs,
                                              std::span<const std::int32_t> ys,
                                              std::int32_t count) {
    return DrawPoints("DrawPolygon", xs, ys, count, nullptr);
}

ScreenResult<bool> ScreenDrawing::DrawPolyline(std::int32_t startX, std::int32_t startY,
                                               std::span<const std::int32_t> xs,
                                               std::span<const std::int32_t> ys,
                                               std::int32_t count) {
    const ScreenPoint start{startX, startY};
    return DrawPoints("DrawPolyline", xs, ys, count, &start);
}

ScreenResult<bool> ScreenDrawing::DrawRectangle(std::int32_t left, std::int32_t top,
                                                std::int32_t right, std::int32_t bottom,
                                                bool filled, bool outlined) {
    if (!filled && !outlined) {
        ScreenResult<bool> refused;
        refused.error = Invalid("DrawRectangle", t::kInvalidParameters);
        return refused;
    }
    const ScreenBox box{left, top, right, bottom};
    Call call(*this);
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        drawn = true;
        if (filled && call.Failed(context->FillBox(box, style_.colours.backScr),
                                  "DrawRectangle(DRAW_RectangleFilled)")) {
            drawn = false;
        }
        if (outlined && call.Failed(context->FrameBox(box, style_.colours.foreScr),
                                    "DrawRectangle(DRAW_RectangleOutline)")) {
            drawn = false;
        }
    }
    if (drawn && Recording()) {
        list_.rectangles.push_back({left, top, right, bottom, filled, outlined, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::drawText(std::string_view text, std::int32_t x, std::int32_t y,
                                           bool wordWrap) {
    // The platform call is given the length, so no terminating NUL is needed; a NUL inside
    // the text ends what is drawn, as it would for a NUL-terminated text.
    text = text.substr(0, text.find('\0'));
    if (text.empty()) {
        return {};
    }

    ScreenResult<bool> refused;
    if (font_.name.empty()) {
        refused.error = Invalid("GetFont", t::kInvalidFontName);
    } else if (font_.size == 0) {
        refused.error = Invalid("GetFont", t::kInvalidFontSize);
    }

    Call call(*this);
    if (refused.raised()) {
        // The text is still drawn in the context's own font, as a failed font step is skipped.
        call.Raise(refused.error.source, refused.error.number, refused.error.description);
    }
    bool drawn = false;
    if (auto* context = call.drawingContext()) {
        if (!refused.raised()) {
            call.Failed(context->SelectFont(font_), {});
        }
        ScreenBox box{x, y, 100, 0};
        std::int32_t height = 0;
        if (!call.Failed(context->MeasureText(text, box, height), "DrawText(DRAW_DrawText)")) {
            box.bottom = y + height;
            drawn = !call.Failed(
                context->DrawText(text, box,
                                  wordWrap ? TextLayout::WrapWords : TextLayout::SingleLine),
                "DrawText(DRAW_DrawText)");
        }
    }
    if (drawn && Recording()) {
        list_.texts.push_back({std::string(text), x, y, wordWrap, style_.colours});
    }
    return call.Finish(drawn);
}

ScreenResult<bool> ScreenDrawing::Replay(const ArcRecord& r) {
    return DrawArc(r.centreX, r.centreY, r.radius, r.lineStartX, r.lineStartY, r.startAngle,
                   r.sweepAngle);
}
ScreenResult<bool> ScreenDrawing::Replay(const EllipseRecord& r) {
    return DrawEllipse(r.left, r.top, r.right, r.bottom);
}
ScreenResult<bool> ScreenDrawing::Replay(const ChordRecord& r) {
    return DrawHalfCircle(r.left, r.top, r.right, r.bottom, r.x1, r.y1, r.x2, r.y2);
}
ScreenResult<bool> ScreenDrawing::Replay(const LineRecord& r) {
    return DrawLine(r.x1, r.y1, r.x2, r.y2);
}
ScreenResult<bool> ScreenDrawing::Replay(const PictureRecord& r) {
    return DrawPicture(r.x, r.y, r.path, r.picture, r.bitmap, r.width, r.height, r.stretch);
}
ScreenResult<bool> ScreenDrawing::Replay(const PieRecord& r) {
    return DrawPie(r.left, r.top, r.right, r.bottom, r.angle, r.explicitPoints, r.x1, r.y1, r.x2,
                   r.y2);
}
ScreenResult<bool> ScreenDrawing::Replay(const PolygonRecord& r) {
    return DrawPolygon(r.xs, r.ys, r.count);
}
ScreenResult<bool> ScreenDrawing::Replay(const PolylineRecord& r) {
    return DrawPolyline(r.startX, r.startY, r.xs, r.ys, r.count);
}
ScreenResult<bool> ScreenDrawing::Replay(const RectangleRecord& r) {
    return DrawRectangle(r.left, r.top, r.right, r.bottom, r.filled, r.outlined);
}
ScreenResult<bool> ScreenDrawing::Replay(const TextRecord& r) {
    return drawText(r.text, r.x, r.y, r.wordWrap);
}

template <typename Record>
bool ScreenDrawing::ReplayList(const std::vector<Record>& records, ScreenResult<bool>& answer) {
    // Replayed calls record nothing, so the list cannot grow under the loop.
    for (const Record& record : records) {
        style_.colours = record.colours;
        auto replayed = Replay(record);
        if (!replayed.value) {
            answer.error = std::move(replayed.error);
            return false;
        }
    }
    return true;
}

ScreenResult<bool> ScreenDrawing::Refresh() {
    const ScreenColours saved = style_.colours;
    refreshing_ = true;
    ScreenResult<bool> answer;
    answer.value = ReplayList(list_.arcs, answer) && ReplayList(list_.ellipses, answer) &&
                   ReplayList(list_.chords, answer) && ReplayList(list_.lines, answer) &&
                   ReplayList(list_.pictures, answer) && ReplayList(list_.pies, answer) &&
                   ReplayList(list_.polygons, answer) && ReplayList(list_.polylines, answer) &&
                   ReplayList(list_.rectangles, answer) && ReplayList(list_.texts, answer);
    refreshing_ = false;
    style_.colours = saved;
    return answer;
}

ScreenResult<bool> ScreenDrawing::Clear(bool dropList) {
    ScreenResult<bool> answer;
    if (!surface_.RepaintDesktop()) {
        return answer;
    }
    if (dropList) {
        list_.Clear();
    }
    answer.value = true;
    surface_.RunPendingMessages();
    return answer;
}

}  // namespace murmurex
