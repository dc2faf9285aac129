// The loader's upper-casing of resource names, pinned for the ranges the ANSI code pages
// produce, and names in the tree: stored upper-cased, found in any case.

#include <gtest/gtest.h>

#include <filesystem>

#include "image/exe_image.h"
#include "image/resource_name.h"
#include "image/folder_test.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/encoding.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

struct Pair {
    char16_t from;
    char16_t to;
};

void ExpectUpcase(std::initializer_list<Pair> pairs) {
    for (const Pair& p : pairs) {
        EXPECT_EQ(UpcaseResourceUnit(p.from), p.to) << std::hex << "U+" << int(p.from);
    }
}

TEST(ResourceNameTest, AsciiAndLatin1) {
    ExpectUpcase({{u'a', u'A'}, {u'z', u'Z'}, {u'A', u'A'}, {u'_', u'_'}, {u'0', u'0'}});
    ExpectUpcase({{0xE0, 0xC0}, {0xE9, 0xC9}, {0xF6, 0xD6}, {0xF8, 0xD8}, {0xFE, 0xDE}});
    // ÿ has its capital outside Latin-1; ÷ is no letter; µ and ß have no one-unit capital
    // the loader uses, so they stay.
    ExpectUpcase({{0xFF, 0x178}, {0xF7, 0xF7}, {0xB5, 0xB5}, {0xDF, 0xDF}, {0xAA, 0xAA}});
}

TEST(ResourceNameTest, LatinExtendedA) {
    ExpectUpcase({{0x101, 0x100},
                  {0x12F, 0x12E},
                  {0x133, 0x132},
                  {0x13A, 0x139},
                  {0x148, 0x147},
                  {0x14B, 0x14A},
                  {0x153, 0x152},
                  {0x161, 0x160},
                  {0x177, 0x176},
                  {0x17E, 0x17D}});
    // Dotless i and long s keep their form: their capitals lower-case to something else.
    ExpectUpcase({{0x131, 0x131}, {0x17F, 0x17F}, {0x138, 0x138}, {0x149, 0x149}, {0x100, 0x100}});
}

TEST(ResourceNameTest, Greek) {
    ExpectUpcase({{0x3B1, 0x391},
                  {0x3C1, 0x3A1},
                  {0x3C3, 0x3A3},
                  {0x3C9, 0x3A9},
                  {0x3AC, 0x386},
                  {0x3AD, 0x388},
                  {0x3CC, 0x38C},
                  {0x3CE, 0x38F},
                  {0x3CA, 0x3AA}});
    // Final sigma and the symbol variants stay, as the loader leaves them; so do the letters
    // with two accents, which have no one-unit capital.
    ExpectUpcase({{0x3C2, 0x3C2},
                  {0x3D0, 0x3D0},
                  {0x3D1, 0x3D1},
                  {0x3D5, 0x3D5},
                  {0x390, 0x390},
                  {0x3B0, 0x3B0}});
}

TEST(ResourceNameTest, Cyrillic) {
    ExpectUpcase({{0x430, 0x410},
                  {0x44F, 0x42F},
                  {0x450, 0x400},
                  {0x451, 0x401},
                  {0x45F, 0x40F},
                  {0x461, 0x460},
                  {0x491, 0x490},
                  {0x4CF, 0x4C0},
                  {0x4FF, 0x4FE},
                  {0x410, 0x410}});
}

TEST(ResourceNameTest, UpperCaseIsAFixedPointAndOrderFollowsIt) {
    for (std::uint32_t u = 0; u < 0x10000; ++u) {
        const char16_t upper = UpcaseResourceUnit(static_cast<char16_t>(u));
        ASSERT_EQ(UpcaseResourceUnit(upper), upper) << std::hex << u;
    }
    EXPECT_TRUE(ResourceNamesMatch(u"Caf\u00E9 Menu", u"CAF\u00C9 MENU"));
    EXPECT_FALSE(ResourceNamesMatch(u"Caf\u00E9", u"Cafe"));
    EXPECT_FALSE(ResourceNamesMatch(u"AB", u"ABC"));
    EXPECT_TRUE(ResourceNameLess(u"alpha", u"BETA"));
    EXPECT_TRUE(ResourceNameLess(u"AB", u"abc"));
    EXPECT_FALSE(ResourceNameLess(u"abc", u"ABC"));
    EXPECT_EQ(UpcaseResourceName(u"\u00DCn\u00EFcode"), u"\u00DCN\u00CFCODE");
}

class ResourceNameTreeTest : public testpe::FolderTest {
  protected:
    ResourceNameTreeTest() : FolderTest("resmelder_names_") {}


    std::unique_ptr<ExeImage> Load(const Bytes& bytes, Logger* log = nullptr) {
        testpe::WriteFile(dir_ / "in.exe", bytes);
        return ExeImage::Load(Path("in.exe"), log);
    }
    static Bytes Source(std::vector<testpe::Leaf> leaves) {
        testpe::Options o;
        o.sections = {{".text", Bytes(0x200, 0xC3)},
                      {".data", Bytes(0x100, 0xDA)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(0x40, 0x11), 0, 0x42000040}};
        o.leaves = std::move(leaves);
        return testpe::Build(o);
    }
    static std::string Ansi(std::u16string_view utf16) {
        std::string out;
        EncodingConvert::Utf16ToAnsi(utf16, out);
        return out;
    }
    static std::span<const std::uint8_t> Span(const std::string& s) {
        return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
    }
    static std::string Text(const std::optional<FoundResource>& found) {
        return found ? std::string(reinterpret_cast<const char*>(found->data), found->size)
                     : "<missing>";
    }

};

