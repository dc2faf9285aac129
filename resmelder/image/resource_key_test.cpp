// Resources by type, name and language: the typed forms, and put, find, delete and the leaf
// list on trees read from built images, written and read again.

#include <gtest/gtest.h>

#include <filesystem>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/image_texts.h"
#include "image/resource_key.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

ResourceId Id(std::string_view typed) {
    auto id = ResourceId::Parse(typed);
    EXPECT_TRUE(id) << typed;
    return id ? *id : ResourceId::Number(0);
}

ResourceId Type(std::string_view typed) {
    auto id = ParseResourceType(typed);
    EXPECT_TRUE(id) << typed;
    return id ? *id : ResourceId::Number(0);
}

TEST(ResourceKeyParse, NamesAreNumbersAfterAHashAndTextOtherwise) {
    EXPECT_EQ(Id("#1"), ResourceId::Number(1));
    EXPECT_EQ(Id("#65535"), ResourceId::Number(65535));
    EXPECT_EQ(Id("#007"), ResourceId::Number(7));
    EXPECT_EQ(Id("1"), ResourceId::Text(u"1")) << "a bare number is a text name";
    EXPECT_EQ(Id("Greeting").Text(), u"GREETING");
    EXPECT_EQ(Id("caf\xC3\xA9 menu").Text(), u"CAF\u00C9 MENU");
    EXPECT_EQ(Id("\xCE\xA9mega").Text(), u"\u03A9MEGA") << "beyond the ANSI code page";
    EXPECT_EQ(Id("#12").ToString(), "#12");
    EXPECT_EQ(Id("caf\xC3\xA9").ToString(), "CAF\xC3\x89");
    for (const char* bad : {"", "#", "#65536", "#-1", "#+1", "#1a", "# 1", "#0x10", "\xC3"}) {
        EXPECT_FALSE(ResourceId::Parse(bad)) << bad;
    }
}

TEST(ResourceKeyParse, TypesByNumberUsualNameInAnyCaseOrText) {
    EXPECT_EQ(Type("24"), ResourceId::Number(24));
    EXPECT_EQ(Type("#24"), ResourceId::Number(24));
    EXPECT_EQ(Type("manifest"), ResourceId::Number(24));
    EXPECT_EQ(Type("Group_Icon"), ResourceId::Number(14));
    EXPECT_EQ(Type("RT_Version"), ResourceId::Number(16));
    EXPECT_EQ(Type("aniicon"), ResourceId::Number(22));
    EXPECT_EQ(Type("PlugPlay"), ResourceId::Number(19));
    EXPECT_EQ(Type("GroupIcon"), ResourceId::Text(u"GROUPICON")) << "not a usual name";
    EXPECT_EQ(Type("My Type"), ResourceId::Text(u"MY TYPE"));
    EXPECT_EQ(Type("RT_"), ResourceId::Text(u"RT_"));
    EXPECT_FALSE(ParseResourceType("70000"));
    EXPECT_FALSE(ParseResourceType(""));
    EXPECT_EQ(UsualResourceTypes().size(), 21u);
    for (const auto& type : UsualResourceTypes()) {
        EXPECT_EQ(Type(type.name), ResourceId::Number(type.number)) << type.name;
        EXPECT_STREQ(UsualResourceTypeName(type.number), type.name);
    }
    EXPECT_EQ(UsualResourceTypeName(13), nullptr);
    EXPECT_EQ(UsualResourceTypeName(0), nullptr);
}

TEST(ResourceKeyParse, LanguagesInDecimalOrHex) {
    EXPECT_EQ(ParseResourceLanguage("1033"), 1033);
    EXPECT_EQ(ParseResourceLanguage("0x409"), 0x409);
    EXPECT_EQ(ParseResourceLanguage("0X0407"), 0x407);
    EXPECT_EQ(ParseResourceLanguage("0"), 0);
    EXPECT_EQ(ParseResourceLanguage("65535"), 65535);
    for (const char* bad : {"", "65536", "-1", "+1", "0x", "0x10000", "en-US", "409h", " 1"}) {
        EXPECT_FALSE(ParseResourceLanguage(bad)) << bad;
    }
}

