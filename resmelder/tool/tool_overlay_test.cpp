// Programs with bytes appended after their sections (an overlay): with --keep-overlay every
// byte before the old end stays at its offset, whether the tree grows into a new section
// after the overlay or fits where it is; without it a moved overlay is reported; a signed
// file cannot keep its overlay. The results are checked by pefile too (pecheck.py).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "image/exe_image.h"
#include "image/test_pe.h"
#include "support/log.h"
#include "tool/tool.h"
#include "tool/tool_test_support.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::Get16;
using testpe::Get32;
using testpe::Pattern;

constexpr std::size_t kOverlaySize = 0x3000;

// Where the headers say the sections are, read without ExeImage.
struct Layout {
    explicit Layout(const Bytes& file) {
        const std::size_t nt = Get32(file, 60);
        sections = Get16(file, nt + 6);
        sizeOfHeaders = Get32(file, nt + 24 + 60);
        const std::size_t table = nt + 24 + Get16(file, nt + 20);
        for (std::size_t i = 0; i < sections; ++i) {
            rawAt.push_back(Get32(file, table + 40 * i + 20));
            rawSize.push_back(Get32(file, table + 40 * i + 16));
        }
    }
    std::size_t sections = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::vector<std::uint32_t> rawAt;
    std::vector<std::uint32_t> rawSize;
};

class ToolOverlayTest : public tool_test::ToolFolderTest {
  protected:
    ToolOverlayTest() : ToolFolderTest("resmelder_overlay_") {}

    void SetUp() override {
        ToolFolderTest::SetUp();
        testpe::Options o;
        o.sections = {{".text", Pattern(0x400, 1), 0, 0x60000020},
                      {".data", Pattern(0x100, 2), 0, 0xC0000040},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Pattern(0x30, 3), 0, 0x42000040}};
        o.leaves = {{std::uint16_t{10}, std::u16string(u"HELLO"), 0x409, Bytes{'h', 'i'}},
                    {std::uint16_t{16}, std::uint16_t{1}, 0x409, Pattern(0x5C, 4)}};
        o.overlay = Pattern(kOverlaySize, 5);
        o.checksum = true;
        source_ = testpe::Build(o);
        testpe::WriteFile(dir_ / "payload setup.exe", source_);
        testpe::WriteFile(dir_ / "big.bin", Pattern(0x5000, 6));
    }

    Bytes Range(const Bytes& file, std::size_t from, std::size_t to) const {
        return Bytes(file.begin() + static_cast<std::ptrdiff_t>(from),
                     file.begin() + static_cast<std::ptrdiff_t>(to));
    }
    int PeCheck(const std::string& edited, const std::string& args) const {
        const std::string command = "/usr/bin/python3 " RESMELDER_TESTDATA_SOURCE "/pecheck.py '" +
                                    P("payload setup.exe") + "' '" + P(edited) + "' " + args;
        return std::system(command.c_str());
    }

    Bytes source_;
};

// The tree outgrows its section: it goes into a new section after the overlay, and every byte
// from the first section's data to the old end stays at its offset, the overlay among them.
TEST_F(ToolOverlayTest, KeptOverlayStaysWhereItWasWhenTheTreeGrows) {
    ASSERT_EQ(Run({"add-file", P("payload setup.exe"), "Big", P("big.bin"), "--keep-overlay", "-o",
                   P("out.exe")}),
              0)
        << err_.str();
    EXPECT_EQ(err_.str(),
              "resmelder: warning: The overlay stays in place: the resources were written to a "
              "new section after it, and the old section's bytes stay in the file, "
              "unreferenced\n");
    const Bytes out = testpe::ReadFile(dir_ / "out.exe");
    const Layout before(source_);
    const Layout after(out);
    ASSERT_GT(out.size(), source_.size());
    EXPECT_EQ(Range(out, before.sizeOfHeaders, source_.size()),
              Range(source_, before.sizeOfHeaders, source_.size()));
    ASSERT_EQ(after.sections, before.sections + 1);
    EXPECT_GE(after.rawAt.back(), source_.size());
    EXPECT_EQ(Range(out, 0, 0x40), Range(source_, 0, 0x40));

    Logger log;
    auto image = ExeImage::Load(XString::FromUtf8(P("out.exe")), &log);
    ASSERT_TRUE(image);
    const ExeResource* big = image->Resources()->FindLeaf(ResourceId::Number(10),
                                                          ResourceId::Text(u"big"), std::nullopt);
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(Bytes(big->Data().begin(), big->Data().end()), Pattern(0x5000, 6));
    EXPECT_EQ(PeCheck("out.exe", "--add Big '" + P("big.bin") + "'"), 0);
}

