// Loading, laying out and writing images: failure lines, refusals, header updates, atomic
// output, and round trips compared over the whole tree.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "image/exe_image.h"
#include "image/output_sink.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;

std::string LogText(Logger& log) {
    StringBuffer out;
    log.GetLogText(out);
    return std::string(out.View());
}

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class ImageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               (std::string("resmelder_img_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    XString Path(const std::string& leaf) const {
        return XString::FromUtf8((dir_ / leaf).string());
    }
    XString Put(const std::string& leaf, const Bytes& bytes) const {
        testpe::WriteFile(dir_ / leaf, bytes);
        return Path(leaf);
    }
    std::string LoadFailure(const Bytes& bytes) {
        Logger log;
        EXPECT_FALSE(ExeImage::Load(Put("bad.exe", bytes), &log));
        return LogText(log);
    }

    static testpe::Options Typical(bool pe32Plus) {
        testpe::Options o;
        o.pe32Plus = pe32Plus;
        o.sections = {{".text", Bytes(0x1800, 0xC3), 0, 0x60000020},
                      {".data", Bytes(0x100, 0xDA), 0, 0xC0000040},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(0x30, 0x11), 0, 0x42000040}};
        o.leaves = {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(0x5C, 0x16)},
                    {std::uint16_t{10}, std::u16string(u"NAMED"), 0x409, Bytes{1, 2, 3, 4, 5}},
                    {std::uint16_t{10}, std::uint16_t{5}, 0x409, Bytes(9, 5)},
                    {std::uint16_t{24}, std::uint16_t{1}, 0x409, Bytes(40, '<')}};
        o.overlay = Bytes(0x333, 0x0E);
        o.checksum = true;
        o.symbolTableInOverlay = true;
        return o;
    }

    fs::path dir_;
};

TEST_F(ImageTest, LoaderFailureLines) {
    const std::string name = Path("bad.exe").Utf8();
    EXPECT_EQ(LoadFailure(Bytes{'Z', 'M', 0, 0}),
              "VantrixLog:\r\n  Failed to find DOS signature\r\n  filename: " + name + "\r\n");
    Bytes mz(64, 0);
    mz[0] = 'M';
    mz[1] = 'Z';
    testpe::Put32(mz, 60, 0x1000);
    EXPECT_EQ(LoadFailure(mz),
              "VantrixLog:\r\n  Failed to find NT header\r\n  filename: " + name + "\r\n");

    Bytes good = testpe::Build(Typical(true));
    Bytes badSignature = good;
    badSignature[0x80 + 1] = 'X';
    EXPECT_NE(LoadFailure(badSignature).find("NT header signature is not \"PE\""),
              std::string::npos);
    Bytes badMagic = good;
    testpe::Put32(badMagic, 0x80 + 24, 0x107);
    EXPECT_NE(LoadFailure(badMagic).find("Optional header magic is neither PE32 nor PE32+"),
              std::string::npos);
    Bytes manySections = good;
    manySections[0x80 + 6] = 0xFF;
    manySections[0x80 + 7] = 0xFF;
    EXPECT_NE(LoadFailure(manySections).find("Section table lies outside the file"),
              std::string::npos);
    EXPECT_NE(LoadFailure({}).find("Failed to create file mapping\r\n  filename: " + name),
              std::string::npos);

    Logger log;
    EXPECT_FALSE(ExeImage::Load(Path("absent.exe"), &log));
    EXPECT_NE(LogText(log).find("Failed to open file (2)\r\n  filename: " +
                                Path("absent.exe").Utf8() + "\r\n  osErrorInfo: "),
              std::string::npos);
}

// The core assertion: load, edit, write, load again, and compare the whole tree.
void RoundTrip(ImageTest& t, bool pe32Plus, const XString& in, const XString& out) {
    Logger log;
    auto image = ExeImage::Load(in, &log);
    ASSERT_TRUE(image) << LogText(log);
    EXPECT_EQ(image->IsPe32Plus(), pe32Plus);
    const std::string big(50000, 'B');
    image->AddBytes("BIG", Span(big), &log);
    image->AddBytes("text", Span("hello"), &log);
    image->DeleteNamed("NAMED");
    const auto expected = testpe::DumpTree(*image->Resources());
    ASSERT_TRUE(image->Write(out, &log)) << LogText(log);
    // Writing again gives the same bytes.
    const Bytes first = testpe::ReadFile(out.Utf8());
    ASSERT_TRUE(image->Write(out, &log)) << LogText(log);
    EXPECT_EQ(testpe::ReadFile(out.Utf8()), first);

    auto again = ExeImage::Load(out, &log);
    ASSERT_TRUE(again) << LogText(log);
    EXPECT_EQ(testpe::Format(testpe::DumpTree(*again->Resources())), testpe::Format(expected));
    EXPECT_EQ(LogText(log), "VantrixLog:\r\n");
    (void)t;
}

