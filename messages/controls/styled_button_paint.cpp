// StyledButton's paint: the state a paint shows, the style's background and frame, the icon
// and the caption, all through the canvas.
#include "styled_button.h"

#include "button_icon.h"
#include "button_paint.h"
#include "button_paint_edges.h"
#include "button_paint_gradient.h"
#include "button_paint_shades.h"

namespace murmurex {

ButtonState StyledButton::PaintState() const noexcept {
    ButtonState state = state_;
    if (view_.DesignMode() && props_.style != 5) {
        state = ButtonState::Hot;
    }
    if (IsCheckButton() && props_.value) {
        state = ButtonState::Pressed;
    }
    if (!props_.enabled) {
        state = ButtonState::Disabled;
    }
    return state;
}

void StyledButton::Paint(Canvas& canvas, int width, int height) {
    canvas.Fill(0, 0, width, height, surfaceColour_);
    if (!isShown_) {
        return;
    }
    textMargin_ = 3;
    const ButtonState state = PaintState();
    if (state == ButtonState::Disabled) {
        surfaceColour_ = system_.buttonFace;
    }
    const ButtonPaintInput input = PaintInputFor(width, height, state);
    PaintFace(canvas, input);
    PaintIcon(canvas, input);
    canvas.Text(captionRect_, props_.caption, captionFormat_, CaptionColour(state));
}

ButtonPaintInput StyledButton::PaintInputFor(int width, int height, ButtonState state) const {
    ButtonPaintInput input;
    input.width = width;
    input.height = height;
    input.state = static_cast<int>(state);
    input.focused = focused_;
    input.showFocus = props_.showFocus;
    input.displayAsDefault = view_.DisplayAsDefault();
    input.useCustomColors = props_.useCustomColors;
    input.backColor = props_.backColor;
    input.highlightColor = props_.highlightColor;
    input.buttonFace = system_.buttonFace;
    input.highlight = system_.highlight;
    input.buttonShadow = system_.buttonShadow;
    input.window = system_.window;
    return input;
}

void StyledButton::PaintFace(Canvas& canvas, const ButtonPaintInput& input) {
    const int width = input.width;
    const int height = input.height;
    const int paintState = input.state;
    switch (props_.style) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            surfaceColour_ = PaintEdgeStyle(canvas, props_.style, input);
            break;
        case 5:
            PaintStyle5(canvas, input);
            break;
        case kThemedStyle:
            PaintThemed(canvas, input);
            break;
        case 7:
            textMargin_ = 4;
            PaintStyle7(
                canvas, width, height,
                Style7ShadesFor(paintState, focused_, system_.buttonFace, system_.highlight));
            break;
        case 8:
            textMargin_ = 4;
            PaintStyle8(canvas, width, height, Style8ShadesFor(paintState, system_.buttonFace));
            break;
        case 9: {
            textMargin_ = 6;
            const Colour base = props_.useCustomColors ? props_.backColor : system_.buttonFace;
            const Colour accent =
                props_.useCustomColors ? props_.highlightColor : system_.highlight;
            PaintStyle9(canvas, width, height, Style9ShadesFor(paintState, base, accent));
            break;
        }
        default:
            // Style 10, and any style number without a painter of its own, shows the settings
            // window's artwork.
            textMargin_ = 7;
            PaintStyle10(canvas, width, height, ChooseStyle10Variant(paintState, focused_));
            break;
    }
}

void StyledButton::PaintIcon(Canvas& canvas, const ButtonPaintInput& input) const {
    ButtonIconRequest icon;
    icon.icon = props_.icon.bytes;
    icon.iconSize = props_.iconSize;
    icon.iconAlign = props_.iconAlign;
    icon.width = input.width;
    icon.height = input.height;
    icon.textMargin = textMargin_;
    icon.style = props_.style;
    icon.paintState = input.state;
    icon.useMaskColor = props_.useMaskColor;
    icon.maskColor = props_.maskColor;
    PaintButtonIcon(canvas, icon);
}

Colour StyledButton::CaptionColour(ButtonState state) const noexcept {
    if (state == ButtonState::Disabled) {
        return system_.grayText;
    }
    if (props_.useCustomColors) {
        return state == ButtonState::Normal ? props_.fontColor : props_.fontHighlightColor;
    }
    return system_.buttonText;
}

void StyledButton::PaintThemed(Canvas& canvas, const ButtonPaintInput& input) {
    const std::unique_ptr<ButtonTheme> theme = view_.OpenTheme();
    surfaceColour_ = system_.buttonFace;
    if (PaintThemeStyle(canvas, theme.get(), input, props_.roundedBordersByTheme) ==
        ThemedPaint::NoTheme) {
        // Visual styles are off: this paint shows the plain face, later ones the fallback.
        props_.style = props_.nonThemeStyle;
    }
}

}  // namespace murmurex
