// Reading a resource tree takes time and memory in proportion to the resource section,
// whatever counts, offsets and loops its directories claim. Each crafted section below would
// otherwise read as millions of entries, or loop, or eat gigabytes.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"
#include "testing/stopwatch.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

constexpr std::uint32_t kResourceRva = 0x3000;
constexpr std::uint32_t kSubdirectory = 0x80000000u;

// Raw resource bytes, put together word by word.
struct Section {
    Bytes bytes;
    std::size_t Directory(std::uint16_t named, std::uint16_t numeric) {
        const std::size_t at = bytes.size();
        bytes.resize(at + 16, 0);
        bytes[at + 12] = static_cast<std::uint8_t>(named);
        bytes[at + 13] = static_cast<std::uint8_t>(named >> 8);
        bytes[at + 14] = static_cast<std::uint8_t>(numeric);
        bytes[at + 15] = static_cast<std::uint8_t>(numeric >> 8);
        return at;
    }
    void Entry(std::uint32_t nameOrId, std::uint32_t offset) {
        Word(nameOrId);
        Word(offset);
    }
    void Word(std::uint32_t v) {
        bytes.resize(bytes.size() + 4);
        testpe::Put32(bytes, bytes.size() - 4, v);
    }
    std::size_t DataEntry(std::uint32_t rva, std::uint32_t size) {
        const std::size_t at = bytes.size();
        Word(rva);
        Word(size);
        Word(0);
        Word(0);
        return at;
    }
};

// A PE32+ whose third section, ".rsrc" at kResourceRva, holds exactly `rsrc`.
Bytes WithResourceSection(const Bytes& rsrc) {
    testpe::Options o;
    o.sections = {{".text", Bytes(0x200, 0xC3)},
                  {".data", Bytes(0x100, 0xDA)},
                  {".rsrc", rsrc},
                  {".reloc", Bytes(0x40, 0x11), 0, 0x42000040}};
    Bytes file = testpe::Build(o);
    const std::size_t directories = 0x80 + 24 + 112;
    testpe::Put32(file, directories + 16, kResourceRva);
    testpe::Put32(file, directories + 20, static_cast<std::uint32_t>(rsrc.size()));
    return file;
}

struct TreeSize {
    std::size_t nodes = 0;
    std::size_t leaves = 0;
};

TreeSize Measure(const ExeResource& node) {
    TreeSize size{1, node.IsDirectory() ? 0u : 1u};
    for (const auto* list : {&node.NamedChildren(), &node.NumericChildren()}) {
        for (std::uint32_t i = 0; i < list->Count(); ++i) {
            const TreeSize child = Measure(*list->Get(i));
            size.nodes += child.nodes;
            size.leaves += child.leaves;
        }
    }
    return size;
}

std::size_t LogLines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class ResourceBudgetTest : public testpe::FolderTest {
  protected:
    ResourceBudgetTest() : FolderTest("resmelder_budget_") {}

    // Loads and times the load; every crafted tree must read well within a second.
    std::unique_ptr<ExeImage> Load(const Bytes& bytes, Logger& log) {
        testpe::WriteFile(dir_ / "in.exe", bytes);
        const test_support::Stopwatch watch;
        auto image = ExeImage::Load(Path("in.exe"), &log);
        EXPECT_LT(watch.Elapsed(), std::chrono::seconds(2));
        return image;
    }
};

TEST_F(ResourceBudgetTest, CountsAreCutToWhatFitsInTheSection) {
    Section s;
    s.Directory(0xFFFF, 0xFFFF);  // claims 131,070 entries in a section of a few dozen bytes
    s.Entry(1, 0x20);
    s.DataEntry(kResourceRva + 0x30, 4);
    s.Word(0x01020304);
    Logger log;
    auto image = Load(WithResourceSection(s.bytes), log);
    ASSERT_TRUE(image && image->Resources());
    EXPECT_LE(Measure(*image->Resources()).nodes, s.bytes.size() / 8);
    EXPECT_NE(LogText(log).find(
                  "Resource directory claims more entries than its section holds; count cut"),
              std::string::npos)
        << LogText(log);
}