TEST_F(ImageTest, RoundTripPe32AndPe32Plus) {
    for (const bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        const XString in = Put("in.exe", testpe::Build(Typical(plus)));
        RoundTrip(*this, plus, in, Path("out.exe"));
    }
}

TEST_F(ImageTest, GrowthMovesRelocAndUpdatesHeaders) {
    const Bytes source = testpe::Build(Typical(true));
    const XString in = Put("in.exe", source);
    Logger log;
    auto image = ExeImage::Load(in, &log);
    ASSERT_TRUE(image);
    const ExeSection oldReloc = *image->Sections().Get(3);
    ASSERT_EQ(image->Overlay().size(), 0x333u);
    image->AddBytes("GROW", Span(std::string(0x2345, 'g')), &log);
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);

    const Bytes out = testpe::ReadFile(Path("out.exe").Utf8());
    auto written = ExeImage::Load(Path("out.exe"), &log);
    ASSERT_TRUE(written);
    const ExeSection& rsrc = *written->Sections().Get(2);
    const ExeSection& reloc = *written->Sections().Get(3);
    const std::size_t dirs = 0x80 + 24 + 112;
    // Resource directory entry: the regenerated section's address and size.
    EXPECT_EQ(testpe::Get32(out, dirs + 16), rsrc.VirtualAddress());
    EXPECT_EQ(testpe::Get32(out, dirs + 20), rsrc.VirtualSize());
    EXPECT_EQ(rsrc.SizeOfRawData() % 0x1000, 0u);
    EXPECT_EQ(rsrc.VirtualSize() % 8, 0u);
    // .reloc moved by the growth rounded to the alignments, its bytes unchanged.
    EXPECT_GT(reloc.VirtualAddress(), oldReloc.VirtualAddress());
    EXPECT_EQ(reloc.VirtualAddress() % 0x1000, 0u);
    EXPECT_EQ(reloc.PointerToRawData(), rsrc.PointerToRawData() + rsrc.SizeOfRawData());
    EXPECT_EQ(testpe::Get32(out, dirs + 40), reloc.VirtualAddress());
    EXPECT_EQ(Bytes(out.begin() + reloc.PointerToRawData(),
                    out.begin() + reloc.PointerToRawData() + reloc.SizeOfRawData()),
              Bytes(source.begin() + oldReloc.PointerToRawData(),
                    source.begin() + oldReloc.PointerToRawData() + oldReloc.SizeOfRawData()));
    // Size of image: the end of the last section, aligned.
    EXPECT_EQ(testpe::Get32(out, 0x80 + 24 + 56),
              (reloc.VirtualAddress() + reloc.Extent() + 0xFFF) / 0x1000 * 0x1000);
    // The overlay follows the last section; the symbol table pointer moved with it.
    const std::size_t overlayAt = reloc.PointerToRawData() + reloc.SizeOfRawData();
    EXPECT_EQ(out.size(), overlayAt + 0x333);
    EXPECT_EQ(out[overlayAt], 0x0E);
    EXPECT_EQ(testpe::Get32(out, 0x80 + 12), overlayAt);
    // The checksum is recomputed.
    EXPECT_EQ(testpe::Get32(out, testpe::ChecksumOffset(out)), testpe::Checksum(out));
    // The regenerated section ends in "X" padding.
    EXPECT_EQ(out[rsrc.PointerToRawData() + rsrc.SizeOfRawData() - 1], 'X');
}

TEST_F(ImageTest, UnchangedImageWithResourcesLastIsReproduced) {
    testpe::Options o = Typical(false);
    o.sections.pop_back();  // .rsrc last
    o.overlay.clear();
    o.symbolTableInOverlay = false;
    o.checksum = false;
    const Bytes source = testpe::Build(o);
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", source), &log);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    const Bytes out = testpe::ReadFile(Path("out.exe").Utf8());
    const ExeSection& rsrc = *image->Sections().Get(2);
    ASSERT_GE(out.size(), rsrc.PointerToRawData());
    // Everything before the resource section is the source, except the size fields.
    Bytes head(out.begin(), out.begin() + rsrc.PointerToRawData());
    Bytes sourceHead(source.begin(), source.begin() + rsrc.PointerToRawData());
    const std::size_t rsrcHeader = 0x80 + 24 + 224 + 2 * 40;
    for (const std::size_t at : {std::size_t{0x80 + 24 + 56}, std::size_t{0x80 + 24 + 96 + 20},
                                 rsrcHeader + 8, rsrcHeader + 16}) {
        testpe::Put32(head, at, 0);
        testpe::Put32(sourceHead, at, 0);
    }
    EXPECT_EQ(head, sourceHead);
    EXPECT_EQ(out.size() - rsrc.PointerToRawData(), 0x1000u);
}

