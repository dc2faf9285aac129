// What the styled button's window asks of the rest of the system: the system colours, window
// regions, the tooltip window, cursors, leave tracking, the theme, the host's default button,
// the shell, and the search for the button that carries an access key.
#include "styled_button_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "button_icon_win.h"
#include "button_paint_theme_win.h"
#include "button_texts.h"
#include "win/system_library.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

// Looks for an export in a module, loading (and freeing again) a module not yet loaded; only
// the system folder's copy is ever loaded.
bool ModuleExports(const wchar_t* module, const char* function) {
    if (HMODULE loaded = ::GetModuleHandleW(module)) {
        return ::GetProcAddress(loaded, function) != nullptr;
    }
    const win::UniqueLibrary library = win::LoadSystemLibrary(module);
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

void StyledButtonWindow::ShowToolTip(const ToolTipLook& look) {
    RemoveToolTip();
    const HWND window = hWnd();
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
    tool.hwnd = hWnd();
    tool.uId = 0;
    ::SendMessageA(toolTip_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    toolTip_.reset();
}

void StyledButtonWindow::ApplyMousePointer(std::int16_t shape) {
    cursor_ = CursorFor(shape);
}

bool StyledButtonWindow::HasLeaveTracking() {
    return ModuleExports(L"User32", "TrackMouseEvent") ||
           ModuleExports(L"Comctl32", "_TrackMouseEvent");
}

bool StyledButtonWindow::DisplayAsDefault() const {
    const HWND window = hWnd();
    const HWND parent = window != nullptr ? ::GetParent(window) : nullptr;
    if (parent == nullptr) {
        return false;
    }
    // The host answers as a dialog does: its default push button's id, flagged as present.
    const auto answer = static_cast<DWORD>(::SendMessageA(parent, DM_GETDEFID, 0, 0));
    return HIWORD(answer) == DC_HASDEFID && LOWORD(answer) == ::GetDlgCtrlID(window);
}

std::unique_ptr<ButtonTheme> StyledButtonWindow::OpenTheme() {
    return hWnd() != nullptr ? OpenButtonTheme(hWnd()) : nullptr;
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
