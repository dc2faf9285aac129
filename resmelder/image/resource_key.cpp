#include "image/resource_key.h"

#include <algorithm>
#include <charconv>
#include <iterator>

#include "image/exe_resource.h"
#include "image/resource_name.h"
#include "support/encoding.h"

namespace resmelder {
namespace {

constexpr ResourceTypeName kUsualTypes[] = {
    {resource_type::kCursor, "CURSOR"},
    {resource_type::kBitmap, "BITMAP"},
    {resource_type::kIcon, "ICON"},
    {resource_type::kMenu, "MENU"},
    {resource_type::kDialog, "DIALOG"},
    {resource_type::kString, "STRING"},
    {resource_type::kFontDir, "FONTDIR"},
    {resource_type::kFont, "FONT"},
    {resource_type::kAccelerator, "ACCELERATOR"},
    {resource_type::kRcdata, "RCDATA"},
    {resource_type::kMessageTable, "MESSAGETABLE"},
    {resource_type::kGroupCursor, "GROUP_CURSOR"},
    {resource_type::kGroupIcon, "GROUP_ICON"},
    {resource_type::kVersion, "VERSION"},
    {resource_type::kDlgInclude, "DLGINCLUDE"},
    {resource_type::kPlugPlay, "PLUGPLAY"},
    {resource_type::kVxd, "VXD"},
    {resource_type::kAniCursor, "ANICURSOR"},
    {resource_type::kAniIcon, "ANIICON"},
    {resource_type::kHtml, "HTML"},
    {resource_type::kManifest, "MANIFEST"},
};

// A whole decimal or hexadecimal number of at most 16 bits.
std::optional<std::uint16_t> Parse16(std::string_view digits, int base) {
    if (digits.empty()) {
        return std::nullopt;
    }
    unsigned value = 0;
    const char* end = digits.data() + digits.size();
    const auto result = std::from_chars(digits.data(), end, value, base);
    if (result.ec != std::errc{} || result.ptr != end || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 32) : c; };
               return up(x) == up(y);
           });
}

}  // namespace

ResourceId ResourceId::Number(std::uint16_t number) {
    ResourceId id;
    id.isNumber_ = true;
    id.number_ = number;
    return id;
}

ResourceId ResourceId::Text(std::u16string_view text) {
    ResourceId id;
    id.text_ = UpcaseResourceName(text);
    return id;
}

std::optional<ResourceId> ResourceId::Parse(std::string_view utf8) {
    if (utf8.empty()) {
        return std::nullopt;
    }
    if (utf8.front() == '#') {
        // The loader reads "#N" as the number N; a "#" text could never be looked up.
        const auto number = AllDigits(utf8.substr(1)) ? Parse16(utf8.substr(1), 10) : std::nullopt;
        if (!number) {
            return std::nullopt;
        }
        return Number(*number);
    }
    std::u16string text;
    if (!EncodingConvert::Utf8ToUtf16(utf8, text)) {
        return std::nullopt;
    }
    return Text(text);
}

bool ResourceId::Matches(const ExeResource& entry) const {
    if (isNumber_) {
        return !entry.IsNamed() && entry.Id() == number_;
    }
    return entry.IsNamed() && ResourceNamesMatch(entry.Name16(), text_);
}

std::string ResourceId::ToString() const {
    if (isNumber_) {
        return "#" + std::to_string(number_);
    }
    std::string utf8;
    EncodingConvert::Utf16ToUtf8(text_, utf8);
    return utf8;
}

std::span<const ResourceTypeName> UsualResourceTypes() {
    return kUsualTypes;
}

const char* UsualResourceTypeName(std::uint16_t number) {
    for (const auto& type : kUsualTypes) {
        if (type.number == number) {
            return type.name;
        }
    }
    return nullptr;
}

std::optional<ResourceId> ParseResourceType(std::string_view utf8) {
    // A user's type called "ICON" or "123" can only be reached by saying it is a name.
    constexpr std::string_view kNamePrefix = "name:";
    if (utf8.size() > kNamePrefix.size() &&
        EqualsIgnoringAsciiCase(utf8.substr(0, kNamePrefix.size()), kNamePrefix)) {
        const std::string_view text = utf8.substr(kNamePrefix.size());
        std::u16string wide;
        // The loader reads a "#" text as a number, so no such type can be looked up.
        if (text.front() == '#' || !EncodingConvert::Utf8ToUtf16(text, wide)) {
            return std::nullopt;
        }
        return ResourceId::Text(wide);
    }
    if (AllDigits(utf8)) {
        const auto number = Parse16(utf8, 10);
        return number ? std::optional(ResourceId::Number(*number)) : std::nullopt;
    }
    std::string_view bare = utf8;
    if (bare.size() > 3 && EqualsIgnoringAsciiCase(bare.substr(0, 3), "RT_")) {
        bare.remove_prefix(3);
    }
    for (const auto& type : kUsualTypes) {
        if (EqualsIgnoringAsciiCase(bare, type.name)) {
            return ResourceId::Number(type.number);
        }
    }
    return ResourceId::Parse(utf8);
}

std::string TypeAsTyped(const ResourceId& type) {
    if (type.IsNumber()) {
        const char* usual = UsualResourceTypeName(type.Number());
        return usual != nullptr ? usual : std::to_string(type.Number());
    }
    const std::string text = type.ToString();
    const auto reread = ParseResourceType(text);
    return reread && *reread == type ? text : "name:" + text;
}

std::optional<std::uint16_t> ParseResourceLanguage(std::string_view text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return Parse16(text.substr(2), 16);
    }
    return AllDigits(text) ? Parse16(text, 10) : std::nullopt;
}

}  // namespace resmelder
