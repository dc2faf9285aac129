#include "text_ink_win.h"

#include <algorithm>
#include <vector>

namespace murmurex {
namespace {

bool IsSurrogate(wchar_t unit) noexcept {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

}  // namespace

int TextInk::Width() const noexcept {
    return std::max(advance, right) + PenOffset();
}

int TextInk::PenOffset() const noexcept {
    return std::max(0, -left);
}

TextInk MeasureTextInk(HDC dc, std::wstring_view text) {
    TextInk ink;
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ink.height = metrics.tmHeight;
    if (text.empty()) {
        return ink;
    }
    // Where each character's advance ends, so each glyph's ink can be put at its pen position.
    const int length = static_cast<int>(text.size());
    std::vector<int> ends(text.size(), 0);
    SIZE extent{0, 0};
    if (!::GetTextExtentExPointW(dc, text.data(), length, 0, nullptr, ends.data(), &extent)) {
        ::GetTextExtentPoint32W(dc, text.data(), length, &extent);
        std::fill(ends.begin(), ends.end(), 0);
    }
    ink.advance = extent.cx;
    ink.right = extent.cx;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Characters beyond the BMP have no ABC widths of their own; they are taken as upright.
        if (IsSurrogate(text[i])) {
            continue;
        }
        ABC widths{};
        if (!::GetCharABCWidthsW(dc, text[i], text[i], &widths)) {
            // Not an outline font: its italic and bold are made by smearing, which reaches the
            // font's overhang past the advance.
            ink.right = extent.cx + metrics.tmOverhang;
            break;
        }
        const int pen = i == 0 ? 0 : ends[i - 1];
        ink.left = std::min(ink.left, pen + widths.abcA);
        ink.right = std::max(ink.right, pen + widths.abcA + static_cast<int>(widths.abcB));
    }
    return ink;
}

}  // namespace murmurex
