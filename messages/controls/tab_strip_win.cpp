#include "tab_strip_win.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "portable/twips.h"
#include "tab_pictures.h"
#include "win/dpi.h"
#include "win/offscreen_paint.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

HINSTANCE Instance() {
    return ::GetModuleHandleA(nullptr);
}

// The picture as a device-independent bitmap, for a program built without the resources.
win::UniqueBitmap BitmapFromPixels(const TabBitmap& picture) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down, as the pixels are stored
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits != nullptr) {
        auto* out = static_cast<std::uint32_t*>(bits);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
            out[i] = picture.pixels[i];  // 0x00RRGGBB is the DIB's own 32-bit order
        }
    }
    return bitmap;
}

// One picture selected into a memory context of its own for as long as it lives, so each paint
// only copies from it.
struct HeldPicture {
    win::UniqueBitmap bitmap;
    win::UniqueOwnedDc dc;
    SIZE size{};
    // Declared last, so it goes first: the bitmap is deselected before either is deleted.
    std::optional<win::SelectGuard> selected;

    explicit HeldPicture(win::UniqueBitmap picture) : bitmap(std::move(picture)) {
        BITMAP info{};
        if (!bitmap || ::GetObjectA(bitmap.get(), sizeof info, &info) == 0) {
            return;
        }
        dc.reset(::CreateCompatibleDC(nullptr));
        if (dc) {
            size = {info.bmWidth, info.bmHeight};
            selected.emplace(dc.get(), bitmap.get());
        }
    }
};

// Copies `source` stretched into (x, y, width, height) of `target`, or at its own size.
void Stretch(HDC target, const HeldPicture* source, int x, int y, int width, int height,
             bool stretch = true) {
    if (source == nullptr || !source->selected) {
        return;
    }
    const HDC from = source->dc.get();
    const SIZE size = source->size;
    if (stretch) {
        ::StretchBlt(target, x, y, width, height, from, 0, 0, size.cx, size.cy, SRCCOPY);
    } else {
        ::BitBlt(target, x, y, std::min<int>(width, size.cx), std::min<int>(height, size.cy), from,
                 0, 0, SRCCOPY);
    }
}

}  // namespace

// The seven pictures for one DPI: at the design's own DPI the program's bitmap resources,
// at any other drawn afresh for it, so they stay sharp instead of being stretched.
struct TabMenuWindow::Pictures {
    std::deque<HeldPicture> held;

