// The command line end to end, on small built images.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "image/test_pe.h"
#include "tool/tool_test_support.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;

class ToolTest : public tool_test::ToolFolderTest {
  protected:
    ToolTest() : ToolFolderTest("resmelder_tool_") {}

    void SetUp() override {
        ToolFolderTest::SetUp();
        testpe::Options o;
        o.sections = {{".text", Bytes(0x100, 0xC3)},
                      {".data", Bytes(0x10, 1)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(8, 2), 0, 0x42000040}};
        o.leaves = {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(6, 0x16)},
                    {std::uint16_t{10}, std::u16string(u"HELLO"), 0x409, Bytes{'h', 'i'}}};
        o.checksum = true;
        testpe::WriteFile(dir_ / "in.exe", testpe::Build(o));
    }

    // The same with the whole log after the plain line.
    int RunVerbose(std::vector<std::string> args) {
        args.push_back("--verbose");
        return Run(std::move(args));
    }
};

TEST_F(ToolTest, ListGetAndExtract) {
    ASSERT_EQ(Run({"list", P("in.exe")}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "16\t#1\t1033\t6\n10\tHELLO\t1033\t2\n");  // the file's order
    ASSERT_EQ(Run({"get", P("in.exe"), "HELLO"}), 0);
    EXPECT_EQ(out_.str(), "hi");
    ASSERT_EQ(Run({"extract", P("in.exe"), "HELLO", P("hello.bin")}), 0);
    EXPECT_EQ(testpe::ReadFile(dir_ / "hello.bin"), (Bytes{'h', 'i'}));

    // Names are found in any case, as the loader finds them.
    ASSERT_EQ(Run({"get", P("in.exe"), "hello"}), 0);
    EXPECT_EQ(out_.str(), "hi");
    EXPECT_EQ(Run({"get", P("in.exe"), "hullo"}), 1);
    EXPECT_EQ(err_.str(),
              "resmelder: cannot get HULLO from " + P("in.exe") + " (no such resource)\n");
    EXPECT_EQ(RunVerbose({"get", P("in.exe"), "hullo"}), 1);
    EXPECT_NE(err_.str().find("Failed to get resource data: ResourceName = HULLO"),
              std::string::npos);
    EXPECT_EQ(Run({"list", P("missing.exe")}), 1);
    EXPECT_EQ(err_.str(), "resmelder: cannot open " + P("missing.exe") + " (" +
                              testpe::MissingFileReason() + ")\n");
    EXPECT_EQ(RunVerbose({"list", P("missing.exe")}), 1);
    EXPECT_NE(err_.str().find("VantrixLog:\r\n  Failed to open file (2)\r\n  filename: " +
                              P("missing.exe")),
              std::string::npos)
        << err_.str();
}

TEST_F(ToolTest, EditsInOrderThenOneWriteInPlace) {
    testpe::WriteFile(dir_ / "data.bin", Bytes(3000, 0x33));
    ASSERT_EQ(Run({"edit", P("in.exe"), "--add-string", "NOTE", "caf\xC3\xA9", "--add-file", "DATA",
                   P("data.bin"), "--delete", "HELLO", "--add-string", "HELLO", "new", "-o",
                   P("in.exe")}),
              0)
        << err_.str();
    ASSERT_EQ(Run({"list", P("in.exe")}), 0);
    EXPECT_EQ(out_.str(), "10\tDATA\t1\t3000\n10\tHELLO\t1\t3\n10\tNOTE\t1\t4\n16\t#1\t1033\t6\n");
    ASSERT_EQ(Run({"get", P("in.exe"), "NOTE"}), 0);
    EXPECT_EQ(out_.str(), "caf\xE9");  // converted to the ANSI code page
    const Bytes file = testpe::ReadFile(dir_ / "in.exe");
    EXPECT_EQ(testpe::Get32(file, testpe::ChecksumOffset(file)), testpe::Checksum(file));

    // Single-edit forms.
    ASSERT_EQ(Run({"add-string", P("in.exe"), "S", "x", "-o", P("b.exe")}), 0);
    ASSERT_EQ(Run({"delete", P("b.exe"), "NOTE", "-o", P("c.exe")}), 0);
    ASSERT_EQ(Run({"add-file", P("c.exe"), "F", P("data.bin"), "-o", P("c.exe")}), 0);
    ASSERT_EQ(Run({"list", P("c.exe")}), 0);
    EXPECT_EQ(out_.str(),
              "10\tDATA\t1\t3000\n10\tF\t1\t3000\n10\tHELLO\t1\t3\n10\tS\t1\t1\n16\t#1\t1033\t6\n");
}

TEST_F(ToolTest, NamesAsTypedAreStoredUpperCasedAndFoundInAnyCase) {
    ASSERT_EQ(Run({"edit", P("in.exe"), "--add-string", "Greeting", "hi there", "--add-string",
                   "caf\xC3\xA9 menu", "menu", "-o", P("out.exe")}),
              0)
        << err_.str();
    EXPECT_EQ(err_.str(), "") << "nothing to warn about";
    ASSERT_EQ(Run({"list", P("out.exe")}), 0);
    EXPECT_EQ(
        out_.str(),
        "10\tCAF\xC3\x89 MENU\t1\t4\n10\tGREETING\t1\t8\n10\tHELLO\t1033\t2\n16\t#1\t1033\t6\n");
    for (const char* name : {"Greeting", "greeting", "GREETING"}) {
        ASSERT_EQ(Run({"get", P("out.exe"), name}), 0) << name;
        EXPECT_EQ(out_.str(), "hi there");
    }
    ASSERT_EQ(Run({"get", P("out.exe"), "Caf\xC3\x89 Menu"}), 0);
    EXPECT_EQ(out_.str(), "menu");
    ASSERT_EQ(Run({"delete", P("out.exe"), "greeting", "-o", P("out.exe")}), 0);
    EXPECT_EQ(Run({"get", P("out.exe"), "Greeting"}), 1);

    // A name longer than the reader keeps is refused, not added and lost.
    EXPECT_EQ(
        RunVerbose({"add-string", P("in.exe"), std::string(600, 'L'), "x", "-o", P("long.exe")}),
        1);
    EXPECT_EQ(FirstLine().substr(0, 30), "resmelder: cannot add RCDATA/L");
    EXPECT_NE(
        FirstLine().find(" to " + P("in.exe") + " (a name or type is longer than 499 characters)"),
        std::string::npos)
        << err_.str();
    EXPECT_NE(err_.str().find("Resource name is too long"), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(dir_ / "long.exe"));
}

TEST_F(ToolTest, SignedInputIsWrittenWithAWarning) {
    testpe::Options o;
    o.sections = {{".text", Bytes(0x100, 0xC3)},
                  {".data", Bytes(0x10, 1)},
                  {".rsrc", {}, 0, 0x40000040, true},
                  {".reloc", Bytes(8, 2), 0, 0x42000040}};
    o.leaves = {{std::uint16_t{10}, std::u16string(u"HELLO"), 0x409, Bytes{'h', 'i'}}};
    o.certificateInOverlay = 0x80;
    testpe::WriteFile(dir_ / "signed.exe", testpe::Build(o));
    ASSERT_EQ(Run({"add-string", P("signed.exe"), "Note", "n", "-o", P("out.exe")}), 0)
        << err_.str();
    EXPECT_NE(err_.str().find("the file's signature no longer matches its contents; sign it again"),
              std::string::npos)
        << err_.str();
    ASSERT_EQ(Run({"get", P("out.exe"), "note"}), 0);
    EXPECT_EQ(out_.str(), "n");
}

TEST_F(ToolTest, FailuresLeaveTheInputAndReportTheLog) {
    const Bytes before = testpe::ReadFile(dir_ / "in.exe");
    EXPECT_EQ(Run({"add-file", P("in.exe"), "X", P("nothing.bin"), "-o", P("in.exe")}), 1);
    EXPECT_EQ(err_.str(), "resmelder: cannot open " + P("nothing.bin") + " (" +
                              testpe::MissingFileReason() + ")\n");
    EXPECT_EQ(RunVerbose({"add-file", P("in.exe"), "X", P("nothing.bin"), "-o", P("in.exe")}), 1);
    EXPECT_NE(err_.str().find("Failed to open file (2)\r\n  filename: " + P("nothing.bin")),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), before);

    testpe::WriteFile(dir_ / "junk.exe", Bytes{'n', 'o', 'p', 'e'});
    EXPECT_EQ(Run({"delete", P("junk.exe"), "X", "-o", P("junk.exe")}), 1);
    EXPECT_EQ(err_.str(),
              "resmelder: " + P("junk.exe") + " is not an executable (no DOS signature)\n");
    EXPECT_EQ(RunVerbose({"delete", P("junk.exe"), "X", "-o", P("junk.exe")}), 1);
    EXPECT_EQ(FirstLine(),
              "resmelder: " + P("junk.exe") + " is not an executable (no DOS signature)");
    EXPECT_NE(err_.str().find("Failed to find DOS signature"), std::string::npos);
    EXPECT_NE(err_.str().find("Failed to load EXE - unspecified error"), std::string::npos);
    EXPECT_EQ(testpe::ReadFile(dir_ / "junk.exe"), (Bytes{'n', 'o', 'p', 'e'}));

    EXPECT_EQ(Run({"edit", P("in.exe"), "--bogus"}), 2);
    EXPECT_EQ(Run({"delete", P("in.exe"), "X"}), 2);
    EXPECT_NE(err_.str().find("missing -o OUT"), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out_.str().find("resmelder edit IN"), std::string::npos);
    EXPECT_EQ(Run({}), 2);
    EXPECT_EQ(testpe::FileNames(dir_).size(), 2u) << "no temporary files left behind";
}

}  // namespace
}  // namespace resmelder
