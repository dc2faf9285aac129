#pragma once
// The system's error texts as the program shows them: cut at the first NUL, without the line
// break the system puts after the last line.

#include <string>
#include <string_view>

namespace murmurex {

/// A system error text cut at its first NUL, without a trailing CR LF.
inline std::string TrimApiErrorText(std::string_view raw) {
    std::string_view text = raw.substr(0, raw.find('\0'));
    if (text.size() >= 2 && text.substr(text.size() - 2) == "\r\n") {
        text.remove_suffix(2);
    }
    return std::string(text);
}

}  // namespace murmurex