class KeyedTreeTest : public testpe::FolderTest {
  protected:
    KeyedTreeTest() : FolderTest("resmelder_key_") {}

    std::unique_ptr<ExeImage> Load(const Bytes& bytes) {
        const fs::path path = dir_ / ("in" + std::to_string(serial_++) + ".exe");
        testpe::WriteFile(path, bytes);
        return ExeImage::Load(XString::FromUtf8(path.string()), &log_);
    }

    std::unique_ptr<ExeImage> WriteAndReload(ExeImage& image) {
        const XString out = Path("out" + std::to_string(serial_++) + ".exe");
        EXPECT_TRUE(image.Write(out, &log_)) << LogText(log_);
        return ExeImage::Load(out, &log_);
    }

    static testpe::Options Program(std::vector<testpe::Leaf> leaves) {
        testpe::Options o;
        o.sections = {{".text", Bytes(0x200, 0xC3)},
                      {".data", Bytes(0x40, 0xDA)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(0x20, 0x11), 0, 0x42000040}};
        o.leaves = std::move(leaves);
        return o;
    }

    static std::string Text(const ExeResource* leaf) {
        if (leaf == nullptr) {
            return "(none)";
        }
        const auto d = leaf->Data();
        return std::string(reinterpret_cast<const char*>(d.data()), d.size());
    }

    static std::span<const std::uint8_t> Span(const std::string& s) {
        return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
    }

    static std::string Listing(const ExeResource& root) {
        std::string text;
        for (const auto& leaf : root.Leaves()) {
            text += leaf.key.type.ToString() + "/" + leaf.key.name.ToString() + "/" +
                    std::to_string(leaf.key.language) + "=" + Text(leaf.leaf) + "\n";
        }
        return text;
    }

    Logger log_;
    int serial_ = 0;
};

TEST_F(KeyedTreeTest, MixedCaseAndAccentedNamesAreStoredAsTheLoaderLooksThemUp) {
    auto image =
        Load(testpe::Build(Program({{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes{'v'}}})));
    ASSERT_TRUE(image) << LogText(log_);
    ExeResource& root = *image->Resources();
    ASSERT_TRUE(
        root.PutBytes({Type("My Data"), Id("Caf\xC3\xA9 Au Lait"), 0x40C}, Span("latte"), &log_));
    ASSERT_TRUE(root.PutBytes({Type("rcdata"), Id("Greeting"), 0}, Span("hello"), &log_));

    auto again = WriteAndReload(*image);
    ASSERT_TRUE(again);
    const ExeResource& tree = *again->Resources();
    // As written: named types first, names upper-cased, the loader's order.
    EXPECT_EQ(Listing(tree),
              "MY DATA/CAF\xC3\x89 AU LAIT/1036=latte\n#10/GREETING/0=hello\n#16/#1/1033=v\n");
    for (const char* spelling :
         {"caf\xC3\xA9 au lait", "CAF\xC3\x89 AU LAIT", "Caf\xC3\xA9 au LAIT"}) {
        EXPECT_EQ(Text(tree.FindLeaf(Type("my data"), Id(spelling), 0x40C)), "latte") << spelling;
    }
    EXPECT_EQ(Text(tree.FindLeaf(std::nullopt, Id("greeting"), std::nullopt)), "hello");
    EXPECT_EQ(tree.FindLeaf(Type("RCDATA"), Id("greeting"), 1), nullptr) << "language 0 only";
    EXPECT_EQ(tree.FindLeaf(Type("BITMAP"), Id("greeting"), std::nullopt), nullptr);
    // The names the legacy lookup uses reach the same entries.
    ASSERT_TRUE(again->FindNamed("greeting", nullptr));
}

