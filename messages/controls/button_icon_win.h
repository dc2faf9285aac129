#pragma once
// The button's icon drawing for a platform icon handle: its pixels read back from the
// icon's colour and mask bitmaps, for hosts that call PaintIconGrayscale with a device
// context and an icon.

#include <windows.h>

#include <optional>

#include "button_icon_image.h"

namespace murmurex {

/// The icon's pixels: its colour bitmap (with alpha when it has any) and its mask; nothing
/// when the bitmaps cannot be read.
std::optional<IconImage> IconImageFromHandle(HICON icon);

/// Draws icon in grey at x, y with the given size on dc: every pixel by the kept-greys rule,
/// the icon's own mask kept. False when dc or icon is null or the bitmaps cannot be read.
bool PaintIconGrayscale(HDC dc, HICON icon, int x, int y, int width, int height);

}  // namespace murmurex
