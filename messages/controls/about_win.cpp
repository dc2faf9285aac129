#include "about_win.h"

#include <string>

#include "button_texts.h"
#include "canvas_gdi_win.h"
#include "styled_button_win.h"
#include "win/offscreen_paint.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

constexpr char kAboutClass[] = "StyledButtonAbout";
constexpr int kClientWidth = 300;
constexpr int kClientHeight = 150;
constexpr int kCloseId = 1;
constexpr RECT kClosePlace{110, 108, 190, 138};

win::UniqueFont MakeFont(HWND window, int points, bool bold) {
    int dpi = 96;
    if (const HDC screen = ::GetDC(window)) {
        dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(window, screen);
    }
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(points, dpi, 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynA(font.lfFaceName, "Verdana", LF_FACESIZE);
    return win::UniqueFont(::CreateFontIndirectA(&font));
}

}  // namespace

AboutWindow::AboutWindow(Key) {}

AboutWindow::~AboutWindow() {
    // The window goes first, while the button and fonts it uses still exist.
    DestroyOwnedWindow();
}

std::unique_ptr<AboutWindow> AboutWindow::Create(HWND owner) {
    win::WindowClassOptions options;
    options.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!win::RegisterWindowClass(kAboutClass, win::WindowProcedure<AboutWindow>, options)) {
        return nullptr;
    }
    auto self = std::make_unique<AboutWindow>(Key{});
    const std::string title = std::string(button_texts::kAboutTitlePrefix) + button_texts::kVersion;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOOLWINDOW);
    // Near the owner, so it shows where the user looked.
    RECT ownerPlace{};
    const HWND top = owner != nullptr ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    if (top == nullptr || ::GetWindowRect(top, &ownerPlace) == FALSE) {
        ownerPlace = RECT{80, 80, 0, 0};
    }
    const HWND window =
        ::CreateWindowExA(WS_EX_TOOLWINDOW, kAboutClass, title.c_str(), style, ownerPlace.left + 40,
                          ownerPlace.top + 40, frame.right - frame.left, frame.bottom - frame.top,
                          top, nullptr, ::GetModuleHandleA(nullptr), self.get());
    if (window == nullptr) {
        return nullptr;
    }
    self->titleFont_ = MakeFont(window, 12, true);
    self->textFont_ = MakeFont(window, 8, false);
    self->close_ = StyledButtonWindow::Create(window, kCloseId, kClosePlace, button_texts::kClose);
    if (self->close_) {
        StyledButton& close = self->close_->Button();
        close.SetStyle(10);
        AboutWindow* about = self.get();
        // Only hidden: the window belongs to its button and is shown again by About.
        close.SetEvents({[about] { ::ShowWindow(about->hWnd(), SW_HIDE); }, {}, {}});
    }
    return self;
}

HWND AboutWindow::CloseButton() const noexcept {
    return close_ ? close_->hWnd() : nullptr;
}

void AboutWindow::Show() {
    ::ShowWindow(hWnd(), SW_SHOW);
    ::UpdateWindow(hWnd());
}

LRESULT AboutWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            // The frame's close box hides it as Close does.
            ::ShowWindow(window, SW_HIDE);
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_DESTROY:
            // The button is a child: it goes with this window, before its object does.
            close_.reset();
            break;
        default:
            break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void AboutWindow::Paint() {
    win::OffscreenPaint paint(hWnd());
    const HDC dc = paint.dc();
    if (dc == nullptr) {
        return;
    }
    const int width = paint.width();
    GdiCanvas canvas(dc);
    const Colour text = ::GetSysColor(COLOR_BTNTEXT);
    canvas.Fill(0, 0, width, paint.height(), ::GetSysColor(COLOR_BTNFACE));
    canvas.VerticalGradient(kBandTop, kBandBottom, 0, 0, width, kBandHeight - 1);
    canvas.Line(0, kBandHeight, width, kBandHeight, ::GetSysColor(COLOR_BTNSHADOW));
    using namespace text_format;
    {
        win::SelectGuard selectedFont(dc, titleFont_.get());
        canvas.Text({12, 0, width - 12, kBandHeight}, button_texts::kClassName,
                    kVerticalCentre | DT_SINGLELINE, Rgb(255, 255, 255));
    }
    win::SelectGuard selectedFont(dc, textFont_.get());
    canvas.Text({12, kBandHeight + 10, width - 12, kBandHeight + 28},
                std::string(button_texts::kVersionPrefix) + button_texts::kVersion, 0, text);
    canvas.Text({12, kBandHeight + 30, width - 12, kClosePlace.top - 4}, button_texts::kAboutCredit,
                kWordBreak, text);
}

}  // namespace murmurex
