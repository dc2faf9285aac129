#pragma once
// The version resource (resource type 16): its bytes read into a tree of blocks, edited, and
// written back with the lengths, alignment and block types the platform's version reader
// expects. Reading is bounded by the bytes given: every length is checked against what is
// there, nesting is limited, and the work grows with the size of the input only.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace resmelder {

/// One block: a header (total length, value length, type), a key, a value and child blocks.
struct VersionNode {
    static constexpr std::uint16_t kBinary = 0;
    static constexpr std::uint16_t kText = 1;

    std::u16string key;
    std::uint16_t type = kText;
    /// The value's bytes as stored: UTF-16LE with its terminator for text, raw for binary.
    std::vector<std::uint8_t> value;
    std::vector<VersionNode> children;
    /// Whether the block's length counts the padding after its last part, as some resource
    /// compilers write it (others stop at the last byte); kept so a block writes back as read.
    bool lengthCountsPadding = false;

    bool operator==(const VersionNode&) const = default;
};

/// Four 16-bit parts, written "A.B.C.D".
struct VersionNumber {
    std::array<std::uint16_t, 4> parts{};

    /// "1.2.3.4": exactly four decimal parts, each 0 to 65535; nothing else.
    static std::optional<VersionNumber> Parse(std::string_view text);
    std::string ToString() const;
    std::uint32_t High() const { return std::uint32_t{parts[0]} << 16 | parts[1]; }
    std::uint32_t Low() const { return std::uint32_t{parts[2]} << 16 | parts[3]; }
    static VersionNumber FromWords(std::uint32_t high, std::uint32_t low);

    bool operator==(const VersionNumber&) const = default;
};

/// The fixed part of the block: thirteen 32-bit words, the first the signature 0xFEEF04BD.
struct FixedFileInfo {
    static constexpr std::uint32_t kSignature = 0xFEEF04BD;
    static constexpr std::size_t kSize = 52;
    static constexpr std::uint32_t kFileTypeApp = 1;
    static constexpr std::uint32_t kFileTypeDll = 2;

    std::uint32_t signature = kSignature;
    std::uint32_t structVersion = 0x00010000;
    std::uint32_t fileVersionHigh = 0;
    std::uint32_t fileVersionLow = 0;
    std::uint32_t productVersionHigh = 0;
    std::uint32_t productVersionLow = 0;
    std::uint32_t fileFlagsMask = 0x3F;
    std::uint32_t fileFlags = 0;
    std::uint32_t fileOs = 0x00040004;  // NT, 32-bit Windows API
    std::uint32_t fileType = kFileTypeApp;
    std::uint32_t fileSubtype = 0;
    std::uint32_t fileDateHigh = 0;
    std::uint32_t fileDateLow = 0;

    VersionNumber FileVersion() const {
        return VersionNumber::FromWords(fileVersionHigh, fileVersionLow);
    }
    VersionNumber ProductVersion() const {
        return VersionNumber::FromWords(productVersionHigh, productVersionLow);
    }
    bool operator==(const FixedFileInfo&) const = default;
};

/// One language's string table, as read from the block.
struct VersionStringTable {
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    std::vector<std::pair<std::u16string, std::u16string>> strings;
};

/// A whole version resource. Blocks it does not know (other children, other values) are kept
/// and written back unchanged.
class VersionBlock {
  public:
    static constexpr std::uint16_t kDefaultLanguage = 0x0409;  // English (United States)
    static constexpr std::uint16_t kDefaultCodePage = 1200;    // Unicode
    /// Blocks nest four deep in a well-formed resource; deeper input is refused.
    static constexpr int kMaxDepth = 8;

    /// Reads a version resource. Nothing, with the reason in `error` (when given), for bytes
    /// that are not one: a length that runs past its parent, a key without its terminator,
    /// a fixed part without its signature, nesting too deep.
    static std::optional<VersionBlock> Parse(std::span<const std::uint8_t> bytes,
                                             std::string* error = nullptr);
    /// A new resource: fixed part with version 0.0.0.0 and the given file type, an empty
    /// string table for English (United States), Unicode, and that pair as its translation.
    static VersionBlock CreateDefault(std::uint32_t fileType);

    const VersionNode& Root() const { return root_; }
    const FixedFileInfo& Fixed() const { return fixed_; }

    void SetFileVersion(const VersionNumber& version);
    void SetProductVersion(const VersionNumber& version);

    /// Every string table, in the order they are stored.
    std::vector<VersionStringTable> StringTables() const;
    /// The value of `key` (compared without regard to ASCII case) in the table of language
    /// and code page given; nothing when the table or the key is missing.
    std::optional<std::u16string> String(std::uint16_t language, std::uint16_t codePage,
                                         std::u16string_view key) const;
    /// Sets `key` to `value` in the string table of every language present; a key already
    /// there (in any case) keeps its spelling, a new one of the standard keys (CompanyName,
    /// ProductName...) takes the standard spelling. With no table, one for English (United States),
    /// Unicode, is made first and added to the translation.
    void SetString(std::u16string_view key, std::u16string_view value);
    /// The translation pairs (language in the low word, code page in the high word).
    std::vector<std::uint32_t> Translations() const;

    /// The resource's bytes. Nothing, with the reason in `error`, when a block would be longer
    /// than its 16-bit length field can say.
    std::optional<std::vector<std::uint8_t>> Serialize(std::string* error = nullptr) const;

  private:
    VersionNode* StringFileInfo();
    VersionNode& EnsureChild(VersionNode& parent, std::u16string_view key, std::uint16_t type);
    void AddTranslation(std::uint16_t language, std::uint16_t codePage);
    void StoreFixed();

    VersionNode root_;
    FixedFileInfo fixed_;
    bool hasFixed_ = false;
};

/// What `resmelder set-version` changes: the fixed numbers and strings for every table.
struct VersionEdits {
    std::optional<VersionNumber> fileVersion;
    std::optional<VersionNumber> productVersion;
    std::vector<std::pair<std::u16string, std::u16string>> strings;  // key, value; in order
};

/// Applies the edits. A version number given also becomes the "FileVersion" or
/// "ProductVersion" text of every table, unless the edits set that string themselves, so the
/// numbers and the texts the platform shows never disagree.
void ApplyVersionEdits(VersionBlock& block, const VersionEdits& edits);

/// Bytes of UTF-16 text with its terminator, as a text block's value holds them.
std::vector<std::uint8_t> VersionTextValue(std::u16string_view text);
/// A text block's value without its terminator (and without anything after a first zero).
std::u16string VersionTextOf(const std::vector<std::uint8_t>& value);

}  // namespace resmelder
