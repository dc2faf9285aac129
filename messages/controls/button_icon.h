#pragma once
// The styled button's icon: where it goes, how it moves when pressed, the style-4 shadow,
// the mask colour and the grey look of a disabled icon. Drawn pixel by pixel on the canvas
// from the decoded icon, so every canvas shows the same result.

#include <cstdint>
#include <optional>
#include <span>

#include "button_icon_image.h"
#include "canvas.h"

namespace murmurex {

/// The colour every visible pixel of a shadow gets.
inline constexpr Colour kIconShadowColour = Rgb(0x80, 0x80, 0x80);

/// True for the sixteen greys a grey icon keeps as they are: 0x000000 to 0x808080 and
/// 0xA0A0A0 to 0xF0F0F0 in steps of 0x101010, and 0xFFFFFF (0x909090 is not one of them).
bool IsKeptGrey(Colour colour) noexcept;

/// One pixel of a grey icon: a kept grey stays; any other colour becomes (g, g, g) with
/// g = 0.59 green + 0.33 red + 0.11 blue, rounded half to even, at most 255.
Colour GreyIconPixel(Colour colour) noexcept;

enum class IconInk {
    Own,     ///< the icon's own colours
    Grey,    ///< each colour through GreyIconPixel
    Shadow,  ///< every visible pixel kIconShadowColour
};

/// Draws the icon scaled to width x height at x, y. Transparent pixels are left alone, and
/// with a mask colour every pixel of that colour is transparent too. Partly covered pixels
/// are blended with the surface where it can be read. Only the part inside `visible` is
/// visited, so a huge size costs no more than the surface it covers.
void DrawIconPixels(Canvas& canvas, const IconImage& icon, int x, int y, int width, int height,
                    IconInk ink, std::optional<Colour> maskColour, const PixelRect& visible);

/// The icon in grey at x, y with the given size, keeping its own mask, drawn inside
/// `visible`. False (nothing drawn) when there is no icon or the size is empty.
bool PaintIconGrayscale(Canvas& canvas, const IconImage* icon, int x, int y, int width, int height,
                        const PixelRect& visible);

/// What the button's icon step needs to know.
struct ButtonIconRequest {
    /// The Icon property: the bytes of an icon file, empty for none.
    std::span<const std::uint8_t> icon;
    int iconSize = 16;
    int iconAlign = 1;
    int width = 0;
    int height = 0;
    int textMargin = 0;
    int style = 0;
    /// The state the paint shows: 1 normal, 2 hot, 3 pressed, 4 disabled.
    int paintState = 1;
    bool useMaskColor = false;
    Colour maskColor = 0;
};

/// The icon step of the button's paint: placed by alignment, moved by (+1, +1) when
/// pressed, with the style-4 shadow when hot, grey when disabled.
void PaintButtonIcon(Canvas& canvas, const ButtonIconRequest& request);

}  // namespace murmurex
