#pragma once
// The screen surface drawn with GDI: a fresh screen device context per drawing call, the
// call's pen, brush and text colours selected into it and taken out again (and deleted)
// before the context goes back, and pictures as OLE picture objects.

#include <ocidl.h>
#include <olectl.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "screen_error.h"
#include "screen_surface.h"
#include "win/unique_handle.h"

namespace murmurex {

/// An OLE picture object; releases its reference when the last owner lets it go.
class ComPicture : public ScreenPicture {
  public:
    /// Takes over one reference to `picture` (not null).
    explicit ComPicture(IPicture* picture) noexcept : picture_(picture) {}
    ComPicture(const ComPicture&) = delete;
    ComPicture& operator=(const ComPicture&) = delete;
    ~ComPicture() override { picture_->Release(); }

    bool HasImage() const override;
    std::int32_t WidthHimetric() const override;
    std::int32_t HeightHimetric() const override;
    /// The platform's picture object, still owned by this one.
    IPicture* get() const noexcept { return picture_; }

  private:
    IPicture* picture_;
};

/// An OLE picture object that owns `bitmap` (and `palette`); null when the platform refused.
PictureObject PictureFromHandle(HBITMAP bitmap, HPALETTE palette);

/// Objects selected into a borrowed device context: the context's own go back before it is
/// released, then ours are deleted (guards are declared after the handles they select).
struct DcSelections {
    win::UniqueBrush brush;
    win::UniquePen pen;
    win::UniqueFont font;
    std::optional<win::SelectGuard> brushGuard;
    std::optional<win::SelectGuard> penGuard;
    std::optional<win::SelectGuard> fontGuard;
};

/// SetColors: text colours, then a brush of the fill colour and a pen of the line colour
/// selected for the life of `selections`. Answers the first step that failed.
SurfaceOutcome ApplyStyle(HDC dc, const DrawingStyle& style, DcSelections& selections);

/// GetFont and SetDisplayFont: creates the font at the context's vertical resolution and
/// selects it for the life of `selections`.
SurfaceOutcome ApplyFont(HDC dc, const FontFields& font, DcSelections& selections);

/// The context's current position, read by moving to (0, 0) and back.
SurfaceOutcome ReadPosition(HDC dc, ScreenPoint& at);
/// Moves the context's current position.
SurfaceOutcome MovePosition(HDC dc, ScreenPoint to);

/// What the surface needs from the screen object that owns it.
struct ScreenAccess {
    /// A screen device context (hDC), or the error that taking one raised.
    std::function<ScreenResult<win::UniqueWindowDc>()> screenDc;
    std::function<HWND()> desktopWindow;
    std::function<float()> twipsPerPixelX;
    std::function<float()> twipsPerPixelY;
};

class GdiScreenSurface : public ScreenSurface {
  public:
    explicit GdiScreenSurface(ScreenAccess access) : access_(std::move(access)) {}

    std::unique_ptr<ScreenContext> Open(const DrawingStyle& style,
                                        SurfaceOutcome& failure) override;
    bool IsValidColour(std::uint32_t colour) override;
    bool FileExists(std::string_view path) override;
    SurfaceOutcome LoadPicture(std::string_view path, PictureObject& picture) override;
    PictureObject PictureFromBitmap(std::uintptr_t bitmap) override;
    float TwipsPerPixelX() const override { return access_.twipsPerPixelX(); }
    float TwipsPerPixelY() const override { return access_.twipsPerPixelY(); }
    bool RepaintDesktop() override;
    void RunPendingMessages() override;

  private:
    ScreenAccess access_;
};

}  // namespace murmurex
