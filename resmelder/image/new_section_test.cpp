// Images whose resources cannot grow where they are, or that have none: the tree goes into a
// new section after the last one, every source section keeps its place, and the headers that
// describe the image follow. Checked field by field here and by pefile (pecheck.py).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::Get16;
using testpe::Get32;
using testpe::LogText;
using testpe::Pattern;

constexpr const char* kUnreferenced =
    "The resource section cannot grow where it is: the resources were written to a new section "
    "at the end, and the old section's bytes stay in the file, unreferenced";
constexpr const char* kNoRoom =
    "No room in the headers for another section header; the resources cannot be written";

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::string PatternText(std::size_t size, std::uint8_t seed) {
    const Bytes bytes = Pattern(size, seed);
    return std::string(bytes.begin(), bytes.end());
}

Bytes Of(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

std::uint32_t Align(std::uint32_t v, std::uint32_t a) {
    return (v + a - 1) / a * a;
}

// The headers of a PE file as this test reads them, independently of ExeImage.
struct Headers {
    explicit Headers(const Bytes& file) : bytes(file) {
        nt = Get32(file, 60);
        const std::uint16_t magic = Get16(file, nt + 24);
        pe32Plus = magic == 0x20B;
        optional = nt + 24;
        table = optional + Get16(file, nt + 20);
        directories = optional + (pe32Plus ? 112 : 96);
    }
    std::uint16_t Sections() const { return Get16(bytes, nt + 6); }
    std::size_t Header(std::size_t i) const { return table + 40 * i; }
    std::string Name(std::size_t i) const {
        const char* at = reinterpret_cast<const char*>(bytes.data() + Header(i));
        return std::string(at, strnlen(at, 8));
    }
    std::uint32_t VirtualSize(std::size_t i) const { return Get32(bytes, Header(i) + 8); }
    std::uint32_t Va(std::size_t i) const { return Get32(bytes, Header(i) + 12); }
    std::uint32_t RawSize(std::size_t i) const { return Get32(bytes, Header(i) + 16); }
    std::uint32_t RawAt(std::size_t i) const { return Get32(bytes, Header(i) + 20); }
    std::uint32_t Characteristics(std::size_t i) const { return Get32(bytes, Header(i) + 36); }
    Bytes Raw(std::size_t i) const {
        return Bytes(bytes.begin() + RawAt(i), bytes.begin() + RawAt(i) + RawSize(i));
    }
    std::uint32_t Directory(std::size_t d) const { return Get32(bytes, directories + 8 * d); }
    std::uint32_t DirectorySize(std::size_t d) const {
        return Get32(bytes, directories + 8 * d + 4);
    }
    std::uint32_t SectionAlignment() const { return Get32(bytes, optional + 32); }
    std::uint32_t FileAlignment() const { return Get32(bytes, optional + 36); }
    std::uint32_t SizeOfImage() const { return Get32(bytes, optional + 56); }
    std::uint32_t SizeOfHeaders() const { return Get32(bytes, optional + 60); }
    std::uint32_t Checksum() const { return Get32(bytes, optional + 64); }
    std::uint32_t InitializedData() const { return Get32(bytes, optional + 8); }

    const Bytes& bytes;
    std::size_t nt = 0;
    std::size_t optional = 0;
    std::size_t table = 0;
    std::size_t directories = 0;
    bool pe32Plus = false;
};

int RunPeCheck(const std::string& args) {
    const std::string command = "/usr/bin/python3 " RESMELDER_TESTDATA_SOURCE "/pecheck.py " + args;
    return std::system(command.c_str());
}

std::string Q(const fs::path& p) {
    return "'" + p.string() + "'";
}

class NewSectionTest : public testpe::FolderTest {
  protected:
    NewSectionTest() : FolderTest("resmelder_newsec_") {}

    XString Put(const std::string& leaf, const Bytes& bytes) const {
        testpe::WriteFile(dir_ / leaf, bytes);
        return Path(leaf);
    }

    // The source's sections must be in the output exactly where and as they were, headers
    // and bytes; the one added section follows them all and holds the resource directory.
    static void ExpectAppended(const Bytes& in, const Bytes& out, std::uint32_t treeSize) {
        const Headers a(in);
        const Headers b(out);
        ASSERT_EQ(b.Sections(), a.Sections() + 1);
        std::uint32_t virtualEnd = 0;
        std::uint32_t dataEnd = 0;
        for (std::size_t i = 0; i < a.Sections(); ++i) {
            SCOPED_TRACE(a.Name(i));
            EXPECT_TRUE(std::equal(in.begin() + a.Header(i), in.begin() + a.Header(i) + 40,
                                   out.begin() + b.Header(i)));
            EXPECT_EQ(b.Raw(i), a.Raw(i));
            const std::uint32_t extent = a.VirtualSize(i) != 0 ? a.VirtualSize(i) : a.RawSize(i);
            virtualEnd = std::max(virtualEnd, a.Va(i) + extent);
            dataEnd = std::max(dataEnd, a.RawAt(i) + a.RawSize(i));
        }
        const std::size_t added = a.Sections();
        EXPECT_EQ(b.Name(added), ".rsrc");
        EXPECT_EQ(b.Characteristics(added), 0x40000040u);  // initialized data, read
        EXPECT_EQ(b.Va(added), Align(virtualEnd, a.SectionAlignment()));
        EXPECT_EQ(b.RawAt(added), Align(dataEnd, a.FileAlignment()));
        EXPECT_EQ(b.VirtualSize(added), treeSize);
        EXPECT_EQ(b.RawSize(added), Align(treeSize, a.FileAlignment()));
        EXPECT_EQ(b.Directory(2), b.Va(added));
        EXPECT_EQ(b.DirectorySize(2), treeSize);
        EXPECT_EQ(b.SizeOfImage(), Align(b.Va(added) + treeSize, a.SectionAlignment()));
        EXPECT_EQ(b.InitializedData(), a.InitializedData() + b.RawSize(added));
        EXPECT_EQ(b.SizeOfHeaders(), a.SizeOfHeaders());
        if (a.Checksum() != 0) {
            EXPECT_EQ(b.Checksum(), testpe::Checksum(out));
        } else {
            EXPECT_EQ(b.Checksum(), 0u);
        }
    }
};

testpe::Options WithoutResources(bool pe32Plus) {
    testpe::Options o;
    o.pe32Plus = pe32Plus;
    o.fileAlignment = 0x400;  // headers with room for one more section header
    o.sections = {{".text", Pattern(0x1800, 0xC3), 0, 0x60000020},
                  {".data", Bytes(0x100, 0xDA), 0, 0xC0000040},
                  {".bss", {}, 0x4000, 0xC0000080}};
    o.overlay = Bytes(0x333, 0x0E);
    o.checksum = true;
    return o;
}

TEST_F(NewSectionTest, ImagesWithoutResourcesGetANewSection) {
    const fs::path odd = dir_ / "data files é";
    fs::create_directories(odd);
    const Bytes fileData = Pattern(0x2345, 0x5F);
    testpe::WriteFile(odd / "Crème brûlée.bin", fileData);
    testpe::WriteFile(dir_ / "greeting.bin", Of("Hello"));
    testpe::WriteFile(dir_ / "mixed.bin", Of("mixed"));
    for (const bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        const Bytes in = testpe::Build(WithoutResources(pe32Plus));
        Logger log;
        auto image = ExeImage::Load(Put("in.exe", in), &log);
        ASSERT_TRUE(image) << LogText(log);
        ASSERT_NE(image->Resources(), nullptr);
        EXPECT_EQ(image->Resources()->NumericChildren().Count(), 0u);
        ASSERT_TRUE(image->AddBytes("Greeting", Span("Hello"), &log)) << LogText(log);
        ASSERT_TRUE(image->AddBytes("mixed Case name", Span("mixed"), &log));
        // "Café Crème" in the ANSI code page; its data comes from a file in an odd folder.
        ASSERT_TRUE(image->AddFile("Caf\xE9 Cr\xE8me",
                                   XString::FromUtf8((odd / "Crème brûlée.bin").string()), &log));
        ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
        EXPECT_EQ(LogText(log).find(kUnreferenced), std::string::npos) << "nothing was there";

        const Bytes out = testpe::ReadFile(dir_ / "out.exe");
        ExpectAppended(
            in, out,
            static_cast<std::uint32_t>((image->Resources()->Plan().size + 7) & ~std::uint64_t{7}));
        EXPECT_EQ(Bytes(out.end() - 0x333, out.end()), Bytes(0x333, 0x0E)) << "overlay last";

        auto again = ExeImage::Load(Path("out.exe"), &log);
        ASSERT_TRUE(again) << LogText(log);
        const auto greeting = again->FindNamed("GREETING", nullptr);
        ASSERT_TRUE(greeting);
        EXPECT_EQ(std::string(greeting->data, greeting->data + greeting->size), "Hello");
        ASSERT_TRUE(again->FindNamed("Mixed CASE Name", nullptr));
        const auto cafe = again->FindNamed("caf\xE9 cr\xE8me", nullptr);
        ASSERT_TRUE(cafe);
        EXPECT_EQ(Bytes(cafe->data, cafe->data + cafe->size), fileData);
        EXPECT_EQ(RunPeCheck(Q(dir_ / "in.exe") + " " + Q(dir_ / "out.exe") + " --add Greeting " +
                             Q(dir_ / "greeting.bin") + " --add 'mixed Case name' " +
                             Q(dir_ / "mixed.bin") + " --add 'Café Crème' " +
                             Q(odd / "Crème brûlée.bin")),
                  0);
    }
}

TEST_F(NewSectionTest, UnchangedImageWithoutResourcesIsCopiedAsItIs) {
    const Bytes in = testpe::Build(WithoutResources(true));
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", in), &log);
    ASSERT_TRUE(image);
    image->DeleteNamed("NOTHING");
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    EXPECT_EQ(testpe::ReadFile(dir_ / "out.exe"), in);
}

// A section that code refers to by address follows .rsrc: it cannot move, so the tree goes
// to the end and the old resource bytes stay where they were, unreferenced.
TEST_F(NewSectionTest, CodeAfterTheResourceSectionStaysWhereItIs) {
    for (const bool pe32Plus : {false, true}) {
        for (const bool certificate : {false, true}) {
            SCOPED_TRACE(std::string(pe32Plus ? "PE32+" : "PE32") + (certificate ? " signed" : ""));
            testpe::Options o = WithoutResources(pe32Plus);
            o.sections = {{".text", Pattern(0x1800, 0xC3), 0, 0x60000020},
                          {".data", Bytes(0x100, 0xDA), 0, 0xC0000040},
                          {".rsrc", {}, 0, 0x40000040, true},
                          {".text2", Bytes(0x300, 0xCC), 0, 0x60000020},
                          {".reloc", Bytes(0x30, 0x11), 0, 0x42000040}};
            o.leaves = {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(0x5C, 0x16)},
                        {std::uint16_t{10}, std::u16string(u"NAMED"), 0x409, Bytes{1, 2, 3}},
                        {std::uint16_t{24}, std::uint16_t{1}, 0x409, Bytes(40, '<')}};
            if (certificate) {
                o.certificateInOverlay = 0x48;
            }
            const Bytes in = testpe::Build(o);
            Logger log;
            auto image = ExeImage::Load(Put("in.exe", in), &log);
            ASSERT_TRUE(image) << LogText(log);
            const std::string grown = PatternText(0x5000, 'g');
            testpe::WriteFile(dir_ / "grow.bin", Bytes(grown.begin(), grown.end()));
            ASSERT_TRUE(image->AddBytes("Grow Big", Span(grown), &log));
            ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
            EXPECT_NE(LogText(log).find(kUnreferenced), std::string::npos) << LogText(log);

            const Bytes out = testpe::ReadFile(dir_ / "out.exe");
            ExpectAppended(in, out,
                           static_cast<std::uint32_t>((image->Resources()->Plan().size + 7) &
                                                      ~std::uint64_t{7}));
            const Headers h(out);
            EXPECT_EQ(h.Directory(5), Headers(in).Directory(5)) << ".reloc did not move";
            if (certificate) {
                // The certificate table is still the file's last bytes, found through its
                // (file offset) directory entry.
                EXPECT_EQ(h.Directory(4) + h.DirectorySize(4), out.size());
                EXPECT_EQ(Get32(out, h.Directory(4)), 0x48u);
                EXPECT_EQ(out[h.Directory(4) + 4], 0xCE);
                EXPECT_GE(h.Directory(4), h.RawAt(5) + h.RawSize(5));
            }
            auto again = ExeImage::Load(Path("out.exe"), &log);
            ASSERT_TRUE(again) << LogText(log);
            EXPECT_EQ(testpe::Format(testpe::DumpTree(*again->Resources())),
                      testpe::Format(testpe::DumpTree(*image->Resources())));
            EXPECT_EQ(RunPeCheck(Q(dir_ / "in.exe") + " " + Q(dir_ / "out.exe") +
                                 " --add 'Grow Big' " + Q(dir_ / "grow.bin")),
                      0);

            // Edited again, the new section is the one that holds the tree, and being last it
            // grows in place: no third resource section.
            ASSERT_TRUE(again->AddBytes("second", Span(PatternText(0x3000, 's')), &log));
            ASSERT_TRUE(again->Write(Path("twice.exe"), &log)) << LogText(log);
            const Bytes twice = testpe::ReadFile(dir_ / "twice.exe");
            const Headers t(twice);
            EXPECT_EQ(t.Sections(), h.Sections());
            EXPECT_EQ(t.Raw(2), Headers(in).Raw(2)) << "the old .rsrc is still untouched";
            EXPECT_EQ(t.Directory(2), t.Va(5));
            auto third = ExeImage::Load(Path("twice.exe"), &log);
            ASSERT_TRUE(third);
            EXPECT_TRUE(third->FindNamed("GROW BIG", nullptr));
            EXPECT_TRUE(third->FindNamed("Second", nullptr));
            EXPECT_TRUE(third->FindNamed("named", nullptr));
        }
    }
}

