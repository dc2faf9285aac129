#include "ansi_text.h"

#include <array>
#include <cstddef>

#include "word_hash.h"

namespace murmurex {
namespace {

// Code page 1252: ASCII A-Z, the Latin-1 capitals C0-DE except the multiplication sign D7,
// and the four capitals that code page places in 80-9F (S and Z caron, OE ligature,
// Y diaeresis, whose small form is FF).
constexpr std::array<unsigned char, 256> MakeLowerTable() {
    std::array<unsigned char, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = static_cast<unsigned char>(i);
    }
    for (std::size_t c = 'A'; c <= 'Z'; ++c) {
        table[c] = static_cast<unsigned char>(c + 0x20);
    }
    for (std::size_t c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {
            table[c] = static_cast<unsigned char>(c + 0x20);
        }
    }
    table[0x8A] = 0x9A;
    table[0x8C] = 0x9C;
    table[0x8E] = 0x9E;
    table[0x9F] = 0xFF;
    return table;
}

constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

}  // namespace

char AnsiToLower(char c) noexcept {
    return static_cast<char>(kLower[static_cast<unsigned char>(c)]);
}

std::string AnsiLower(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        c = AnsiToLower(c);
    }
    return lowered;
}

std::uint64_t AnsiNoCaseHash(std::string_view text) noexcept {
    // Eight lower-cased bytes per word; the last word holds what is left.
    std::uint64_t hash = word_hash::kStart ^ (text.size() * word_hash::kMultiplier);
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word = 0;
        for (std::size_t j = 0; j < 8; ++j) {
            word |= std::uint64_t{kLower[static_cast<unsigned char>(text[i + j])]} << (8 * j);
        }
        hash = word_hash::MixWord(hash, word);
    }
    if (i < text.size()) {
        std::uint64_t word = 0;
        for (std::size_t j = 0; i + j < text.size(); ++j) {
            word |= std::uint64_t{kLower[static_cast<unsigned char>(text[i + j])]} << (8 * j);
        }
        hash = word_hash::MixWord(hash, word);
    }
    return word_hash::Finish(hash);
}

bool AnsiEqualNoCase(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        // Most bytes of two matching phrases are identical: look up only those that differ.
        if (a[i] != b[i] && AnsiToLower(a[i]) != AnsiToLower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace murmurex