TEST_F(ImageTest, CertificateMovesWithTheOverlay) {
    testpe::Options o = Typical(true);
    o.certificateInOverlay = 0x48;
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(o)), &log);
    ASSERT_TRUE(image);
    image->AddBytes("GROW", Span(std::string(0x3000, 'g')), &log);
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    const Bytes out = testpe::ReadFile(Path("out.exe").Utf8());
    const std::size_t certDir = 0x80 + 24 + 112 + 32;
    const std::uint32_t at = testpe::Get32(out, certDir);
    ASSERT_LE(at + 0x48u, out.size());
    EXPECT_EQ(testpe::Get32(out, at), 0x48u);
    EXPECT_EQ(out[at + 4], 0xCE);
    EXPECT_EQ(at % 8, 0u);
}

TEST_F(ImageTest, RefusedWritesLeaveTheTargetAlone) {
    struct Case {
        const char* what;
        testpe::Options options;
        const char* message;
    };
    testpe::Options dataAfter = Typical(true);
    dataAfter.sections.push_back({".data2", Bytes(0x10, 0xD2), 0, 0xC0000040});
    testpe::Options first = Typical(true);
    first.sections = {{".text", Bytes(0x10, 0xC3)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".data", Bytes(0x10, 1)}};
    first.leaves.resize(1);  // leaves room in the section's 0x200 raw bytes
    testpe::Options single = Typical(true);
    single.sections = {{".rsrc", {}, 0, 0x40000040, true}};
    testpe::Options renamed = Typical(true);
    renamed.sections[2].name = ".rsrc2";
    const Case cases[] = {
        {"data after .rsrc", dataAfter,
         "Cannot move a section that code or data may refer to by address\r\n  section_name: "
         ".data2"},
        {"resources at position 1", first,
         "The resource section is one of the first two sections and cannot grow"},
        {"one section", single, "Cannot write an image with fewer than two sections"},
        {"no .rsrc section", renamed, "The image has resources but no section named .rsrc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Logger log;
        auto image = ExeImage::Load(Put("in.exe", testpe::Build(c.options)), &log);
        ASSERT_TRUE(image) << LogText(log);
        image->AddBytes("GROW", Span(std::string(0x5000, 'g')), &log);
        testpe::WriteFile(dir_ / "target.exe", Bytes{'o', 'l', 'd'});
        EXPECT_FALSE(image->Write(Path("target.exe"), &log));
        EXPECT_NE(LogText(log).find(c.message), std::string::npos) << LogText(log);
        EXPECT_EQ(testpe::ReadFile(dir_ / "target.exe"), (Bytes{'o', 'l', 'd'}));
        std::size_t files = 0;
        for (const auto& e : fs::directory_iterator(dir_)) {
            (void)e;
            ++files;
        }
        EXPECT_EQ(files, 2u) << "no temporary file left behind";
    }

    // Data after .rsrc may stay where it is when the resource section does not grow.
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(dataAfter)), &log);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->Write(Path("target.exe"), &log)) << LogText(log);
    // A small tree fits in place at position 1.
    image = ExeImage::Load(Put("in.exe", testpe::Build(first)), &log);
    ASSERT_TRUE(image);
    image->AddBytes("SMALL", Span("s"), &log);
    ASSERT_TRUE(image->Write(Path("target.exe"), &log)) << LogText(log);
    auto again = ExeImage::Load(Path("target.exe"), &log);
    ASSERT_TRUE(again && again->FindNamed("SMALL", nullptr));
}

