// Edits and writes the writer could not carry out honestly are refused with a log line, and
// bytes are read as the loader would see them.

#include <gtest/gtest.h>

#include <filesystem>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

constexpr std::size_t kTableAt = 0x80 + 24 + 240;  // the section table of a built PE32+
constexpr std::size_t kDirectories = 0x80 + 24 + 112;

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class RefusalTest : public testpe::FolderTest {
  protected:
    RefusalTest() : FolderTest("resmelder_refuse_") {}

    // Each load its own file: an image keeps its source open.
    std::unique_ptr<ExeImage> Load(const Bytes& bytes, Logger& log) {
        const std::string name = "in" + std::to_string(serial_++) + ".exe";
        testpe::WriteFile(dir_ / name, bytes);
        return ExeImage::Load(Path(name), &log);
    }
    static testpe::Options Standard(std::vector<testpe::Leaf> leaves) {
        testpe::Options o;
        o.sections = {{".text", Bytes(0x200, 0xC3)},
                      {".data", Bytes(0x100, 0xDA)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(0x40, 0x11), 0, 0x42000040}};
        o.leaves = std::move(leaves);
        return o;
    }
    // The file offset of the first data entry's RVA field in the built resource section.
    static std::size_t FirstDataEntry(const Bytes& file) {
        const std::size_t rsrc = testpe::Get32(file, kTableAt + 2 * 40 + 20);
        std::size_t at = rsrc;  // walk down the first entries to the first leaf
        for (int level = 0; level < 3; ++level) {
            const std::uint32_t word = testpe::Get32(file, at + 16 + 4);
            at = rsrc + (word & 0x7FFFFFFF);
        }
        return at;
    }

    int serial_ = 0;
};

TEST_F(RefusalTest, AddingUnderALeafInTheTypePlaceIsRefused) {
    // The root holds a leaf with id 10 where the RCDATA directory belongs.
    Bytes file =
        testpe::Build(Standard({{std::uint16_t{10}, std::uint16_t{1}, 0x409, Bytes(4, 1)}}));
    const std::size_t rsrc = testpe::Get32(file, kTableAt + 2 * 40 + 20);
    // Root entry 0 is type 10 (a directory); point it at the data entry below instead.
    const std::uint32_t typeDir = testpe::Get32(file, rsrc + 16 + 4) & 0x7FFFFFFF;
    const std::uint32_t nameDir = testpe::Get32(file, rsrc + typeDir + 16 + 4) & 0x7FFFFFFF;
    const std::uint32_t dataEntry = testpe::Get32(file, rsrc + nameDir + 16 + 4);
    testpe::Put32(file, rsrc + 16 + 4, dataEntry);
    Logger log;
    auto image = Load(file, log);
    ASSERT_TRUE(image && image->Resources());
    ASSERT_FALSE(image->Resources()->NumericChildren().Get(0)->IsDirectory());
    EXPECT_FALSE(image->AddBytes("Greeting", Span("hello"), &log));
    EXPECT_FALSE(image->AddFile("Greeting", Path("x.bin"), &log));
    EXPECT_EQ(LogText(log),
              "VantrixLog:\r\n"
              "  The resource type for new entries is not a directory; nothing added\r\n"
              "  resourceName: Greeting\r\n"
              "  The resource type for new entries is not a directory; nothing added\r\n"
              "  resourceName: Greeting\r\n");
    EXPECT_FALSE(image->FindNamed("Greeting", nullptr));
}

