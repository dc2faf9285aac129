#include "settings_format.h"

#include <cmath>
#include <limits>
#include <vector>

#include "phrase_format.h"
#include "portable/round_half_even.h"

namespace murmurex {
namespace {

bool IsBlankCharacter(char c) noexcept {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) noexcept {
    while (!text.empty() && IsBlankCharacter(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlankCharacter(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// A plain decimal number: [sign] digits [. digits], or [sign] . digits. The work is bounded
// by the line's length; a long run of digits only grows the value towards infinity.
std::optional<double> ParseDecimal(std::string_view line) {
    std::string_view text = TrimBlanks(line);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double value = 0.0;
    std::size_t digits = 0;
    std::size_t at = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at, ++digits) {
        value = value * 10.0 + (text[at] - '0');
    }
    if (at < text.size() && text[at] == '.') {
        double scale = 0.1;
        for (++at; at < text.size() && IsDigit(text[at]); ++at, ++digits) {
            value += (text[at] - '0') * scale;
            scale /= 10.0;
        }
    }
    if (digits == 0 || at != text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view word) noexcept {
    if (text.size() != word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        char w = word[i];
        if (w >= 'A' && w <= 'Z') {
            w = static_cast<char>(w - 'A' + 'a');
        }
        if (c != w) {
            return false;
        }
    }
    return true;
}

void AppendInteger(std::string& out, const std::optional<std::int32_t>& value) {
    if (value) {
        out += std::to_string(*value);
    }
}

void AppendBoolean(std::string& out, const std::optional<bool>& value) {
    if (value) {
        out += *value ? "True" : "False";
    }
}

}  // namespace

std::optional<std::int32_t> ParseSettingInteger(std::string_view line) {
    const std::optional<double> value = ParseDecimal(line);
    if (!value) {
        return std::nullopt;
    }
    // Rounded first: 2147483647.4 still fits, 2147483647.5 does not.
    const double rounded = std::nearbyint(*value);
    if (rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max()) ||
        rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::nullopt;
    }
    return RoundHalfEven(*value);
}

std::optional<bool> ParseSettingBoolean(std::string_view line) {
    const std::string_view text = TrimBlanks(line);
    if (EqualsIgnoringCase(text, "true")) {
        return true;
    }
    if (EqualsIgnoringCase(text, "false")) {
        return false;
    }
    if (const std::optional<double> number = ParseDecimal(text)) {
        return *number != 0.0;
    }
    return std::nullopt;
}

SettingValues ParseSettings(std::string_view text) {
    const std::vector<std::string_view> lines = SplitCrLf(text);
    const auto line = [&lines](std::size_t index) -> std::optional<std::string_view> {
        if (index < lines.size()) {
            return lines[index];
        }
        return std::nullopt;
    };
    SettingValues values;
    if (const auto name = line(0); name && !name->empty()) {
        values.fontName = std::string(*name);
    }
    if (const auto size = line(1)) {
        values.fontSize = ParseSettingInteger(*size);
    }
    if (const auto bold = line(2)) {
        values.bold = ParseSettingBoolean(*bold);
    }
    if (const auto italic = line(3)) {
        values.italic = ParseSettingBoolean(*italic);
    }
    if (const auto colour = line(4)) {
        values.colour = ParseSettingInteger(*colour);
    }
    if (const auto duration = line(5)) {
        values.duration = ParseSettingInteger(*duration);
    }
    if (const auto frequency = line(6)) {
        values.frequency = ParseSettingInteger(*frequency);
    }
    return values;
}

std::string FormatSettings(const SettingValues& values) {
    std::string out;
    if (values.fontName) {
        out += *values.fontName;
    }
    out += "\r\n";
    AppendInteger(out, values.fontSize);
    out += "\r\n";
    AppendBoolean(out, values.bold);
    out += "\r\n";
    AppendBoolean(out, values.italic);
    out += "\r\n";
    AppendInteger(out, values.colour);
    out += "\r\n";
    AppendInteger(out, values.duration);
    out += "\r\n";
    AppendInteger(out, values.frequency);
    return out;
}

}  // namespace murmurex
