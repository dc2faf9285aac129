#include "image/version_block.h"

#include <algorithm>
#include <charconv>

#include "portable/little_endian.h"
#include "support/byte_reader.h"

namespace resmelder {
namespace {

constexpr std::size_t kHeaderSize = 6;  // length, value length, type: three 16-bit words
constexpr std::u16string_view kRootKey = u"VS_VERSION_INFO";
constexpr std::u16string_view kStringFileInfo = u"StringFileInfo";
constexpr std::u16string_view kVarFileInfo = u"VarFileInfo";
constexpr std::u16string_view kTranslation = u"Translation";

// The strings the platform's file properties show, spelled as they know them.
constexpr std::u16string_view kStandardKeys[] = {
    u"Comments",     u"CompanyName",    u"FileDescription", u"FileVersion",
    u"InternalName", u"LegalCopyright", u"LegalTrademarks", u"OriginalFilename",
    u"PrivateBuild", u"ProductName",    u"ProductVersion",  u"SpecialBuild"};

std::size_t AlignUp4(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The platform's version reader matches keys without regard to case.
bool KeyEquals(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](auto x, auto y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

void SetError(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
}

class VersionParser {
  public:
    VersionParser(std::span<const std::uint8_t> bytes, std::string* error)
        : reader_(bytes), error_(error) {}

    // Reads the block at `at`, which must end by `limit`.
    std::optional<VersionNode> ReadNode(std::size_t at, std::size_t limit, int depth) {
        if (depth > VersionBlock::kMaxDepth) {
            return Fail("version blocks nest too deep", at);
        }
        const auto length = reader_.U16(at);
        const auto valueLength = reader_.U16(at + 2);
        const auto type = reader_.U16(at + 4);
        if (!length || !valueLength || !type || at + kHeaderSize > limit) {
            return Fail("version block header cut short", at);
        }
        if (*length < kHeaderSize || *length > limit - at) {
            return Fail(
                "version block length " + std::to_string(*length) + " does not fit its place", at);
        }
        const std::size_t end = at + *length;

        VersionNode node;
        node.type = *type;
        std::size_t cursor = at + kHeaderSize;
        for (;;) {
            const auto unit = cursor + 2 <= end ? reader_.U16(cursor) : std::nullopt;
            if (!unit) {
                return Fail("version block key without its terminator", at);
            }
            cursor += 2;
            if (*unit == 0) {
                break;
            }
            node.key.push_back(static_cast<char16_t>(*unit));
        }

        const std::size_t valueStart = std::min(AlignUp4(cursor), end);
        std::size_t valueSize =
            node.type == VersionNode::kText ? std::size_t{*valueLength} * 2 : *valueLength;
        if (valueSize > end - valueStart) {
            // Some writers count a text value in bytes rather than characters; the block's
            // own length bounds it either way.
            if (node.type != VersionNode::kText) {
                return Fail("version block value runs past its block", at);
            }
            valueSize = (end - valueStart) & ~std::size_t{1};  // whole characters
        }
        const auto value = reader_.Bytes(valueStart, valueSize);
        node.value.assign(value->begin(), value->end());

        std::size_t contentEnd = valueStart + valueSize;
        std::size_t child = AlignUp4(contentEnd);
        while (child < end && end - child >= kHeaderSize) {
            const auto childLength = reader_.U16(child);
            if (*childLength == 0) {
                break;  // zero padding after the last child
            }
            auto read = ReadNode(child, end, depth + 1);
            if (!read) {
                return std::nullopt;
            }
            node.children.push_back(std::move(*read));
            contentEnd = child + *childLength;
            child = AlignUp4(contentEnd);
        }
        node.lengthCountsPadding = end > contentEnd && end == AlignUp4(contentEnd);
        return node;
    }

  private:
    std::optional<VersionNode> Fail(const std::string& what, std::size_t at) {
        SetError(error_, what + " (at offset " + std::to_string(at) + ")");
        return std::nullopt;
    }

    ByteReader reader_;
    std::string* error_;
};

class VersionWriter {
  public:
    explicit VersionWriter(std::string* error) : error_(error) {}

    bool Write(const VersionNode& node) {
        Pad();
        const std::size_t start = out_.size();
        out_.resize(start + kHeaderSize);
        for (char16_t c : node.key) {
            Put16(c);
        }
        Put16(0);
        Pad();
        out_.insert(out_.end(), node.value.begin(), node.value.end());
        for (const VersionNode& child : node.children) {
            if (!Write(child)) {
                return false;
            }
        }
        if (node.lengthCountsPadding) {
            Pad();
        }
        const std::size_t length = out_.size() - start;
        const std::size_t valueLength =
            node.type == VersionNode::kText ? node.value.size() / 2 : node.value.size();
        if (length > 0xFFFF || valueLength > 0xFFFF) {
            SetError(error_, "version block \"" + Narrow(node.key) + "\" is " +
                                 std::to_string(length) +
                                 " bytes long, more than its length field can hold");
            return false;
        }
        StoreU16(out_.data() + start, static_cast<std::uint16_t>(length));
        StoreU16(out_.data() + start + 2, static_cast<std::uint16_t>(valueLength));
        StoreU16(out_.data() + start + 4, node.type);
        return true;
    }

    std::vector<std::uint8_t> Take() { return std::move(out_); }

  private:
    static std::string Narrow(std::u16string_view key) {
        std::string out;
        for (char16_t c : key) {
            out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        }
        return out;
    }
    void Put16(std::uint16_t v) { common::AppendLe16(out_, v); }
    void Pad() { out_.resize(AlignUp4(out_.size()), 0); }

    std::vector<std::uint8_t> out_;
    std::string* error_;
};

std::optional<std::pair<std::uint16_t, std::uint16_t>> ParseTableKey(std::u16string_view key) {
    if (key.size() != 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char16_t c : key) {
        const char16_t lower = AsciiLower(c);
        std::uint32_t digit = 0;
        if (lower >= u'0' && lower <= u'9') {
            digit = lower - u'0';
        } else if (lower >= u'a' && lower <= u'f') {
            digit = lower - u'a' + 10;
        } else {
            return std::nullopt;
        }
        value = value << 4 | digit;
    }
    return std::pair{static_cast<std::uint16_t>(value >> 16),
                     static_cast<std::uint16_t>(value & 0xFFFF)};
}

std::u16string TableKey(std::uint16_t language, std::uint16_t codePage) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    const std::uint32_t value = std::uint32_t{language} << 16 | codePage;
    std::u16string key(8, u'0');
    for (int i = 0; i < 8; ++i) {
        key[7 - i] = kHex[(value >> (4 * i)) & 0xF];
    }
    return key;
}

FixedFileInfo ReadFixed(std::span<const std::uint8_t> value) {
    const ByteReader reader(value);
    const auto at = [&](std::size_t word) { return *reader.U32(word * 4); };
    FixedFileInfo fixed;
    fixed.signature = at(0);
    fixed.structVersion = at(1);
    fixed.fileVersionHigh = at(2);
    fixed.fileVersionLow = at(3);
    fixed.productVersionHigh = at(4);
    fixed.productVersionLow = at(5);
    fixed.fileFlagsMask = at(6);
    fixed.fileFlags = at(7);
    fixed.fileOs = at(8);
    fixed.fileType = at(9);
    fixed.fileSubtype = at(10);
    fixed.fileDateHigh = at(11);
    fixed.fileDateLow = at(12);
    return fixed;
}

VersionNode* FindChild(VersionNode& parent, std::u16string_view key) {
    for (VersionNode& child : parent.children) {
        if (KeyEquals(child.key, key)) {
            return &child;
        }
    }
    return nullptr;
}

const VersionNode* FindChild(const VersionNode& parent, std::u16string_view key) {
    return FindChild(const_cast<VersionNode&>(parent), key);
}

}  // namespace

std::optional<VersionNumber> VersionNumber::Parse(std::string_view text) {
    VersionNumber number;
    std::size_t at = 0;
    for (std::size_t part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.') {
                return std::nullopt;
            }
            ++at;
        }
        const std::size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
            ++at;
        }
        unsigned value = 0;
        const auto [end, status] = std::from_chars(text.data() + start, text.data() + at, value);
        if (at == start || status != std::errc() || end != text.data() + at || value > 0xFFFF) {
            return std::nullopt;
        }
        number.parts[part] = static_cast<std::uint16_t>(value);
    }
    if (at != text.size()) {
        return std::nullopt;
    }
    return number;
}

