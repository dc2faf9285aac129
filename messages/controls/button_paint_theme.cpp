#include "button_paint_theme.h"

namespace murmurex {

int ThemePartState(int paintState, bool focused) noexcept {
    return (focused && paintState == 1) ? kThemeDefaultedState : paintState;
}

ThemedPaint PaintThemeStyle(Canvas& canvas, ButtonTheme* theme, const ButtonPaintInput& input,
                            bool roundedBorders) {
    const int w = input.width;
    const int h = input.height;
    // The themed background may leave its corners to what lies below: the button face.
    canvas.Fill(0, 0, w, h, input.buttonFace);
    if (theme == nullptr) {
        return ThemedPaint::NoTheme;
    }
    const int state = ThemePartState(input.state, input.focused);
    if (roundedBorders) {
        theme->ApplyBackgroundRegion(kThemePushButtonPart, state, PixelRect{-1, -1, w + 1, h + 1});
    }
    return theme->DrawBackground(canvas, kThemePushButtonPart, state, PixelRect{0, 0, w, h})
               ? ThemedPaint::Drawn
               : ThemedPaint::Failed;
}

}  // namespace murmurex
