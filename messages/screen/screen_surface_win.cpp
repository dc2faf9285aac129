#include "screen_surface_win.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "ole_library_win.h"
#include "win/api_error_text.h"

namespace murmurex {
namespace {

// The core's text layouts are the platform's flags.
static_assert(static_cast<UINT>(TextLayout::Measure) == DT_CALCRECT);
static_assert(static_cast<UINT>(TextLayout::WrapWords) == (DT_WORDBREAK | DT_EXPANDTABS));
static_assert(static_cast<UINT>(TextLayout::SingleLine) == (DT_SINGLELINE | DT_EXPANDTABS));

// RDW_INVALIDATE | RDW_ALLCHILDREN: every window paints over what was drawn on the screen.
constexpr UINT kRepaintFlags = 129;
static_assert(kRepaintFlags == (RDW_INVALIDATE | RDW_ALLCHILDREN));

// Picture files are read whole into memory; anything larger is refused, not attempted.
constexpr DWORD kMaxPictureFileBytes = 256u * 1024u * 1024u;

// The platform's last error as a failed step. Call SetLastError(0) before the step.
SurfaceOutcome LastError(SurfaceStep step) {
    const DWORD code = ::GetLastError();
    return SurfaceOutcome::Failure(step, static_cast<std::int32_t>(code),
                                   code != 0 ? win::GetApiErrorText(code) : std::string());
}

SurfaceOutcome ResultFailure(SurfaceStep step, HRESULT result) {
    return SurfaceOutcome::Failure(step, static_cast<std::int32_t>(result),
                                   win::GetApiErrorText(static_cast<DWORD>(result)));
}

RECT ToRect(const ScreenBox& box) {
    return RECT{box.left, box.top, box.right, box.bottom};
}

std::vector<POINT> ToPoints(std::span<const ScreenPoint> points) {
    std::vector<POINT> converted(points.size());
    std::transform(points.begin(), points.end(), converted.begin(), [](ScreenPoint p) {
        return POINT{p.x, p.y};
    });
    return converted;
}

int TextLength(std::string_view text) {
    return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX));
}

bool HoldsNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// Colours are kept as given, system colours included; GDI takes only RGB, so each is
// resolved when it is used (a system colour given raw would draw as a dark red).
COLORREF ToRgb(std::uint32_t colour) {
    COLORREF rgb = 0;
    return ole::OleTranslateColor(colour, nullptr, &rgb) == S_OK ? rgb : colour;
}

ScreenResult<win::UniqueBrush> MakeBrush(const DrawingStyle& style, std::uint32_t colour) {
    ScreenResult<win::UniqueBrush> result;
    LOGBRUSH description{};
    description.lbStyle = static_cast<UINT>(style.brushStyle);
    description.lbColor = ToRgb(colour);
    description.lbHatch = static_cast<ULONG_PTR>(style.brushHatch);
    ::SetLastError(0);
    result.value.reset(::CreateBrushIndirect(&description));
    return result;
}

// Balances its own COM initialisation, so loading works on a thread that has none and
// leaves a thread that has one as it was.
class ComScope {
  public:
    ComScope() noexcept
        : initialised_(SUCCEEDED(ole::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (initialised_) {
            ole::CoUninitialize();
        }
    }

  private:
    bool initialised_;
};

struct GlobalMemoryTraits {
    using handle_type = HGLOBAL;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::GlobalFree(h); }
};

class GdiScreenContext : public ScreenContext {
  public:
    GdiScreenContext(win::UniqueWindowDc dc, const DrawingStyle& style)
        : dc_(std::move(dc)), style_(style) {}

    SurfaceOutcome SelectStyle() { return ApplyStyle(dc_.get(), style_, selections_); }

    SurfaceOutcome CurrentPosition(ScreenPoint& at) override { return ReadPosition(dc_.get(), at); }
    SurfaceOutcome MoveTo(ScreenPoint to) override { return MovePosition(dc_.get(), to); }