std::string VersionNumber::ToString() const {
    return std::to_string(parts[0]) + "." + std::to_string(parts[1]) + "." +
           std::to_string(parts[2]) + "." + std::to_string(parts[3]);
}

VersionNumber VersionNumber::FromWords(std::uint32_t high, std::uint32_t low) {
    VersionNumber number;
    number.parts = {static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high),
                    static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low)};
    return number;
}

std::vector<std::uint8_t> VersionTextValue(std::u16string_view text) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        common::AppendLe16(bytes, c);
    }
    common::AppendLe16(bytes, 0);
    return bytes;
}

std::u16string VersionTextOf(const std::vector<std::uint8_t>& value) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
        const auto c = static_cast<char16_t>(value[i] | value[i + 1] << 8);
        if (c == 0) {
            break;
        }
        text.push_back(c);
    }
    return text;
}

std::optional<VersionBlock> VersionBlock::Parse(std::span<const std::uint8_t> bytes,
                                                std::string* error) {
    VersionParser parser(bytes, error);
    auto root = parser.ReadNode(0, bytes.size(), 0);
    if (!root) {
        return std::nullopt;
    }
    if (root->key != kRootKey) {
        SetError(error, "not a version resource (its first block is not VS_VERSION_INFO)");
        return std::nullopt;
    }
    VersionBlock block;
    if (!root->value.empty()) {
        if (root->value.size() < FixedFileInfo::kSize) {
            SetError(error, "version resource with a fixed part of " +
                                std::to_string(root->value.size()) + " bytes");
            return std::nullopt;
        }
        block.fixed_ = ReadFixed(root->value);
        if (block.fixed_.signature != FixedFileInfo::kSignature) {
            SetError(error, "version resource whose fixed part lacks its signature");
            return std::nullopt;
        }
        block.hasFixed_ = true;
    }
    block.root_ = std::move(*root);
    return block;
}

