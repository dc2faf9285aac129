#pragma once
// Conversion between the ANSI code page, UTF-8 and UTF-16LE. Every conversion answers
// whether each character could be converted; one that cannot becomes '?' (8-bit targets)
// or U+FFFD (Unicode targets).

#include <cstdint>
#include <string>
#include <string_view>

namespace resmelder {

class EncodingConvert {
  public:
    static constexpr std::uint32_t kUtf8 = 65001;
    static constexpr std::uint32_t kUtf16Le = 1200;
    static constexpr std::uint32_t kDefaultPosixAnsi = 1252;

    /// The code page names and text data use: the one set, else the platform's (1252 on POSIX).
    static std::uint32_t AnsiCodePage();
    /// Overrides the ANSI code page for this process; 0 returns to the platform's.
    static void SetAnsiCodePage(std::uint32_t codePage);

    /// Converts bytes between code pages given by number; equal code pages copy.
    static bool Convert(std::uint32_t from, std::uint32_t to, std::string_view in,
                        std::string& out);

    static bool AnsiToUtf16(std::string_view in, std::u16string& out);
    static bool Utf16ToAnsi(std::u16string_view in, std::string& out);
    static bool Utf8ToUtf16(std::string_view in, std::u16string& out);
    static bool Utf16ToUtf8(std::u16string_view in, std::string& out);
    static bool CodePageToUtf16(std::uint32_t codePage, std::string_view in, std::u16string& out);
    static bool Utf16ToCodePage(std::uint32_t codePage, std::u16string_view in, std::string& out);
};

namespace encoding_backend {
/// The platform's own ANSI code page (GetACP on Windows, 1252 elsewhere).
std::uint32_t PlatformAnsiCodePage();
/// 8-bit code page (not UTF-8 or UTF-16) to UTF-16, through the platform's converter.
bool ToUtf16(std::uint32_t codePage, std::string_view in, std::u16string& out);
bool FromUtf16(std::uint32_t codePage, std::u16string_view in, std::string& out);
}  // namespace encoding_backend

}  // namespace resmelder
