#pragma once
// How the library's text files (category files, the selection file, the settings file) hold
// their text. The program holds text as UTF-8; a file stays in the system's ANSI code page,
// byte for byte as it always was, whenever every character of it fits there, and only a file
// holding a character the code page lacks is written as UTF-8 after a byte-order mark.
// Reading takes both: a file that starts with the mark is UTF-8, any other is ANSI.

#include <optional>
#include <string>
#include <string_view>

namespace murmurex {

/// An ANSI code page as the platform maps it, both ways.
class AnsiCodePage {
  public:
    virtual ~AnsiCodePage() = default;
    /// `text` (UTF-8) in the code page; nothing when a character has no byte of its own there
    /// (never a substitute or look-alike character).
    virtual std::optional<std::string> FromUtf8(std::string_view text) const = 0;
    /// The code page's bytes as UTF-8.
    virtual std::string ToUtf8(std::string_view bytes) const = 0;
};

/// Code page 1252 (Western European), the platform's mapping of every byte included: the five
/// bytes it assigns no character to become the control characters of the same value.
const AnsiCodePage& WesternCodePage();

/// The system's ANSI code page: the platform's on Windows, WesternCodePage elsewhere.
const AnsiCodePage& SystemCodePage();

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

/// A text file's bytes as text: UTF-8 after a byte-order mark (which goes), the code page's
/// otherwise.
std::string DecodeTextFile(std::string bytes, const AnsiCodePage& codePage = SystemCodePage());

/// `text` as a text file's bytes: the code page's when every character fits, otherwise UTF-8
/// after a byte-order mark.
std::string EncodeTextFile(std::string text, const AnsiCodePage& codePage = SystemCodePage());

}  // namespace murmurex
