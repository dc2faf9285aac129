#include "controls_demo_win_gallery.h"

#include <cmath>
#include <string>

#include "button_layout.h"
#include "canvas_gdi_win.h"
#include "null_button_view.h"
#include "styled_button.h"
#include "styled_button_win.h"
#include "win/offscreen_paint.h"
#include "win/window_procedure.h"

namespace murmurex::gallery {
namespace {

constexpr char kGalleryClass[] = "MurmurexButtonGallery";
constexpr const char* kStateNames[] = {"Normal", "Hot", "Pressed", "Disabled"};

// A button that is only ever painted: it measures its caption with the gallery's font and
// ignores what a live window would do (tooltips, focus, the pointer).
class PreviewView final : public NullButtonView {
  public:
    PreviewView(int width, int height, HFONT font) : width_(width), height_(height), font_(font) {}
    void Attach(StyledButton& button) { button_ = &button; }

    void Relayout() override {
        if (button_ == nullptr) {
            return;
        }
        const StyledButtonProperties& p = button_->Properties();
        const PixelRect within = CaptionMeasureRect(width_, height_);
        RECT measured{within.left, within.top, within.right, within.bottom};
        const auto screen = win::GetWindowDcOwned(nullptr);
        if (screen) {
            win::SelectGuard selected(screen.get(), font_);
            ::DrawTextA(screen.get(), p.caption.c_str(), static_cast<int>(p.caption.size()),
                        &measured, CaptionMeasureFormat(p.rightToLeft) | DT_CALCRECT);
        }
        button_->ApplyLayout(
            width_, height_,
            PixelRect{measured.left, measured.top, measured.right, measured.bottom});
    }

