#pragma once
// ColorPicker as a swatch button: it shows the colour and opens the system's colour dialog
// when clicked. Value is 0x00BBGGRR; Change is raised whenever the value changes, by the user
// or by the program. The host forwards WM_DRAWITEM and the button's click. The value lives
// before the button: a hidden window's picker is made when it first shows.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "win/unique_handle.h"

namespace murmurex {

class ColourPicker {
  public:
    /// Makes the swatch as a visible child of `parent` at `placement` (pixels); false when the
    /// system refuses it.
    bool CreateWindowIn(HWND parent, int controlId, RECT placement);

    std::uint32_t Value() const noexcept { return value_; }
    /// Raises Change when the value differs.
    void SetValue(std::uint32_t colour);
    std::function<void(std::uint32_t)> Change;

    /// The host's click from this button: the colour dialog, modal to the host.
    void OnClick();
    /// The host's WM_DRAWITEM for this button.
    void Draw(const DRAWITEMSTRUCT& item) const;
    HWND hWnd() const noexcept { return window_.get(); }

  private:
    win::UniqueWindow window_;
    std::uint32_t value_ = 0;
    std::array<COLORREF, 16> customColours_{};
};

}  // namespace murmurex
