#pragma once
// 8-bit ANSI bytes in std::string, never assumed UTF-8, for the helpers that still take them
// (the dialogs' rules); the library's own text is UTF-8 (unicode_text.h). Case rules follow
// the Western code page 1252, the way the platform lower-cases it.

#include <cstdint>
#include <string>
#include <string_view>

namespace murmurex {

/// The lower-case form of one code page 1252 byte; every other byte is returned unchanged.
char AnsiToLower(char c) noexcept;

/// `text` with every byte passed through AnsiToLower.
std::string AnsiLower(std::string_view text);

/// A hash of the lower-cased text: texts equal under AnsiEqualNoCase hash alike.
std::uint64_t AnsiNoCaseHash(std::string_view text) noexcept;

/// True when `a` and `b` are equal after both are lower-cased.
bool AnsiEqualNoCase(std::string_view a, std::string_view b) noexcept;

}  // namespace murmurex
