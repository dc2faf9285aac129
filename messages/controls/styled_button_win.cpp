#include "styled_button_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "about_win.h"
#include "button_icon_win.h"
#include "button_paint_theme_win.h"
#include "button_texts.h"
#include "canvas_gdi_win.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

struct ModuleTraits {
    using handle_type = HMODULE;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::FreeLibrary(h); }
};
using UniqueModule = win::UniqueHandle<ModuleTraits>;

// Looks for an export in a module, loading (and freeing again) a module not yet loaded.
bool ModuleExports(const char* module, const char* function) {
    if (HMODULE loaded = ::GetModuleHandleA(module)) {
        return ::GetProcAddress(loaded, function) != nullptr;
    }
    const UniqueModule library(::LoadLibraryA(module));
    return library && ::GetProcAddress(library.get(), function) != nullptr;
}

// A colour as the tooltip needs it: a system-colour reference resolved, plain RGB kept.
// False when it names no colour (the tip then keeps the platform's own).
bool ResolveColour(Colour colour, COLORREF& resolved) {
    const Colour kind = colour & 0xFF000000u;
    if (kind == 0) {
        resolved = colour;
        return true;
    }
    if (kind != 0x80000000u || (colour & 0x00FFFF00u) != 0) {
        return false;
    }
    const int index = static_cast<int>(colour & 0xFF);
    if (::GetSysColorBrush(index) == nullptr) {
        return false;
    }
    resolved = ::GetSysColor(index);
    return true;
}

LPCSTR CursorFor(std::int16_t shape) {
    switch (shape) {
        case 1:
            return IDC_ARROW;
        case 2:
            return IDC_CROSS;
        case 3:
            return IDC_IBEAM;
        case 5:
        case 15:
            return IDC_SIZEALL;
        case 6:
            return IDC_SIZENESW;
        case 7:
            return IDC_SIZENS;
        case 8:
            return IDC_SIZENWSE;
        case 9:
            return IDC_SIZEWE;
        case 10:
            return IDC_UPARROW;
        case 11:
            return IDC_WAIT;
        case 12:
            return IDC_NO;
        case 13:
            return IDC_APPSTARTING;
        case 14:
            return IDC_HELP;
        default:
            return nullptr;  // the class's arrow
    }
}

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

SystemColours CurrentSystemColours() {
    SystemColours colours;
    colours.buttonFace = ::GetSysColor(COLOR_BTNFACE);
    colours.highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    colours.buttonText = ::GetSysColor(COLOR_BTNTEXT);
    colours.infoBackground = ::GetSysColor(COLOR_INFOBK);
    colours.infoText = ::GetSysColor(COLOR_INFOTEXT);
    colours.grayText = ::GetSysColor(COLOR_GRAYTEXT);
    colours.buttonShadow = ::GetSysColor(COLOR_BTNSHADOW);
    colours.window = ::GetSysColor(COLOR_WINDOW);
    return colours;
}

win::UniqueRegion CreateButtonRegion(const ButtonRegion& shape) {
    win::UniqueRegion region;
    switch (shape.kind) {
        case ButtonRegion::Kind::Polygon: {
            std::vector<POINT> points;
            for (const PixelPoint& point : shape.points) {
                points.push_back(POINT{point.x, point.y});
            }
            region.reset(
                ::CreatePolygonRgn(points.data(), static_cast<int>(points.size()), ALTERNATE));
            break;
        }
        case ButtonRegion::Kind::RoundRectangle:
            region.reset(::CreateRoundRectRgn(shape.bounds.left, shape.bounds.top,
                                              shape.bounds.right, shape.bounds.bottom,
                                              shape.ellipse, shape.ellipse));
            break;
        case ButtonRegion::Kind::Rectangle:
            region.reset(::CreateRectRgn(shape.bounds.left, shape.bounds.top, shape.bounds.right,
                                         shape.bounds.bottom));
            break;
    }
    return region;
}

StyledButtonWindow::StyledButtonWindow(Key, const SystemColours& colours)
    : button_(*this, colours) {}

StyledButtonWindow::~StyledButtonWindow() = default;

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
    if (const HDC screen = ::GetDC(window)) {
        self->dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(window, screen);
    }
    if (properties != nullptr) {
        self->button_.ReadProperties(*properties);
    } else {
        self->button_.InitProperties(hostName);
    }
    ::ShowWindow(window, SW_SHOWNA);
    return self;
}