    SurfaceOutcome AngleArc(ScreenPoint centre, std::int32_t radius, float startAngle,
                            float sweepAngle) override {
        return Run([&] {
            return ::AngleArc(dc_.get(), centre.x, centre.y, static_cast<DWORD>(radius), startAngle,
                              sweepAngle);
        });
    }
    SurfaceOutcome Ellipse(const ScreenBox& b) override {
        return Run([&] { return ::Ellipse(dc_.get(), b.left, b.top, b.right, b.bottom); });
    }
    SurfaceOutcome Chord(const ScreenBox& b, ScreenPoint p1, ScreenPoint p2) override {
        return Run([&] {
            return ::Chord(dc_.get(), b.left, b.top, b.right, b.bottom, p1.x, p1.y, p2.x, p2.y);
        });
    }
    SurfaceOutcome LineTo(ScreenPoint to) override {
        return Run([&] { return ::LineTo(dc_.get(), to.x, to.y); });
    }
    SurfaceOutcome Pie(const ScreenBox& b, ScreenPoint p1, ScreenPoint p2) override {
        return Run([&] {
            return ::Pie(dc_.get(), b.left, b.top, b.right, b.bottom, p1.x, p1.y, p2.x, p2.y);
        });
    }
    SurfaceOutcome Polygon(std::span<const ScreenPoint> points) override {
        const auto converted = ToPoints(points);
        return Run([&] {
            return ::Polygon(dc_.get(), converted.data(), static_cast<int>(converted.size()));
        });
    }
    SurfaceOutcome PolylineTo(std::span<const ScreenPoint> points) override {
        const auto converted = ToPoints(points);
        return Run([&] {
            return ::PolylineTo(dc_.get(), converted.data(), static_cast<DWORD>(converted.size()));
        });
    }
    SurfaceOutcome FillBox(const ScreenBox& box, std::uint32_t colour) override {
        return WithBrush(colour, [&](HBRUSH brush) {
            const RECT rect = ToRect(box);
            return ::FillRect(dc_.get(), &rect, brush);
        });
    }
    SurfaceOutcome FrameBox(const ScreenBox& box, std::uint32_t colour) override {
        return WithBrush(colour, [&](HBRUSH brush) {
            const RECT rect = ToRect(box);
            return ::FrameRect(dc_.get(), &rect, brush);
        });
    }
    SurfaceOutcome SelectFont(const FontFields& font) override {
        return ApplyFont(dc_.get(), font, selections_);
    }
    SurfaceOutcome MeasureText(std::string_view text, ScreenBox& box,
                               std::int32_t& height) override {
        RECT rect = ToRect(box);
        ::SetLastError(0);
        height = ::DrawTextA(dc_.get(), text.data(), TextLength(text), &rect,
                             static_cast<UINT>(TextLayout::Measure));
        box = {rect.left, rect.top, rect.right, rect.bottom};
        return Done(height != 0);
    }
    SurfaceOutcome DrawText(std::string_view text, const ScreenBox& box,
                            TextLayout layout) override {
        RECT rect = ToRect(box);
        ::SetLastError(0);
        return Done(::DrawTextA(dc_.get(), text.data(), TextLength(text), &rect,
                                static_cast<UINT>(layout)) != 0);
    }
    SurfaceOutcome PaintPicture(const ScreenPicture& picture, ScreenPoint at, std::int32_t width,
                                std::int32_t height, bool stretch) override;

  private:
    // A primitive's answer; the last error was cleared before the call, so a code left by
    // something earlier is never reported as this call's.
    static SurfaceOutcome Done(BOOL succeeded) {
        return succeeded ? SurfaceOutcome::Success() : LastError(SurfaceStep::Draw);
    }
    template <typename Primitive>
    static SurfaceOutcome Run(Primitive primitive) {
        ::SetLastError(0);
        return Done(primitive());
    }