TEST_F(NewSectionTest, TheResourceSectionStillGrowsInPlaceWhenItCan) {
    testpe::Options o = WithoutResources(true);
    o.sections = {{".text", Pattern(0x1800, 0xC3), 0, 0x60000020},
                  {".data", Bytes(0x100, 0xDA), 0, 0xC0000040},
                  {".rsrc", {}, 0, 0x40000040, true},
                  {".reloc", Bytes(0x30, 0x11), 0, 0x42000040}};
    o.leaves = {{std::uint16_t{10}, std::u16string(u"OLD"), 0x409, Bytes{1, 2, 3}}};
    Logger log;
    auto image = ExeImage::Load(Put("in.exe", testpe::Build(o)), &log);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->AddBytes("big", Span(PatternText(0x5000, 'b')), &log));
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    const Bytes out = testpe::ReadFile(dir_ / "out.exe");
    const Headers h(out);
    EXPECT_EQ(h.Sections(), 4u);
    EXPECT_EQ(h.Name(2), ".rsrc");
    EXPECT_EQ(h.Directory(2), h.Va(2));
    EXPECT_GT(h.Va(3), h.Va(2) + 0x5000) << ".reloc moved behind the grown tree";
    EXPECT_EQ(LogText(log).find(kUnreferenced), std::string::npos);
}

