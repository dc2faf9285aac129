#pragma once
// The styled button's About window: a small tool window drawn with the button's own canvas
// primitives (a gradient title band, the name, the version and a credit line) and a Close
// button, itself a styled button, that hides it again. It is made hidden; Show brings it up.

#include <windows.h>

#include <memory>

#include "canvas.h"
#include "win/owned_window.h"
#include "win/unique_handle.h"

namespace murmurex {

class StyledButtonWindow;

class AboutWindow : public win::OwnedWindow {
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Height of the gradient title band, in pixels.
    static constexpr int kBandHeight = 36;
    /// The band runs from this colour in its first row to the second in its last.
    static constexpr Colour kBandTop = Rgb(106, 166, 226);
    static constexpr Colour kBandBottom = Rgb(19, 46, 113);

    /// A hidden About window owned by owner's top-level window; null if the system refuses.
    static std::unique_ptr<AboutWindow> Create(HWND owner);

    explicit AboutWindow(Key);
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;
    ~AboutWindow();

    void Show();
    /// The Close button's window.
    HWND CloseButton() const noexcept;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Paint();

    win::UniqueFont titleFont_;
    win::UniqueFont textFont_;
    std::unique_ptr<StyledButtonWindow> close_;
};

}  // namespace murmurex
