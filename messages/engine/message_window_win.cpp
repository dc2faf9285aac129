#include "message_window_win.h"

#include <algorithm>
#include <cmath>

#include "portable/twips.h"
#include "text_ink_win.h"
#include "transparent_win.h"
#include "utf16_win.h"
#include "win/dpi.h"
#include "win/window_procedure.h"

namespace murmurex {

namespace {

constexpr char kWindowClass[] = "MurmurexMessageWindow";
constexpr std::uint32_t kColourKey = 0x00FFFFFF;
constexpr UINT kTimerMessage = WM_APP + 1;
constexpr WPARAM kFrequencyTimerId = 1;
constexpr WPARAM kDisplayLengthTimerId = 2;

// Design layout, in twips.
constexpr float kInitialClientSize = 90.0f;
constexpr float kLabelLeft = 60.0f;
constexpr float kLabelTop = 120.0f;

constexpr float kMinimumFontSize = 1.0f;
constexpr float kMaximumFontSize = 1000.0f;

// Lengths along one axis at `dpi`: pixels as the window measures them, twips as the cycle does
// (through the view's twips-per-pixel factor, so both sides agree to the last bit).
float PixelsToTwips(long pixels, int dpi) noexcept {
    return static_cast<float>(pixels) * static_cast<float>(TwipsPerPixelAt(dpi));
}

COLORREF ResolveColour(std::uint32_t colour) noexcept {
    // The high bit names a system colour by its index in the low byte.
    if ((colour & 0x80000000u) != 0) {
        return ::GetSysColor(static_cast<int>(colour & 0xFFu));
    }
    return static_cast<COLORREF>(colour & 0x00FFFFFFu);
}

// The random place keeps the phrase on the primary screen: its monitor's DPI sizes it.
int PhraseMonitorDpi() noexcept {
    return win::DpiForMonitor(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
}

double SecondsSinceMidnight() noexcept {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

}  // namespace

LOGFONTW LogFontAt(const LabelFont& font, int dpi) {
    LOGFONTW logFont{};
    logFont.lfHeight = -PointsToPixels(font.Size, dpi);
    logFont.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = font.Italic ? TRUE : FALSE;
    logFont.lfCharSet = DEFAULT_CHARSET;
    logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    const std::wstring name = WideFromUtf8(font.Name);
    ::lstrcpynW(logFont.lfFaceName, name.c_str(), LF_FACESIZE);
    return logFont;
}

// ---- lblMessage -----------------------------------------------------------------------------

void MessageLabel::Attach(HWND owner, int dpiX, int dpiY) {
    owner_ = owner;
    dpiX_ = dpiX;
    dpiY_ = dpiY;
    measureDc_.reset(::CreateCompatibleDC(nullptr));
    SetFont(font_);
}

void MessageLabel::SetDpi(int dpiX, int dpiY) {
    dpiX_ = dpiX;
    dpiY_ = dpiY;
    SetFont(font_);
}

void MessageLabel::SetVisible(bool visible) {
    if (visible == visible_) {
        return;
    }
    visible_ = visible;
    InvalidateArea();
    if (visibilityListener_) {
        visibilityListener_(visible);
    }
}

void MessageLabel::SetForeColor(std::uint32_t colour) {
    foreColor_ = colour;
    Invalidate();
}

void MessageLabel::SetFont(const LabelFont& font) {
    LabelFont chosen = font;
    chosen.Size = std::isfinite(font.Size)
                      ? std::clamp(font.Size, kMinimumFontSize, kMaximumFontSize)
                      : font_.Size;
    if (owner_ == nullptr) {
        font_ = chosen;
        return;
    }
    LOGFONTW logFont = LogFontAt(chosen, dpiY_);
    // Anti-aliased edges would blend toward the white key: near-white fringe pixels would
    // escape the key and show as a halo around the letters.
    logFont.lfQuality = NONANTIALIASED_QUALITY;
    win::UniqueFont created(::CreateFontIndirectW(&logFont));
    if (!created) {
        return;
    }
    Invalidate();
    if (measureDc_) {
        // The old font leaves the DC before it is deleted below.
        measureFont_.reset();
        measureFont_.emplace(measureDc_.get(), created.get());
    }
    hfont_ = std::move(created);
    font_ = chosen;
    Measure();
}

void MessageLabel::SetCaption(const std::string& caption) {
    Invalidate();
    caption_ = caption;
    wideCaption_ = WideFromUtf8(caption_);
    Measure();
}

void MessageLabel::Measure() {
    if (owner_ == nullptr) {
        return;
    }
    // Sized by the ink, not the advance: an italic or bold last letter keeps its overhang.
    TextInk ink;
    if (measureDc_) {
        // The memory DC is compatible with the screen: same resolution, same extents.
        ink = MeasureTextInk(measureDc_.get(), wideCaption_);
    } else {
        // No DC of its own (the system refused one): borrow the window's.
        const auto dc = win::GetWindowDcOwned(owner_);
        win::SelectGuard selected(dc.get(), hfont_.get());
        ink = MeasureTextInk(dc.get(), wideCaption_);
    }
    size_ = SIZE{ink.Width(), ink.height};
    penOffset_ = ink.PenOffset();
    Invalidate();
}

float MessageLabel::Left() const noexcept {
    return kLabelLeft;
}

float MessageLabel::Top() const noexcept {
    return kLabelTop;
}

float MessageLabel::Width() const noexcept {
    return PixelsToTwips(size_.cx, dpiX_);
}

float MessageLabel::Height() const noexcept {
    return PixelsToTwips(size_.cy, dpiY_);
}

RECT MessageLabel::PixelRect() const noexcept {
    const int left = TwipsToPixels(kLabelLeft, dpiX_);
    const int top = TwipsToPixels(kLabelTop, dpiY_);
    return RECT{left, top, left + size_.cx, top + size_.cy};
}

void MessageLabel::Invalidate() const {
    if (visible_) {
        InvalidateArea();
    }
}

void MessageLabel::InvalidateArea() const {
    if (owner_ != nullptr) {
        const RECT area = PixelRect();
        ::InvalidateRect(owner_, &area, FALSE);
    }
}

void MessageLabel::Paint(HDC dc) const {
    if (!visible_) {
        return;
    }
    win::SelectGuard selected(dc, hfont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ResolveColour(foreColor_));
    const RECT area = PixelRect();
    // TextOut shows an ampersand as written, where a label would take it for a mnemonic. The
    // pen starts right of the ink that reaches back, so the label holds all of it.
    ::TextOutW(dc, area.left + penOffset_, area.top, wideCaption_.data(),
               static_cast<int>(wideCaption_.size()));
}

// ---- frmMessage -----------------------------------------------------------------------------

frmMessage::frmMessage(Key) {}

frmMessage::~frmMessage() {
    if (hWnd() != nullptr) {
        // Its teardown messages need nothing of this object; the screen goes after the window.
        ::SetWindowLongPtrW(hWnd(), GWLP_USERDATA, 0);
    }
    TimerFrequency.SetEnabled(false);
    TimerDisplayLength.SetEnabled(false);
    DestroyOwnedWindow();
    screen_.reset();  // Unload: the screen object goes with the window
}

std::unique_ptr<frmMessage> frmMessage::Create(HINSTANCE instance) {
    if (instance == nullptr) {
        instance = ::GetModuleHandleA(nullptr);
    }
    win::WindowClassOptions options;
    options.instance = instance;
    if (!win::RegisterWindowClass(
            kWindowClass, win::WindowProcedure<frmMessage, &frmMessage::HandleMessage>, options)) {
        return nullptr;
    }
    auto form = std::make_unique<frmMessage>(Key{});
    // Never activated, no taskbar button; topmost from the start. Layered comes with the key.
    const DWORD exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    HWND window = ::CreateWindowExA(exStyle, kWindowClass, "", WS_POPUP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, 6, 6, nullptr, nullptr, instance, form.get());
    if (window == nullptr) {
        return nullptr;
    }

    if (!form->TimerFrequency.Attach(window, kTimerMessage, kFrequencyTimerId) ||
        !form->TimerDisplayLength.Attach(window, kTimerMessage, kDisplayLengthTimerId)) {
        return nullptr;
    }
    form->Load();
    return form;
}

void frmMessage::Load() {
    dpiX_ = dpiY_ = PhraseMonitorDpi();
    ::GetWindowRect(hWnd(), &geometry_);
    geometry_.right = geometry_.left + TwipsToPixels(kInitialClientSize, dpiX_);
    geometry_.bottom = geometry_.top + TwipsToPixels(kInitialClientSize, dpiY_);
    geometryPending_ = true;
    ApplyGeometry();
    lblMessage.Attach(hWnd(), dpiX_, dpiY_);

    screen_ = clsScreen::Create();
    cycle_.Load(SecondsSinceMidnight());
    modTransparent::MakeTransparent(hWnd(), kColourKey);
    if (screen_) {
        cycle_.SetScreenSize(screen_->Width(), screen_->Height());
    } else {
        // Without the screen object the primary screen's size serves; no error is shown.
        cycle_.SetScreenSize(static_cast<float>(::GetSystemMetrics(SM_CXSCREEN)),
                             static_cast<float>(::GetSystemMetrics(SM_CYSCREEN)));
    }
}

void frmMessage::Show() {
    ApplyGeometry();
    ::ShowWindow(hWnd(), SW_SHOWNOACTIVATE);
}

bool frmMessage::Visible() const noexcept {
    return ::IsWindowVisible(hWnd()) != FALSE;
}

void frmMessage::SetVisible(bool visible) {
    ApplyGeometry();
    ::ShowWindow(hWnd(), visible ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void frmMessage::ApplyGeometry() {
    if (!geometryPending_) {
        return;
    }
    geometryPending_ = false;
    // Only what changed goes to the system: a new size makes the display server rebuild the
    // window's surface, which a move alone does not.
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
    RECT current{};
    if (::GetWindowRect(hWnd(), &current)) {
        if (current.left == geometry_.left && current.top == geometry_.top) {
            flags |= SWP_NOMOVE;
        }
        if (current.right - current.left == geometry_.right - geometry_.left &&
            current.bottom - current.top == geometry_.bottom - geometry_.top) {
            flags |= SWP_NOSIZE;
        }
        if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) == (SWP_NOMOVE | SWP_NOSIZE)) {
            return;
        }
    }
    // The old pixels are worthless (the whole window is repainted), and a redraw or erase
    // here would only be repeated: the step's repaint draws the window once, in its new place.
    flags |= SWP_NOCOPYBITS | SWP_NOREDRAW | SWP_DEFERERASE;
    ::SetWindowPos(hWnd(), nullptr, geometry_.left, geometry_.top, geometry_.right - geometry_.left,
                   geometry_.bottom - geometry_.top, flags);
}

void frmMessage::SetLabelVisible(bool visible) {
    ApplyGeometry();
    lblMessage.SetVisible(visible);
}

void frmMessage::SetWindowHeight(float twips) {
    geometry_.bottom = geometry_.top + TwipsToPixels(twips, dpiY_);
    geometryPending_ = true;
}

void frmMessage::SetWindowWidth(float twips) {
    geometry_.right = geometry_.left + TwipsToPixels(twips, dpiX_);
    geometryPending_ = true;
}

void frmMessage::SetWindowLeft(float twips) {
    const LONG width = geometry_.right - geometry_.left;
    geometry_.left = TwipsToPixels(twips, dpiX_);
    geometry_.right = geometry_.left + width;
    geometryPending_ = true;
}

void frmMessage::SetWindowTop(float twips) {
    const LONG height = geometry_.bottom - geometry_.top;
    geometry_.top = TwipsToPixels(twips, dpiY_);
    geometry_.bottom = geometry_.top + height;
    geometryPending_ = true;
}

void frmMessage::MakeTopmost() {
    // Already topmost and first in the z-order: the call would change nothing, and under
    // Wine even an empty SetWindowPos costs milliseconds of the flash.
    const bool topmost = (::GetWindowLongA(hWnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (topmost && ::GetWindow(hWnd(), GW_HWNDPREV) == nullptr) {
        return;
    }
    // Never activates: the user's keystrokes stay where they were going. A failure is ignored.
    ::SetWindowPos(hWnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void frmMessage::Repaint() {
    ApplyGeometry();
    ::InvalidateRect(hWnd(), nullptr, FALSE);
    ::UpdateWindow(hWnd());
}

void frmMessage::Paint() {
    win::PaintGuard paint(hWnd());
    RECT client{};
    ::GetClientRect(hWnd(), &client);
    // Pure white is the key: the whole background becomes see-through.
    ::SetBkColor(paint.dc(), static_cast<COLORREF>(kColourKey));
    ::ExtTextOutA(paint.dc(), 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
    lblMessage.Paint(paint.dc());
    if (labelOnScreen_ != lblMessage.Visible()) {
        labelOnScreen_ = lblMessage.Visible();
        if (paintListener_) {
            paintListener_(labelOnScreen_);
        }
    }
}

LRESULT frmMessage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kTimerMessage:
            if (wParam == kFrequencyTimerId) {
                TimerFrequency.Dispatch(lParam, [this] { cycle_.TimerFrequency_Timer(); });
            } else if (wParam == kDisplayLengthTimerId) {
                TimerDisplayLength.Dispatch(lParam, [this] { cycle_.TimerDisplayLength_Timer(); });
            }
            return 0;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT, without a white-then-text flicker
        case WM_PAINT:
            Paint();
            return 0;
        case WM_CLOSE:
            return 0;  // the settings window decides when this window goes
        case WM_DPICHANGED:
            // The monitor's scaling changed: the next phrase is measured and placed for it.
            dpiX_ = dpiY_ = PhraseMonitorDpi();
            lblMessage.SetDpi(dpiX_, dpiY_);
            return 0;
        case WM_NCDESTROY:
            // Destroyed from outside: no timer may post to a window that is gone.
            TimerFrequency.SetEnabled(false);
            TimerDisplayLength.SetEnabled(false);
            break;
        default:
            break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace murmurex
