#pragma once
// One Unicode case mapping for the whole project: the platform's own upper-casing of a UTF-16
// unit (RtlUpcaseUnicodeChar, which the loader, the file system's name comparison and
// CompareStringOrdinal with ignore-case all use). Both deliverables compare names and texts
// without regard to case through it, so they agree with the platform and with each other.

#include <array>

namespace common {

namespace detail {
/// The upper-case form of every BMP unit; built at compile time, so it is ready before any
/// static initialisation runs.
extern const std::array<char16_t, 0x10000> kUpcaseTable;
}  // namespace detail

/// The platform's upper-casing of one UTF-16 unit: the simple upper case where it maps back to
/// the same lower case, so µ, ı, ſ, ς and ß stay as they are; surrogates stay too.
inline char16_t UpcaseUnit(char16_t unit) noexcept {
    return detail::kUpcaseTable[unit];
}

}  // namespace common