TEST_F(NewSectionTest, SingleSectionImagesAndASmallSecondSection) {
    struct Case {
        const char* what;
        testpe::Options options;
    };
    testpe::Options onlyResources = WithoutResources(false);
    onlyResources.sections = {{".rsrc", {}, 0, 0x40000040, true}};
    onlyResources.leaves = {{std::uint16_t{10}, std::u16string(u"KEEP"), 0x409, Bytes(7, 7)}};
    testpe::Options onlyCode = WithoutResources(true);
    onlyCode.sections = {{".text", Pattern(0x80, 0xC3), 0, 0x60000020}};
    testpe::Options second = WithoutResources(true);
    second.sections = {{".text", Pattern(0x80, 0xC3), 0, 0x60000020},
                       {".rsrc", {}, 0, 0x40000040, true},
                       {".data", Bytes(0x10, 1), 0, 0xC0000040}};
    second.leaves = onlyResources.leaves;
    const Case cases[] = {
        {"only .rsrc", onlyResources}, {"only code", onlyCode}, {".rsrc at position 1", second}};
    testpe::WriteFile(dir_ / "grow.bin", Pattern(0x5000, 'g'));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes in = testpe::Build(c.options);
        Logger log;
        auto image = ExeImage::Load(Put("in.exe", in), &log);
        ASSERT_TRUE(image) << LogText(log);
        ASSERT_TRUE(image->AddBytes("Grow", Span(PatternText(0x5000, 'g')), &log));
        ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
        const Bytes out = testpe::ReadFile(dir_ / "out.exe");
        ExpectAppended(
            in, out,
            static_cast<std::uint32_t>((image->Resources()->Plan().size + 7) & ~std::uint64_t{7}));
        EXPECT_EQ(RunPeCheck(Q(dir_ / "in.exe") + " " + Q(dir_ / "out.exe") + " --add Grow " +
                             Q(dir_ / "grow.bin")),
                  0);
        auto again = ExeImage::Load(Path("out.exe"), &log);
        ASSERT_TRUE(again);
        EXPECT_TRUE(again->FindNamed("grow", nullptr));
        EXPECT_EQ(again->FindNamed("keep", nullptr).has_value(), !c.options.leaves.empty());
    }
}

