// Loading, laying out and writing images: failure lines, refusals, header updates, atomic
// output, and round trips compared over the whole tree.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/output_sink.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/file_sys.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

class ImageTest : public testpe::FolderTest {
  protected:
    ImageTest() : FolderTest("resmelder_img_") {}

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
    ASSERT_EQ(image->OverlaySize(), 0x333u);
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
    // Three PE32+ section headers fill the 0x200 bytes of headers: no room for a new one.
    testpe::Options full = Typical(true);
    full.sections = {{".text", Bytes(0x10, 0xC3)},
                     {".rsrc", {}, 0, 0x40000040, true},
                     {".data", Bytes(0x10, 1)}};
    testpe::Options none = Typical(true);
    none.sections.clear();
    const Case cases[] = {
        {"no header room", full,
         "No room in the headers for another section header; the resources cannot be written"},
        {"no sections", none, "Cannot write an image without sections"},
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
        EXPECT_EQ(Files().size(), 2u) << "no temporary file left behind";
    }

    // Layouts where .rsrc cannot grow in place now take a new section at the end.
    testpe::Options dataAfter = Typical(true);
    dataAfter.sections.push_back({".data2", Bytes(0x10, 0xD2), 0, 0xC0000040});
    testpe::Options first = Typical(true);
    first.sections = {{".text", Bytes(0x10, 0xC3)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".data", Bytes(0x10, 1)}};
    first.leaves.resize(1);       // leaves room in the section's 0x200 raw bytes
    first.fileAlignment = 0x400;  // and room for a fourth section header
    testpe::Options single = Typical(true);
    single.sections = {{".rsrc", {}, 0, 0x40000040, true}};
    testpe::Options renamed = Typical(true);
    renamed.sections[2].name = ".rsrc2";
    for (const auto* options : {&dataAfter, &first, &single, &renamed}) {
        Logger log;
        auto image = ExeImage::Load(Put("in.exe", testpe::Build(*options)), &log);
        ASSERT_TRUE(image) << LogText(log);
        image->AddBytes("GROW", Span(std::string(0x5000, 'g')), &log);
        ASSERT_TRUE(image->Write(Path("target.exe"), &log)) << LogText(log);
        auto again = ExeImage::Load(Path("target.exe"), &log);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->Sections().Count(), options->sections.size() + 1);
        EXPECT_TRUE(again->FindNamed("GROW", nullptr));
    }

    // Data after .rsrc may stay where it is when the resource section does not grow.
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(dataAfter)), &log);
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->Write(Path("target.exe"), &log)) << LogText(log);
    EXPECT_EQ(testpe::Get16(testpe::ReadFile(dir_ / "target.exe"), 0x80 + 6), 5u);
    // A small tree fits in place at position 1. The open source is let go first: it is shared
    // for reading only, and Windows would not let it be rewritten.
    image.reset();
    image = ExeImage::Load(Put("in.exe", testpe::Build(first)), &log);
    ASSERT_TRUE(image);
    image->AddBytes("SMALL", Span("s"), &log);
    ASSERT_TRUE(image->Write(Path("target.exe"), &log)) << LogText(log);
    auto again = ExeImage::Load(Path("target.exe"), &log);
    ASSERT_TRUE(again && again->FindNamed("SMALL", nullptr));
    EXPECT_EQ(again->Sections().Count(), 3u);
}

