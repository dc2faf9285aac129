#pragma once
// Style 6 of the styled button: the platform's visual style for push buttons. The platform
// side sits behind ButtonTheme, so the state rule and the fallback run without a window.

#include "button_paint_input.h"
#include "canvas.h"

namespace murmurex {

/// The visual-style data of the class "Button" for one window, open for one paint; the
/// implementation closes it when destroyed.
class ButtonTheme {
  public:
    virtual ~ButtonTheme() = default;
    /// Makes the style's background region of rect, for part and state, the window region.
    virtual void ApplyBackgroundRegion(int part, int state, const PixelRect& rect) = 0;
    /// Draws the themed background into rect on canvas; true when the platform succeeded.
    virtual bool DrawBackground(Canvas& canvas, int part, int state, const PixelRect& rect) = 0;
};

/// The push-button part of the visual style.
inline constexpr int kThemePushButtonPart = 1;
/// The part state of a focused button at rest: the defaulted look.
inline constexpr int kThemeDefaultedState = 5;

/// The part state for a paint state: defaulted when focused at rest, else the paint state.
int ThemePartState(int paintState, bool focused) noexcept;

enum class ThemedPaint { Drawn, Failed, NoTheme };

/// Paints style 6. Without a theme (visual styles off) it fills with the button face and
/// answers NoTheme: the caller then falls back to its non-theme style for good. With
/// roundedBorders the theme's background region of the client grown by a pixel on each side
/// becomes the window region first.
ThemedPaint PaintThemeStyle(Canvas& canvas, ButtonTheme* theme, const ButtonPaintInput& input,
                            bool roundedBorders);

}  // namespace murmurex
