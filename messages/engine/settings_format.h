#pragma once
// The settings file "__.__" as bytes: seven lines identified by position (font name, font
// size, bold, italic, text colour, display length, frequency), separated by CR LF, with no
// line break after the last. Each value in memory is either empty or a typed value.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace murmurex {

inline constexpr std::string_view kSettingsFileName = "__.__";
inline constexpr int kSettingLineCount = 7;

/// The seven values of the settings file; an element never given a value is empty.
struct SettingValues {
    std::optional<std::string> fontName;    ///< line 0, the name unchanged
    std::optional<std::int32_t> fontSize;   ///< line 1, whole points
    std::optional<bool> bold;               ///< line 2
    std::optional<bool> italic;             ///< line 3
    std::optional<std::int32_t> colour;     ///< line 4, 0x00BBGGRR; high bit: a system colour
    std::optional<std::int32_t> duration;   ///< line 5, display length in milliseconds
    std::optional<std::int32_t> frequency;  ///< line 6, seconds between phrases

    friend bool operator==(const SettingValues&, const SettingValues&) = default;
};

/// A line as a 32-bit integer: optional blanks around an optional sign and decimal digits,
/// with an optional fraction that is rounded half to even. Nothing for anything else or a
/// value outside the 32-bit range.
std::optional<std::int32_t> ParseSettingInteger(std::string_view line);

/// A line as a Boolean: "True" or "False" in any case, or a number (0 is False, anything else
/// True). Nothing for anything else.
std::optional<bool> ParseSettingBoolean(std::string_view line);

/// Splits the file's text at CR LF and converts each line; a missing line or one that does
/// not convert leaves its element empty. Lines after the seventh are ignored.
SettingValues ParseSettings(std::string_view text);

/// The seven lines joined with CR LF: an empty element gives an empty line, Booleans "True"
/// or "False", integers plain decimal digits with a leading minus when negative.
std::string FormatSettings(const SettingValues& values);

}  // namespace murmurex