// Found by fuzzing: a section whose raw data pointer lies far past the end of the file made
// the writer produce gigabytes of zeros. The loader refuses such an image, and so does Load;
// a section without raw data that claims a far position is refused by the write, and so are
// absurd alignments.
TEST_F(ImageTest, SectionsOutsideTheSourceAndBadAlignmentsAreRefused) {
    Bytes file = testpe::Build(Typical(true));
    const std::size_t relocHeader = 0x80 + 24 + 240 + 3 * 40;
    testpe::Put32(file, relocHeader + 20, 0x8E000000u);
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", file), &log);
    EXPECT_FALSE(image);
    EXPECT_NE(LogText(log).find(
                  "Section data reaches past the end of the file\r\n  section_name: .reloc"),
              std::string::npos)
        << LogText(log);

    // The same through a section without raw data: the moved .rsrc would start where .data
    // claims to end, nearly 2 GB into the output.
    Bytes empty = testpe::Build(Typical(true));
    const std::size_t dataHeader = 0x80 + 24 + 240 + 40;
    testpe::Put32(empty, dataHeader + 16, 0);
    testpe::Put32(empty, dataHeader + 20, 0x742E0000u);
    Logger emptyLog;
    image = ExeImage::Load(Put("in1.exe", empty), &emptyLog);
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->Write(Path("out.exe"), &emptyLog));
    EXPECT_NE(LogText(emptyLog).find(
                  "Section data lies outside the source file\r\n  section_name: .data\r\n"),
              std::string::npos)
        << LogText(emptyLog);
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

    // One more cannot be written, so it is not added: the edit is refused, not the write.
    EXPECT_FALSE(image->AddBytes("E65535", byte, &log));
    EXPECT_EQ(LogText(log),
              "VantrixLog:\r\n  The resource type for new entries is full; nothing added\r\n"
              "  resourceName: E65535\r\n");
    EXPECT_FALSE(image->FindNamed("E65535", nullptr));
    ASSERT_TRUE(image->Write(Path("again.exe"), &log));
    EXPECT_EQ(testpe::ReadFile(dir_ / "again.exe"), testpe::ReadFile(dir_ / "full.exe"));
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), source);
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

// Layouts the writer cannot produce soundly are refused with their own line, and nothing is
// left beside the target. The first three are decided before any file is created; an overlap
// is found while the sections are copied.
TEST_F(ImageTest, LayoutRefusalsLeaveTheTargetAlone) {
    const std::size_t table = 0x80 + 24 + 240;  // PE32+ section table
    // .reloc, moved behind the grown .rsrc to 0xA000: its end passes 4 GB, or only its end
    // rounded up to the section alignment does.
    auto withRelocSize = [](std::uint32_t virtualSize) {
        testpe::Options o = Typical(true);
        o.sections[3].virtualSize = virtualSize;
        return testpe::Build(o);
    };
    const Bytes hugeVirtual = withRelocSize(0xFFFFF000u);
    const Bytes hugeRounded = withRelocSize(0xFFFF5800u);
    Bytes dataInHeaders = testpe::Build(Typical(true));
    testpe::Put32(dataInHeaders, table + 20, 0x100);  // .text's raw data inside the table
    Bytes sharedData = testpe::Build(Typical(true));
    testpe::Put32(sharedData, table + 40 + 20, testpe::Get32(sharedData, table + 20) + 0x200);

    // Sparse files: their size counts, their bytes are never read.
    const fs::path justTooLarge = dir_ / "just_too_large.bin";
    testpe::WriteFile(justTooLarge, {});
    fs::resize_file(justTooLarge, 0x7FFF0001u);
    const fs::path beyond32Bits = dir_ / "beyond_32_bits.bin";
    testpe::WriteFile(beyond32Bits, {});
    fs::resize_file(beyond32Bits, 0x140000000ull);

    struct Case {
        const char* what;
        const Bytes* source;
        const fs::path* dataFile;  // added as a file-backed entry, when set
        std::string message;
    };
    const Bytes typical = testpe::Build(Typical(true));
    const Case cases[] = {
        {"entry file past the section limit", &typical, &justTooLarge,
         "The resource section would be too large"},
        {"entry file past 4 GB", &typical, &beyond32Bits,
         "The resource section would be too large"},
        {"virtual range past 4 GB", &hugeVirtual, nullptr, "The laid-out image would be too large"},
        {"size of image past 4 GB", &hugeRounded, nullptr, "The laid-out image would be too large"},
        {"section data in the headers", &dataInHeaders, nullptr,
         "The section table overlaps section data"},
        {"two sections share raw data", &sharedData, nullptr,
         "Sections overlap in the file\r\n  section_name: .data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Logger log;
        auto image = ExeImage::Load(Put("in.exe", *c.source), &log);
        ASSERT_TRUE(image) << LogText(log);
        if (c.dataFile != nullptr) {
            ASSERT_TRUE(image->AddFile("BIG", XString::FromUtf8(c.dataFile->string()), &log));
        } else {
            ASSERT_TRUE(image->AddBytes("GROW", Span(std::string(0x5000, 'g')), &log));
        }
        testpe::WriteFile(dir_ / "target.exe", Bytes{'o', 'l', 'd'});
        EXPECT_FALSE(image->Write(Path("target.exe"), &log));
        EXPECT_NE(LogText(log).find(c.message + "\r\n  filename: " + Path("target.exe").Utf8()),
                  std::string::npos)
            << LogText(log);
        EXPECT_EQ(testpe::ReadFile(dir_ / "target.exe"), (Bytes{'o', 'l', 'd'}));
        EXPECT_EQ(Files(), (std::vector<std::string>{"beyond_32_bits.bin", "in.exe",
                                                     "just_too_large.bin", "target.exe"}));
    }
}

// A target that is not a file (here a folder) is refused before anything is written; the
// folder and its contents stay, and nothing is left beside it.
TEST_F(ImageTest, TargetThatCannotBeReplacedStaysAsItWas) {
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(Typical(true))), &log);
    ASSERT_TRUE(image);
    image->AddBytes("NEW", Span("new"), &log);
    fs::create_directory(dir_ / "target.exe");
    testpe::WriteFile(dir_ / "target.exe" / "inside", Bytes{1, 2});
    EXPECT_FALSE(image->Write(Path("target.exe"), &log));
    EXPECT_NE(LogText(log).find("Not a regular file\r\n  filename: " + Path("target.exe").Utf8()),
              std::string::npos)
        << LogText(log);
    EXPECT_TRUE(fs::is_directory(dir_ / "target.exe"));
    EXPECT_EQ(testpe::ReadFile(dir_ / "target.exe" / "inside"), (Bytes{1, 2}));
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "target.exe"}));

    // Through the two steps: the target becomes a folder after the output was written; the
    // commit asks again and refuses, and the output goes.
    auto pending = image->WriteBeside(Path("later.exe"), &log);
    ASSERT_TRUE(pending) << LogText(log);
    fs::create_directory(dir_ / "later.exe");
    EXPECT_FALSE(pending->Commit(&log));
    EXPECT_NE(LogText(log).find("Not a regular file\r\n  filename: " + Path("later.exe").Utf8()),
              std::string::npos)
        << LogText(log);
    pending.reset();
    EXPECT_TRUE(fs::is_empty(dir_ / "later.exe"));
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "later.exe", "target.exe"}));
}

