#pragma once
// One WM_PAINT drawn off screen: the window's paint is begun, a bitmap of the client's size
// is selected into a memory context, the caller draws into dc(), and when the scope ends the
// picture is copied to the window in one go, so nothing flickers in between. When no bitmap
// can be made, dc() is the window's own paint context and the drawing goes straight there.
//
//     void Widget::Paint() {
//         win::OffscreenPaint paint(window);
//         if (paint.dc() == nullptr) return;
//         ::FillRect(paint.dc(), &paint.client(), brush);
//     }  // copied to the window here

#include <windows.h>

#include <optional>

#include "win/unique_handle.h"

namespace win {

class OffscreenPaint {
  public:
    explicit OffscreenPaint(HWND window) noexcept : paint_(window) {
        if (paint_.dc() == nullptr) {
            return;
        }
        ::GetClientRect(window, &client_);
        memory_.reset(::CreateCompatibleDC(paint_.dc()));
        bitmap_.reset(::CreateCompatibleBitmap(paint_.dc(), client_.right, client_.bottom));
        if (memory_ && bitmap_) {
            selected_.emplace(memory_.get(), bitmap_.get());
        }
    }
    OffscreenPaint(const OffscreenPaint&) = delete;
    OffscreenPaint& operator=(const OffscreenPaint&) = delete;
    /// Copies the picture to the window; the members then go in reverse order: the bitmap
    /// is deselected, deleted, the memory context deleted, and the paint ended last.
    ~OffscreenPaint() {
        if (selected_) {
            ::BitBlt(paint_.dc(), 0, 0, client_.right, client_.bottom, memory_.get(), 0, 0,
                     SRCCOPY);
        }
    }

    /// Where to draw: the memory context, or the window's paint context when no bitmap could
    /// be made; null when the paint could not begin.
    HDC dc() const noexcept { return selected_ ? memory_.get() : paint_.dc(); }
    /// The window's client rectangle (left and top are 0).
    const RECT& client() const noexcept { return client_; }
    int width() const noexcept { return client_.right; }
    int height() const noexcept { return client_.bottom; }

  private:
    PaintGuard paint_;
    RECT client_{};
    UniqueOwnedDc memory_;
    UniqueBitmap bitmap_;
    std::optional<SelectGuard> selected_;
};

}  // namespace win