TEST_F(KeyedTreeTest, NumericIdsAreNotTextsWithDigits) {
    auto image =
        Load(testpe::Build(Program({{std::uint16_t{3}, std::uint16_t{5}, 0x409, Bytes{'5'}},
                                    {std::uint16_t{3}, std::u16string(u"5"), 0x409, Bytes{'t'}}})));
    ASSERT_TRUE(image) << LogText(log_);
    const ExeResource& root = *image->Resources();
    EXPECT_EQ(Text(root.FindLeaf(Type("icon"), Id("#5"), std::nullopt)), "5");
    EXPECT_EQ(Text(root.FindLeaf(Type("icon"), Id("5"), std::nullopt)), "t");
    EXPECT_EQ(root.FindLeaf(Type("icon"), Id("#6"), std::nullopt), nullptr);
    EXPECT_EQ(root.FindLeaf(Type("3"), Id("#5"), 0x407), nullptr);
}

TEST_F(KeyedTreeTest, SeveralLanguagesUnderOneNameArePutFoundReplacedAndDeletedOneByOne) {
    auto image = Load(
        testpe::Build(Program({{std::uint16_t{24}, std::uint16_t{1}, 0x409, Bytes{'e', 'n'}},
                               {std::uint16_t{24}, std::uint16_t{1}, 0x407, Bytes{'d', 'e'}}})));
    ASSERT_TRUE(image) << LogText(log_);
    ExeResource& root = *image->Resources();
    const ResourceId manifest = Type("MANIFEST");
    const ResourceId one = Id("#1");
    ASSERT_TRUE(root.PutBytes({manifest, one, 0x40C}, Span("fr"), &log_));
    ASSERT_TRUE(root.PutBytes({manifest, one, 0x409}, Span("EN"), &log_));  // replaced
    EXPECT_EQ(root.Leaves().size(), 3u);
    EXPECT_EQ(Text(root.FindLeaf(manifest, one, 0x409)), "EN");
    EXPECT_EQ(Text(root.FindLeaf(manifest, one, 0x407)), "de");
    EXPECT_EQ(Text(root.FindLeaf(manifest, one, std::nullopt)), "de") << "the lowest language";

    auto again = WriteAndReload(*image);
    ASSERT_TRUE(again);
    ExeResource& tree = *again->Resources();
    EXPECT_EQ(Listing(tree), "#24/#1/1031=de\n#24/#1/1033=EN\n#24/#1/1036=fr\n");
    EXPECT_EQ(tree.DeleteLeaves(manifest, one, 0x407), 1u);
    EXPECT_EQ(tree.DeleteLeaves(manifest, one, 0x407), 0u);
    EXPECT_EQ(Listing(tree), "#24/#1/1033=EN\n#24/#1/1036=fr\n");
    EXPECT_EQ(tree.DeleteLeaves(manifest, one, std::nullopt), 2u);
    EXPECT_EQ(tree.NumericChildren().Count(), 0u) << "the emptied type went too";
    auto empty = WriteAndReload(*again);
    ASSERT_TRUE(empty);
    EXPECT_EQ(Listing(*empty->Resources()), "");
}

TEST_F(KeyedTreeTest, PuttingOverDuplicateEntriesLeavesOneLeafPerKey) {
    auto image = Load(testpe::Build(Program({})));
    ASSERT_TRUE(image) << LogText(log_);
    // The component adds a name twice as two entries; a keyed put must not leave the old one.
    ASSERT_TRUE(image->AddBytes("Twice", Span("one"), &log_));
    ASSERT_TRUE(image->AddBytes("TWICE", Span("two"), &log_));
    ExeResource& root = *image->Resources();
    ASSERT_TRUE(root.PutBytes({Type("RCDATA"), Id("twice"), kDefaultResourceLanguage},
                              Span("three"), &log_));
    EXPECT_EQ(Listing(root), "#10/TWICE/1=three\n");
    EXPECT_EQ(root.DeleteLeaves(std::nullopt, Id("Twice"), std::nullopt), 1u);
    EXPECT_EQ(Listing(root), "");
}