VersionBlock VersionBlock::CreateDefault(std::uint32_t fileType) {
    VersionBlock block;
    block.root_.key = kRootKey;
    block.root_.type = VersionNode::kBinary;
    block.fixed_.fileType = fileType;
    block.StoreFixed();
    VersionNode& strings = block.EnsureChild(block.root_, kStringFileInfo, VersionNode::kText);
    block.EnsureChild(strings, TableKey(kDefaultLanguage, kDefaultCodePage), VersionNode::kText);
    block.AddTranslation(kDefaultLanguage, kDefaultCodePage);
    return block;
}

void VersionBlock::SetFileVersion(const VersionNumber& version) {
    fixed_.fileVersionHigh = version.High();
    fixed_.fileVersionLow = version.Low();
    StoreFixed();
}

void VersionBlock::SetProductVersion(const VersionNumber& version) {
    fixed_.productVersionHigh = version.High();
    fixed_.productVersionLow = version.Low();
    StoreFixed();
}

void VersionBlock::StoreFixed() {
    const std::uint32_t words[] = {
        fixed_.signature,      fixed_.structVersion,      fixed_.fileVersionHigh,
        fixed_.fileVersionLow, fixed_.productVersionHigh, fixed_.productVersionLow,
        fixed_.fileFlagsMask,  fixed_.fileFlags,          fixed_.fileOs,
        fixed_.fileType,       fixed_.fileSubtype,        fixed_.fileDateHigh,
        fixed_.fileDateLow};
    // A longer fixed part keeps its extra bytes; a block without one gets it now.
    root_.value.resize(std::max(root_.value.size(), FixedFileInfo::kSize));
    for (std::size_t i = 0; i < std::size(words); ++i) {
        StoreU32(root_.value.data() + i * 4, words[i]);
    }
    root_.type = VersionNode::kBinary;
    hasFixed_ = true;
}

VersionNode* VersionBlock::StringFileInfo() {
    return FindChild(root_, kStringFileInfo);
}

VersionNode& VersionBlock::EnsureChild(VersionNode& parent, std::u16string_view key,
                                       std::uint16_t type) {
    if (VersionNode* found = FindChild(parent, key)) {
        return *found;
    }
    VersionNode node;
    node.key = key;
    node.type = type;
    // The string tables come before the translation, as resource compilers write them.
    auto place = parent.children.end();
    if (&parent == &root_ && KeyEquals(key, kStringFileInfo)) {
        place = std::find_if(parent.children.begin(), parent.children.end(),
                             [](const VersionNode& n) { return KeyEquals(n.key, kVarFileInfo); });
    }
    return *parent.children.insert(place, std::move(node));
}