  private:
    int width_;
    int height_;
    HFONT font_;
    StyledButton* button_ = nullptr;
};

win::UniqueRegion RegionOf(int style, int width, int height, int left, int top) {
    win::UniqueRegion region = CreateButtonRegion(RegionForStyle(style, width, height));
    if (region) {
        ::OffsetRgn(region.get(), left, top);
    }
    return region;
}

void DrawLabel(HDC dc, const std::string& text, RECT place, UINT format) {
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &place,
                format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

struct GalleryWindow::Cell {
    Cell(RECT placeIn, HFONT font, const SystemColours& colours)
        : place(placeIn),
          view(placeIn.right - placeIn.left, placeIn.bottom - placeIn.top, font),
          button(view, colours) {
        view.Attach(button);
    }
    RECT place;
    PreviewView view;
    StyledButton button;
};

RECT StyleCell(int style, int column) {
    const int left = kLabelWidth + column * (kCellWidth + kGap);
    const int top = kHeaderHeight + style * (kCellHeight + kGap);
    return RECT{left, top, left + kCellWidth, top + kCellHeight};
}

RECT IconCell(int index) {
    const int left = kLabelWidth + index * (kIconCellWidth + kGap);
    return RECT{left, kIconRowTop, left + kIconCellWidth, kIconRowTop + kIconCellHeight};
}

IconImage Picture() {
    // A round badge shading from yellow to red, a white glint, and a band of the mask grey
    // across its middle; transparent outside the circle.
    IconImage image;
    image.width = 16;
    image.height = 16;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const double dx = x - 7.5;
            const double dy = y - 7.5;
            const bool inside = dx * dx + dy * dy <= 7.6 * 7.6;
            Colour colour = Rgb(240, 220 - 12 * y, 40 + 4 * x);
            if (y == 7 || y == 8) {
                colour = kMaskColour;
            } else if ((x - 5) * (x - 5) + (y - 4) * (y - 4) <= 2) {
                colour = Rgb(255, 255, 255);
            } else if (!inside || dx * dx + dy * dy > 6.6 * 6.6) {
                colour = Rgb(120, 30, 20);
            }
            image.colours.push_back(colour);
            image.alpha.push_back(inside ? 255 : 0);
        }
    }
    return image;
}

GalleryWindow::GalleryWindow(Key) {}

GalleryWindow::~GalleryWindow() = default;

std::unique_ptr<GalleryWindow> GalleryWindow::Create(HWND parent) {
    win::WindowClassOptions options;
    options.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!win::RegisterWindowClass(kGalleryClass, win::WindowProcedure<GalleryWindow>, options)) {
        return nullptr;
    }
    auto self = std::make_unique<GalleryWindow>(Key{});
    int dpi = 96;
    if (const auto screen = win::GetWindowDcOwned(nullptr)) {
        dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
    // Verdana 8.25 pt, the buttons' own font.
    LOGFONTA font{};
    font.lfHeight = -static_cast<LONG>(std::lround(8.25 * dpi / 72.0));
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynA(font.lfFaceName, "Verdana", LF_FACESIZE);
    self->font_.reset(::CreateFontIndirectA(&font));
    self->Build();
    if (::CreateWindowExA(0, kGalleryClass, "", WS_CHILD | WS_VISIBLE, kLeft, kTop, kWidth, kHeight,
                          parent, nullptr, ::GetModuleHandleA(nullptr), self.get()) == nullptr) {
        return nullptr;
    }
    return self;
}

void GalleryWindow::Build() {
    const SystemColours colours = CurrentSystemColours();
    const auto add = [&](RECT place, const std::string& caption) -> StyledButton& {
        cells_.push_back(std::make_unique<Cell>(place, font_.get(), colours));
        StyledButton& button = cells_.back()->button;
        button.InitProperties(caption);
        return button;
    };
    // Puts a painted-only button into a state the way input would.
    const auto enter = [](StyledButton& button, int state) {
        button.Shown();
        if (state == 2) {
            button.PointerMoved();
        } else if (state == 3) {
            button.MouseDown(1);
        } else if (state == 4) {
            button.SetEnabled(false);
        }
    };
    for (int style = 0; style < kStyles; ++style) {
        for (int column = 0; column < kColumns; ++column) {
            const int state = column % 4 + 1;
            StyledButton& button = add(StyleCell(style, column), kStateNames[state - 1]);
            button.SetStyle(style);
            if (column >= 4) {
                button.SetUseCustomColors(true);
                button.SetBackColor(kCustomBack);
                button.SetHighlightColor(kCustomHighlight);
                button.SetFontColor(kCustomFont);
                button.SetFontHighlightColor(kCustomFontHighlight);
            }
            enter(button, state);
        }
    }
    const ButtonPicture icon{EncodeIconFile(Picture())};
    struct IconPlan {
        const char* caption;
        int iconAlign;
        int captionAlign;
        int style;
        int state;
        bool mask;
    };
    const IconPlan plans[kIconCells] = {
        {"Centre", 0, 4, 10, 1, false}, {"Left", 1, 2, 10, 1, false},
        {"Right", 2, 0, 10, 1, false},  {"Top", 3, 4, 10, 1, false},
        {"Bottom", 4, 3, 10, 1, false}, {"Disabled", 1, 2, 10, 4, false},
        {"Mask", 1, 2, 10, 1, true},    {"Shadow", 1, 2, 4, 2, false},
    };
    for (int i = 0; i < kIconCells; ++i) {
        const IconPlan& plan = plans[i];
        StyledButton& button = add(IconCell(i), plan.caption);
        button.SetStyle(plan.style);
        button.SetIcon(icon);
        button.SetIconAlign(plan.iconAlign);
        button.SetCaptionAlign(plan.captionAlign);
        if (plan.mask) {
            button.SetUseMaskColor(true);
            button.SetMaskColor(kMaskColour);
        }
        enter(button, plan.state);
    }
}

LRESULT GalleryWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void GalleryWindow::Paint() {
    // The whole gallery off screen, then one copy: hundreds of pixels per button.
    win::OffscreenPaint paint(hWnd());
    const HDC dc = paint.dc();
    if (dc == nullptr) {
        return;
    }
    const RECT& client = paint.client();
    win::SelectGuard selectedFont(dc, font_.get());
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    const int groupWidth = 4 * (kCellWidth + kGap) - kGap;
    DrawLabel(dc, "System colours", RECT{kLabelWidth, 0, kLabelWidth + groupWidth, kHeaderHeight},
              DT_CENTER);
    const int customLeft = StyleCell(0, 4).left;
    DrawLabel(dc, "Custom colours", RECT{customLeft, 0, customLeft + groupWidth, kHeaderHeight},
              DT_CENTER);
    for (int style = 0; style < kStyles; ++style) {
        const RECT row = StyleCell(style, 0);
        DrawLabel(dc, "Style " + std::to_string(style), RECT{6, row.top, kLabelWidth, row.bottom},
                  DT_LEFT);
    }
    DrawLabel(dc,
              "Icons: each alignment (style 10), disabled, mask colour, style 4 hot with its "
              "shadow",
              RECT{6, kIconRowTop - 22, client.right, kIconRowTop}, DT_LEFT);

    for (const auto& cell : cells_) {
        const int width = cell->place.right - cell->place.left;
        const int height = cell->place.bottom - cell->place.top;
        const int saved = ::SaveDC(dc);
        const win::UniqueRegion region = RegionOf(cell->button.Properties().style, width, height,
                                                  cell->place.left, cell->place.top);
        ::SelectClipRgn(dc, region.get());
        ::SetViewportOrgEx(dc, cell->place.left, cell->place.top, nullptr);
        GdiCanvas canvas(dc);
        cell->button.Paint(canvas, width, height);
        ::RestoreDC(dc, saved);
    }
}

}  // namespace murmurex::gallery