TEST_F(KeyedTreeTest, DeletingWithoutATypeReachesEveryTypeButOnlyThatName) {
    auto image = Load(
        testpe::Build(Program({{std::uint16_t{2}, std::u16string(u"LOGO"), 0x409, Bytes{'b'}},
                               {std::uint16_t{10}, std::u16string(u"LOGO"), 0x409, Bytes{'r'}},
                               {std::uint16_t{10}, std::u16string(u"KEEP"), 0x409, Bytes{'k'}},
                               {std::u16string(u"LOGO"), std::uint16_t{1}, 0x409, Bytes{'t'}}})));
    ASSERT_TRUE(image) << LogText(log_);
    ExeResource& root = *image->Resources();
    EXPECT_EQ(root.DeleteLeaves(std::nullopt, Id("logo"), std::nullopt), 2u);
    EXPECT_EQ(Listing(root), "LOGO/#1/1033=t\n#10/KEEP/1033=k\n")
        << "a type called LOGO is not a name called LOGO";
}

TEST_F(KeyedTreeTest, RefusalsLeaveTheTreeAsItWas) {
    auto image = Load(
        testpe::Build(Program({{std::uint16_t{10}, std::u16string(u"A"), 0x409, Bytes{'a'}}})));
    ASSERT_TRUE(image) << LogText(log_);
    ExeResource& root = *image->Resources();
    const std::string before = Listing(root);
    const std::u16string longName(kMaxResourceNameBytes + 1, u'N');
    EXPECT_FALSE(
        root.PutBytes({ResourceId::Number(10), ResourceId::Text(longName), 1}, Span("x"), &log_));
    EXPECT_NE(LogText(log_).find(image_texts::kNameTooLong), std::string::npos);
    EXPECT_FALSE(root.PutBytes({ResourceId::Text(longName), Id("#1"), 1}, Span("x"), &log_));
    EXPECT_EQ(Listing(root), before);
    EXPECT_EQ(root.NamedChildren().Count(), 0u);
    // The longest name that is kept is accepted, and found again after a write.
    const std::u16string longest(kMaxResourceNameBytes, u'm');
    ASSERT_TRUE(
        root.PutBytes({ResourceId::Number(10), ResourceId::Text(longest), 1}, Span("y"), &log_));
    auto again = WriteAndReload(*image);
    ASSERT_TRUE(again);
    EXPECT_EQ(
        Text(again->Resources()->FindLeaf(ResourceId::Number(10), ResourceId::Text(longest), 1)),
        "y");
}

TEST_F(KeyedTreeTest, AZeroLengthPutAndAFileBackedPutAreWritten) {
    auto image = Load(testpe::Build(Program({})));
    ASSERT_TRUE(image) << LogText(log_);
    testpe::WriteFile(dir_ / "data file.bin", Bytes(700, 0x7E));
    ExeResource& root = *image->Resources();
    ASSERT_TRUE(root.PutBytes({Type("HTML"), Id("Empty"), 0x409}, {}, &log_));
    ASSERT_TRUE(root.PutFile({Type("Html"), Id("#2"), 0x409}, Path("data file.bin"), &log_));
    auto again = WriteAndReload(*image);
    ASSERT_TRUE(again);
    const ExeResource* empty = again->Resources()->FindLeaf(Type("html"), Id("EMPTY"), 0x409);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->Size(), 0u);
    const ExeResource* file = again->Resources()->FindLeaf(Type("23"), Id("#2"), std::nullopt);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Bytes(file->Data().begin(), file->Data().end()), Bytes(700, 0x7E));
}

}  // namespace
}  // namespace resmelder
