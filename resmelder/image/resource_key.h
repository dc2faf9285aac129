#pragma once
// The address of one resource: its type, its name and its language. Types and names are
// numbers or texts; texts are kept upper-cased, as the loader looks them up.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace resmelder {

class ExeResource;

/// The platform's numbered resource types that the tools name.
namespace resource_type {
constexpr std::uint16_t kCursor = 1;
constexpr std::uint16_t kBitmap = 2;
constexpr std::uint16_t kIcon = 3;
constexpr std::uint16_t kMenu = 4;
constexpr std::uint16_t kDialog = 5;
constexpr std::uint16_t kString = 6;
constexpr std::uint16_t kFontDir = 7;
constexpr std::uint16_t kFont = 8;
constexpr std::uint16_t kAccelerator = 9;
constexpr std::uint16_t kRcdata = 10;
constexpr std::uint16_t kMessageTable = 11;
constexpr std::uint16_t kGroupCursor = 12;
constexpr std::uint16_t kGroupIcon = 14;
constexpr std::uint16_t kVersion = 16;
constexpr std::uint16_t kDlgInclude = 17;
constexpr std::uint16_t kPlugPlay = 19;
constexpr std::uint16_t kVxd = 20;
constexpr std::uint16_t kAniCursor = 21;
constexpr std::uint16_t kAniIcon = 22;
constexpr std::uint16_t kHtml = 23;
constexpr std::uint16_t kManifest = 24;
}  // namespace resource_type

/// The language entries are added under when none is given (the component's language 1).
inline constexpr std::uint16_t kDefaultResourceLanguage = 1;

/// A resource type or name: a 16-bit number, or a text (stored upper-cased).
class ResourceId {
  public:
    static ResourceId Number(std::uint16_t number);
    /// The text upper-cased as the loader does; it is never empty.
    static ResourceId Text(std::u16string_view text);
    /// A name as typed: "#N" is the number N (decimal, 0 to 65535), anything else a text.
    /// None for an empty text, a "#" without a valid number, or text that is not UTF-8.
    static std::optional<ResourceId> Parse(std::string_view utf8);

    bool IsNumber() const { return isNumber_; }
    std::uint16_t Number() const { return number_; }
    const std::u16string& Text() const { return text_; }

    /// Whether the directory entry `entry` carries this id (texts compared as the loader does).
    bool Matches(const ExeResource& entry) const;
    /// The id as `Parse` reads it back: "#N" or the text, in UTF-8.
    std::string ToString() const;

    bool operator==(const ResourceId&) const = default;

  private:
    ResourceId() = default;
    bool isNumber_ = false;
    std::uint16_t number_ = 0;
    std::u16string text_;
};

/// One leaf's address in the three-level tree.
struct ResourceKey {
    ResourceId type;
    ResourceId name;
    std::uint16_t language = kDefaultResourceLanguage;
};

/// One of the usual type names and its number.
struct ResourceTypeName {
    std::uint16_t number;
    const char* name;
};

/// The usual type names, by number.
std::span<const ResourceTypeName> UsualResourceTypes();
/// The usual name of a numbered type ("ICON"), or null when it has none.
const char* UsualResourceTypeName(std::uint16_t number);

/// A type as typed: a decimal number, "#N", a usual name in any case (also with "RT_" in
/// front), "name:TEXT" for the text type TEXT even where it reads as one of those, or else a
/// text type of the user's. None when empty, not a valid number or not UTF-8.
std::optional<ResourceId> ParseResourceType(std::string_view utf8);
/// The type as ParseResourceType reads it back: a usual name, a number, the text, or
/// "name:TEXT" for a text type that would otherwise read as a number or a usual name.
std::string TypeAsTyped(const ResourceId& type);
/// A language as typed: decimal, or hexadecimal after "0x"; 0 to 65535.
std::optional<std::uint16_t> ParseResourceLanguage(std::string_view text);

}  // namespace resmelder
