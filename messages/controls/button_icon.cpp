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
                    IconInk ink, std::optional<Colour> maskColour, const PixelRect& visible) {
    if (icon.width <= 0 || icon.height <= 0 || width <= 0 || height <= 0) {
        return;
    }
    // Only the rows and columns of the picture that land inside the visible rectangle.
    const long long firstRow = std::max(0LL, static_cast<long long>(visible.top) - y);
    const long long endRow =
        std::min<long long>(height, static_cast<long long>(visible.bottom) - y);
    const long long firstColumn = std::max(0LL, static_cast<long long>(visible.left) - x);
    const long long endColumn =
        std::min<long long>(width, static_cast<long long>(visible.right) - x);
    for (long long row = firstRow; row < endRow; ++row) {
        const auto sourceRow = static_cast<int>(row * icon.height / height);
        for (long long column = firstColumn; column < endColumn; ++column) {
            const auto sourceColumn = static_cast<int>(column * icon.width / width);
            const int alpha = icon.AlphaAt(sourceColumn, sourceRow);
            const Colour source = icon.ColourAt(sourceColumn, sourceRow);
            if (alpha == 0 ||
                (maskColour && (source & 0x00FFFFFFu) == (*maskColour & 0x00FFFFFFu))) {
                continue;
            }
            const Colour colour = Inked(source, ink);
            const int px = x + static_cast<int>(column);
            const int py = y + static_cast<int>(row);
            if (alpha == 255) {
                canvas.Pixel(px, py, colour);
                continue;
            }
            if (const std::optional<Colour> below = canvas.PixelAt(px, py)) {
                canvas.Pixel(px, py, Over(colour, *below, alpha));
            } else if (alpha >= 128) {
                canvas.Pixel(px, py, colour);
            }
        }
    }
}

bool PaintIconGrayscale(Canvas& canvas, const IconImage* icon, int x, int y, int width, int height,
                        const PixelRect& visible) {
    if (icon == nullptr || icon->width <= 0 || icon->height <= 0 || width <= 0 || height <= 0) {
        return false;
    }
    DrawIconPixels(canvas, *icon, x, y, width, height, IconInk::Grey, std::nullopt, visible);
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
    const PixelRect button{0, 0, request.width, request.height};
    const auto draw = [&](int left, int top, IconInk ink, std::optional<Colour> masked) {
        DrawIconPixels(canvas, *icon, left, top, s, s, ink, masked, button);
    };

    if (request.style == kStyleLight && request.paintState == kStateHot) {
        if (!request.useMaskColor) {
            // The picture drawn in place, then everything in its square that differs from
            // the body colour at (1, 1) turned to the shadow grey, the icon above and left.
            draw(at.x, at.y, IconInk::Own, std::nullopt);
            if (const std::optional<Colour> body = canvas.PixelAt(1, 1)) {
                const int top = std::max(at.y, 0);
                const int bottom = std::min(at.y + s, request.height);
                const int left = std::max(at.x, 0);
                const int right = std::min(at.x + s, request.width);
                for (int row = top; row < bottom; ++row) {
                    for (int column = left; column < right; ++column) {
                        const std::optional<Colour> here = canvas.PixelAt(column, row);
                        if (here && *here != *body) {
                            canvas.Pixel(column, row, kIconShadowColour);
                        }
                    }
                }
            } else {
                draw(at.x, at.y, IconInk::Shadow, std::nullopt);
            }
            draw(at.x - 2, at.y - 2, IconInk::Own, std::nullopt);
        } else {
            draw(at.x + 1, at.y + 1, IconInk::Shadow, mask);
            draw(at.x - 1, at.y - 1, IconInk::Own, mask);
            draw(at.x - 2, at.y - 2, IconInk::Own, mask);
        }
        return;
    }
    if (!request.useMaskColor) {
        if (disabled) {
            PaintIconGrayscale(canvas, &*icon, at.x, at.y, s, s, button);
        } else {
            draw(at.x, at.y, IconInk::Own, std::nullopt);
        }
        return;
    }
    draw(at.x, at.y, disabled ? IconInk::Grey : IconInk::Own, mask);
}

}  // namespace murmurex
