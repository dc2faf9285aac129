#pragma once
// ColorPicker as a swatch button: it shows the colour and opens the system's colour dialog
// when clicked. Value is 0x00BBGGRR; Change is raised whenever the value changes, by the user
// or by the program. The host forwards WM_DRAWITEM and the button's click.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "win/unique_handle.h"

namespace murmurex {

class ColourPicker {
  public:
    static std::unique_ptr<ColourPicker> Create(HWND parent, int controlId, RECT placement);

    explicit ColourPicker(HWND window) noexcept : window_(window) {}

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