// Directories placed 8 bytes apart each pass the visited check, and every one reads the same
// slots as its entries: without a budget this section reads as millions of leaves.
TEST_F(ResourceBudgetTest, OverlappingDirectoriesCannotMultiplyEntries) {
    constexpr std::uint16_t kDirectories = 4000;
    constexpr std::size_t kSize = 0x10000;
    Section s;
    s.Directory(0, kDirectories);
    const std::size_t slots = 16 + 8 * std::size_t{kDirectories};
    for (std::uint32_t j = 0; j < kDirectories; ++j) {
        s.Entry(j, kSubdirectory | static_cast<std::uint32_t>(slots + 8 * j));
    }
    // Every slot: id 0 and a data entry near the end; read as a header, its second word
    // claims 0xFFE0 named entries.
    const std::uint32_t dataEntry = kSize - 32;
    while (s.bytes.size() < dataEntry) {
        s.Entry(0, dataEntry);
    }
    s.DataEntry(kResourceRva + dataEntry + 16, 8);
    s.bytes.resize(kSize, 0x77);
    Logger log;
    auto image = Load(WithResourceSection(s.bytes), log);
    ASSERT_TRUE(image && image->Resources());
    const TreeSize size = Measure(*image->Resources());
    EXPECT_LE(size.nodes, kSize / 8 + 1);
    EXPECT_GT(size.nodes, kSize / 16) << "the budget, not the section's shape, ended reading";
    EXPECT_GT(size.leaves, 0u);
    const std::string text = LogText(log);
    EXPECT_NE(text.find("Resource tree holds more entries than its section has room for; "
                        "reading stopped\r\n  sectionBytes: 65536\r\n"),
              std::string::npos)
        << text;
    EXPECT_LT(LogLines(text), 60u) << "complaints are summed up, not listed";
    // What was read is kept and written back within the output bound.
    ASSERT_TRUE(image->AddBytes("Added", {}, &log)) << LogText(log);
    const test_support::Stopwatch watch;
    EXPECT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    EXPECT_LT(watch.Elapsed(), std::chrono::seconds(2));
}

TEST_F(ResourceBudgetTest, LoopsAndSharedSubdirectoriesAreReadOnce) {
    constexpr std::uint16_t kEntries = 32767;
    Section s;
    s.Directory(0, kEntries);
    const std::size_t shared = 16 + 8 * std::size_t{kEntries};
    for (std::uint32_t j = 0; j < kEntries; ++j) {
        // Every other entry points back at the root, the rest at one shared subdirectory.
        s.Entry(j, kSubdirectory | (j % 2 == 0 ? static_cast<std::uint32_t>(shared) : 0));
    }
    s.Directory(0, 1);
    s.Entry(1, kSubdirectory | 0);  // and that subdirectory points back at the root
    Logger log;
    auto image = Load(WithResourceSection(s.bytes), log);
    ASSERT_TRUE(image && image->Resources());
    EXPECT_EQ(image->Resources()->NumericChildren().Count(), 1u);
    const std::string text = LogText(log);
    EXPECT_NE(text.find("Resource directory refers back to a directory already read"),
              std::string::npos);
    EXPECT_NE(text.find("More malformed resource entries were skipped\r\n  count: "),
              std::string::npos)
        << text;
    EXPECT_LT(LogLines(text), 60u);
}

// 65,535 entries sharing one name of 65,535 characters: 8 GB of names if each were kept.
TEST_F(ResourceBudgetTest, ASharedLongNameIsChargedForEachEntry) {
    constexpr std::uint32_t kEntries = 0xFFFF;
    Section s;
    s.Directory(0, 1);
    s.Entry(10, kSubdirectory | 24);
    s.Directory(static_cast<std::uint16_t>(kEntries), 0);
    const std::size_t entriesAt = s.bytes.size();
    const std::size_t nameAt = entriesAt + 8 * std::size_t{kEntries};
    const std::size_t dataEntryAt = nameAt + 2 + 2 * std::size_t{kEntries};
    for (std::uint32_t j = 0; j < kEntries; ++j) {
        s.Entry(0x80000000u | static_cast<std::uint32_t>(nameAt),
                static_cast<std::uint32_t>(dataEntryAt));
    }
    s.bytes.resize(nameAt + 2, 0);
    s.bytes[nameAt] = 0xFF;
    s.bytes[nameAt + 1] = 0xFF;
    s.bytes.resize(dataEntryAt, 'N');  // 'N' 'N' as one unit: U+4E4E
    s.DataEntry(kResourceRva + static_cast<std::uint32_t>(dataEntryAt) + 16, 4);
    s.Word(0x41424344);
    Logger log;
    auto image = Load(WithResourceSection(s.bytes), log);
    ASSERT_TRUE(image && image->Resources());
    const ExeResource& type = *image->Resources()->NumericChildren().Get(0);
    std::size_t nameUnits = 0;
    for (std::uint32_t i = 0; i < type.NamedChildren().Count(); ++i) {
        nameUnits += type.NamedChildren().Get(i)->Name16().size();
    }
    EXPECT_LE(2 * nameUnits, s.bytes.size()) << "names held never exceed the section";
    EXPECT_GT(type.NamedChildren().Count(), 0u);
    EXPECT_NE(LogText(log).find("reading stopped"), std::string::npos) << LogText(log);
}

}  // namespace
}  // namespace resmelder
