#pragma once
// What the painters of styles 0 to 6 read: the size, the state a paint shows, the flags that
// change the frame, and the colours (the button's own and the platform's).

#include "colour.h"

namespace murmurex {

struct ButtonPaintInput {
    int width = 0;
    int height = 0;
    /// The resolved paint state: 1 normal, 2 hot, 3 pressed, 4 disabled.
    int state = 1;
    bool focused = false;
    bool showFocus = false;
    /// The host shows this button as its default button.
    bool displayAsDefault = false;
    bool useCustomColors = false;
    Colour backColor = 0;
    Colour highlightColor = 0;
    // The platform's colours.
    Colour buttonFace = Rgb(240, 240, 240);
    Colour highlight = Rgb(0, 120, 215);
    Colour buttonShadow = Rgb(160, 160, 160);
    Colour window = Rgb(255, 255, 255);

    /// BackColor with custom colours, else the button face.
    Colour Base() const noexcept { return useCustomColors ? backColor : buttonFace; }
};

}  // namespace murmurex