// One data entry shared by thousands of leaves: each leaf is written with its own copy, so
// a small file would turn into gigabytes. Refused before any file is created.
TEST_F(RefusalTest, OutputOutOfProportionIsRefusedBeforeAnyFileIsCreated) {
    constexpr std::uint32_t kLeaves = 6000;
    constexpr std::uint32_t kDataSize = 0x10000;  // all of .text
    Bytes rsrc(16 + 16 + 8 + 16 + 8 * kLeaves + 16, 0);
    auto put16 = [&](std::size_t at, std::uint16_t v) {
        rsrc[at] = static_cast<std::uint8_t>(v);
        rsrc[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put16(14, 1);
    testpe::Put32(rsrc, 16, 10);
    testpe::Put32(rsrc, 20, 0x80000000u | 24);
    put16(24 + 14, static_cast<std::uint16_t>(kLeaves));
    const std::uint32_t dataEntry = 24 + 16 + 8 * kLeaves;
    for (std::uint32_t j = 0; j < kLeaves; ++j) {
        testpe::Put32(rsrc, 40 + 8 * j, j);
        testpe::Put32(rsrc, 44 + 8 * j, dataEntry);
    }
    testpe::Put32(rsrc, dataEntry, 0x1000);  // the data is all of .text
    testpe::Put32(rsrc, dataEntry + 4, kDataSize);
    testpe::Options o;
    o.sections = {{".text", Bytes(kDataSize, 0xC3)},
                  {".data", Bytes(0x100, 0xDA)},
                  {".rsrc", rsrc},
                  {".reloc", Bytes(0x40, 0x11), 0, 0x42000040}};
    Bytes file = testpe::Build(o);
    testpe::Put32(file, kDirectories + 16, 0x12000);  // .rsrc follows .text's 64 KB and .data
    ASSERT_EQ(testpe::Get32(file, kTableAt + 2 * 40 + 12), 0x12000u);
    Logger log;
    auto image = Load(file, log);
    ASSERT_TRUE(image && image->Resources());
    ASSERT_EQ(image->Resources()->NumericChildren().Get(0)->NumericChildren().Count(), kLeaves);
    EXPECT_FALSE(image->Write(Path("out.exe"), &log));
    EXPECT_NE(LogText(log).find("The new executable would be out of proportion to its source; "
                                "nothing written\r\n  outputBytes: "),
              std::string::npos)
        << LogText(log);
    EXPECT_EQ(testpe::FileNames(dir_), (std::vector<std::string>{"in0.exe"}));
}

TEST_F(RefusalTest, SectionsTheLoaderWouldRefuseAreRefusedWhenLoaded) {
    // A resource section at position 1 whose raw size reaches 2 GB past a small file.
    testpe::Options o = Standard({{std::uint16_t{10}, std::u16string(u"A"), 0x409, Bytes{1}}});
    o.sections = {{".text", Bytes(0x200, 0xC3)},
                  {".rsrc", {}, 0, 0x40000040, true},
                  {".data", Bytes(0x100, 0xDA)}};
    Bytes file = testpe::Build(o);
    testpe::Put32(file, kTableAt + 40 + 16, 0x7FFFFFFF);
    Logger log;
    EXPECT_FALSE(Load(file, log));
    EXPECT_NE(LogText(log).find(
                  "Section data reaches past the end of the file\r\n  section_name: .rsrc\r\n"),
              std::string::npos)
        << LogText(log);

    // .data's virtual range starts inside .text's.
    Bytes overlapping = testpe::Build(Standard({}));
    testpe::Put32(overlapping, kTableAt + 40 + 12, 0x1100);
    Logger overlapLog;
    EXPECT_FALSE(Load(overlapping, overlapLog));
    EXPECT_NE(LogText(overlapLog).find("Sections overlap in memory\r\n  section_name: .data\r\n"),
              std::string::npos)
        << LogText(overlapLog);
}

TEST_F(RefusalTest, DataInTheHeadersIsReadFromThem) {
    Bytes file = testpe::Build(
        Standard({{std::uint16_t{10}, std::u16string(u"STUB"), 0x409, Bytes{1, 2, 3, 4, 5}}}));
    const std::size_t entry = FirstDataEntry(file);
    testpe::Put32(file, entry, 64);  // "stub!" in the DOS stub
    Logger log;
    auto image = Load(file, log);
    ASSERT_TRUE(image);
    const auto found = image->FindNamed("STUB", nullptr);
    ASSERT_TRUE(found && found->data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(found->data), found->size), "stub!");
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    auto again = ExeImage::Load(Path("out.exe"), &log);
    ASSERT_TRUE(again);
    const auto copied = again->FindNamed("stub", nullptr);
    ASSERT_TRUE(copied && copied->data);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(copied->data), copied->size), "stub!");
}

TEST_F(RefusalTest, BytesPastARawSectionAreZerosAsTheLoaderMapsThem) {
    Bytes file = testpe::Build(
        Standard({{std::uint16_t{10}, std::u16string(u"TAIL"), 0x409, Bytes(8, 0xAA)}}));
    const std::size_t header = kTableAt + 2 * 40;
    const std::uint32_t rsrcRva = testpe::Get32(file, header + 12);
    const std::uint32_t rawSize = testpe::Get32(file, header + 16);
    testpe::Put32(file, header + 8, rawSize + 0x100);  // virtual size past the raw data
    // The data's last 16 bytes lie past the raw data; in the file, .reloc's bytes follow.
    const std::size_t entry = FirstDataEntry(file);
    testpe::Put32(file, entry, rsrcRva + rawSize - 16);
    testpe::Put32(file, entry + 4, 32);
    const std::size_t rawAt = testpe::Get32(file, header + 20);
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(rawAt + rawSize - 16), 16, 0xEE);
    Logger log;
    auto image = Load(file, log);
    ASSERT_TRUE(image);
    const auto found = image->FindNamed("tail", nullptr);
    ASSERT_TRUE(found && found->data && found->size == 32);
    Bytes expected(16, 0xEE);
    expected.resize(32, 0);
    EXPECT_EQ(Bytes(found->data, found->data + found->size), expected);
}

TEST_F(RefusalTest, WritingASignedImageWarnsThatTheSignatureNoLongerMatches) {
    testpe::Options o = Standard({{std::uint16_t{10}, std::u16string(u"A"), 0x409, Bytes{1}}});
    o.certificateInOverlay = 0x100;
    Logger log;
    auto image = Load(testpe::Build(o), log);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->AddBytes("B", Span("b"), &log));
    EXPECT_TRUE(image->Write(Path("out.exe"), &log));
    EXPECT_EQ(LogText(log),
              "VantrixLog:\r\n  the file's signature no longer matches its contents; sign it "
              "again\r\n");

    Logger unsignedLog;
    auto plain = Load(testpe::Build(Standard({})), unsignedLog);
    ASSERT_TRUE(plain && plain->Write(Path("plain.exe"), &unsignedLog));
    EXPECT_EQ(LogText(unsignedLog), "VantrixLog:\r\n");
}

}  // namespace
}  // namespace resmelder