// A tree that still fits stays in its section, and nothing else moves: the file keeps its
// size, and only the resource section's bytes and the headers change.
TEST_F(ToolOverlayTest, KeptOverlayAndATreeThatFitsLeaveTheFileItsSize) {
    ASSERT_EQ(
        Run({"delete", P("payload setup.exe"), "hello", "--keep-overlay", "-o", P("out.exe")}), 0)
        << err_.str();
    EXPECT_EQ(err_.str(), "");
    const Bytes out = testpe::ReadFile(dir_ / "out.exe");
    const Layout before(source_);
    const Layout after(out);
    ASSERT_EQ(out.size(), source_.size());
    ASSERT_EQ(after.sections, before.sections);
    EXPECT_EQ(after.rawAt, before.rawAt);
    EXPECT_EQ(after.rawSize, before.rawSize);
    const std::size_t resourcesEnd = before.rawAt[2] + before.rawSize[2];
    EXPECT_EQ(Range(out, before.sizeOfHeaders, before.rawAt[2]),
              Range(source_, before.sizeOfHeaders, before.rawAt[2]));
    EXPECT_EQ(Range(out, resourcesEnd, out.size()), Range(source_, resourcesEnd, out.size()));
    EXPECT_EQ(PeCheck("out.exe", "--delete HELLO"), 0);
}

// Without the flag the tree grows in place, the overlay moves, and the user is told by how
// much; its bytes are whole at the new end.
TEST_F(ToolOverlayTest, AMovedOverlayIsReported) {
    ASSERT_EQ(Run({"add-file", P("payload setup.exe"), "Big", P("big.bin"), "-o", P("out.exe")}), 0)
        << err_.str();
    const Bytes out = testpe::ReadFile(dir_ / "out.exe");
    const std::size_t movedBy = out.size() - source_.size();
    ASSERT_GT(movedBy, 0u);
    EXPECT_EQ(err_.str(), "resmelder: the overlay (" + std::to_string(kOverlaySize) +
                              " bytes) moved by " + std::to_string(movedBy) +
                              " bytes; use --keep-overlay to keep it in place\n");
    EXPECT_EQ(Range(out, out.size() - kOverlaySize, out.size()), Pattern(kOverlaySize, 5));
    EXPECT_EQ(Run({"list", P("payload setup.exe"), "--keep-overlay"}), 2);
}

// A certificate table must stay the last thing in the file, and its signature covers the
// rest: a signed file cannot keep its overlay this way. Refused, and nothing written.
TEST_F(ToolOverlayTest, ASignedFileCannotKeepItsOverlay) {
    testpe::Options o;
    o.sections = {{".text", Pattern(0x400, 1), 0, 0x60000020},
                  {".data", Pattern(0x100, 2), 0, 0xC0000040},
                  {".rsrc", {}, 0, 0x40000040, true}};
    o.leaves = {{std::uint16_t{10}, std::u16string(u"HELLO"), 0x409, Bytes{'h', 'i'}}};
    o.certificateInOverlay = 0x80;
    testpe::WriteFile(dir_ / "signed.exe", testpe::Build(o));
    EXPECT_EQ(Run({"set-version", P("signed.exe"), "--file-version", "1.2.3.4", "--keep-overlay",
                   "-o", P("out.exe")}),
              1);
    EXPECT_EQ(err_.str(), "resmelder: cannot write " + P("out.exe") +
                              " (the file has a certificate table, which must stay at its end: "
                              "the overlay cannot be kept in place; nothing written)\n");
    EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
}

}  // namespace
}  // namespace resmelder
