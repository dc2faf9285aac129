#pragma once
// bvlWHEEL as a common-controls trackbar: an integer value bounded by a minimum and maximum,
// and a Change event raised whenever the value changes, by the user or by the program.
// The host forwards its WM_HSCROLL messages to OnScroll. The value lives before the trackbar:
// a hidden window's wheel is made when it first shows.

#include <windows.h>

#include <functional>
#include <memory>

#include "win/unique_handle.h"

namespace murmurex {

class WheelControl {
  public:
    WheelControl(int minimum, int maximum, int value) noexcept;

    /// Makes the trackbar as a visible child of `parent` at `placement` (pixels), at the value
    /// as it is; false when the system refuses it.
    bool CreateWindowIn(HWND parent, int controlId, RECT placement);

    int Value() const noexcept { return value_; }
    /// Clamps into the range; raises Change when the value differs.
    void SetValue(int value);
    int Min() const noexcept { return minimum_; }
    int Max() const noexcept { return maximum_; }

    /// Called with the new value.
    std::function<void(int)> Change;

    /// The host's WM_HSCROLL from this control.
    void OnScroll();
    HWND hWnd() const noexcept { return window_.get(); }

  private:
    win::UniqueWindow window_;
    int minimum_;
    int maximum_;
    int value_;
};

}  // namespace murmurex
