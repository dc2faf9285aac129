// The string-table codec: one string edited in a block of sixteen, blocks made and removed,
// and blocks that claim more than they hold.

#include <gtest/gtest.h>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/string_table.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

using testpe::Bytes;
const ResourceId kStrings = ResourceId::Number(resource_type::kString);

class StringTableTest : public testpe::FolderTest {
  protected:
    StringTableTest() : FolderTest("resmelder_strings_") {}

    // An image whose table holds the given blocks (name, language, block).
    std::unique_ptr<ExeImage> Image(
        const std::vector<std::tuple<std::uint16_t, std::uint16_t, StringBlock>>& blocks) {
        testpe::Options o;
        o.sections = {{".text", Bytes(0x100, 0xC3)}, {".rsrc", {}, 0, 0x40000040, true}};
        for (const auto& [name, language, block] : blocks) {
            o.leaves.push_back({kStrings.Number(), name, language, block.Serialize()});
        }
        testpe::WriteFile(dir_ / "in.exe", testpe::Build(o));
        return ExeImage::Load(Path("in.exe"), &log_);
    }

    static StringBlock Full(const std::u16string& stem) {
        StringBlock block;
        for (std::size_t i = 0; i < StringBlock::kStrings; ++i) {
            block.strings[i] = stem + std::u16string(i + 1, u'a' + static_cast<char16_t>(i));
        }
        return block;
    }

    Logger log_;
};

TEST_F(StringTableTest, OneStringChangesAndBlocksAreMadeAndRemoved) {
    StringBlock expected = Full(u"Zeile ");
    auto image = Image({{3, 0x407, expected}});
    ASSERT_TRUE(image);
    ExeResource& tree = *image->Resources();
    // ID 37 is place 5 of block 3 (IDs 32 to 47); the other fifteen stay as they were.
    EXPECT_EQ(StringLanguageFor(tree, 37), 0x407);
    ASSERT_TRUE(SetTableString(tree, 37, 0x407, u"Gr\u00FC\u00DFe, \u4E16\u754C", &log_));
    expected.strings[5] = u"Gr\u00FC\u00DFe, \u4E16\u754C";
    const ExeResource* leaf = tree.FindLeaf(kStrings, ResourceId::Number(3), 0x407);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(StringBlock::Parse(leaf->Data()).strings, expected.strings);
    EXPECT_EQ(GetTableString(tree, 37, std::nullopt, &log_), expected.strings[5]);
    EXPECT_EQ(GetTableString(tree, 32, 0x409, &log_), std::nullopt) << "no block in 0x409";

    // A new block joins the table's language, and goes when its one string is cleared.
    EXPECT_EQ(StringLanguageFor(tree, 65535), 0x407);
    ASSERT_TRUE(SetTableString(tree, 65535, 0x407, u"last", &log_));
    const std::vector<TableString> strings = TableStrings(tree, &log_);
    ASSERT_EQ(strings.size(), 17u);
    EXPECT_EQ(strings.back().id, 65535);
    ASSERT_TRUE(SetTableString(tree, 65535, 0x407, u"", &log_));
    EXPECT_EQ(tree.FindLeaf(kStrings, ResourceId::Number(4096), 0x407), nullptr);
    for (std::uint16_t id = 32; id < 48; ++id) {
        ASSERT_TRUE(SetTableString(tree, id, 0x407, u"", &log_));
    }
    EXPECT_TRUE(tree.Leaves().empty()) << "the type went with its last block";
    EXPECT_EQ(StringLanguageFor(tree, 1), 0) << "a first table is neutral";
    EXPECT_FALSE(SetTableString(tree, 5, 0, std::u16string(0x10000, u'x'), &log_));
    EXPECT_NE(testpe::LogText(log_).find("longer than 65535"), std::string::npos);
    EXPECT_TRUE(tree.Leaves().empty());
}

TEST_F(StringTableTest, ABlockThatClaimsMoreThanItHoldsIsReadToItsEnd) {
    // "abc", then a count of 50 with only four units and an odd byte after them.
    const Bytes bytes = {3, 0, 'a', 0, 'b', 0, 'c', 0, 50, 0, 'd', 0, 'e', 0, 'f', 0, 'g', 0, 1};
    const StringBlock block = StringBlock::Parse(bytes);
    EXPECT_TRUE(block.cutShort);
    EXPECT_EQ(block.strings[0], u"abc");
    EXPECT_EQ(block.strings[1], u"defg");
    for (std::size_t i = 2; i < StringBlock::kStrings; ++i) {
        EXPECT_TRUE(block.strings[i].empty());
    }
    EXPECT_TRUE(StringBlock::Parse({}).cutShort);
    EXPECT_FALSE(StringBlock::Parse(StringBlock().Serialize()).cutShort);

    // In an image: listed as far as it goes, reported, and mended by an edit.
    testpe::Options o;
    o.sections = {{".text", Bytes(0x100, 0xC3)}, {".rsrc", {}, 0, 0x40000040, true}};
    o.leaves.push_back({kStrings.Number(), std::uint16_t{2}, 0x409, bytes});
    testpe::WriteFile(dir_ / "cut.exe", testpe::Build(o));
    auto image = ExeImage::Load(Path("cut.exe"), &log_);
    ASSERT_TRUE(image);
    const auto strings = TableStrings(*image->Resources(), &log_);
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_EQ(strings[1].id, 17);
    EXPECT_NE(testpe::LogText(log_).find("String block ends before its sixteen strings do"),
              std::string::npos);
    ASSERT_TRUE(SetTableString(*image->Resources(), 31, 0x409, u"end", &log_));
    const ExeResource* mended =
        image->Resources()->FindLeaf(kStrings, ResourceId::Number(2), 0x409);
    const StringBlock reread = StringBlock::Parse(mended->Data());
    EXPECT_FALSE(reread.cutShort);
    EXPECT_EQ(reread.strings[1], u"defg");
    EXPECT_EQ(reread.strings[15], u"end");
}

}  // namespace
}  // namespace resmelder
