#pragma once
// String tables (resource type 6): strings are stored sixteen to a block, each a 16-bit count
// of UTF-16 units followed by the units. String ID lives in block ID / 16 + 1, at place
// ID % 16. Reading is bounded by the block's bytes: a count that claims more than is left is
// read up to the end and the block is marked cut short.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace resmelder {

class ExeResource;
class LogBase;

/// One block of sixteen strings; an empty string is one the block does not hold.
struct StringBlock {
    static constexpr std::size_t kStrings = 16;
    /// The longest string a 16-bit count can say.
    static constexpr std::size_t kMaxUnits = 0xFFFF;

    std::array<std::u16string, kStrings> strings;
    /// Whether the bytes ended before the sixteen strings did.
    bool cutShort = false;

    /// Reads a block's bytes; never fails, never reads past them.
    static StringBlock Parse(std::span<const std::uint8_t> bytes);
    /// The block's bytes. Strings longer than kMaxUnits are never stored (SetTableString).
    std::vector<std::uint8_t> Serialize() const;
    bool IsEmpty() const;
};

/// The block name (ID / 16 + 1) and the place in it of a string ID.
std::uint16_t StringBlockName(std::uint16_t id);
std::size_t StringBlockPlace(std::uint16_t id);

/// One string of a table, as a listing shows it.
struct TableString {
    std::uint16_t id = 0;
    std::uint16_t language = 0;
    std::u16string text;
};

/// The language a string edit goes to when none is given: the lowest whose block holds the
/// string, else the lowest of its block, else that of the table's first block, else neutral.
std::uint16_t StringLanguageFor(const ExeResource& tree, std::uint16_t id);

/// Sets string `id` in `language`: the other fifteen of its block are kept, the block is made
/// when missing and removed when all sixteen are empty (an empty `text` clears the string).
/// False, logged, when the text is too long or the block cannot be stored.
bool SetTableString(ExeResource& tree, std::uint16_t id, std::uint16_t language,
                    std::u16string_view text, LogBase* log);
/// String `id` in `language` (the lowest language holding it when none is given); none when
/// the block is missing or holds no such string. A block cut short is logged.
std::optional<std::u16string> GetTableString(const ExeResource& tree, std::uint16_t id,
                                             std::optional<std::uint16_t> language, LogBase* log);
/// Every string every block holds, by block in directory order, then by ID. Blocks whose
/// name is a text or lies past the last string ID have no IDs and are left out.
std::vector<TableString> TableStrings(const ExeResource& tree, LogBase* log);

}  // namespace resmelder