TEST_F(ResourceNameTreeTest, AddedNamesAreStoredUpperCasedAndFoundInAnyCase) {
    auto image = Load(Source({{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(4, 1)}}));
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->AddBytes("Greeting", Span("hello"), nullptr));
    ASSERT_TRUE(image->AddBytes(Ansi(u"\u00DCn\u00EFcode"), Span("unicode"), nullptr));
    ASSERT_TRUE(image->AddBytes(Ansi(u"caf\u00E9 menu"), Span("menu"), nullptr));
    ASSERT_TRUE(image->AddBytes(Ansi(u"\u00FFes"), Span("y"), nullptr));
    ASSERT_TRUE(image->Write(Path("out.exe"), nullptr));

    auto again = ExeImage::Load(Path("out.exe"), nullptr);
    ASSERT_TRUE(again);
    const ExeResource& type = *again->Resources()->NumericChildren().Get(0);
    ASSERT_EQ(type.Id(), 10);
    std::vector<std::u16string> stored;
    for (std::uint32_t i = 0; i < type.NamedChildren().Count(); ++i) {
        stored.push_back(type.NamedChildren().Get(i)->Name16());
    }
    // Upper-cased and in the loader's order.
    EXPECT_EQ(stored, (std::vector<std::u16string>{u"CAF\u00C9 MENU", u"GREETING",
                                                   u"\u00DCN\u00CFCODE", u"\u0178ES"}));
    for (const char* name : {"Greeting", "GREETING", "greeting", "gReEtInG"}) {
        EXPECT_EQ(Text(again->FindNamed(name, nullptr)), "hello") << name;
    }
    EXPECT_EQ(Text(again->FindNamed(Ansi(u"\u00FCN\u00CFcode"), nullptr)), "unicode");
    EXPECT_EQ(Text(again->FindNamed(Ansi(u"CAF\u00C9 Menu"), nullptr)), "menu");
    EXPECT_EQ(Text(again->FindNamed(Ansi(u"\u0178ES"), nullptr)), "y");
    EXPECT_FALSE(again->FindNamed("cafe menu", nullptr));
    again->DeleteNamed(Ansi(u"Caf\u00C9 MENU"));
    EXPECT_FALSE(again->FindNamed(Ansi(u"caf\u00E9 menu"), nullptr));
    EXPECT_TRUE(again->FindNamed("greeting", nullptr));
}

TEST_F(ResourceNameTreeTest, NamesReadFromAFileStayAsTheyAreAndAreFoundInAnyCase) {
    const Bytes source =
        Source({{std::uint16_t{10}, std::u16string(u"Greeting"), 0x409, Bytes{'h', 'i'}},
                {std::uint16_t{10}, std::u16string(u"mixed \u00E9"), 0x409, Bytes{'m'}}});
    auto image = Load(source);
    ASSERT_TRUE(image);
    EXPECT_EQ(Text(image->FindNamed("GREETING", nullptr)), "hi");
    EXPECT_EQ(Text(image->FindNamed(Ansi(u"MIXED \u00C9"), nullptr)), "m");
    ASSERT_TRUE(image->AddBytes("other", Span("o"), nullptr));
    ASSERT_TRUE(image->Write(Path("out.exe"), nullptr));
    auto again = ExeImage::Load(Path("out.exe"), nullptr);
    ASSERT_TRUE(again);
    // The untouched entries keep their bytes: an edit never rewrites them.
    const ExeResource& type = *again->Resources()->NumericChildren().Get(0);
    std::vector<std::u16string> stored;
    for (std::uint32_t i = 0; i < type.NamedChildren().Count(); ++i) {
        stored.push_back(type.NamedChildren().Get(i)->Name16());
    }
    EXPECT_EQ(stored, (std::vector<std::u16string>{u"Greeting", u"mixed \u00E9", u"OTHER"}));
    EXPECT_EQ(Text(again->FindNamed("greeting", nullptr)), "hi");
}

TEST_F(ResourceNameTreeTest, NamesLongerThanTheReaderKeepsAreRefused) {
    auto image = Load(Source({{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(4, 1)}}));
    ASSERT_TRUE(image);
    const std::string longest(kMaxResourceNameBytes, 'n');
    const std::string tooLong(600, 'n');
    Logger log;
    EXPECT_FALSE(image->AddBytes(tooLong, Span("x"), &log));
    EXPECT_FALSE(image->AddFile(tooLong, Path("x.bin"), &log));
    EXPECT_NE(LogText(log).find("Resource name is too long\r\n  resourceName: " + longest +
                                "\r\n  maximum: 499\r\n"),
              std::string::npos)
        << LogText(log);
    EXPECT_FALSE(image->FindNamed(tooLong, nullptr));

    ASSERT_TRUE(image->AddBytes(longest, Span("long"), &log));
    ASSERT_TRUE(image->Write(Path("out.exe"), &log));
    auto again = ExeImage::Load(Path("out.exe"), &log);
    ASSERT_TRUE(again);
    EXPECT_EQ(Text(again->FindNamed(longest, nullptr)), "long");
    again->DeleteNamed(longest);
    EXPECT_FALSE(again->FindNamed(longest, nullptr));
}

}  // namespace
}  // namespace resmelder
