#pragma once
// What the tests that look at a flashed phrase's pixels share: a text drawn red on white the way
// the message label draws it (no smoothing), in a bitmap far wider than the text, and where
// one colour lies in a capture. For tests only.

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace murmurex::ink_test {

inline constexpr std::uint32_t kRed = 0x00FF0000;  // 0x00RRGGBB as captured

/// The red pixels of a rectangle, row by row, relative to their top-left corner, and the
/// columns they span.
struct Ink {
    std::vector<std::pair<int, int>> pixels;
    int left = INT_MAX;
    int right = INT_MIN;
};

inline Ink RedInkIn(const win::test::ScreenCapture& capture, RECT area) {
    Ink ink;
    int top = INT_MAX;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (capture.At(x, y) == kRed) {
                ink.pixels.emplace_back(x, y);
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
                top = std::min(top, y);
            }
        }
    }
    for (auto& [x, y] : ink.pixels) {
        x -= ink.left;
        y -= top;
    }
    return ink;
}

/// The red ink of `text` in `face` at `points` on this screen, drawn far from every edge.
inline Ink RenderedInk(const std::wstring& face, int points, bool bold, bool italic,
                       const std::wstring& text) {
    win::test::ScreenCapture image;
    image.width = 1600;
    image.height = 300;
    const auto screen = win::GetWindowDcOwned(nullptr);
    win::UniqueOwnedDc dc(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::UniqueBitmap bitmap(
        ::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(points, ::GetDeviceCaps(screen.get(), LOGPIXELSY), 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = NONANTIALIASED_QUALITY;
    ::lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    win::UniqueFont made(::CreateFontIndirectW(&font));
    {
        win::SelectGuard selectedBitmap(dc.get(), bitmap.get());
        win::SelectGuard selectedFont(dc.get(), made.get());
        RECT all{0, 0, image.width, image.height};
        ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SetBkMode(dc.get(), TRANSPARENT);
        ::SetTextColor(dc.get(), RGB(255, 0, 0));
        ::TextOutW(dc.get(), 200, 50, text.c_str(), static_cast<int>(text.size()));
        ::GdiFlush();
    }
    const auto* pixels = static_cast<const std::uint32_t*>(bits);
    image.pixels.assign(pixels, pixels + static_cast<std::size_t>(image.width) * image.height);
    return RedInkIn(image, RECT{0, 0, image.width, image.height});
}

}  // namespace murmurex::ink_test
