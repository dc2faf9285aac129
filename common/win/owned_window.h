#pragma once
// The base of an object that owns the window it serves. Derive publicly and register the
// class with WindowProcedure<T>: the procedure hands the object its window at WM_NCCREATE,
// so every message the creation sends already finds hWnd(), and takes it back at
// WM_NCDESTROY, so a window destroyed from outside (with its parent) is never destroyed
// twice. No derived class repeats that hand-over.
//
// Destruction: the base's destructor runs after the derived members are gone. If the window
// is still alive then, the base first detaches the object from it (GWLP_USERDATA cleared), so
// no message of the teardown reaches the half-destroyed object, and then destroys it. A class
// whose messages need its members while the window goes (WM_DESTROY, focus changes of a
// focused child) calls DestroyOwnedWindow() in its own destructor, while it is still whole.

#include <windows.h>

namespace win {

class OwnedWindow {
  public:
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;

    /// The window, from WM_NCCREATE until it is destroyed; null before and after.
    HWND hWnd() const noexcept { return window_; }

  protected:
    OwnedWindow() noexcept = default;
    ~OwnedWindow() {
        if (window_ != nullptr) {
            // The derived part is gone: nothing of the teardown may reach it.
            ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            ::DestroyWindow(window_);
        }
    }

    /// Destroys the window now, with the whole object still there to answer its messages.
    void DestroyOwnedWindow() noexcept {
        if (window_ != nullptr) {
            ::DestroyWindow(window_);
            // Forgotten here too, in case the window did not come through WindowProcedure.
            window_ = nullptr;
        }
    }

  private:
    friend struct OwnedWindowHandOver;
    HWND window_ = nullptr;
};

/// What WindowProcedure does for an OwnedWindow at the first and the last message.
struct OwnedWindowHandOver {
    static void Take(OwnedWindow& owner, HWND window) noexcept { owner.window_ = window; }
    static void GiveBack(OwnedWindow& owner, HWND window) noexcept {
        if (owner.window_ == window) {
            owner.window_ = nullptr;
        }
    }
};

}  // namespace win
