#include "styled_button_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "about_win.h"
#include "button_texts.h"
#include "canvas_gdi_win.h"
#include "portable/twips.h"
#include "win/dpi.h"
#include "win/offscreen_paint.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

ButtonKey KeyOf(WPARAM key) {
    switch (key) {
        case VK_SPACE:
            return ButtonKey::Space;
        case VK_LEFT:
            return ButtonKey::Left;
        case VK_RIGHT:
            return ButtonKey::Right;
        case VK_UP:
            return ButtonKey::Up;
        case VK_DOWN:
            return ButtonKey::Down;
        case VK_TAB:
            return (::GetKeyState(VK_SHIFT) & 0x8000) != 0 ? ButtonKey::ShiftTab : ButtonKey::Tab;
        default:
            return ButtonKey::Other;
    }
}

}  // namespace

StyledButtonWindow::StyledButtonWindow(Key, const SystemColours& colours)
    : button_(*this, colours) {}

StyledButtonWindow::~StyledButtonWindow() {
    // The window goes first: its last messages (focus, tooltip, About) still reach a whole
    // button.
    DestroyOwnedWindow();
}

std::unique_ptr<StyledButtonWindow> StyledButtonWindow::Create(HWND parent, int controlId,
                                                               RECT placement,
                                                               const std::string& hostName,
                                                               const PropertyBag* properties) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&common);
    win::WindowClassOptions buttonClass;
    buttonClass.style = CS_DBLCLKS;
    buttonClass.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!win::RegisterWindowClass(
            button_texts::kClassName,
            win::WindowProcedure<StyledButtonWindow, &StyledButtonWindow::HandleMessage>,
            buttonClass)) {
        return nullptr;
    }
    auto self = std::make_unique<StyledButtonWindow>(Key{}, CurrentSystemColours());
    // Hidden until the properties are in: painting starts when the button is shown.
    const HWND window =
        ::CreateWindowExA(0, button_texts::kClassName, hostName.c_str(),
                          WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS, placement.left, placement.top,
                          placement.right - placement.left, placement.bottom - placement.top,
                          parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                          ::GetModuleHandleA(nullptr), self.get());
    if (window == nullptr) {
        return nullptr;
    }
    self->dpi_ = win::DpiForWindow(window);
    if (properties != nullptr) {
        self->button_.ReadProperties(*properties);
    } else {
        self->button_.InitProperties(hostName);
    }
    ::ShowWindow(window, SW_SHOWNA);
    return self;
}

LRESULT StyledButtonWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Each group answers the messages it ends; the rest go on to the default handling.
    std::optional<LRESULT> answer = HandleWindowMessage(message, wParam, lParam);
    if (!answer) {
        answer = HandleMouseMessage(message, lParam);
    }
    if (!answer) {
        answer = HandleKeyboardMessage(message, wParam);
    }
    return answer ? *answer : ::DefWindowProcA(window, message, wParam, lParam);
}

