#pragma once
// Colour-key transparency for a window: every pixel of exactly the key colour lets the
// screen behind it (and the clicks) through.

#include <windows.h>

#include <cstdint>

namespace murmurex::modTransparent {

/// Makes `window` layered with `colourKey` (0x00BBGGRR) transparent. Errors are ignored;
/// answers true when every call succeeded.
bool MakeTransparent(HWND window, std::uint32_t colourKey) noexcept;

}  // namespace murmurex::modTransparent