std::vector<VersionStringTable> VersionBlock::StringTables() const {
    std::vector<VersionStringTable> tables;
    const VersionNode* strings = FindChild(root_, kStringFileInfo);
    if (strings == nullptr) {
        return tables;
    }
    for (const VersionNode& table : strings->children) {
        const auto pair = ParseTableKey(table.key);
        if (!pair) {
            continue;
        }
        VersionStringTable read;
        read.language = pair->first;
        read.codePage = pair->second;
        for (const VersionNode& entry : table.children) {
            read.strings.emplace_back(entry.key, VersionTextOf(entry.value));
        }
        tables.push_back(std::move(read));
    }
    return tables;
}

std::optional<std::u16string> VersionBlock::String(std::uint16_t language, std::uint16_t codePage,
                                                   std::u16string_view key) const {
    const VersionNode* strings = FindChild(root_, kStringFileInfo);
    if (strings == nullptr) {
        return std::nullopt;
    }
    for (const VersionNode& table : strings->children) {
        if (ParseTableKey(table.key) != std::pair{language, codePage}) {
            continue;
        }
        if (const VersionNode* entry = FindChild(table, key)) {
            return VersionTextOf(entry->value);
        }
    }
    return std::nullopt;
}

void VersionBlock::SetString(std::u16string_view key, std::u16string_view value) {
    // A new key typed in another case ("companyname") takes the standard spelling.
    for (std::u16string_view standard : kStandardKeys) {
        if (KeyEquals(key, standard)) {
            key = standard;
        }
    }
    VersionNode& strings = EnsureChild(root_, kStringFileInfo, VersionNode::kText);
    if (strings.children.empty()) {
        EnsureChild(strings, TableKey(kDefaultLanguage, kDefaultCodePage), VersionNode::kText);
    }
    for (VersionNode& table : strings.children) {
        VersionNode& entry = EnsureChild(table, key, VersionNode::kText);
        entry.type = VersionNode::kText;
        entry.value = VersionTextValue(value);
        entry.children.clear();
    }
    // Every table the strings went into is announced in the translation.
    for (const VersionNode& table : strings.children) {
        if (const auto pair = ParseTableKey(table.key)) {
            AddTranslation(pair->first, pair->second);
        }
    }
}

std::vector<std::uint32_t> VersionBlock::Translations() const {
    std::vector<std::uint32_t> pairs;
    const VersionNode* vars = FindChild(root_, kVarFileInfo);
    const VersionNode* translation = vars ? FindChild(*vars, kTranslation) : nullptr;
    if (translation == nullptr) {
        return pairs;
    }
    const ByteReader reader(translation->value);
    for (std::size_t at = 0; reader.Has(at, 4); at += 4) {
        pairs.push_back(*reader.U32(at));
    }
    return pairs;
}

void VersionBlock::AddTranslation(std::uint16_t language, std::uint16_t codePage) {
    const std::uint32_t pair = std::uint32_t{codePage} << 16 | language;
    const auto present = Translations();
    if (std::find(present.begin(), present.end(), pair) != present.end()) {
        return;
    }
    VersionNode& vars = EnsureChild(root_, kVarFileInfo, VersionNode::kText);
    VersionNode& translation = EnsureChild(vars, kTranslation, VersionNode::kBinary);
    translation.type = VersionNode::kBinary;
    translation.value.resize(translation.value.size() / 4 * 4);  // whole pairs only
    const std::size_t at = translation.value.size();
    translation.value.resize(at + 4);
    StoreU32(translation.value.data() + at, pair);
}

std::optional<std::vector<std::uint8_t>> VersionBlock::Serialize(std::string* error) const {
    VersionWriter writer(error);
    if (!writer.Write(root_)) {
        return std::nullopt;
    }
    return writer.Take();
}

void ApplyVersionEdits(VersionBlock& block, const VersionEdits& edits) {
    const auto givenAsString = [&](std::u16string_view key) {
        return std::any_of(edits.strings.begin(), edits.strings.end(),
                           [&](const auto& entry) { return KeyEquals(entry.first, key); });
    };
    const auto asText = [](const VersionNumber& number) {
        const std::string narrow = number.ToString();
        return std::u16string(narrow.begin(), narrow.end());
    };
    if (edits.fileVersion) {
        block.SetFileVersion(*edits.fileVersion);
        if (!givenAsString(u"FileVersion")) {
            block.SetString(u"FileVersion", asText(*edits.fileVersion));
        }
    }
    if (edits.productVersion) {
        block.SetProductVersion(*edits.productVersion);
        if (!givenAsString(u"ProductVersion")) {
            block.SetString(u"ProductVersion", asText(*edits.productVersion));
        }
    }
    for (const auto& [key, value] : edits.strings) {
        block.SetString(key, value);
    }
}

}  // namespace resmelder
