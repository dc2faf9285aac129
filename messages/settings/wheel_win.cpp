#include "wheel_win.h"

#include "child_control_win.h"

#include <commctrl.h>

#include <algorithm>

namespace murmurex {

std::unique_ptr<WheelControl> WheelControl::Create(HWND parent, int controlId, RECT placement,
                                                   int minimum, int maximum, int value) {
    HWND window = CreateChildControl(parent, controlId, placement, TRACKBAR_CLASSW,
                                     WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_NOTICKS);
    if (window == nullptr) {
        return nullptr;
    }
    ::SendMessageW(window, TBM_SETRANGEMIN, FALSE, minimum);
    ::SendMessageW(window, TBM_SETRANGEMAX, FALSE, maximum);
    ::SendMessageW(window, TBM_SETPAGESIZE, 0, std::max(1, (maximum - minimum) / 10));
    ::SendMessageW(window, TBM_SETPOS, TRUE, value);
    return std::make_unique<WheelControl>(window, minimum, maximum, value);
}

WheelControl::WheelControl(HWND window, int minimum, int maximum, int value) noexcept
    : window_(window), minimum_(minimum), maximum_(maximum), value_(value) {}

void WheelControl::SetValue(int value) {
    value = std::clamp(value, minimum_, maximum_);
    if (static_cast<int>(::SendMessageW(window_.get(), TBM_GETPOS, 0, 0)) != value) {
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
    SetValue(static_cast<int>(::SendMessageW(window_.get(), TBM_GETPOS, 0, 0)));
}

}  // namespace murmurex
