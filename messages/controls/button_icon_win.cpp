#include "button_icon_win.h"

#include <vector>

#include "button_icon.h"
#include "canvas_gdi_win.h"
#include "win/unique_handle.h"

namespace murmurex {
namespace {

// The bitmap's pixels as 32-bit top-down rows; empty when they cannot be read.
std::vector<std::uint32_t> ReadPixels(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) *
                                      static_cast<std::size_t>(height));
    if (::GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info,
                    DIB_RGB_COLORS) != height) {
        return {};
    }
    return pixels;
}

}  // namespace

std::optional<IconImage> IconImageFromHandle(HICON icon) {
    ICONINFO parts{};
    if (icon == nullptr || ::GetIconInfo(icon, &parts) == FALSE) {
        return std::nullopt;
    }
    // GetIconInfo hands over both bitmaps.
    const win::UniqueBitmap colourBitmap(parts.hbmColor);
    const win::UniqueBitmap maskBitmap(parts.hbmMask);
    BITMAP mask{};
    if (!maskBitmap || ::GetObjectA(maskBitmap.get(), sizeof mask, &mask) == 0) {
        return std::nullopt;
    }
    const int width = mask.bmWidth;
    // A monochrome icon keeps its image below the mask in one bitmap of double height.
    const int height = colourBitmap ? mask.bmHeight : mask.bmHeight / 2;
    if (width <= 0 || height <= 0 || width > kIconImageMaximumSide ||
        height > kIconImageMaximumSide) {
        return std::nullopt;
    }
    const win::UniqueWindowDc screen(::GetDC(nullptr));
    const HDC dc = screen.get();
    if (dc == nullptr) {
        return std::nullopt;
    }
    const std::vector<std::uint32_t> maskPixels =
        ReadPixels(dc, maskBitmap.get(), width, colourBitmap ? height : height * 2);
    if (maskPixels.empty()) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> colourPixels;
    if (colourBitmap) {
        colourPixels = ReadPixels(dc, colourBitmap.get(), width, height);
    } else {
        colourPixels.assign(maskPixels.begin() + static_cast<std::ptrdiff_t>(width) * height,
                            maskPixels.end());
    }
    if (colourPixels.empty()) {
        return std::nullopt;
    }
    IconImage image;
    image.width = width;
    image.height = height;
    bool anyAlpha = false;
    for (const std::uint32_t pixel : colourPixels) {
        anyAlpha = anyAlpha || (pixel >> 24) != 0;
    }
    for (std::size_t i = 0; i < colourPixels.size(); ++i) {
        const std::uint32_t pixel = colourPixels[i];
        image.colours.push_back(Rgb(static_cast<int>((pixel >> 16) & 0xFF),
                                    static_cast<int>((pixel >> 8) & 0xFF),
                                    static_cast<int>(pixel & 0xFF)));
        // Alpha when the icon has it, else the mask: white in the mask is transparent.
        const bool masked = (maskPixels[i] & 0x00FFFFFFu) != 0;
        image.alpha.push_back(anyAlpha ? static_cast<std::uint8_t>(pixel >> 24)
                                       : static_cast<std::uint8_t>(masked ? 0 : 255));
    }
    return image;
}

bool PaintIconGrayscale(HDC dc, HICON icon, int x, int y, int width, int height) {
    if (dc == nullptr || icon == nullptr) {
        return false;
    }
    const std::optional<IconImage> image = IconImageFromHandle(icon);
    if (!image) {
        return false;
    }
    // Only what the device context can show is visited.
    RECT clip{};
    if (::GetClipBox(dc, &clip) == ERROR) {
        return false;
    }
    GdiCanvas canvas(dc);
    return PaintIconGrayscale(canvas, &*image, x, y, width, height,
                              PixelRect{clip.left, clip.top, clip.right, clip.bottom});
}

}  // namespace murmurex