// Found by fuzzing: a section whose raw data pointer lies far past the end of the file made
// the writer produce gigabytes of zeros. Such a write is refused; so are absurd alignments.
TEST_F(ImageTest, SectionsOutsideTheSourceAndBadAlignmentsAreRefused) {
    Bytes file = testpe::Build(Typical(true));
    const std::size_t relocHeader = 0x80 + 24 + 240 + 3 * 40;
    testpe::Put32(file, relocHeader + 20, 0x8E000000u);
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", file), &log);
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->Write(Path("out.exe"), &log));
    EXPECT_NE(
        LogText(log).find("Section data lies outside the source file\r\n  section_name: .reloc"),
        std::string::npos)
        << LogText(log);
    EXPECT_FALSE(fs::exists(dir_ / "out.exe"));

    Bytes aligned = testpe::Build(Typical(true));
    testpe::Put32(aligned, 0x80 + 24 + 32, 0x80000000u);  // section alignment 2 GB
    Logger alignLog;
    image = ExeImage::Load(Put("in2.exe", aligned), &alignLog);
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->Write(Path("out.exe"), &alignLog));
    EXPECT_NE(LogText(alignLog).find("Invalid file or section alignment in the image"),
              std::string::npos);
}

// A directory counts its named and its numeric entries in 16 bits each. One entry more would
// wrap the count and hide entries from the loader, so that write is refused before any file
// is created; the largest count that fits is written and read back whole.
TEST_F(ImageTest, DirectoryWithMoreEntriesThanItsCountHoldsIsRefused) {
    const Bytes source = testpe::Build(Typical(true));
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", source), &log);
    ASSERT_TRUE(image);
    image->DeleteNamed("NAMED");  // type 10 keeps only its numeric entry
    const std::uint8_t byte[] = {0x5A};
    for (std::uint32_t i = 0; i < ExeResource::kMaxDirectoryEntries; ++i) {
        ASSERT_TRUE(image->AddBytes("E" + std::to_string(i), byte, &log));
    }
    ASSERT_TRUE(image->Write(Path("full.exe"), &log)) << LogText(log);
    {
        auto again = ExeImage::Load(Path("full.exe"), &log);
        ASSERT_TRUE(again) << LogText(log);
        const ExeResource* type = nullptr;
        for (std::uint32_t i = 0; i < again->Resources()->NumericChildren().Count(); ++i) {
            if (again->Resources()->NumericChildren().Get(i)->Id() == 10) {
                type = again->Resources()->NumericChildren().Get(i);
            }
        }
        ASSERT_NE(type, nullptr);
        EXPECT_EQ(type->Header().namedCount, 0xFFFF);
        EXPECT_EQ(type->NamedChildren().Count(), 0xFFFFu);
        EXPECT_EQ(type->NumericChildren().Count(), 1u);
        const auto last = again->FindNamed("E65534", nullptr);
        ASSERT_TRUE(last && last->size == 1);
        EXPECT_EQ(last->data[0], 0x5A);
        EXPECT_EQ(LogText(log), "VantrixLog:\r\n");
    }

    ASSERT_TRUE(image->AddBytes("E65535", byte, &log));
    EXPECT_FALSE(image->Write(Path("over.exe"), &log));
    EXPECT_EQ(LogText(log),
              "VantrixLog:\r\n  Too many named resource entries in one directory\r\n"
              "  directory: root/10\r\n  count: 65536\r\n  maximum: 65535\r\n  filename: " +
                  Path("over.exe").Utf8() + "\r\n");
    EXPECT_FALSE(fs::exists(dir_ / "over.exe"));
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir_)) {
        files.push_back(e.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"full.exe", "in.exe"})) << "no temporary file";
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), source);
    // The serializer refuses the same layout on its own: no wrapped count reaches a sink.
    MemorySink sink;
    EXPECT_FALSE(image->Resources()->Serialize(image->Resources()->Plan(), sink, 0x1000, 0x1000,
                                               nullptr, nullptr));
    EXPECT_TRUE(sink.data.empty());
}

TEST_F(ImageTest, WriteIntoAMissingFolderFailsWithTheOpenMessages) {
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(Typical(true))), &log);
    ASSERT_TRUE(image);
    const XString target = Path("no/such/dir/out.exe");
    EXPECT_FALSE(image->Write(target, &log));
    EXPECT_NE(LogText(log).find("Failed to open file (2)\r\n  filename: " + target.Utf8() +
                                "\r\n  osErrorInfo: "),
              std::string::npos)
        << LogText(log);
    EXPECT_FALSE(image->Write(XString(), &log));
}

TEST_F(ImageTest, ImageWithoutResourcesIsCopied) {
    testpe::Options o = Typical(true);
    o.sections = {
        {".text", Bytes(0x100, 0xC3)}, {".data", Bytes(0x100, 1)}, {".reloc", Bytes(8, 2)}};
    o.checksum = false;
    const Bytes source = testpe::Build(o);
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", source), &log);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    EXPECT_EQ(testpe::ReadFile(dir_ / "out.exe"), source);
}

}  // namespace
}  // namespace resmelder
