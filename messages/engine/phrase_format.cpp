#include "phrase_format.h"

#include <array>
#include <cstddef>

#include "ansi_text.h"

namespace murmurex {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Names the platform maps to devices whatever extension follows ("CON.lst" is the console).
bool IsDeviceName(std::string_view name) noexcept {
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    const std::string_view stem = name.substr(0, name.find('.'));
    for (std::string_view device : kPlain) {
        if (AnsiEqualNoCase(stem, device)) {
            return true;
        }
    }
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9') {
        const std::string_view head = stem.substr(0, 3);
        return AnsiEqualNoCase(head, "com") || AnsiEqualNoCase(head, "lpt");
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

bool IsBlank(std::string_view text) noexcept {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace murmurex