    template <typename Paint>
    SurfaceOutcome WithBrush(std::uint32_t colour, Paint paint) {
        auto brush = MakeBrush(style_, colour);
        if (!brush.value) {
            return LastError(SurfaceStep::CreateBrush);
        }
        return Run([&] { return paint(brush.value.get()); });
    }

    win::UniqueWindowDc dc_;
    DrawingStyle style_;
    // After the context, so the context's own objects are back in it before it is released.
    DcSelections selections_;
};

SurfaceOutcome GdiScreenContext::PaintPicture(const ScreenPicture& picture, ScreenPoint at,
                                              std::int32_t width, std::int32_t height,
                                              bool stretch) {
    const auto* com = dynamic_cast<const ComPicture*>(&picture);
    if (com == nullptr) {
        return SurfaceOutcome::Failure(SurfaceStep::Draw, ERROR_INVALID_HANDLE,
                                       win::GetApiErrorText(ERROR_INVALID_HANDLE));
    }
    ::SetLastError(0);
    win::UniqueOwnedDc memory(::CreateCompatibleDC(dc_.get()));
    if (!memory) {
        return LastError(SurfaceStep::CreateMemoryDc);
    }

    short type = PICTYPE_NONE;
    OLE_HANDLE handle = 0;
    com->get()->get_Type(&type);
    com->get()->get_Handle(&handle);
    int sourceWidth = 0;
    int sourceHeight = 0;
    win::UniqueBitmap rendered;
    HBITMAP bitmap = nullptr;
    if (type == PICTYPE_BITMAP) {
        bitmap = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
        BITMAP description{};
        if (::GetObjectA(bitmap, sizeof description, &description) == 0) {
            return SurfaceOutcome::Failure(SurfaceStep::Draw, ERROR_INVALID_HANDLE,
                                           win::GetApiErrorText(ERROR_INVALID_HANDLE));
        }
        sourceWidth = description.bmWidth;
        sourceHeight = description.bmHeight;
    } else {
        // Icons and metafiles have no bitmap to copy: render them once into one of their size.
        const LONG himetricWidth = com->WidthHimetric();
        const LONG himetricHeight = com->HeightHimetric();
        sourceWidth = ::MulDiv(himetricWidth, ::GetDeviceCaps(dc_.get(), LOGPIXELSX), 2540);
        sourceHeight = ::MulDiv(himetricHeight, ::GetDeviceCaps(dc_.get(), LOGPIXELSY), 2540);
        ::SetLastError(0);
        rendered.reset(::CreateCompatibleBitmap(dc_.get(), std::max(sourceWidth, 1),
                                                std::max(sourceHeight, 1)));
        if (!rendered) {
            return LastError(SurfaceStep::Draw);
        }
        win::SelectGuard target(memory.get(), rendered.get());
        const RECT all{0, 0, sourceWidth, sourceHeight};
        ::FillRect(memory.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        const HRESULT drawn =
            com->get()->Render(memory.get(), 0, 0, sourceWidth, sourceHeight, 0, himetricHeight,
                               himetricWidth, -himetricHeight, nullptr);
        if (FAILED(drawn)) {
            return ResultFailure(SurfaceStep::Draw, drawn);
        }
        bitmap = rendered.get();
    }

    win::SelectGuard selected(memory.get(), bitmap);
    ::SetLastError(0);
    const BOOL copied =
        stretch ? ::StretchBlt(dc_.get(), at.x, at.y, width, height, memory.get(), 0, 0,
                               sourceWidth, sourceHeight, SRCCOPY)
                : ::BitBlt(dc_.get(), at.x, at.y, width, height, memory.get(), 0, 0, SRCCOPY);
    return Done(copied);
}

}  // namespace

bool ComPicture::HasImage() const {
    OLE_HANDLE handle = 0;
    return SUCCEEDED(picture_->get_Handle(&handle)) && handle != 0;
}