// The new header must fit between the section table and the first section's data, inside
// the headers' size, in bytes nothing else uses; otherwise nothing is written.
TEST_F(NewSectionTest, NoHeaderRoomIsRefusedWithoutOutput) {
    testpe::Options full = WithoutResources(true);  // 0x188 + 3 x 40 = 0x200: the table is full
    full.fileAlignment = 0x200;
    testpe::Options used = WithoutResources(false);
    used.fileAlignment = 0x200;
    used.sections.pop_back();
    const Bytes fullBytes = testpe::Build(full);
    Bytes usedBytes = testpe::Build(used);
    // Something (a bound import table, say) lives right after the section table.
    const Headers u(usedBytes);
    usedBytes[u.Header(2) + 5] = 0x42;
    ASSERT_LE(u.Header(3), u.RawAt(0)) << "room enough, but not free";
    for (const Bytes* in : {&fullBytes, static_cast<const Bytes*>(&usedBytes)}) {
        Logger log;
        auto image = ExeImage::Load(Put("in.exe", *in), &log);
        ASSERT_TRUE(image) << LogText(log);
        ASSERT_TRUE(image->AddBytes("Name", Span("value"), &log));
        EXPECT_FALSE(image->Write(Path("out.exe"), &log));
        EXPECT_NE(LogText(log).find(std::string(kNoRoom) + "\r\n  sizeOfHeaders: 512\r\n"),
                  std::string::npos)
            << LogText(log);
        EXPECT_EQ(Files(), std::vector<std::string>{"in.exe"}) << "no output, no temporary";
        testpe::WriteFile(dir_ / "target.exe", Bytes{'o', 'l', 'd'});
        EXPECT_FALSE(image->Write(Path("target.exe"), &log));
        EXPECT_EQ(testpe::ReadFile(dir_ / "target.exe"), (Bytes{'o', 'l', 'd'}));
        fs::remove(dir_ / "target.exe");
    }
}

