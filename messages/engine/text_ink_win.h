#pragma once
// Where a line of text puts its ink. The advance (GetTextExtentPoint32) leaves out what italic
// and some bold glyphs reach past it on either side: a window sized by the advance cuts the
// last letter with a straight edge.

#include <windows.h>

#include <string_view>

namespace murmurex {

/// A line of text in the font selected into a DC, in pixels from its pen position.
struct TextInk {
    /// Where the pen ends (the text's advance).
    int advance = 0;
    /// The leftmost column of ink, negative when the first glyph reaches back past the pen.
    int left = 0;
    /// One past the rightmost column of ink, beyond the advance for an overhanging glyph.
    int right = 0;
    /// The font's line height.
    int height = 0;

    /// Room that holds the advance and all of the ink: from min(0, left) to max(advance, right).
    int Width() const noexcept;
    /// Where to put the pen inside that room: right of the ink that reaches back.
    int PenOffset() const noexcept;
};

/// Measures `text` in the font selected into `dc`. The work grows with the text's length.
TextInk MeasureTextInk(HDC dc, std::wstring_view text);

}  // namespace murmurex
