#include "button_paint_theme_win.h"

#include <uxtheme.h>
#include <vsstyle.h>

#include "canvas_gdi_win.h"
#include "win/system_library.h"
#include "win/unique_handle.h"

#include <utility>

namespace murmurex {
namespace {

static_assert(kThemePushButtonPart == BP_PUSHBUTTON);
static_assert(kThemeDefaultedState == PBS_DEFAULTED);
static_assert(PBS_NORMAL == 1 && PBS_HOT == 2 && PBS_PRESSED == 3 && PBS_DISABLED == 4);

// uxtheme, taken from the system folder when a button first asks for its theme; without the
// library or any of these functions there is no theme, and style 6 falls back to its plain face.
struct ThemeFunctions {
    win::SystemLibrary library{L"uxtheme.dll"};
    decltype(::OpenThemeData)* open = library.Find<decltype(::OpenThemeData)>("OpenThemeData");
    decltype(::CloseThemeData)* close = library.Find<decltype(::CloseThemeData)>("CloseThemeData");
    decltype(::DrawThemeBackground)* drawBackground =
        library.Find<decltype(::DrawThemeBackground)>("DrawThemeBackground");
    decltype(::GetThemeBackgroundRegion)* backgroundRegion =
        library.Find<decltype(::GetThemeBackgroundRegion)>("GetThemeBackgroundRegion");

    bool Complete() const noexcept {
        return open != nullptr && close != nullptr && drawBackground != nullptr &&
               backgroundRegion != nullptr;
    }
};

const ThemeFunctions& Theme() noexcept {
    static const ThemeFunctions functions;
    return functions;
}

struct ThemeTraits {
    using handle_type = HTHEME;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { Theme().close(h); }
};
using UniqueTheme = win::UniqueHandle<ThemeTraits>;

class UxButtonTheme final : public ButtonTheme {
  public:
    UxButtonTheme(HWND window, UniqueTheme theme) : window_(window), theme_(std::move(theme)) {}

    void ApplyBackgroundRegion(int part, int state, const PixelRect& rect) override {
        const RECT area{rect.left, rect.top, rect.right, rect.bottom};
        HRGN made = nullptr;
        if (FAILED(Theme().backgroundRegion(theme_.get(), nullptr, part, state, &area, &made)) ||
            made == nullptr) {
            return;
        }
        win::UniqueRegion region(made);
        // Set only when the shape changes, without a redraw: this runs inside a paint, and a
        // redraw would ask for the next paint, which would set the region again.
        win::UniqueRegion current(::CreateRectRgn(0, 0, 0, 0));
        if (current && ::GetWindowRgn(window_, current.get()) != ERROR &&
            ::EqualRgn(current.get(), region.get())) {
            return;
        }
        if (::SetWindowRgn(window_, region.get(), FALSE) != 0) {
            region.release();  // the window owns it now
        }
    }

    bool DrawBackground(Canvas& canvas, int part, int state, const PixelRect& rect) override {
        auto* gdi = dynamic_cast<GdiCanvas*>(&canvas);
        if (gdi == nullptr) {
            return false;
        }
        const RECT area{rect.left, rect.top, rect.right, rect.bottom};
        return Theme().drawBackground(theme_.get(), gdi->dc(), part, state, &area, nullptr) == S_OK;
    }

  private:
    HWND window_;
    UniqueTheme theme_;
};

}  // namespace

std::unique_ptr<ButtonTheme> OpenButtonTheme(HWND window) {
    if (!Theme().Complete()) {
        return nullptr;
    }
    UniqueTheme theme(Theme().open(window, L"Button"));
    if (!theme) {
        return nullptr;
    }
    return std::make_unique<UxButtonTheme>(window, std::move(theme));
}

}  // namespace murmurex
