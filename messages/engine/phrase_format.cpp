#include "phrase_format.h"

#include <array>
#include <cstddef>

#include "unicode_text.h"

namespace murmurex {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Names the platform maps to devices whatever extension follows ("CON.lst" is the console).
// The platform compares the part before the first dot with its trailing spaces dropped, so
// "CON .lst" is the console too; it counts the superscript digits as COM and LPT numbers.
bool IsDeviceName(std::string_view name) noexcept {
    static constexpr std::array<std::string_view, 6> kPlain = {"con", "prn",    "aux",
                                                               "nul", "conin$", "conout$"};
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.remove_suffix(1);
    }
    for (std::string_view device : kPlain) {
        if (TextEqualNoCase(stem, device)) {
            return true;
        }
    }
    if (stem.size() < 4) {
        return false;
    }
    const std::string_view head = stem.substr(0, 3);
    if (!TextEqualNoCase(head, "com") && !TextEqualNoCase(head, "lpt")) {
        return false;
    }
    const std::string_view number = stem.substr(3);
    // 1 to 9, or superscript one, two or three (in UTF-8, spelled out byte by byte so that no
    // compiler's own source encoding changes them).
    static constexpr std::array<std::string_view, 12> kNumbers = {
        "1", "2", "3", "4", "5", "6", "7", "8", "9", "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
    for (std::string_view digit : kNumbers) {
        if (number == digit) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string_view> SplitCrLf(std::string_view text) {
    std::vector<std::string_view> lines;
    if (text.empty()) {
        return lines;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(kCrLf, start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + kCrLf.size();
    }
}

CheckEntry ParsePhraseLine(std::string_view line) {
    const bool flagged = !line.empty() && (line.front() == '0' || line.front() == '1');
    if (!flagged) {
        return CheckEntry{std::string(line), false};
    }
    return CheckEntry{std::string(line.substr(1)), line.front() == '1'};
}

std::string_view PhraseTextOf(std::string_view line) noexcept {
    const bool flagged = !line.empty() && (line.front() == '0' || line.front() == '1');
    return flagged ? line.substr(1) : line;
}

std::optional<std::string> FormatFlaggedLines(const CheckList& list) {
    std::size_t size = 0;
    for (const CheckEntry& entry : list.Entries()) {
        if (entry.text.find(kCrLf) != std::string::npos) {
            return std::nullopt;
        }
        size += entry.text.size() + 1 + kCrLf.size();
    }
    std::string bytes;
    bytes.reserve(size);
    for (const CheckEntry& entry : list.Entries()) {
        if (!bytes.empty()) {
            bytes += kCrLf;
        }
        bytes += entry.ticked ? '1' : '0';
        bytes += entry.text;
    }
    return bytes;
}

bool IsPlainFileName(std::string_view name) noexcept {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
        switch (c) {
            case '\\':
            case '/':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                return false;
            default:
                break;
        }
    }
    return !IsDeviceName(name);
}

bool IsUsableCategoryName(std::string_view name) noexcept {
    // The platform drops a trailing dot or space from a file name, so the file would not
    // carry the name the list shows.
    return IsPlainFileName(name) && name.back() != '.' && name.back() != ' ';
}

bool IsBlank(std::string_view text) noexcept {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace murmurex
