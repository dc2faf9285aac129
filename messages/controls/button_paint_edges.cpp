#include "button_paint_edges.h"

namespace murmurex {
namespace {

constexpr Colour kBlack = Rgb(0, 0, 0);

// Without custom colours styles 0 to 2 light up in the button face, style 4 in the highlight.
Colour Accent(int style, const ButtonPaintInput& in) {
    if (in.useCustomColors) {
        return in.highlightColor;
    }
    return style == 4 ? in.highlight : in.buttonFace;
}

void FrameWhole(Canvas& canvas, const ButtonPaintInput& in, Colour colour) {
    canvas.Outline(0, 0, in.width - 1, in.height - 1, colour);
}

Colour PaintStyle0(Canvas& canvas, const ButtonPaintInput& in) {
    const Colour fill = in.state == 1 ? in.Base() : Accent(0, in);
    canvas.Fill(0, 0, in.width, in.height, fill);
    canvas.Edge({0, 0, in.width, in.height}, in.state == 3 ? EdgeKind::Sunken : EdgeKind::Raised);
    if ((in.showFocus && in.focused) || (!in.focused && in.displayAsDefault)) {
        FrameWhole(canvas, in, kBlack);
    }
    return fill;
}

// Styles 1 and 2 share their fills and their hot and pressed edges; they differ at rest.
Colour PaintThinEdgeStyle(Canvas& canvas, int style, const ButtonPaintInput& in) {
    const Colour fill = (in.state == 1 || in.state == 4) ? in.Base() : Accent(style, in);
    canvas.Fill(0, 0, in.width, in.height, fill);
    const PixelRect whole{0, 0, in.width, in.height};
    switch (in.state) {
        case 1:
            if (style == 1) {
                canvas.Edge(whole, EdgeKind::RaisedInner);
            } else {
                FrameWhole(canvas, in, fill);  // flat
            }
            break;
        case 2:
            canvas.Edge(whole, EdgeKind::RaisedInner);
            break;
        case 3:
            canvas.Edge(whole, EdgeKind::SunkenOuter);
            break;
        default:
            FrameWhole(canvas, in, fill);  // no edge shows
            break;
    }
    return fill;
}

Colour PaintStyle3(Canvas& canvas, const ButtonPaintInput& in) {
    Colour fill = in.Base();
    if (in.state == 2) {
        fill = in.useCustomColors ? Blend(in.highlightColor, in.backColor)
                                  : Blend(in.buttonShadow, in.buttonFace);
    } else if (in.state == 3) {
        fill = in.useCustomColors ? in.highlightColor : in.buttonShadow;
    }
    canvas.Fill(0, 0, in.width, in.height, fill);
    PaintEtchedFrame(canvas, 0, 0, in.width, in.height, in.buttonShadow, in.window, fill);
    return fill;
}

Colour PaintStyle4(Canvas& canvas, const ButtonPaintInput& in) {
    const Colour accent = Accent(4, in);
    Colour fill = Lighten(in.Base(), 32);
    if (in.state == 2) {
        fill = Lighten(accent, 176);
    } else if (in.state == 3) {
        fill = Lighten(accent, 128);
    }
    canvas.Fill(0, 0, in.width, in.height, fill);
    if (in.state == 2 || in.state == 3) {
        FrameWhole(canvas, in, accent);
    }
    return fill;
}

}  // namespace

void PaintEtchedFrame(Canvas& canvas, int x, int y, int width, int height, Colour dark,
                      Colour light, Colour fill) {
    const int w = width - 1;
    const int h = height - 1;
    canvas.Outline(x, y, w - 1, h - 1, dark);
    canvas.Outline(x + 1, y + 1, w - 1, h - 1, light);
    canvas.Pixel(x, y + h, fill);
    canvas.Pixel(x + w, y, fill);
    const Colour between = Blend(light, dark);
    canvas.Pixel(x + 1, y + h - 1, between);
    canvas.Pixel(x + w - 1, y + 1, between);
}

Colour PaintEdgeStyle(Canvas& canvas, int style, const ButtonPaintInput& input) {
    switch (style) {
        case 0:
            return PaintStyle0(canvas, input);
        case 1:
        case 2:
            return PaintThinEdgeStyle(canvas, style, input);
        case 3:
            return PaintStyle3(canvas, input);
        default:
            return PaintStyle4(canvas, input);
    }
}

}  // namespace murmurex
