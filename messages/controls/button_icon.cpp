#include "button_icon.h"

#include <algorithm>

#include "button_layout.h"
#include "portable/round_half_even.h"

namespace murmurex {
namespace {

constexpr int kStyleLight = 4;
constexpr int kStateHot = 2;
constexpr int kStatePressed = 3;
constexpr int kStateDisabled = 4;

Colour Inked(Colour colour, IconInk ink) noexcept {
    switch (ink) {
        case IconInk::Grey:
            return GreyIconPixel(colour);
        case IconInk::Shadow:
            return kIconShadowColour;
        case IconInk::Own:
        default:
            return colour;
    }
}

Colour Over(Colour top, Colour below, int alpha) noexcept {
    const auto channel = [alpha](int t, int b) {
        return (t * alpha + b * (255 - alpha) + 127) / 255;
    };
    return Rgb(channel(RedOf(top), RedOf(below)), channel(GreenOf(top), GreenOf(below)),
               channel(BlueOf(top), BlueOf(below)));
}

}  // namespace

bool IsKeptGrey(Colour colour) noexcept {
    const int red = RedOf(colour);
    if ((colour & 0x00FFFFFFu) != Rgb(red, red, red)) {
        return false;
    }
    if (red == 0xFF) {
        return true;
    }
    return red % 0x10 == 0 && red != 0x90;
}

Colour GreyIconPixel(Colour colour) noexcept {
    if (IsKeptGrey(colour)) {
        return colour & 0x00FFFFFFu;
    }
    // In hundredths, so a half is exactly a half.
    const int hundredths = 59 * GreenOf(colour) + 33 * RedOf(colour) + 11 * BlueOf(colour);
    const int grey = std::min(RoundHalfEven(hundredths / 100.0), 255);
    return Rgb(grey, grey, grey);
}

void DrawIconPixels(Canvas& canvas, const IconImage& icon, int x, int y, int width, int height,
                    IconInk ink, std::optional<Colour> maskColour) {
    if (icon.width <= 0 || icon.height <= 0 || width <= 0 || height <= 0) {
        return;
    }
    for (int row = 0; row < height; ++row) {
        const int sourceRow = static_cast<int>(static_cast<long long>(row) * icon.height / height);
        for (int column = 0; column < width; ++column) {
            const int sourceColumn =
                static_cast<int>(static_cast<long long>(column) * icon.width / width);
            const int alpha = icon.AlphaAt(sourceColumn, sourceRow);
            const Colour source = icon.ColourAt(sourceColumn, sourceRow);
            if (alpha == 0 ||
                (maskColour && (source & 0x00FFFFFFu) == (*maskColour & 0x00FFFFFFu))) {
                continue;
            }
            const Colour colour = Inked(source, ink);
            if (alpha == 255) {
                canvas.Pixel(x + column, y + row, colour);
                continue;
            }
            if (const std::optional<Colour> below = canvas.PixelAt(x + column, y + row)) {
                canvas.Pixel(x + column, y + row, Over(colour, *below, alpha));
            } else if (alpha >= 128) {
                canvas.Pixel(x + column, y + row, colour);
            }
        }
    }
}

bool PaintIconGrayscale(Canvas& canvas, const IconImage* icon, int x, int y, int width,
                        int height) {
    if (icon == nullptr || icon->width <= 0 || icon->height <= 0 || width <= 0 || height <= 0) {
        return false;
    }
    DrawIconPixels(canvas, *icon, x, y, width, height, IconInk::Grey);
    return true;
}

void PaintButtonIcon(Canvas& canvas, const ButtonIconRequest& request) {
    if (request.icon.empty()) {
        return;
    }
    const int s = request.iconSize;
    PixelPoint at =
        IconPosition(request.iconAlign, request.width, request.height, s, request.textMargin);
    if (request.paintState == kStatePressed) {
        at.x += 1;
        at.y += 1;
    }
    const std::optional<IconImage> icon = DecodeIconFile(request.icon, s);
    const bool disabled = request.paintState == kStateDisabled;
    if (!icon) {
        // A picture only the platform can read (a compressed image) is drawn by the canvas;
        // its grey form would need its pixels, so a disabled one shows nothing.
        if (!disabled) {
            canvas.Icon(request.icon, at.x, at.y, s);
        }
        return;
    }
    const std::optional<Colour> mask =
        request.useMaskColor ? std::optional<Colour>(request.maskColor) : std::nullopt;

    if (request.style == kStyleLight && request.paintState == kStateHot) {
        if (!request.useMaskColor) {
            // The picture drawn in place, then everything in its square that differs from
            // the body colour at (1, 1) turned to the shadow grey, the icon above and left.
            DrawIconPixels(canvas, *icon, at.x, at.y, s, s, IconInk::Own);
            if (const std::optional<Colour> body = canvas.PixelAt(1, 1)) {
                for (int row = 0; row < s; ++row) {
                    for (int column = 0; column < s; ++column) {
                        const std::optional<Colour> here =
                            canvas.PixelAt(at.x + column, at.y + row);
                        if (here && *here != *body) {
                            canvas.Pixel(at.x + column, at.y + row, kIconShadowColour);
                        }
                    }
                }
            } else {
                DrawIconPixels(canvas, *icon, at.x, at.y, s, s, IconInk::Shadow);
            }
            DrawIconPixels(canvas, *icon, at.x - 2, at.y - 2, s, s, IconInk::Own);
        } else {
            DrawIconPixels(canvas, *icon, at.x + 1, at.y + 1, s, s, IconInk::Shadow, mask);
            DrawIconPixels(canvas, *icon, at.x - 1, at.y - 1, s, s, IconInk::Own, mask);
            DrawIconPixels(canvas, *icon, at.x - 2, at.y - 2, s, s, IconInk::Own, mask);
        }
        return;
    }
    if (!request.useMaskColor) {
        if (disabled) {
            PaintIconGrayscale(canvas, &*icon, at.x, at.y, s, s);
        } else {
            DrawIconPixels(canvas, *icon, at.x, at.y, s, s, IconInk::Own);
        }
        return;
    }
    DrawIconPixels(canvas, *icon, at.x, at.y, s, s, disabled ? IconInk::Grey : IconInk::Own, mask);
}

}  // namespace murmurex