std::optional<LRESULT> StyledButtonWindow::HandleWindowMessage(UINT message, WPARAM wParam,
                                                               LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCPAINT:
            // No frame: the whole window is client, which the paint covers.
            return 0;
        case WM_WINDOWPOSCHANGING:
            KeepMinimumSize(*reinterpret_cast<WINDOWPOS*>(lParam));
            return std::nullopt;
        case WM_SHOWWINDOW:
            // Shown means the button's own visible flag: under a hidden parent the platform
            // sets the flag with this message alone, and no position change follows.
            if (lParam == 0) {
                ShowChanged(wParam != FALSE);
            }
            return std::nullopt;
        case WM_WINDOWPOSCHANGED: {
            const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
            if ((position->flags & SWP_SHOWWINDOW) != 0) {
                ShowChanged(true);
            } else if ((position->flags & SWP_HIDEWINDOW) != 0) {
                ShowChanged(false);
            } else if ((position->flags & SWP_NOSIZE) == 0) {
                Relayout();
            }
            return 0;
        }
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE:
            button_.ThemeChanged();
            return std::nullopt;
        case WM_ENABLE:
        case BM_SETSTYLE:
            // BM_SETSTYLE: a dialog names its default push button this way, so the ambient
            // value changed.
            Repaint();
            return 0;
        case WM_DESTROY:
            RemoveToolTip();
            about_.reset();
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

std::optional<LRESULT> StyledButtonWindow::HandleMouseMessage(UINT message, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE:
            button_.PointerMoved();
            return std::nullopt;
        case WM_MOUSELEAVE:
            button_.PointerLeft();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            PressLeftButton(message == WM_LBUTTONDBLCLK);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
            button_.MouseDown(2);
            return 0;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            button_.MouseDown(4);
            return 0;
        case WM_LBUTTONUP:
            ReleaseClick(1, lParam);
            return 0;
        case WM_RBUTTONUP:
            ReleaseClick(2, lParam);
            return std::nullopt;  // the default turns it into a context-menu request
        case WM_MBUTTONUP:
            ReleaseClick(4, lParam);
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && cursor_ != nullptr) {
                ::SetCursor(::LoadCursorA(nullptr, cursor_));
                return TRUE;
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

std::optional<LRESULT> StyledButtonWindow::HandleKeyboardMessage(UINT message, WPARAM wParam) {
    switch (message) {
        case WM_GETDLGCODE:
            // Arrows and Tab come here: the button moves the focus itself.
            return DLGC_WANTARROWS | DLGC_WANTTAB;
        case WM_KEYDOWN:
            button_.KeyDown(KeyOf(wParam));
            return 0;
        case WM_KEYUP:
            button_.KeyUp(KeyOf(wParam));
            return 0;
        case WM_SETFOCUS:
            button_.FocusChanged(true);
            return 0;
        case WM_KILLFOCUS:
            button_.FocusChanged(false);
            return 0;
        default:
            return std::nullopt;
    }
}

void StyledButtonWindow::KeepMinimumSize(WINDOWPOS& position) const {
    // Never smaller than the minimum in either direction.
    const int minimum = ButtonMinimumPixels(dpi_);
    if ((position.flags & SWP_NOSIZE) == 0) {
        position.cx = std::max(position.cx, minimum);
        position.cy = std::max(position.cy, minimum);
    }
}

void StyledButtonWindow::PressLeftButton(bool secondOfDouble) {
    const HWND window = hWnd();
    if (::GetFocus() != window) {
        ::SetFocus(window);
    }
    ::SetCapture(window);
    secondOfDouble_ = secondOfDouble;
    if (secondOfDouble) {
        button_.DoubleClick();
    } else {
        button_.MouseDown(1);
    }
}

void StyledButtonWindow::ShowChanged(bool shown) {
    if (shown && !button_.IsShown()) {
        button_.Shown();
    } else if (!shown && button_.IsShown()) {
        button_.Hidden();
    }
}

void StyledButtonWindow::ReleaseClick(int button, LPARAM lParam) {
    const HWND window = hWnd();
    lastRelease_ = POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (button == 1 && ::GetCapture() == window) {
        ::ReleaseCapture();
    }
    button_.MouseUp(button);
    // The host's click notification follows a left release over the button; the second
    // release of a double click has had its double-click notification instead.
    RECT client{};
    ::GetClientRect(window, &client);
    const bool over = ::PtInRect(&client, lastRelease_) != FALSE;
    if (button == 1 && over && !secondOfDouble_ && hWnd() != nullptr) {
        button_.HostClick();
    }
    if (button == 1) {
        secondOfDouble_ = false;
    }
}

void StyledButtonWindow::SyncFont() {
    const ButtonFont& wanted = button_.Properties().font;
    if (font_ && fontMade_ == wanted) {
        return;
    }
    LOGFONTA font{};
    font.lfHeight = -PointsToPixels(wanted.size, dpi_);
    font.lfWeight = wanted.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = wanted.italic ? TRUE : FALSE;
    font.lfUnderline = wanted.underline ? TRUE : FALSE;
    font.lfStrikeOut = wanted.strikethrough ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    ::lstrcpynA(font.lfFaceName, wanted.name.c_str(), LF_FACESIZE);
    win::UniqueFont made(::CreateFontIndirectA(&font));
    if (made) {
        font_ = std::move(made);
        fontMade_ = wanted;
    }
}

void StyledButtonWindow::SetDpi(int dpi) {
    if (dpi == dpi_ || dpi <= 0) {
        return;
    }
    dpi_ = dpi;
    // The same points at the new DPI; the caption is measured again with it.
    font_.reset();
    Relayout();
}

void StyledButtonWindow::Paint() {
    // Drawn off screen first, so the many single pixels never flicker. The picture is kept:
    // a paint the button did not ask for (the window uncovered or redrawn from outside)
    // copies it again as it is.
    win::OffscreenPaint paint(hWnd(), buffer_);
    if (paint.dc() == nullptr) {
        return;
    }
    const bool asDefault = DisplayAsDefault();
    if (pictureCurrent_ && paint.holdsEarlierPicture() && asDefault == pictureAsDefault_) {
        return;
    }
    DrawPicture(paint.dc(), paint.width(), paint.height());
    pictureAsDefault_ = asDefault;
}

void StyledButtonWindow::DrawPicture(HDC dc, int width, int height) {
    const int styleBefore = button_.Properties().style;
    const Colour surfaceBefore = button_.SurfaceColour();
    SyncFont();
    win::SelectGuard selectedFont(dc, font_.get());
    GdiCanvas canvas(dc);
    button_.Paint(canvas, width, height);
    // A paint that settled the look (a style falling back, the surface colour taken) is
    // followed by one that differs, so that one is drawn too; the themed style is the
    // platform's picture, drawn every time.
    pictureCurrent_ = styleBefore != kThemedStyle && button_.Properties().style == styleBefore &&
                      button_.SurfaceColour() == surfaceBefore;
}

void StyledButtonWindow::Repaint() {
    // Every change of the button's look comes through here.
    pictureCurrent_ = false;
    if (hWnd() != nullptr) {
        ::InvalidateRect(hWnd(), nullptr, FALSE);
        ::UpdateWindow(hWnd());
    }
}

void StyledButtonWindow::Relayout() {
    const HWND window = hWnd();
    if (window == nullptr) {
        return;
    }
    RECT client{};
    ::GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;
    const StyledButtonProperties& p = button_.Properties();
    const PixelRect within = CaptionMeasureRect(width, height);
    RECT measured{within.left, within.top, within.right, within.bottom};
    if (const HDC dc = ::GetDC(window)) {
        SyncFont();
        {
            win::SelectGuard selected(dc, font_.get());
            ::DrawTextA(dc, p.caption.c_str(), static_cast<int>(p.caption.size()), &measured,
                        CaptionMeasureFormat(p.rightToLeft) | DT_CALCRECT);
        }
        ::ReleaseDC(window, dc);
    }
    // The window text follows the caption, for the platform's own readers of it.
    char current[256] = {};
    ::GetWindowTextA(window, current, sizeof current);
    if (p.caption != current) {
        ::SetWindowTextA(window, p.caption.c_str());
    }
    button_.ApplyLayout(width, height,
                        PixelRect{measured.left, measured.top, measured.right, measured.bottom});

    win::UniqueRegion region = CreateButtonRegion(RegionForStyle(p.style, width, height));
    // The window owns a region it accepted.
    if (region && ::SetWindowRgn(window, region.get(), TRUE) != 0) {
        region.release();
    }
    Repaint();
}

void StyledButtonWindow::RequestLeaveNotification() {
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = hWnd();
    ::TrackMouseEvent(&track);
}

void StyledButtonWindow::ProcessPendingLeave() {
    const HWND window = hWnd();
    MSG pending{};
    if (::PeekMessageA(&pending, window, WM_MOUSELEAVE, WM_MOUSELEAVE, PM_REMOVE) != FALSE) {
        button_.PointerLeft();
        return;
    }
    // A release away from the button means the pointer has left, whether or not the
    // platform has said so yet (it may hold the notice back while the mouse is captured).
    RECT client{};
    ::GetClientRect(window, &client);
    if (::PtInRect(&client, lastRelease_) == FALSE) {
        button_.PointerLeft();
    }
}

void StyledButtonWindow::MoveFocus(bool forward) {
    const HWND window = hWnd();
    const HWND root = ::GetAncestor(window, GA_ROOT);
    const HWND next = ::GetNextDlgTabItem(root, window, forward ? FALSE : TRUE);
    if (next != nullptr && next != window) {
        ::SetFocus(next);
    }
}

void StyledButtonWindow::SetHostEnabled(bool enabled) {
    if (hWnd() != nullptr) {
        ::EnableWindow(hWnd(), enabled ? TRUE : FALSE);
    }
}

void StyledButtonWindow::About() {
    if (!about_) {
        about_ = murmurex::AboutWindow::Create(hWnd());
    }
    if (about_) {
        about_->Show();
    }
}

HWND StyledButtonWindow::AboutWindow() const noexcept {
    return about_ ? about_->hWnd() : nullptr;
}

}  // namespace murmurex