// Wine's own programs and libraries without resources (made by another toolchain, with debug
// sections, a symbol table and a checksum): the entries are added and every parser agrees.
TEST_F(NewSectionTest, WineFilesWithoutResources) {
    const fs::path wine = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
    testpe::WriteFile(dir_ / "one.bin", Of("first entry"));
    testpe::WriteFile(dir_ / "two.bin", Pattern(0x12345, 0xA5));
    for (const char* name : {"whoami.exe", "expand.exe", "xmllite.dll"}) {
        SCOPED_TRACE(name);
        const fs::path source = wine / name;
        ASSERT_TRUE(fs::exists(source)) << source;
        const Bytes in = testpe::ReadFile(source);
        ASSERT_EQ(Headers(in).Directory(2), 0u) << "expected a file without resources";
        Logger log;
        auto image = ExeImage::Load(XString::FromUtf8(source.string()), &log);
        ASSERT_TRUE(image) << LogText(log);
        ASSERT_TRUE(image->AddBytes("First Entry", Span("first entry"), &log));
        ASSERT_TRUE(image->AddFile("zweiter Eintrag",
                                   XString::FromUtf8((dir_ / "two.bin").string()), &log));
        ASSERT_TRUE(image->Write(Path(name), &log)) << LogText(log);
        const Bytes out = testpe::ReadFile(dir_ / name);
        ExpectAppended(
            in, out,
            static_cast<std::uint32_t>((image->Resources()->Plan().size + 7) & ~std::uint64_t{7}));
        EXPECT_EQ(
            RunPeCheck(Q(source) + " " + Q(dir_ / name) + " --add 'First Entry' " +
                       Q(dir_ / "one.bin") + " --add 'zweiter Eintrag' " + Q(dir_ / "two.bin")),
            0);
        auto again = ExeImage::Load(Path(name), &log);
        ASSERT_TRUE(again) << LogText(log);
        const auto two = again->FindNamed("ZWEITER EINTRAG", nullptr);
        ASSERT_TRUE(two);
        EXPECT_EQ(two->size, 0x12345u);
    }
}

}  // namespace
}  // namespace resmelder