LRESULT StyledButtonWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
            // Owned from the first message, so everything the creation sends finds the handle.
            window_.reset(window);
            break;
        case WM_NCDESTROY:
            // Destroyed with its parent: the handle is gone, nothing left to release.
            if (window_.get() == window) {
                window_.release();
            }
            break;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_WINDOWPOSCHANGING: {
            // Never smaller than the minimum in either direction.
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            const int minimum = ButtonMinimumPixels(dpi_);
            if ((position->flags & SWP_NOSIZE) == 0) {
                position->cx = std::max(position->cx, minimum);
                position->cy = std::max(position->cy, minimum);
            }
            break;
        }
        case WM_SHOWWINDOW:
            // Shown means the button's own visible flag: under a hidden parent the platform
            // sets the flag with this message alone, and no position change follows.
            if (lParam == 0) {
                ShowChanged(wParam != FALSE);
            }
            break;
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
        case WM_MOUSEMOVE:
            button_.PointerMoved();
            break;
        case WM_MOUSELEAVE:
            button_.PointerLeft();
            return 0;
        case WM_THEMECHANGED:
        case WM_SYSCOLORCHANGE:
            button_.ThemeChanged();
            break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (::GetFocus() != window) {
                ::SetFocus(window);
            }
            ::SetCapture(window);
            if (message == WM_LBUTTONDBLCLK) {
                secondOfDouble_ = true;
                button_.DoubleClick();
            } else {
                secondOfDouble_ = false;
                button_.MouseDown(1);
            }
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
            break;  // the default turns it into a context-menu request
        case WM_MBUTTONUP:
            ReleaseClick(4, lParam);
            return 0;
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
        case WM_ENABLE:
            Repaint();
            return 0;
        case BM_SETSTYLE:
            // A dialog names its default push button this way: the ambient value changed.
            Repaint();
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && cursor_ != nullptr) {
                ::SetCursor(::LoadCursorA(nullptr, cursor_));
                return TRUE;
            }
            break;
        case WM_DESTROY:
            RemoveToolTip();
            about_.reset();
            break;
        default:
            break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void StyledButtonWindow::ShowChanged(bool shown) {
    if (shown && !button_.IsShown()) {
        button_.Shown();
    } else if (!shown && button_.IsShown()) {
        button_.Hidden();
    }
}

