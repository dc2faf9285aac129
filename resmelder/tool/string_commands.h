#pragma once
// The string-table edit that set-string makes and edit --set-string repeats.

#include <cstdint>
#include <optional>
#include <string>

namespace resmelder {

class ExeImage;
class LogBase;

struct StringEdit {
    std::uint16_t id = 0;
    std::optional<std::uint16_t> language;  // none: the language the string's table has
    std::u16string text;                    // empty: the string is cleared
};

/// ID and TEXT as typed; none, with the problem a person reads, when ID is not a string ID
/// (0 to 65535, decimal or 0x hexadecimal) or TEXT is not UTF-8.
std::optional<StringEdit> ReadStringEdit(const std::string& id, const std::string& text,
                                         std::optional<std::uint16_t> language,
                                         std::string& problem);

/// Makes the edit; false, logged, with `doing` saying what failed.
bool ApplyStringEdit(ExeImage& image, const StringEdit& edit, LogBase& log, std::string& doing);

}  // namespace resmelder
