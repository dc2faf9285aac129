// Executables made by the mingw toolchains, edited and written, then checked by an
// independent parser (pefile) as well as by reading them back.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "image/exe_image.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"
#include "testing/test_folder.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

int RunPeCheck(const std::string& args) {
    const std::string command = "/usr/bin/python3 " RESMELDER_TESTDATA_SOURCE "/pecheck.py " + args;
    return std::system(command.c_str());
}

class RealExeTest : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        source_ = fs::path(RESMELDER_TESTDATA_DIR) / (std::string(GetParam()) + ".exe");
        ASSERT_TRUE(fs::exists(source_)) << source_;
    }
    std::string Q(const fs::path& p) const { return "'" + p.string() + "'"; }

    test_support::TestFolder folder_{std::string("resmelder_real_") + GetParam()};
    const fs::path dir_ = folder_.path();
    fs::path source_;
};

TEST_P(RealExeTest, EditWriteReloadAndCheckIndependently) {
    // An overlay the writer must carry to the end of the new file.
    Bytes input = testpe::ReadFile(source_);
    const Bytes overlay(777, 0x0F);
    input.insert(input.end(), overlay.begin(), overlay.end());
    const fs::path in = dir_ / "in.exe";
    testpe::WriteFile(in, input);
    const Bytes small = {'s', 'm', 'a', 'l', 'l'};
    Bytes big(100000);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i * 7 % 251);
    }
    testpe::WriteFile(dir_ / "small.bin", small);
    testpe::WriteFile(dir_ / "big.bin", big);

    Logger log;
    auto image = ExeImage::Load(XString::FromUtf8(in.string()), &log);
    ASSERT_TRUE(image) << LogText(log);
    // (A symbol table, where there is one, is part of the overlay too.)
    ASSERT_GE(image->OverlaySize(), overlay.size());
    EXPECT_EQ(image->OverlayOffset() + image->OverlaySize(), input.size());
    // Every probe has a tree, empty for the one built without resources.
    ASSERT_NE(image->Resources(), nullptr);
    ASSERT_TRUE(image->AddBytes("ADDED_ONE", small, &log));
    ASSERT_TRUE(image->AddFile("big_added", XString::FromUtf8((dir_ / "big.bin").string()), &log));
    image->DeleteNamed("HELLO");
    const auto expected = testpe::Format(testpe::DumpTree(*image->Resources()));

    const fs::path out = dir_ / "out.exe";
    ASSERT_TRUE(image->Write(XString::FromUtf8(out.string()), &log)) << LogText(log);
    auto again = ExeImage::Load(XString::FromUtf8(out.string()), &log);
    ASSERT_TRUE(again) << LogText(log);
    const Bytes written = testpe::ReadFile(out);
    EXPECT_EQ(Bytes(written.end() - 777, written.end()), overlay);
    // The tree file-backed entry now holds its bytes; compare with it resolved.
    auto found = again->FindNamed("big_added", nullptr);
    ASSERT_TRUE(found);
    EXPECT_EQ(Bytes(found->data, found->data + found->size), big);
    again->DeleteNamed("big_added");
    image->DeleteNamed("big_added");
    EXPECT_EQ(testpe::Format(testpe::DumpTree(*again->Resources())),
              testpe::Format(testpe::DumpTree(*image->Resources())));
    EXPECT_NE(expected, "");
    EXPECT_EQ(RunPeCheck(Q(in) + " " + Q(out) + " --add ADDED_ONE " + Q(dir_ / "small.bin") +
                         " --add big_added " + Q(dir_ / "big.bin") + " --delete HELLO"),
              0);
}

INSTANTIATE_TEST_SUITE_P(Probes, RealExeTest,
                         ::testing::Values("probe64", "probe32", "probe64_symbols", "norsrc64"));

}  // namespace
}  // namespace resmelder