// The write reports a target it cannot create exactly as the file layer reports that name:
// a name outside the ANSI code page takes the wide route, "(3)" with its UTF-8 form, where
// the system has one.
TEST_F(ImageTest, OpenFailureForANameOutsideTheAnsiCodePageFollowsTheFileLayer) {
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(Typical(true))), &log);
    ASSERT_TRUE(image);
    const XString target = Path("\xce\x91\xcf\x81\xcf\x87\xce\xb5\xce\xaf\xce\xb1/out.exe");
    ASSERT_FALSE(target.IsRepresentableInAnsi());
    EXPECT_FALSE(image->Write(target, &log));
    Logger fileLayer;
    EXPECT_FALSE(FileSys::OpenForWrite(target, &fileLayer).IsOpen());
    EXPECT_EQ(LogText(log), LogText(fileLayer));
    const std::string expected = file_backend::HasWideRoute()
                                     ? "Failed to open file (3)\r\n  utf8Filename: "
                                     : "Failed to open file (2)\r\n  filename: ";
    EXPECT_NE(LogText(log).find(expected + target.Utf8() + "\r\n  osErrorInfo: "),
              std::string::npos)
        << LogText(log);
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe"}));
}

// Names stored in the file as UTF-16 that the ANSI code page cannot hold (Greek, Cyrillic,
// CJK, a lone surrogate) are written back unit for unit after an edit, at the type and at
// the name level.
TEST_F(ImageTest, NamesOutsideTheAnsiCodePageAreWrittenBackUnchanged) {
    const std::u16string greek = u"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1";
    const std::u16string cyrillic = u"\u041a\u0438\u0435\u0432";
    const std::u16string cjk = u"\u6f22\u5b57";
    const std::u16string lone = std::u16string(u"x") + char16_t{0xD800} + u"y";
    testpe::Options o = Typical(true);
    // The named type first: named entries come before numeric ones in a directory.
    o.leaves = {{cjk, lone, 0x411, Bytes{4, 4, 4}},
                {std::uint16_t{10}, greek, 0x408, Bytes{1}},
                {std::uint16_t{10}, cyrillic, 0x419, Bytes{2, 2}},
                {std::uint16_t{10}, std::u16string(u"OLD"), 0x409, Bytes{3}}};
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(o)), &log);
    ASSERT_TRUE(image) << LogText(log);
    image->DeleteNamed("OLD");
    image->AddBytes("NEW", Span("new"), &log);
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);

    auto again = ExeImage::Load(Path("out.exe"), &log);
    ASSERT_TRUE(again) << LogText(log);
    const ExeResource& root = *again->Resources();
    std::vector<std::u16string> names;
    for (std::uint32_t t = 0; t < root.NumericChildren().Count(); ++t) {
        const ExeResource& type = *root.NumericChildren().Get(t);
        for (std::uint32_t n = 0; n < type.NamedChildren().Count(); ++n) {
            names.push_back(type.NamedChildren().Get(n)->Name16());
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<std::u16string> expected = {greek, cyrillic, u"NEW"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    ASSERT_EQ(root.NamedChildren().Count(), 1u);
    const ExeResource& namedType = *root.NamedChildren().Get(0);
    EXPECT_EQ(namedType.Name16(), cjk);
    ASSERT_EQ(namedType.NamedChildren().Count(), 1u);
    EXPECT_EQ(namedType.NamedChildren().Get(0)->Name16(), lone);
    EXPECT_EQ(LogText(log), "VantrixLog:\r\n");

    // The name strings in the written section: the count, then the units as they were read.
    const Bytes out = testpe::ReadFile(dir_ / "out.exe");
    for (const std::u16string& name : {greek, cyrillic, cjk, lone}) {
        Bytes record{static_cast<std::uint8_t>(name.size()), 0};
        for (const char16_t unit : name) {
            record.push_back(static_cast<std::uint8_t>(unit & 0xFF));
            record.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        EXPECT_NE(std::search(out.begin(), out.end(), record.begin(), record.end()), out.end());
    }
}

// A directory whose named entry sits among its numeric ones (the root here: type 10, then a
// named type, under a count of one named entry) is read with each entry in the list of its
// kind, logged, and written back well-formed.
TEST_F(ImageTest, EntriesOutOfPlaceAreReadByTheirKindAndWrittenWellFormed) {
    testpe::Options o = Typical(true);
    o.leaves = {{std::uint16_t{10}, std::u16string(u"DATA"), 0x409, Bytes{1}},
                {std::u16string(u"TYPE"), std::uint16_t{7}, 0x409, Bytes{2, 2}}};
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(o)), &log);
    ASSERT_TRUE(image);
    EXPECT_NE(LogText(log).find("Resource entry is not where its kind belongs; entry moved"),
              std::string::npos)
        << LogText(log);
    const ExeResource& root = *image->Resources();
    ASSERT_EQ(root.NamedChildren().Count(), 1u);
    EXPECT_EQ(root.NamedChildren().Get(0)->Name(), "TYPE");
    ASSERT_EQ(root.NumericChildren().Count(), 1u);
    EXPECT_EQ(root.NumericChildren().Get(0)->Id(), 10);
    const auto expected = testpe::Format(testpe::DumpTree(root));

    Logger again;
    ASSERT_TRUE(image->Write(Path("out.exe"), &again)) << LogText(again);
    auto written = ExeImage::Load(Path("out.exe"), &again);
    ASSERT_TRUE(written);
    EXPECT_EQ(LogText(again), "VantrixLog:\r\n");
    EXPECT_EQ(testpe::Format(testpe::DumpTree(*written->Resources())), expected);
    const auto data = written->FindNamed("DATA", nullptr);
    ASSERT_TRUE(data && data->size == 1);
}

}  // namespace
}  // namespace resmelder