std::int32_t ComPicture::WidthHimetric() const {
    OLE_XSIZE_HIMETRIC width = 0;
    picture_->get_Width(&width);
    return width;
}

std::int32_t ComPicture::HeightHimetric() const {
    OLE_YSIZE_HIMETRIC height = 0;
    picture_->get_Height(&height);
    return height;
}

PictureObject PictureFromHandle(HBITMAP bitmap, HPALETTE palette) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    description.bmp.hpal = palette;
    IPicture* picture = nullptr;
    if (FAILED(ole::OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                             reinterpret_cast<void**>(&picture))) ||
        picture == nullptr) {
        return nullptr;
    }
    return std::make_shared<ComPicture>(picture);
}

SurfaceOutcome ApplyStyle(HDC dc, const DrawingStyle& style, DcSelections& selections) {
    ::SetLastError(0);
    if (::SetBkColor(dc, ToRgb(style.colours.backTxt)) == CLR_INVALID) {
        return LastError(SurfaceStep::SetTextBackColour);
    }
    ::SetLastError(0);
    if (::SetTextColor(dc, ToRgb(style.colours.foreTxt)) == CLR_INVALID) {
        return LastError(SurfaceStep::SetTextForeColour);
    }
    SurfaceOutcome first;
    auto brush = MakeBrush(style, style.colours.backScr);
    if (brush.value) {
        selections.brushGuard.reset();
        selections.brush = std::move(brush.value);
        selections.brushGuard.emplace(dc, selections.brush.get());
    } else {
        first = LastError(SurfaceStep::CreateBrush);
    }
    ::SetLastError(0);
    win::UniquePen pen(::CreatePen(style.penStyle, style.penWidth, ToRgb(style.colours.foreScr)));
    if (pen) {
        selections.penGuard.reset();
        selections.pen = std::move(pen);
        selections.penGuard.emplace(dc, selections.pen.get());
    } else if (first.ok) {
        first = LastError(SurfaceStep::CreatePen);
    }
    return first;
}

