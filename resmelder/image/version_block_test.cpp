// The version block codec on blocks built by hand here (a builder of its own, independent of
// the writer under test): reading, editing, writing, and refusing hostile bytes.

#include "image/version_block.h"
#include "testing/stopwatch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "portable/little_endian.h"

namespace resmelder {
namespace {

using common::AppendLe16;
using common::AppendLe32;

using Bytes = std::vector<std::uint8_t>;

void Align(Bytes& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

// A block in the layout resource compilers write: header, key, padding, value, padding,
// children; the length counts up to the end of the last child, not its padding.
Bytes Block(std::u16string_view key, std::uint16_t type, std::uint16_t valueLengthField,
            const Bytes& value, const std::vector<Bytes>& children = {}) {
    Bytes out(6);
    for (char16_t c : key) {
        AppendLe16(out, c);
    }
    AppendLe16(out, 0);
    Align(out);
    out.insert(out.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        Align(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    out[0] = static_cast<std::uint8_t>(out.size());
    out[1] = static_cast<std::uint8_t>(out.size() >> 8);
    out[2] = static_cast<std::uint8_t>(valueLengthField);
    out[3] = static_cast<std::uint8_t>(valueLengthField >> 8);
    out[4] = static_cast<std::uint8_t>(type);
    out[5] = 0;
    return out;
}

Bytes Text(std::u16string_view text) {
    Bytes out;
    for (char16_t c : text) {
        AppendLe16(out, c);
    }
    AppendLe16(out, 0);
    return out;
}

Bytes StringEntry(std::u16string_view key, std::u16string_view value) {
    return Block(key, 1, static_cast<std::uint16_t>(value.size() + 1), Text(value));
}

Bytes Fixed(std::uint32_t fileHigh, std::uint32_t fileLow, std::uint32_t productHigh,
            std::uint32_t productLow, std::uint32_t fileType = 1) {
    Bytes out;
    for (std::uint32_t w : {0xFEEF04BDu, 0x00010000u, fileHigh, fileLow, productHigh, productLow,
                            0x3Fu, 0u, 0x40004u, fileType, 0u, 0u, 0u}) {
        AppendLe32(out, w);
    }
    return out;
}

Bytes Translation(std::vector<std::uint32_t> pairs) {
    Bytes value;
    for (auto p : pairs) {
        AppendLe32(value, p);
    }
    return Block(u"VarFileInfo", 1, 0, {},
                 {Block(u"Translation", 0, static_cast<std::uint16_t>(value.size()), value)});
}

// Two languages (English and French, the French table's key in lower case), as a
// multilingual program carries them.
Bytes TwoLanguages() {
    const Bytes english = Block(
        u"040904B0", 1, 0, {},
        {StringEntry(u"CompanyName", u"Acme"), StringEntry(u"FileDescription", u"Widget tool"),
         StringEntry(u"FileVersion", u"1.2.3.4")});
    const Bytes french = Block(u"040c04b0", 1, 0, {},
                               {StringEntry(u"CompanyName", u"Acmé"),
                                StringEntry(u"FileDescription", u"Outil à gadgets")});
    return Block(u"VS_VERSION_INFO", 0, 52, Fixed(0x00010002, 0x00030004, 0x00050006, 0x00070008),
                 {Block(u"StringFileInfo", 1, 0, {}, {english, french}),
                  Translation({0x04B00409, 0x04B0040C})});
}

VersionBlock MustParse(const Bytes& bytes) {
    std::string error;
    auto block = VersionBlock::Parse(bytes, &error);
    EXPECT_TRUE(block) << error;
    return block ? *block : VersionBlock::CreateDefault(1);
}

TEST(VersionNumberTest, ParsesExactlyFourDecimalParts) {
    EXPECT_EQ(VersionNumber::Parse("1.2.3.4")->parts, (std::array<std::uint16_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(VersionNumber::Parse("65535.0.007.10")->parts,
              (std::array<std::uint16_t, 4>{65535, 0, 7, 10}));
    for (const char* bad :
         {"", "1.2.3", "1.2.3.4.5", "1.2.3.4.", ".1.2.3", "1..2.3", "65536.0.0.0", "1.2.3.-4",
          "+1.2.3.4", " 1.2.3.4", "1.2.3.4 ", "1,2,3,4", "a.b.c.d", "99999999999999999999.1.1.1"}) {
        EXPECT_FALSE(VersionNumber::Parse(bad)) << bad;
    }
    EXPECT_EQ(VersionNumber::Parse("10.20.30.40")->ToString(), "10.20.30.40");
}

TEST(VersionBlockTest, ReadsFixedPartTablesAndTranslation) {
    const VersionBlock block = MustParse(TwoLanguages());
    EXPECT_EQ(block.Fixed().FileVersion().ToString(), "1.2.3.4");
    EXPECT_EQ(block.Fixed().ProductVersion().ToString(), "5.6.7.8");
    const auto tables = block.StringTables();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[1].language, 0x040C);
    EXPECT_EQ(tables[1].codePage, 1200);
    EXPECT_EQ(block.String(0x040C, 1200, u"FileDescription"), u"Outil à gadgets");
    EXPECT_EQ(block.String(0x0409, 1200, u"companyname"), u"Acme");
    EXPECT_FALSE(block.String(0x0407, 1200, u"CompanyName"));
    EXPECT_EQ(block.Translations(), (std::vector<std::uint32_t>{0x04B00409, 0x04B0040C}));
}

TEST(VersionBlockTest, WritesBackTheBytesItRead) {
    const Bytes original = TwoLanguages();
    EXPECT_EQ(MustParse(original).Serialize(), original);
}

TEST(VersionBlockTest, SetsStringsInEveryLanguageKeepingTheKeysSpelling) {
    VersionBlock block = MustParse(TwoLanguages());
    block.SetString(u"companyNAME", u"Société Générale");
    block.SetString(u"legalcopyright", u"© 2026 Ünïcødé");
    block.SetString(u"My Own Key", u"kept as typed");
    const VersionBlock reread = MustParse(*block.Serialize());
    for (const auto& table : reread.StringTables()) {
        ASSERT_GE(table.strings.size(), 3u);
        EXPECT_EQ(table.strings[0].first, u"CompanyName");
        EXPECT_EQ(table.strings[0].second, u"Société Générale");
        // A new standard key takes its standard spelling; a key of the user's stays as typed.
        EXPECT_EQ(table.strings[table.strings.size() - 2].first, u"LegalCopyright");
        EXPECT_EQ(table.strings[table.strings.size() - 2].second, u"© 2026 Ünïcødé");
        EXPECT_EQ(table.strings.back().first, u"My Own Key");
    }
    EXPECT_EQ(reread.String(0x040C, 1200, u"FileDescription"), u"Outil à gadgets");
    // Both tables were announced already: nothing is added.
    EXPECT_EQ(reread.Translations(), (std::vector<std::uint32_t>{0x04B00409, 0x04B0040C}));
}

TEST(VersionBlockTest, VersionNumbersAlsoBecomeTheVersionTexts) {
    VersionBlock block = MustParse(TwoLanguages());
    VersionEdits edits;
    edits.fileVersion = VersionNumber::Parse("2.0.0.17");
    edits.productVersion = VersionNumber::Parse("2.1.0.0");
    edits.strings.emplace_back(u"productversion", u"2.1 beta");
    ApplyVersionEdits(block, edits);
    const VersionBlock reread = MustParse(*block.Serialize());
    EXPECT_EQ(reread.Fixed().FileVersion().ToString(), "2.0.0.17");
    EXPECT_EQ(reread.Fixed().ProductVersion().ToString(), "2.1.0.0");
    for (const std::uint16_t language : {std::uint16_t{0x0409}, std::uint16_t{0x040C}}) {
        EXPECT_EQ(reread.String(language, 1200, u"FileVersion"), u"2.0.0.17");
        // The text the user gave wins over the number's.
        EXPECT_EQ(reread.String(language, 1200, u"ProductVersion"), u"2.1 beta");
    }
    // The rest of the fixed part is untouched.
    EXPECT_EQ(reread.Fixed().fileOs, 0x40004u);
    EXPECT_EQ(reread.Fixed().fileFlagsMask, 0x3Fu);
}

TEST(VersionBlockTest, AStringWithoutTablesMakesTheDefaultTableAndItsTranslation) {
    // Only the fixed part and a translation for another language.
    const Bytes bytes =
        Block(u"VS_VERSION_INFO", 0, 52, Fixed(0, 0, 0, 0), {Translation({0x04E40407})});
    VersionBlock block = MustParse(bytes);
    block.SetString(u"ProductName", u"Widget");
    const VersionBlock reread = MustParse(*block.Serialize());
    ASSERT_EQ(reread.Root().children.size(), 2u);
    EXPECT_EQ(reread.Root().children[0].key, u"StringFileInfo");  // before VarFileInfo
    EXPECT_EQ(reread.Root().children[0].children[0].key, u"040904B0");
    EXPECT_EQ(reread.String(0x0409, 1200, u"ProductName"), u"Widget");
    EXPECT_EQ(reread.Translations(), (std::vector<std::uint32_t>{0x04E40407, 0x04B00409}));
}

TEST(VersionBlockTest, AFixedPartIsAddedWhereThereWasNone) {
    const Bytes bytes = Block(u"VS_VERSION_INFO", 0, 0, {}, {Translation({0x04B00409})});
    VersionBlock block = MustParse(bytes);
    block.SetFileVersion(*VersionNumber::Parse("3.4.5.6"));
    const VersionBlock reread = MustParse(*block.Serialize());
    EXPECT_EQ(reread.Fixed().FileVersion().ToString(), "3.4.5.6");
    EXPECT_EQ(reread.Fixed().signature, FixedFileInfo::kSignature);
    EXPECT_EQ(reread.Translations(), (std::vector<std::uint32_t>{0x04B00409}));
}

TEST(VersionBlockTest, CreatesAWholeBlock) {
    VersionBlock block = VersionBlock::CreateDefault(FixedFileInfo::kFileTypeDll);
    VersionEdits edits;
    edits.fileVersion = VersionNumber::Parse("1.0.0.1");
    edits.strings.emplace_back(u"CompanyName", u"Vantrix");
    ApplyVersionEdits(block, edits);
    const auto bytes = block.Serialize();
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size() % 4, 0u);  // every block here ends on a whole character
    const VersionBlock reread = MustParse(*bytes);
    EXPECT_EQ(reread.Fixed().fileType, FixedFileInfo::kFileTypeDll);
    EXPECT_EQ(reread.Fixed().FileVersion().ToString(), "1.0.0.1");
    EXPECT_EQ(reread.Fixed().ProductVersion().ToString(), "0.0.0.0");
    EXPECT_EQ(reread.String(0x0409, 1200, u"CompanyName"), u"Vantrix");
    EXPECT_EQ(reread.String(0x0409, 1200, u"FileVersion"), u"1.0.0.1");
    EXPECT_EQ(reread.Translations(), (std::vector<std::uint32_t>{0x04B00409}));
    // The block types the platform's reader expects: binary root and translation, text
    // string blocks.
    EXPECT_EQ(reread.Root().type, VersionNode::kBinary);
    EXPECT_EQ(reread.Root().children[0].type, VersionNode::kText);
    EXPECT_EQ(reread.Root().children[1].children[0].type, VersionNode::kBinary);
    // The lengths in the header: the whole block, and 52 for the fixed part.
    EXPECT_EQ((*bytes)[0] | (*bytes)[1] << 8, static_cast<int>(bytes->size()));
    EXPECT_EQ((*bytes)[2] | (*bytes)[3] << 8, 52);
}

TEST(VersionBlockTest, TextValueLengthCountsCharactersWithTheTerminator) {
    VersionBlock block = VersionBlock::CreateDefault(1);
    block.SetString(u"A", u"xyz");
    const Bytes bytes = *block.Serialize();
    const VersionBlock reread = MustParse(bytes);
    const VersionNode& entry = reread.Root().children[0].children[0].children[0];
    EXPECT_EQ(entry.key, u"A");
    EXPECT_EQ(entry.value, Text(u"xyz"));
    // Header of that string block, found by its key.
    const Bytes key = Text(u"A");
    auto at = std::search(bytes.begin(), bytes.end(), key.begin(), key.end());
    ASSERT_NE(at, bytes.end());
    const std::size_t start = static_cast<std::size_t>(at - bytes.begin()) - 6;
    EXPECT_EQ(start % 4, 0u);
    EXPECT_EQ(bytes[start + 2], 4);  // "xyz" and its terminator
    EXPECT_EQ(bytes[start + 4], 1);  // text
}

TEST(VersionBlockTest, RefusesABlockLongerThanItsLengthField) {
    VersionBlock block = VersionBlock::CreateDefault(1);
    block.SetString(u"Comments", std::u16string(40000, u'x'));
    std::string error;
    EXPECT_FALSE(block.Serialize(&error));
    EXPECT_NE(error.find("more than its length field can hold"), std::string::npos) << error;
}

// Hostile bytes: each is refused with a reason, never read outside the input.
struct HostileCase {
    const char* what;
    Bytes bytes;
    const char* reason;
};

std::vector<HostileCase> HostileCases() {
    std::vector<HostileCase> cases;
    Bytes longer = TwoLanguages();
    longer[0] = 0xFF;
    longer[1] = 0xFF;
    cases.push_back({"length past the input", longer, "does not fit its place"});

    Bytes keyCut = Block(u"VS_VERSION_INFO", 0, 0, {});
    keyCut.resize(10);
    keyCut[0] = 10;
    cases.push_back({"key without terminator", keyCut, "without its terminator"});

    cases.push_back({"too short", Bytes{4, 0, 0}, "cut short"});

    Bytes deep = StringEntry(u"leaf", u"v");
    for (int i = 0; i < 12; ++i) {
        deep = Block(u"n", 1, 0, {}, {deep});
    }
    cases.push_back({"nested too deep", Block(u"VS_VERSION_INFO", 0, 52, Fixed(0, 0, 0, 0), {deep}),
                     "too deep"});

    Bytes tiny = Block(u"VS_VERSION_INFO", 0, 52, Fixed(0, 0, 0, 0), {Bytes{2, 0, 0, 0, 0, 0}});
    cases.push_back({"child length below its header", tiny, "does not fit its place"});

    Bytes binaryPast = Block(u"VS_VERSION_INFO", 0, 0xFFF0, Fixed(0, 0, 0, 0));
    cases.push_back({"binary value past its block", binaryPast, "value runs past"});

    Bytes signature = TwoLanguages();
    signature[40] ^= 0xFF;  // the fixed part starts at 40, after the 32-byte key at 6
    cases.push_back({"fixed part without signature", signature, "signature"});

    cases.push_back({"another root key", Block(u"VS_VERSION_INFQ", 0, 52, Fixed(0, 0, 0, 0)),
                     "not a version resource"});
    cases.push_back({"short fixed part", Block(u"VS_VERSION_INFO", 0, 20, Bytes(20, 0)),
                     "fixed part of 20 bytes"});
    return cases;
}

TEST(VersionBlockHostileTest, RefusesMalformedBlocksWithAReason) {
    for (const HostileCase& c : HostileCases()) {
        std::string error;
        EXPECT_FALSE(VersionBlock::Parse(c.bytes, &error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
    }
}

TEST(VersionBlockHostileTest, EveryCutOfAValidBlockIsHandled) {
    const Bytes whole = TwoLanguages();
    for (std::size_t size = 0; size < whole.size(); ++size) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        // The root's length now runs past the input: every cut is refused.
        EXPECT_FALSE(VersionBlock::Parse(cut)) << size;
    }
}

TEST(VersionBlockHostileTest, EveryByteFlipIsReadSafely) {
    // Under the sanitizer build, a read outside the input fails here.
    const Bytes whole = TwoLanguages();
    int accepted = 0;
    for (std::size_t at = 0; at < whole.size(); ++at) {
        Bytes flipped = whole;
        flipped[at] ^= 0xA5;
        if (auto block = VersionBlock::Parse(flipped)) {
            ++accepted;
            const auto written = block->Serialize();
            ASSERT_TRUE(written);
            EXPECT_EQ(VersionBlock::Parse(*written)->Root(), block->Root()) << at;
        }
    }
    EXPECT_GT(accepted, 0);  // flips inside texts are still valid blocks
}

TEST(VersionBlockHostileTest, TextValueLengthThatClaimsTooMuchIsBoundedByItsBlock) {
    Bytes entry = StringEntry(u"Key", u"abc");
    entry[2] = 0xFF;  // claims 255 characters
    const Bytes bytes =
        Block(u"VS_VERSION_INFO", 0, 52, Fixed(0, 0, 0, 0),
              {Block(u"StringFileInfo", 1, 0, {}, {Block(u"040904B0", 1, 0, {}, {entry})})});
    const VersionBlock block = MustParse(bytes);
    EXPECT_EQ(block.String(0x0409, 1200, u"Key"), u"abc");
}

TEST(VersionBlockHostileTest, ZeroPaddingAfterTheLastChildEndsTheChildren) {
    Bytes table = Block(u"040904B0", 1, 0, {}, {StringEntry(u"K", u"v")});
    table.insert(table.end(), 12, 0);  // padding counted in the table's length
    table[0] = static_cast<std::uint8_t>(table.size());
    const Bytes bytes = Block(u"VS_VERSION_INFO", 0, 52, Fixed(0, 0, 0, 0),
                              {Block(u"StringFileInfo", 1, 0, {}, {table})});
    const VersionBlock block = MustParse(bytes);
    ASSERT_EQ(block.StringTables().size(), 1u);
    EXPECT_EQ(block.StringTables()[0].strings.size(), 1u);
}

TEST(VersionBlockHostileTest, WorkGrowsWithTheInputOnly) {
    // The largest block there can be, made of the smallest children (8 bytes each, after
    // the 92 bytes of the root's header, key and fixed part): 8,180 of them.
    const std::vector<Bytes> children((0xFFFF - 92) / 8, Block(u"", 0, 0, {}));
    const Bytes bytes = Block(u"VS_VERSION_INFO", 0, 52, Fixed(0, 0, 0, 0), children);
    ASSERT_LE(bytes.size(), 0xFFFFu);
    const test_support::Stopwatch watch;
    for (int i = 0; i < 20; ++i) {
        const VersionBlock block = MustParse(bytes);
        ASSERT_EQ(block.Root().children.size(), children.size());
    }
    EXPECT_LT(watch.Elapsed(), std::chrono::seconds(5));
}

}  // namespace
}  // namespace resmelder
