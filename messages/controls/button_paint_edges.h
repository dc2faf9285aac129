#pragma once
// Styles 0 to 4 of the styled button: flat fills framed with the platform's 3D edges (0 to 2),
// an etched frame (3), and light fills with a one-pixel frame (4).

#include "button_paint_input.h"
#include "canvas.h"

namespace murmurex {

/// Paints the background and frame of style 0, 1, 2, 3 or 4 over the whole button and answers
/// the colour it filled with, which becomes the control's background colour.
Colour PaintEdgeStyle(Canvas& canvas, int style, const ButtonPaintInput& input);

/// The etched frame with softened corners around x, y, width, height: dark and light outlines
/// one pixel apart, the two far corners in the fill colour and the two near ones in between.
void PaintEtchedFrame(Canvas& canvas, int x, int y, int width, int height, Colour dark,
                      Colour light, Colour fill);

}  // namespace murmurex
