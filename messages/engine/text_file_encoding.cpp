#include "text_file_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "portable/utf8.h"

namespace murmurex {
namespace {

// Every ANSI code page the platform has keeps ASCII as it is: such text needs no conversion.
bool IsAscii(std::string_view text) noexcept {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Code page 1252's bytes 0x80 to 0x9F; the rest of its upper half is Latin-1. The unassigned
// 0x81, 0x8D, 0x8F, 0x90 and 0x9D map to themselves, as the platform maps them.
constexpr std::array<char16_t, 32> kWesternHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::uint32_t WesternCharacter(unsigned char byte) noexcept {
    return byte >= 0x80 && byte < 0xA0 ? kWesternHighControls[byte - 0x80] : byte;
}

std::optional<unsigned char> WesternByte(std::uint32_t character) noexcept {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<unsigned char>(character);
    }
    for (std::size_t i = 0; i < kWesternHighControls.size(); ++i) {
        if (kWesternHighControls[i] == character) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

class WesternCodePageImpl final : public AnsiCodePage {
  public:
    std::optional<std::string> FromUtf8(std::string_view text) const override {
        std::string bytes;
        bytes.reserve(text.size());
        for (std::size_t at = 0; at < text.size();) {
            // Text that is no UTF-8, or a character the code page lacks, has no bytes here.
            char32_t character = 0;
            const std::size_t length = common::DecodeUtf8(text, at, character);
            const std::optional<unsigned char> byte =
                length != 0 ? WesternByte(character) : std::nullopt;
            if (!byte) {
                return std::nullopt;
            }
            bytes += static_cast<char>(*byte);
            at += length;
        }
        return bytes;
    }

    std::string ToUtf8(std::string_view bytes) const override {
        // Each byte becomes at most three: written in place, then cut to what was used.
        std::string text(bytes.size() * 3, '\0');
        std::size_t used = 0;
        for (char byte : bytes) {
            used += common::EncodeUtf8(WesternCharacter(static_cast<unsigned char>(byte)),
                                       text.data() + used);
        }
        text.resize(used);
        return text;
    }
};

}  // namespace

const AnsiCodePage& WesternCodePage() {
    static const WesternCodePageImpl codePage;
    return codePage;
}

std::string DecodeTextFile(std::string bytes, const AnsiCodePage& codePage) {
    if (std::string_view(bytes).substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        bytes.erase(0, kUtf8ByteOrderMark.size());
        return bytes;
    }
    if (IsAscii(bytes)) {
        return bytes;
    }
    return codePage.ToUtf8(bytes);
}

std::string EncodeTextFile(std::string text, const AnsiCodePage& codePage) {
    if (IsAscii(text)) {
        return text;
    }
    if (std::optional<std::string> ansi = codePage.FromUtf8(text)) {
        return std::move(*ansi);
    }
    return text.insert(0, kUtf8ByteOrderMark);
}

}  // namespace murmurex
