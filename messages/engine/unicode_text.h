#pragma once
// Text as the program holds it: UTF-8 in std::string, whatever script. Names and phrases are
// compared without regard to case through the platform's upper-casing of each UTF-16 unit,
// the rule the file system applies to file names, so "ΑΛΦΑ" and "αλφα" are one category.

#include <cstdint>
#include <string_view>

namespace murmurex {

/// True when `a` and `b` are equal once every character is upper-cased (characters beyond the
/// BMP and bytes that are no UTF-8 compare exactly).
bool TextEqualNoCase(std::string_view a, std::string_view b) noexcept;

/// A hash of the upper-cased text: texts equal under TextEqualNoCase hash alike.
std::uint64_t TextNoCaseHash(std::string_view text) noexcept;

}  // namespace murmurex