SurfaceOutcome ApplyFont(HDC dc, const FontFields& font, DcSelections& selections) {
    if (HoldsNul(font.name)) {
        return SurfaceOutcome::Failure(SurfaceStep::CreateFont, ERROR_INVALID_PARAMETER,
                                       win::GetApiErrorText(ERROR_INVALID_PARAMETER));
    }
    const int height = -::MulDiv(font.size, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    ::SetLastError(0);
    win::UniqueFont created(::CreateFontA(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                                          font.italic ? 1 : 0, font.underline ? 1 : 0,
                                          font.strikethrough ? 1 : 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                          font.name.c_str()));
    if (!created) {
        return LastError(SurfaceStep::CreateFont);
    }
    selections.fontGuard.reset();
    selections.font = std::move(created);
    selections.fontGuard.emplace(dc, selections.font.get());
    return SurfaceOutcome::Success();
}

SurfaceOutcome ReadPosition(HDC dc, ScreenPoint& at) {
    POINT previous{};
    ::SetLastError(0);
    if (!::MoveToEx(dc, 0, 0, &previous) || !::MoveToEx(dc, previous.x, previous.y, nullptr)) {
        return LastError(SurfaceStep::Draw);
    }
    at = {previous.x, previous.y};
    return SurfaceOutcome::Success();
}

SurfaceOutcome MovePosition(HDC dc, ScreenPoint to) {
    ::SetLastError(0);
    if (!::MoveToEx(dc, to.x, to.y, nullptr)) {
        return LastError(SurfaceStep::Draw);
    }
    return SurfaceOutcome::Success();
}

std::unique_ptr<ScreenContext> GdiScreenSurface::Open(const DrawingStyle& style,
                                                      SurfaceOutcome& failure) {
    auto dc = access_.screenDc();
    if (!dc.value) {
        failure =
            SurfaceOutcome::Failure(SurfaceStep::GetDc, dc.error.number, dc.error.description);
        return nullptr;
    }
    auto context = std::make_unique<GdiScreenContext>(std::move(dc.value), style);
    failure = context->SelectStyle();
    return context;
}

bool GdiScreenSurface::IsValidColour(std::uint32_t colour) {
    COLORREF translated = 0;
    return ole::OleTranslateColor(colour, nullptr, &translated) == S_OK;
}

bool GdiScreenSurface::FileExists(std::string_view path) {
    if (path.empty() || HoldsNul(path)) {
        return false;
    }
    const DWORD attributes = ::GetFileAttributesA(std::string(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

SurfaceOutcome GdiScreenSurface::LoadPicture(std::string_view path, PictureObject& picture) {
    if (HoldsNul(path)) {
        return SurfaceOutcome::Failure(SurfaceStep::LoadPicture, ERROR_INVALID_NAME,
                                       win::GetApiErrorText(ERROR_INVALID_NAME));
    }
    ::SetLastError(0);
    win::UniqueFile file(::CreateFileA(std::string(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return LastError(SurfaceStep::LoadPicture);
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        return LastError(SurfaceStep::LoadPicture);
    }
    if (size.QuadPart <= 0 || size.QuadPart > kMaxPictureFileBytes) {
        return SurfaceOutcome::Failure(SurfaceStep::LoadPicture, ERROR_INVALID_DATA,
                                       win::GetApiErrorText(ERROR_INVALID_DATA));
    }
    const auto bytes = static_cast<DWORD>(size.QuadPart);
    win::UniqueHandle<GlobalMemoryTraits> memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) {
        return LastError(SurfaceStep::LoadPicture);
    }
    DWORD read = 0;
    {
        void* target = ::GlobalLock(memory.get());
        const BOOL ok = target != nullptr && ::ReadFile(file.get(), target, bytes, &read, nullptr);
        ::GlobalUnlock(memory.get());
        if (!ok || read != bytes) {
            return LastError(SurfaceStep::LoadPicture);
        }
    }

    ComScope com;
    IStream* stream = nullptr;
    HRESULT result = ole::CreateStreamOnHGlobal(memory.get(), FALSE, &stream);
    if (FAILED(result)) {
        return ResultFailure(SurfaceStep::LoadPicture, result);
    }
    IPicture* loaded = nullptr;
    result = ole::OleLoadPicture(stream, static_cast<LONG>(bytes), FALSE, IID_IPicture,
                                 reinterpret_cast<void**>(&loaded));
    stream->Release();
    if (FAILED(result) || loaded == nullptr) {
        return ResultFailure(SurfaceStep::LoadPicture, FAILED(result) ? result : E_FAIL);
    }
    picture = std::make_shared<ComPicture>(loaded);
    return SurfaceOutcome::Success();
}

PictureObject GdiScreenSurface::PictureFromBitmap(std::uintptr_t bitmap) {
    // The picture owns what it wraps; wrapping the caller's own bitmap would delete it
    // behind the caller's back when the picture goes, so it gets a copy.
    win::UniqueBitmap copy(static_cast<HBITMAP>(
        ::CopyImage(reinterpret_cast<HBITMAP>(bitmap), IMAGE_BITMAP, 0, 0, 0)));
    if (!copy) {
        return nullptr;
    }
    PictureObject picture = PictureFromHandle(copy.get(), nullptr);
    if (picture) {
        copy.release();
    }
    return picture;
}

bool GdiScreenSurface::RepaintDesktop() {
    const HWND desktop = access_.desktopWindow();
    return desktop != nullptr && ::RedrawWindow(desktop, nullptr, nullptr, kRepaintFlags) != FALSE;
}

void GdiScreenSurface::RunPendingMessages() {
    // A quit request is put back for the real loop.
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

}  // namespace murmurex
