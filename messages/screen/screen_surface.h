#pragma once
// The seam between the drawing rules and the platform. A surface hands out one device
// context per drawing call, with the call's colours, pen and brush applied; the context does
// the platform's primitives and nothing else. Every step answers a SurfaceOutcome, so the
// rules can raise the failure with the member's own source text.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "drawing_types.h"

namespace murmurex {

/// The platform step that failed. `Draw` is the member's own call (or move); the others are
/// helper steps with sources of their own.
enum class SurfaceStep {
    Draw,
    GetDc,
    SetTextBackColour,
    SetTextForeColour,
    CreateBrush,
    CreatePen,
    CreateFont,
    CreateMemoryDc,
    LoadPicture,
};

/// A step's result: ok, or the failed step with the platform's error code and its text.
struct SurfaceOutcome {
    bool ok = true;
    SurfaceStep step = SurfaceStep::Draw;
    std::int32_t code = 0;
    std::string text;

    static SurfaceOutcome Success() { return {}; }
    static SurfaceOutcome Failure(SurfaceStep step, std::int32_t code, std::string text) {
        return {false, step, code, std::move(text)};
    }
};

/// How text is laid out; the values are the platform's text-drawing flags.
enum class TextLayout : std::uint32_t {
    Measure = 1024,   // compute the rectangle only
    WrapWords = 80,   // word break and expand tabs
    SingleLine = 96,  // single line and expand tabs
};

/// One screen device context, its style applied. Released (style objects first) when it goes.
class ScreenContext {
  public:
    virtual ~ScreenContext() = default;

    virtual SurfaceOutcome CurrentPosition(ScreenPoint& at) = 0;
    virtual SurfaceOutcome MoveTo(ScreenPoint to) = 0;
    virtual SurfaceOutcome AngleArc(ScreenPoint centre, std::int32_t radius, float startAngle,
                                    float sweepAngle) = 0;
    virtual SurfaceOutcome Ellipse(const ScreenBox& box) = 0;
    virtual SurfaceOutcome Chord(const ScreenBox& box, ScreenPoint first, ScreenPoint second) = 0;
    virtual SurfaceOutcome LineTo(ScreenPoint to) = 0;
    virtual SurfaceOutcome Pie(const ScreenBox& box, ScreenPoint first, ScreenPoint second) = 0;
    virtual SurfaceOutcome Polygon(std::span<const ScreenPoint> points) = 0;
    virtual SurfaceOutcome PolylineTo(std::span<const ScreenPoint> points) = 0;
    /// Fills with a brush of `colour` made for this call (and deleted after it).
    virtual SurfaceOutcome FillBox(const ScreenBox& box, std::uint32_t colour) = 0;
    /// Frames with a brush of `colour` made for this call (and deleted after it).
    virtual SurfaceOutcome FrameBox(const ScreenBox& box, std::uint32_t colour) = 0;
    /// Creates the font and selects it for the following text.
    virtual SurfaceOutcome SelectFont(const FontFields& font) = 0;
    /// Measures like the drawing call would; `box` is adjusted, `height` is the text's height.
    virtual SurfaceOutcome MeasureText(std::string_view text, ScreenBox& box,
                                       std::int32_t& height) = 0;
    virtual SurfaceOutcome DrawText(std::string_view text, const ScreenBox& box,
                                    TextLayout layout) = 0;
    /// Copies the picture to `at`, at its own size (width x height pixels) or stretched to it.
    virtual SurfaceOutcome PaintPicture(const ScreenPicture& picture, ScreenPoint at,
                                        std::int32_t width, std::int32_t height, bool stretch) = 0;
};

/// The whole screen as the drawing rules use it.
class ScreenSurface {
  public:
    virtual ~ScreenSurface() = default;

    /// A fresh context with `style` applied. Null when no context could be had (`failure`
    /// says why); otherwise `failure` holds the first style step that failed, if any; the
    /// context is still usable then.
    virtual std::unique_ptr<ScreenContext> Open(const DrawingStyle& style,
                                                SurfaceOutcome& failure) = 0;
    /// False when the colour is neither RGB nor a known system colour.
    virtual bool IsValidColour(std::uint32_t colour) = 0;
    /// Whether the file listing finds the file.
    virtual bool FileExists(std::string_view path) = 0;
    virtual SurfaceOutcome LoadPicture(std::string_view path, PictureObject& picture) = 0;
    /// A picture object that owns a copy of the bitmap; null when the platform refused.
    virtual PictureObject PictureFromBitmap(std::uintptr_t bitmap) = 0;
    /// Twips per pixel across and down, for sizing pictures.
    virtual float TwipsPerPixelX() const = 0;
    virtual float TwipsPerPixelY() const = 0;
    /// Makes every window repaint over what was drawn; false when the desktop is unknown or
    /// the platform refused.
    virtual bool RepaintDesktop() = 0;
    /// Lets the window messages waiting now run once.
    virtual void RunPendingMessages() = 0;
};

}  // namespace murmurex
