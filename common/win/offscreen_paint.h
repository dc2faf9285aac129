#pragma once
// One WM_PAINT drawn off screen: the window's paint is begun, a bitmap of the client's size
// is selected into a memory context, the caller draws into dc(), and when the scope ends the
// part of the picture the paint is for is copied to the window in one go, so nothing flickers
// in between. When no bitmap can be made, dc() is the window's own paint context and the
// drawing goes straight there.
//
// A window that paints often keeps an OffscreenBuffer: the memory context and its bitmap then
// live from one paint to the next and are made again only when the client's size changes
// (which a new DPI brings with it). What the buffer holds stays too, so a window whose look
// has not changed may copy it again without drawing (remade() says when it must draw).
//
//     void Widget::Paint() {
//         win::OffscreenPaint paint(window, buffer_);
//         if (paint.dc() == nullptr) return;
//         ::FillRect(paint.dc(), &paint.client(), brush);
//     }  // copied to the window here

#include <windows.h>

#include <optional>

#include "win/unique_handle.h"

namespace win {

/// A memory context with a bitmap selected into it, kept between paints.
class OffscreenBuffer {
  public:
    OffscreenBuffer() = default;
    OffscreenBuffer(const OffscreenBuffer&) = delete;
    OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;

    /// Makes the buffer hold width x height pixels compatible with `reference`, unless it
    /// already does. True when it was made now: what it held before is gone.
    bool Fit(HDC reference, int width, int height) noexcept {
        if (selected_ && width == width_ && height == height_) {
            return false;
        }
        selected_.reset();
        bitmap_.reset();
        if (!memory_) {
            memory_.reset(::CreateCompatibleDC(reference));
        }
        bitmap_.reset(::CreateCompatibleBitmap(reference, width, height));
        if (memory_ && bitmap_) {
            selected_.emplace(memory_.get(), bitmap_.get());
            width_ = width;
            height_ = height;
        }
        return true;
    }

    /// The memory context with the bitmap in it; null when none could be made.
    HDC dc() const noexcept { return selected_ ? memory_.get() : nullptr; }

  private:
    UniqueOwnedDc memory_;
    UniqueBitmap bitmap_;
    // Declared last, so it goes first: the bitmap is deselected before either is deleted.
    std::optional<SelectGuard> selected_;
    int width_ = 0;
    int height_ = 0;
};

class OffscreenPaint {
  public:
    /// Draws through a buffer made for this paint alone.
    explicit OffscreenPaint(HWND window) noexcept : paint_(window), buffer_(&own_) { Prepare(); }
    /// Draws through the window's kept buffer.
    OffscreenPaint(HWND window, OffscreenBuffer& kept) noexcept : paint_(window), buffer_(&kept) {
        Prepare();
    }
    OffscreenPaint(const OffscreenPaint&) = delete;
    OffscreenPaint& operator=(const OffscreenPaint&) = delete;
    /// Puts the buffer's context back as it was, copies the part of the picture the paint is
    /// for to the window (the paint context is clipped to it anyway); then a buffer of this
    /// paint alone is deleted, and the paint is ended last.
    ~OffscreenPaint() {
        if (saved_ != 0) {
            ::RestoreDC(buffer_->dc(), saved_);
        }
        if (buffered_) {
            const RECT& part = paint_.paint().rcPaint;
            ::BitBlt(paint_.dc(), part.left, part.top, part.right - part.left,
                     part.bottom - part.top, buffer_->dc(), part.left, part.top, SRCCOPY);
        }
    }

    /// Where to draw: the buffer's memory context, or the window's paint context when no
    /// bitmap could be made; null when the paint could not begin.
    HDC dc() const noexcept { return buffered_ ? buffer_->dc() : paint_.dc(); }
    /// The window's client rectangle (left and top are 0).
    const RECT& client() const noexcept { return client_; }
    int width() const noexcept { return client_.right; }
    int height() const noexcept { return client_.bottom; }
    /// False when what dc() holds is not the picture of an earlier paint: the buffer was made
    /// for this paint, or the drawing goes straight to the window. The caller must draw.
    bool holdsEarlierPicture() const noexcept { return buffered_ && !remade_; }

  private:
    void Prepare() noexcept {
        if (paint_.dc() == nullptr) {
            return;
        }
        ::GetClientRect(paint_.window(), &client_);
        remade_ = buffer_->Fit(paint_.dc(), client_.right, client_.bottom);
        buffered_ = buffer_->dc() != nullptr;
        if (buffered_) {
            // Each paint starts from the context's first state, whatever the last one set.
            saved_ = ::SaveDC(buffer_->dc());
        }
    }

    PaintGuard paint_;
    RECT client_{};
    OffscreenBuffer own_;
    OffscreenBuffer* buffer_;
    bool remade_ = false;
    bool buffered_ = false;
    int saved_ = 0;
};

}  // namespace win
