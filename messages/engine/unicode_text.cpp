#include "unicode_text.h"

#include <bit>
#include <cstddef>
#include <cstring>

#include "portable/unicode_upcase.h"
#include "portable/utf8.h"
#include "word_hash.h"

namespace murmurex {
namespace {

// A byte that starts no well-formed sequence stands for itself, apart from every character.
constexpr std::uint32_t kStrayByte = 0x80000000u;

// Reads the character at `at` and moves past it; a byte that starts no well-formed sequence
// is read alone.
std::uint32_t NextCharacter(std::string_view text, std::size_t& at) noexcept {
    char32_t character = 0;
    const std::size_t length = common::DecodeUtf8(text, at, character);
    if (length == 0) {
        return kStrayByte | static_cast<unsigned char>(text[at++]);
    }
    at += length;
    return character;
}

std::uint32_t AsciiUpper(std::uint32_t byte) noexcept {
    return byte >= 'a' && byte <= 'z' ? byte - 0x20u : byte;
}

constexpr std::uint64_t kEachByte = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Eight bytes at once, for the ASCII runs that make up most of any phrase. Loaded in memory
// order, which the hasher's byte by byte packing matches on a little-endian machine.
static_assert(std::endian::native == std::endian::little);
std::uint64_t EightBytesAt(std::string_view text, std::size_t at) noexcept {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, sizeof word);
    return word;
}

// Eight ASCII bytes (each below 0x80) upper-cased at once: a byte from 'a' to 'z' loses 0x20.
// No byte's sum carries into its neighbour.
std::uint64_t AsciiUpper8(std::uint64_t word) noexcept {
    const std::uint64_t fromA = word + kEachByte * (0x80 - 'a');
    const std::uint64_t pastZ = word + kEachByte * (0x80 - 'z' - 1);
    return word - (((fromA & ~pastZ) & kHighBits) >> 2);
}

std::uint32_t Upcased(std::uint32_t character) noexcept {
    return character < 0x10000 ? common::UpcaseUnit(static_cast<char16_t>(character)) : character;
}

// Upper-cased characters packed into the words word_hash mixes, eight bytes at a time.
class NoCaseHasher {
  public:
    void Add(std::uint32_t character) noexcept {
        ++count_;
        // ASCII, the usual case, takes one byte; anything else four.
        if (character < 0x80) {
            AddByte(character);
            return;
        }
        for (int shift = 0; shift < 32; shift += 8) {
            AddByte((character >> shift) & 0xFFu);
        }
    }

    /// Eight upper-cased ASCII characters, as eight calls of Add would take them.
    void AddAscii8(std::uint64_t upper) noexcept {
        count_ += 8;
        if (filled_ == 0) {
            word_ = upper;
            Mix();
            return;
        }
        const int kept = filled_;
        word_ |= upper << (8 * kept);
        Mix();
        word_ = upper >> (64 - 8 * kept);
        filled_ = kept;
    }

    std::uint64_t Finish() noexcept {
        if (filled_ > 0) {
            Mix();
        }
        // The count of characters, not of bytes: upper and lower case may differ in length.
        return word_hash::Finish(hash_ ^ count_ * word_hash::kMultiplier);
    }

  private:
    void AddByte(std::uint32_t byte) noexcept {
        word_ |= std::uint64_t{byte} << (8 * filled_);
        if (++filled_ == 8) {
            Mix();
        }
    }
    void Mix() noexcept {
        hash_ = word_hash::MixWord(hash_, word_);
        word_ = 0;
        filled_ = 0;
    }

    std::uint64_t hash_ = word_hash::kStart;
    std::uint64_t count_ = 0;
    std::uint64_t word_ = 0;
    int filled_ = 0;
};

}  // namespace

bool TextEqualNoCase(std::string_view a, std::string_view b) noexcept {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        // ASCII, most of any phrase, compared in place, eight at a time where it can.
        if (a.size() - i >= 8 && b.size() - j >= 8) {
            const std::uint64_t x8 = EightBytesAt(a, i);
            const std::uint64_t y8 = EightBytesAt(b, j);
            if (((x8 | y8) & kHighBits) == 0) {
                if (x8 != y8 && AsciiUpper8(x8) != AsciiUpper8(y8)) {
                    return false;
                }
                i += 8;
                j += 8;
                continue;
            }
        }
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[j]);
        if ((x | y) < 0x80) {
            if (x != y && AsciiUpper(x) != AsciiUpper(y)) {
                return false;
            }
            ++i;
            ++j;
            continue;
        }
        if (Upcased(NextCharacter(a, i)) != Upcased(NextCharacter(b, j))) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

std::uint64_t TextNoCaseHash(std::string_view text) noexcept {
    NoCaseHasher hasher;
    for (std::size_t at = 0; at < text.size();) {
        // ASCII, most of any phrase, upper-cased in place, eight at a time where it can.
        if (text.size() - at >= 8) {
            const std::uint64_t word = EightBytesAt(text, at);
            if ((word & kHighBits) == 0) {
                hasher.AddAscii8(AsciiUpper8(word));
                at += 8;
                continue;
            }
        }
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            hasher.Add(AsciiUpper(byte));
            ++at;
            continue;
        }
        hasher.Add(Upcased(NextCharacter(text, at)));
    }
    return hasher.Finish();
}

}  // namespace murmurex