    explicit Pictures(int dpi) {
        for (const TabPictureId id : kAllTabPictures) {
            win::UniqueBitmap bitmap;
            if (dpi == kDefaultDpi) {
                bitmap.reset(static_cast<HBITMAP>(::LoadImageA(
                    Instance(), TabPictureName(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
            }
            if (!bitmap) {
                bitmap = BitmapFromPixels(DrawTabPicture(id, dpi));
            }
            held.emplace_back(std::move(bitmap));
        }
    }

    const HeldPicture* Get(TabPictureId id) const noexcept {
        for (std::size_t i = 0; i < std::size(kAllTabPictures); ++i) {
            if (kAllTabPictures[i] == id) {
                return &held[i];
            }
        }
        return nullptr;
    }
};

struct TabMenuWindow::Element {
    TabKind kind;
    int index;
    TabMenuWindow* owner;
    bool pressed = false;   // left button went down here and has not come up
    bool tracking = false;  // a leave notification is requested
    // The picture of the last paint; current until the model or the DPI changes it.
    win::OffscreenBuffer buffer;
    bool pictureCurrent = false;
    win::UniqueWindow window;
    // Declared after `window`: it is that window's child, so it must go first.
    win::UniqueWindow separator;

    Element(TabKind k, int i, TabMenuWindow* o) : kind(k), index(i), owner(o) {}

    LRESULT HandleMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCDESTROY) {
            // Destroyed with the strip: nothing left for this element to destroy.
            separator.release();
            window.release();
            return ::DefWindowProcA(handle, message, wParam, lParam);
        }
        return owner->HandleElement(*this, handle, message, wParam, lParam);
    }
};

std::unique_ptr<TabMenuWindow> TabMenuWindow::Create(HWND parent, int x, int y, int width,
                                                     int controlId) {
    win::RegisterWindowClass(
        kTabMenuClass, win::WindowProcedure<TabMenuWindow, &TabMenuWindow::HandleStripMessage>);
    win::RegisterWindowClass(kTabButtonClass, win::WindowProcedure<Element>);
    win::RegisterWindowClass(kTabButtonMenuClass, win::WindowProcedure<Element>);
    win::RegisterWindowClass(
        kTabSeparatorClass,
        win::WindowProcedure<TabMenuWindow, &TabMenuWindow::HandleSeparatorMessage>);

    auto self = std::make_unique<TabMenuWindow>(Key{});
    // Laid out for the monitor the host is on.
    self->dpi_ = win::DpiForWindow(parent);
    self->pictures_ = std::make_unique<Pictures>(self->dpi_);
    self->font_ = CaptionFont(self->dpi_);
    self->window_.reset(::CreateWindowExA(
        0, kTabMenuClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y,
        width, self->Pixels(kTabHeight), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), Instance(), self.get()));
    if (!self->window_) {
        return nullptr;
    }
    // The model creates its templates at once, so the strip window must exist first.
    self->strip_ = std::make_unique<TabMenu>(static_cast<TabMenuView*>(self.get()));
    return self;
}

TabMenuWindow::TabMenuWindow(Key) {}

TabMenuWindow::~TabMenuWindow() = default;

win::UniqueFont TabMenuWindow::CaptionFont(int dpi) {
    // Arial 8.25 points, regular, at the strip's DPI.
    return win::UniqueFont(::CreateFontA(-PointsToPixels(8.25, dpi), 0, 0, 0, FW_NORMAL, FALSE,
                                         FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                         DEFAULT_PITCH | FF_SWISS, "Arial"));
}

int TabMenuWindow::Pixels(double twips) const noexcept {
    return TwipsToPixels(twips, dpi_);
}

void TabMenuWindow::SetDpi(int dpi) {
    if (dpi == dpi_ || dpi <= 0) {
        return;
    }
    dpi_ = dpi;
    pictures_ = std::make_unique<Pictures>(dpi_);
    font_ = CaptionFont(dpi_);
    // The strip keeps its width until the host sets it; its height is the pictures' own. Each
    // element takes its new size, its divider the new place, then its place in the row.
    RECT strip{};
    ::GetClientRect(window_.get(), &strip);
    ::SetWindowPos(window_.get(), nullptr, 0, 0, strip.right, Pixels(kTabHeight),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (Element& element : elements_) {
        ::SetWindowPos(element.window.get(), nullptr, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        const int imageWidth = element.kind == TabKind::Tab ? kTabImageWidth : kTabMenuImageWidth;
        ::SetWindowPos(element.separator.get(), nullptr, Pixels(imageWidth), Pixels(kSeparatorTop),
                       0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
        Sync(element);
    }
    ::InvalidateRect(window_.get(), nullptr, FALSE);
}

void TabMenuWindow::Move(int x, int y, int width) {
    ::MoveWindow(window_.get(), x, y, width, Pixels(kTabHeight), TRUE);
}

SIZE TabMenuWindow::ElementSize(TabKind kind) const noexcept {
    return {Pixels(kind == TabKind::Tab ? kTabButtonWidth : kTabMenuButtonWidth),
            Pixels(kTabHeight)};
}

TabMenuWindow::Element* TabMenuWindow::Find(TabKind kind, int index) noexcept {
    for (Element& element : elements_) {
        if (element.kind == kind && element.index == index) {
            return &element;
        }
    }
    return nullptr;
}

const TabMenuWindow::Element* TabMenuWindow::Find(TabKind kind, int index) const noexcept {
    for (const Element& element : elements_) {
        if (element.kind == kind && element.index == index) {
            return &element;
        }
    }
    return nullptr;
}

HWND TabMenuWindow::TabWindow(int index) const noexcept {
    const Element* element = Find(TabKind::Tab, index);
    return element != nullptr ? element->window.get() : nullptr;
}

HWND TabMenuWindow::MenuWindow(int index) const noexcept {
    const Element* element = Find(TabKind::Menu, index);
    return element != nullptr ? element->window.get() : nullptr;
}

void TabMenuWindow::ElementCreated(TabKind kind, int index) {
    Element& element = elements_.emplace_back(kind, index, this);
    const SIZE size = ElementSize(kind);
    // Created hidden; the model shows it once it is placed.
    element.window.reset(
        ::CreateWindowExA(0, kind == TabKind::Tab ? kTabButtonClass : kTabButtonMenuClass, "",
                          WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, size.cx, size.cy,
                          window_.get(), nullptr, Instance(), &element));
    if (!element.window) {
        return;
    }
    const int imageWidth = kind == TabKind::Tab ? kTabImageWidth : kTabMenuImageWidth;
    element.separator.reset(::CreateWindowExA(0, kTabSeparatorClass, "", WS_CHILD | WS_VISIBLE,
                                              Pixels(imageWidth), Pixels(kSeparatorTop),
                                              Pixels(kSeparatorWidth), Pixels(kSeparatorHeight),
                                              element.window.get(), nullptr, Instance(), this));
}

void TabMenuWindow::ElementChanged(TabKind kind, int index) {
    if (Element* element = Find(kind, index)) {
        Sync(*element);
    }
}

void TabMenuWindow::Sync(Element& element) {
    if (!strip_) {
        return;
    }
    const TabElement* model = element.kind == TabKind::Tab
                                  ? static_cast<TabElement*>(strip_->Tab(element.index))
                                  : static_cast<TabElement*>(strip_->Menu(element.index));
    if (model == nullptr || !element.window) {
        return;
    }
    const HWND window = element.window.get();
    RECT now{};
    ::GetWindowRect(window, &now);
    ::MapWindowPoints(HWND_DESKTOP, window_.get(), reinterpret_cast<POINT*>(&now), 2);
    const int x = Pixels(model->Left());
    const int y = Pixels(model->Top());
    if (now.left != x || now.top != y) {
        ::SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if ((::IsWindowVisible(window) != FALSE) != model->Visible()) {
        ::ShowWindow(window, model->Visible() ? SW_SHOWNA : SW_HIDE);
    }
    element.pictureCurrent = false;
    ::InvalidateRect(window, nullptr, FALSE);
}

LRESULT TabMenuWindow::HandleStripMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_WINDOWPOSCHANGING: {
            // The host picks the width; the height is the pictures' own.
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            position->cy = Pixels(kTabHeight);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_NCPAINT:
            // No frame: the whole window is client, which the paint covers.
            return 0;
        case WM_PAINT:
            PaintStrip();
            return 0;
        case WM_NCDESTROY:
            // Destroyed with its parent: nothing left for the owner to destroy.
            window_.release();
            break;
        default:
            break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT TabMenuWindow::HandleElement(Element& element, HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
    // The templates' windows are made while the model is still being built.
    if (!strip_) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    TabButton* tab = element.kind == TabKind::Tab ? strip_->Tab(element.index) : nullptr;
    TabButtonMenu* menu = element.kind == TabKind::Menu ? strip_->Menu(element.index) : nullptr;
    if (tab == nullptr && menu == nullptr) {
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    const auto inside = [&] {
        RECT client{};
        ::GetClientRect(window, &client);
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        return ::PtInRect(&client, point) != FALSE;
    };
    switch (message) {
        case WM_WINDOWPOSCHANGING: {
            const SIZE size = ElementSize(element.kind);
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            position->cx = size.cx;
            position->cy = size.cy;
            return 0;
        }
        case WM_MOUSEMOVE:
            // While the button is held the moves come here wherever the pointer is: only
            // those over the button count as moving over it.
            if (element.pressed && !inside()) {
                return 0;
            }
            if (!element.tracking) {
                TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
                element.tracking = ::TrackMouseEvent(&track) != FALSE;
            }
            tab != nullptr ? tab->PointerMoved() : menu->PointerMoved();
            return 0;
        case WM_MOUSELEAVE:
            element.tracking = false;
            tab != nullptr ? tab->PointerLeft() : menu->PointerLeft();
            return 0;
        case WM_LBUTTONDOWN:
            element.pressed = true;
            ::SetCapture(window);
            tab != nullptr ? tab->ButtonPressed() : menu->ButtonPressed();
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            tab != nullptr ? tab->ButtonPressed() : menu->ButtonPressed();
            return 0;
        case WM_LBUTTONUP:
            if (element.pressed) {
                element.pressed = false;
                const bool click = inside();
                ::ReleaseCapture();
                // A click is a press and a release over the same button.
                if (click) {
                    tab != nullptr ? tab->Clicked() : menu->Clicked();
                }
            }
            return 0;
        case WM_CAPTURECHANGED:
            element.pressed = false;
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_NCPAINT:
            // No frame: the whole window is client, which the paint covers.
            return 0;
        case WM_PAINT:
            PaintElement(element, window);
            return 0;
        default:
            return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT TabMenuWindow::HandleSeparatorMessage(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST:
            // The divider belongs to its button: the pointer over it is over the button.
            return HTTRANSPARENT;
        case WM_WINDOWPOSCHANGING: {
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            position->cx = Pixels(kSeparatorWidth);
            position->cy = Pixels(kSeparatorHeight);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_NCPAINT:
            // No frame: the whole window is client, which the paint covers.
            return 0;
        case WM_PAINT:
            PaintSeparator(window);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void TabMenuWindow::PaintStrip() {
    win::PaintGuard paint(window_.get());
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    ::SetStretchBltMode(paint.dc(), COLORONCOLOR);
    Stretch(paint.dc(), pictures_->Get(TabPictureId::Background), 0, 0, client.right,
            Pixels(kTabHeight));
}

void TabMenuWindow::PaintSeparator(HWND window) {
    win::PaintGuard paint(window);
    RECT client{};
    ::GetClientRect(window, &client);
    ::SetStretchBltMode(paint.dc(), COLORONCOLOR);
    Stretch(paint.dc(), pictures_->Get(TabPictureId::Separator), 0, 0, client.right, client.bottom);
}

void TabMenuWindow::PaintElement(Element& element, HWND window) {
    // Composed off screen and copied in one go: no flicker between background and picture.
    // The picture is kept until the element changes, so a paint from outside only copies it.
    win::OffscreenPaint paint(window, element.buffer);
    const HDC dc = paint.dc();
    if (dc == nullptr || (element.pictureCurrent && paint.holdsEarlierPicture())) {
        return;
    }
    ::SetStretchBltMode(dc, COLORONCOLOR);
    const int height = Pixels(kTabHeight);
    Stretch(dc, pictures_->Get(TabPictureId::Background), 0, 0, paint.width(), height);
    if (element.kind == TabKind::Tab) {
        PaintTab(*strip_->Tab(element.index), dc);
    } else {
        PaintMenuButton(*strip_->Menu(element.index), dc);
    }
    element.pictureCurrent = true;
}

void TabMenuWindow::PaintTab(const TabButton& tab, HDC dc) {
    const TabPictureId picture = tab.Picture() == TabPicture::Over   ? TabPictureId::TabOver
                                 : tab.Picture() == TabPicture::Down ? TabPictureId::TabDown
                                                                     : TabPictureId::Background;
    const int imageWidth = Pixels(kTabImageWidth);
    Stretch(dc, pictures_->Get(picture), 0, 0, imageWidth, Pixels(kTabHeight));
    RECT label{0, Pixels(kTabLabelTop), imageWidth, Pixels(kTabLabelTop) + Pixels(kTabLabelHeight)};
    win::SelectGuard selectFont(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, tab.CaptionColour());  // 0x00BBGGRR, as COLORREF is
    ::DrawTextA(dc, tab.Caption().c_str(), static_cast<int>(tab.Caption().size()), &label,
                DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

void TabMenuWindow::PaintMenuButton(const TabButtonMenu& menu, HDC dc) {
    const TabPictureId picture = menu.Picture() == TabPicture::Over   ? TabPictureId::MenuOver
                                 : menu.Picture() == TabPicture::Down ? TabPictureId::MenuDown
                                                                      : TabPictureId::MenuNormal;
    // Shown at its own size, not stretched.
    Stretch(dc, pictures_->Get(picture), 0, 0, Pixels(kTabMenuImageWidth), Pixels(kTabHeight),
            false);
}

}  // namespace murmurex