void StyledButtonWindow::ReleaseClick(int button, LPARAM lParam) {
    const HWND window = window_.get();
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
    if (button == 1 && over && !secondOfDouble_ && window_) {
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
    font.lfHeight = -static_cast<LONG>(std::lround(wanted.size * static_cast<float>(dpi_) / 72.0f));
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

void StyledButtonWindow::Paint() {
    const HWND window = window_.get();
    win::PaintGuard paint(window);
    if (paint.dc() == nullptr) {
        return;
    }
    RECT client{};
    ::GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;
    // Drawn off screen first, so the many single pixels never flicker.
    win::UniqueOwnedDc memory(::CreateCompatibleDC(paint.dc()));
    win::UniqueBitmap bitmap(::CreateCompatibleBitmap(paint.dc(), width, height));
    if (!memory || !bitmap) {
        GdiCanvas direct(paint.dc());
        button_.Paint(direct, width, height);
        return;
    }
    {
        win::SelectGuard selectedBitmap(memory.get(), bitmap.get());
        SyncFont();
        win::SelectGuard selectedFont(memory.get(), font_.get());
        GdiCanvas canvas(memory.get());
        button_.Paint(canvas, width, height);
        ::BitBlt(paint.dc(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
    }
}

void StyledButtonWindow::Repaint() {
    if (window_) {
        ::InvalidateRect(window_.get(), nullptr, FALSE);
        ::UpdateWindow(window_.get());
    }
}

void StyledButtonWindow::Relayout() {
    const HWND window = window_.get();
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
    track.hwndTrack = window_.get();
    ::TrackMouseEvent(&track);
}

void StyledButtonWindow::ProcessPendingLeave() {
    const HWND window = window_.get();
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
    const HWND window = window_.get();
    const HWND root = ::GetAncestor(window, GA_ROOT);
    const HWND next = ::GetNextDlgTabItem(root, window, forward ? FALSE : TRUE);
    if (next != nullptr && next != window) {
        ::SetFocus(next);
    }
}

void StyledButtonWindow::ShowToolTip(const ToolTipLook& look) {
    RemoveToolTip();
    const HWND window = window_.get();
    const DWORD style = WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | (look.balloon ? TTS_BALLOON : 0);
    toolTip_.reset(::CreateWindowExA(WS_EX_TOPMOST, button_texts::kToolTipClass, nullptr, style,
                                     CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                     window, nullptr, ::GetModuleHandleA(nullptr), nullptr));
    if (!toolTip_) {
        return;
    }
    std::string text = look.text;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = 0;
    ::GetClientRect(window, &tool.rect);
    tool.lpszText = text.data();
    ::SendMessageA(toolTip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    if (look.setTitle) {
        ::SendMessageA(toolTip_.get(), TTM_SETTITLEA, static_cast<WPARAM>(look.icon),
                       reinterpret_cast<LPARAM>(look.title.c_str()));
    }
    COLORREF colour = 0;
    if (look.setTextColour && ResolveColour(look.textColour, colour)) {
        ::SendMessageA(toolTip_.get(), TTM_SETTIPTEXTCOLOR, colour, 0);
    }
    if (look.setBackColour && ResolveColour(look.backColour, colour)) {
        ::SendMessageA(toolTip_.get(), TTM_SETTIPBKCOLOR, colour, 0);
    }
}

void StyledButtonWindow::RemoveToolTip() {
    if (!toolTip_) {
        return;
    }
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_.get();
    tool.uId = 0;
    ::SendMessageA(toolTip_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    toolTip_.reset();
}

void StyledButtonWindow::ApplyMousePointer(std::int16_t shape) {
    cursor_ = CursorFor(shape);
}

void StyledButtonWindow::SetHostEnabled(bool enabled) {
    if (window_) {
        ::EnableWindow(window_.get(), enabled ? TRUE : FALSE);
    }
}

bool StyledButtonWindow::HasLeaveTracking() {
    return ModuleExports("User32", "TrackMouseEvent") ||
           ModuleExports("Comctl32", "_TrackMouseEvent");
}

bool StyledButtonWindow::DisplayAsDefault() const {
    const HWND window = window_.get();
    const HWND parent = window != nullptr ? ::GetParent(window) : nullptr;
    if (parent == nullptr) {
        return false;
    }
    // The host answers as a dialog does: its default push button's id, flagged as present.
    const auto answer = static_cast<DWORD>(::SendMessageA(parent, DM_GETDEFID, 0, 0));
    return HIWORD(answer) == DC_HASDEFID && LOWORD(answer) == ::GetDlgCtrlID(window);
}

std::unique_ptr<ButtonTheme> StyledButtonWindow::OpenTheme() {
    return window_ ? OpenButtonTheme(window_.get()) : nullptr;
}

void StyledButtonWindow::About() {
    if (!about_) {
        about_ = murmurex::AboutWindow::Create(window_.get());
    }
    if (about_) {
        about_->Show();
    }
}

HWND StyledButtonWindow::AboutWindow() const noexcept {
    return about_ ? about_->hWnd() : nullptr;
}

bool StyledButtonWindow::PaintIconGrayscale(HDC dc, HICON icon, int x, int y, int width,
                                            int height) {
    return murmurex::PaintIconGrayscale(dc, icon, x, y, width, height);
}

int StyledButtonWindow::OpenLink(const std::string& link) {
    const HINSTANCE result = ::ShellExecuteA(nullptr, button_texts::kOpenVerb, link.c_str(),
                                             nullptr, nullptr, SW_SHOWNORMAL);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

namespace {

struct AccessKeySearch {
    char key = 0;
    StyledButtonWindow* found = nullptr;
};

BOOL CALLBACK FindAccessKey(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<AccessKeySearch*>(data);
    char name[32] = {};
    if (::GetClassNameA(window, name, sizeof name) == 0 ||
        ::lstrcmpiA(name, button_texts::kClassName) != 0 || !::IsWindowVisible(window) ||
        !::IsWindowEnabled(window)) {
        return TRUE;
    }
    auto* button = win::WindowObject<StyledButtonWindow>(window);
    if (button != nullptr && AccessKeyOf(button->Button().Properties().caption) == search->key) {
        search->found = button;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool TranslateButtonAccessKey(const MSG& message) {
    if (message.message != WM_SYSCHAR || message.hwnd == nullptr) {
        return false;
    }
    char key = static_cast<char>(message.wParam & 0xFF);
    if (key >= 'a' && key <= 'z') {
        key = static_cast<char>(key - 'a' + 'A');
    }
    AccessKeySearch search{key, nullptr};
    ::EnumChildWindows(::GetAncestor(message.hwnd, GA_ROOT), FindAccessKey,
                       reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        return false;
    }
    search.found->Button().AccessKey();
    return true;
}

}  // namespace murmurex
