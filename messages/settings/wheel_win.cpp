#include "wheel_win.h"

#include "child_control_win.h"

#include <commctrl.h>

#include <algorithm>

namespace murmurex {

WheelControl::WheelControl(int minimum, int maximum, int value) noexcept
    : minimum_(minimum), maximum_(maximum), value_(value) {}

bool WheelControl::CreateWindowIn(HWND parent, int controlId, RECT placement) {
    HWND window = CreateChildControl(parent, controlId, placement, TRACKBAR_CLASSW,
                                     WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS);
    if (window == nullptr) {
        return false;
    }
    ::SendMessageW(window, TBM_SETRANGEMIN, FALSE, minimum_);
    ::SendMessageW(window, TBM_SETRANGEMAX, FALSE, maximum_);
    ::SendMessageW(window, TBM_SETPAGESIZE, 0, std::max(1, (maximum_ - minimum_) / 10));
    ::SendMessageW(window, TBM_SETPOS, TRUE, value_);
    window_.reset(window);
    return true;
}

void WheelControl::SetValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (window_ && static_cast<int>(::SendMessageW(window_.get(), TBM_GETPOS, 0, 0)) != value) {
        ::SendMessageW(window_.get(), TBM_SETPOS, TRUE, value);
    }
    if (value == value_) {
        return;
    }
    value_ = value;
    if (Change) {
        Change(value_);
    }
}

void WheelControl::OnScroll() {
    if (!window_) {
        return;
    }
    SetValue(static_cast<int>(::SendMessageW(window_.get(), TBM_GETPOS, 0, 0)));
}

}  // namespace murmurex
