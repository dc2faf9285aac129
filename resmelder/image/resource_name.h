#pragma once
// Resource names as the platform's loader sees them: it upper-cases the name it is asked for
// and then compares exactly, by binary search, with the names stored in each directory. So
// every name this system stores is upper-cased, and every lookup compares upper-cased forms.

#include <cstddef>
#include <string>
#include <string_view>

namespace resmelder {

/// The longest name (in ANSI bytes) that is added, and that the reader keeps for display.
inline constexpr std::size_t kMaxResourceNameBytes = 499;

/// The loader's upper-casing of one UTF-16 unit (RtlUpcaseUnicodeChar): the simple upper case
/// where it maps back to the same lower case, so µ, ı, ſ, ς and ß stay as they are.
char16_t UpcaseResourceUnit(char16_t unit);
/// The whole name upper-cased, as it is stored and as the loader looks it up.
std::u16string UpcaseResourceName(std::u16string_view name);
/// Whether two names are the same name to the loader (compared upper-cased).
bool ResourceNamesMatch(std::u16string_view a, std::u16string_view b);
/// The order of named entries in a directory: upper-cased units, then length, as the loader's
/// binary search expects.
bool ResourceNameLess(std::u16string_view a, std::u16string_view b);

}  // namespace resmelder
