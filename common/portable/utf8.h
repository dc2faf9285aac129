#pragma once
// UTF-8 read and written one character at a time, with the checks the standard asks for: no
// overlong forms, no surrogates, nothing past U+10FFFF. Portable; both deliverables decode and
// encode their text through here.

#include <cstddef>
#include <string>
#include <string_view>

namespace common {

/// The length (1 to 4) of the well-formed UTF-8 sequence that starts at `at`, which lies inside
/// `text`, with its character in `character`; 0 when none starts there (a stray or cut-short
/// byte, an overlong form, a surrogate, or a value past U+10FFFF).
inline std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& character) noexcept {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    std::size_t length = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, character = lead & 0x1Fu, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, character = lead & 0x0Fu, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, character = lead & 0x07u, least = 0x10000;
    } else {
        return 0;
    }
    if (length > text.size() - at) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        character = (character << 6) | (next & 0x3Fu);
    }
    const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
    return character >= least && character <= 0x10FFFF && !surrogate ? length : 0;
}

/// Writes `character` (at most U+10FFFF) as UTF-8 at `out`, which has room for four bytes;
/// answers how many it took.
inline std::size_t EncodeUtf8(char32_t character, char* out) noexcept {
    if (character < 0x80) {
        out[0] = static_cast<char>(character);
        return 1;
    }
    if (character < 0x800) {
        out[0] = static_cast<char>(0xC0 | (character >> 6));
        out[1] = static_cast<char>(0x80 | (character & 0x3F));
        return 2;
    }
    if (character < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (character >> 12));
        out[1] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (character & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (character >> 18));
    out[1] = static_cast<char>(0x80 | ((character >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((character >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (character & 0x3F));
    return 4;
}

/// Appends `character` (at most U+10FFFF) as UTF-8.
inline void AppendUtf8(std::string& out, char32_t character) {
    char bytes[4];
    out.append(bytes, EncodeUtf8(character, bytes));
}

}  // namespace common
