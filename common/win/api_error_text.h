#pragma once
// The system's text for an error code, in the system's own words.

#include <windows.h>

#include <string>
#include <string_view>

#include "portable/api_error_text.h"

namespace win {

/// The system's text for `code` (FormatMessageA, default language), without its trailing
/// line break; empty when the system has none that fits 260 characters.
inline std::string GetApiErrorText(DWORD code) {
    constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    constexpr DWORD kTextChars = 260;
    char buffer[kTextChars] = {};
    const DWORD length = ::FormatMessageA(kFlags, nullptr, code, 0, buffer, kTextChars, nullptr);
    return murmurex::TrimApiErrorText(std::string_view(buffer, length));
}

}  // namespace win
