// String tables, the execution level, .res files and the JSON listings end to end, on a
// program from windres and gcc and on Wine's own libraries, in a folder named as users name
// them; windres and Python read back what the tool writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "image/exe_image.h"
#include "image/test_pe.h"
#include "image/test_posix.h"
#include "tool/tool.h"
#include "tool/tool_test_support.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testposix::ShellOutput;

const fs::path kWinePrograms = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
const fs::path kTestData = RESMELDER_TESTDATA_DIR;

class ToolFormatsTest : public tool_test::ToolFolderTest {
  protected:
    ToolFormatsTest() : ToolFolderTest("resmelder_formats_") {}

    void SetUp() override {
        ToolFolderTest::SetUp();
        WorkIn("Mes Programmes \xC3\xA9");
        fs::copy_file(kTestData / "probe64.exe", work_ / "Probe Caf\xC3\xA9.exe");
    }

    std::string Out(std::vector<std::string> args) {
        EXPECT_EQ(Run(args), 0) << err_.str();
        return out_.str();
    }
    static std::string Quoted(const std::string& path) { return "'" + path + "'"; }
};

TEST_F(ToolFormatsTest, StringTablesAreEditedStringByString) {
    const std::string probe = P("Probe Caf\xC3\xA9.exe");
    ASSERT_EQ(Run({"set-string", probe, "37", "Gr\xC3\xBC\xC3\x9F\x65, \xE4\xB8\x96\tund\nmehr",
                   "-o", probe}),
              0)
        << err_.str();
    EXPECT_EQ(Out({"list", "--strings", probe}),
              "1\t1033\tfirst string\n2\t1033\tsecond string\n"
              "37\t1033\tGr\xC3\xBC\xC3\x9F\x65, \xE4\xB8\x96\\tund\\nmehr\n");
    EXPECT_EQ(Out({"get-string", probe, "0x25"}),
              "Gr\xC3\xBC\xC3\x9F\x65, \xE4\xB8\x96\tund\nmehr\n");
    ASSERT_EQ(Run({"edit", probe, "--set-string", "1", "", "--lang", "1031", "--set-string", "1",
                   "eins", "-o", P("edited.exe")}),
              0)
        << err_.str();
    EXPECT_EQ(Out({"list", "--strings", P("edited.exe")}),
              "1\t1031\teins\n2\t1033\tsecond string\n"
              "37\t1033\tGr\xC3\xBC\xC3\x9F\x65, \xE4\xB8\x96\\tund\\nmehr\n");
    EXPECT_EQ(Run({"get-string", P("edited.exe"), "1"}), 0) << "found in 1031";
    EXPECT_EQ(Run({"get-string", P("edited.exe"), "1", "--lang", "1033"}), 1);
    EXPECT_EQ(err_.str(),
              "resmelder: cannot get string 1 from " + P("edited.exe") + " (no such string)\n");
    EXPECT_EQ(Run({"set-string", probe, "65536", "x", "-o", probe}), 2);
    EXPECT_EQ(err_.str().substr(0, 40), "resmelder: 65536 is not a string ID (0 t");

    // windres, another tool, reads the table back.
    ASSERT_EQ(Run({"export-res", P("edited.exe"), P("edited.res")}), 0) << err_.str();
    int status = 0;
    const std::string rc = ShellOutput(RESMELDER_WINDRES " -i " + Quoted(P("edited.res")), &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(rc.find("2, \"second string\""), std::string::npos) << rc;
    EXPECT_NE(rc.find("1, \"eins\""), std::string::npos) << rc;
    EXPECT_NE(rc.find("37, "), std::string::npos) << rc;
}

// Wine's comdlg32 has tables in dozens of languages: one string changes, every other line of
// the listing stays as it was.
TEST_F(ToolFormatsTest, OneStringOfAWineLibraryChangesAndNothingElse) {
    if (!fs::exists(kWinePrograms / "comdlg32.dll")) {
        GTEST_SKIP() << "Wine's libraries are not installed";
    }
    fs::copy_file(kWinePrograms / "comdlg32.dll", work_ / "ComDlg32.DLL");
    const std::string before = Out({"list", "--strings", P("ComDlg32.DLL")});
    // The first string of the German table.
    const std::size_t line = before.find("\t7\t");
    ASSERT_NE(line, std::string::npos);
    const std::size_t start = before.rfind('\n', line) + 1;
    const std::string id = before.substr(start, line - start);
    ASSERT_EQ(Run({"set-string", P("ComDlg32.DLL"), id, "Ersetzt \xC3\xA4", "--lang", "7", "-o",
                   P("ComDlg32.DLL")}),
              0)
        << err_.str();
    std::string expected = before;
    const std::size_t end = expected.find('\n', line);
    expected.replace(line, end - line, "\t7\tErsetzt \xC3\xA4");
    EXPECT_EQ(Out({"list", "--strings", P("ComDlg32.DLL")}), expected);
}

// The level set on real programs is read back by the platform (tool_formats_win_test); here,
// what is refused and how it is said.
TEST_F(ToolFormatsTest, AManifestThatCannotBeEditedSafelyIsRefused) {
    const std::string probe = P("Probe Caf\xC3\xA9.exe");
    const std::string doctype =
        "<?xml version=\"1.0\"?><!DOCTYPE assembly><assembly "
        "xmlns=\"urn:schemas-microsoft-com:asm.v1\"/>";
    testpe::WriteFile(work_ / "odd.manifest", Bytes(doctype.begin(), doctype.end()));
    EXPECT_EQ(Run({"set-manifest", probe, P("odd.manifest"), "--execution-level", "asInvoker", "-o",
                   P("out.exe")}),
              1);
    EXPECT_EQ(err_.str(), "resmelder: cannot set the execution level in " + P("odd.manifest") +
                              " (the manifest cannot be edited safely: a document type "
                              "declaration at byte 21)\n");
    EXPECT_FALSE(fs::exists(work_ / "out.exe"));
    EXPECT_EQ(Run({"set-manifest", probe, "--ui-access", "-o", probe}), 2);
    EXPECT_EQ(Run({"set-manifest", probe, "--execution-level", "admin", "-o", probe}), 2);
}

TEST_F(ToolFormatsTest, ResFilesMergeIntoProgramsAndExportAsWindresReadsThem) {
    const std::string probe = P("Probe Caf\xC3\xA9.exe");
    fs::copy_file(kTestData / "resfile_sample.res", work_ / "sample r\xC3\xA9gl\xC3\xA9.res");
    ASSERT_EQ(Run({"add-res", probe, P("sample r\xC3\xA9gl\xC3\xA9.res"), "-o", P("merged.exe")}),
              0)
        << err_.str();
    const std::string list = Out({"list", P("merged.exe")});
    for (const char* entry : {"MY DATA TYPE\tSAMPLEENTRY\t1033\t29\n", "4\t#200\t1033\t",
                              "5\t#100\t1033\t", "6\t#7\t1031\t", "14\tSAMPLEICON\t1033\t",
                              "10\tMIXEDCASEDATA\t1033\t15\n", "10\tHELLO\t1033\t20\n"}) {
        EXPECT_NE(list.find(entry), std::string::npos) << entry << "\n" << list;
    }
    // The version resource of the same key was replaced.
    EXPECT_EQ(Out({"get-version", P("merged.exe")}).substr(0, 20), "FileVersion\t5.6.7.8\n");
    EXPECT_EQ(Out({"get-string", P("merged.exe"), "101"}),
              "Deuxi\xC3\xA8me cha\xC3\xAEne, \xC3\xBCn\xC3\xAF\x63\xC3\xB6\x64\xC3\xA9\n");

    ASSERT_EQ(Run({"export-res", P("merged.exe"), P("merged.res")}), 0) << err_.str();
    int status = 0;
    const std::string rc = ShellOutput(RESMELDER_WINDRES " -i " + Quoted(P("merged.res")), &status);
    EXPECT_EQ(status, 0);
    for (const char* part : {"DIALOGEX", "MENU", "VERSIONINFO", "Erste Zeichenkette", "ICON"}) {
        EXPECT_NE(rc.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(Run({"export-res", P("merged.exe"), (work_ / "." / "merged.exe").string()}), 1);

    // A damaged file is refused with the entry's offset, and nothing is written.
    Bytes cut = testpe::ReadFile(work_ / "merged.res");
    cut.resize(cut.size() - 8);
    testpe::WriteFile(work_ / "cut.res", cut);
    EXPECT_EQ(Run({"add-res", probe, P("cut.res"), "-o", P("cut.exe")}), 1);
    EXPECT_EQ(err_.str().substr(0, err_.str().find("offset")),
              "resmelder: cannot use " + P("cut.res") +
                  " as a .res file (not a compiled resource file: the entry at ");
    EXPECT_NE(err_.str().find(" runs past the end of the file)\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(work_ / "cut.exe"));
}

// Every entry of Wine's comdlg32 through a .res file into a program without resources, and
// windres compiling the export of shell32 (3,000 entries).
TEST_F(ToolFormatsTest, WineLibrariesRoundTripThroughResFiles) {
    if (!fs::exists(kWinePrograms / "shell32.dll")) {
        GTEST_SKIP() << "Wine's libraries are not installed";
    }
    const std::string comdlg = (kWinePrograms / "comdlg32.dll").string();
    ASSERT_EQ(Run({"export-res", comdlg, P("comdlg32.res")}), 0) << err_.str();
    fs::copy_file(kTestData / "norsrc64.exe", work_ / "Bare.exe");
    ASSERT_EQ(Run({"add-res", P("Bare.exe"), P("comdlg32.res"), "-o", P("Bare.exe")}), 0)
        << err_.str();
    EXPECT_EQ(Out({"list", P("Bare.exe")}), Out({"list", comdlg}));
    EXPECT_EQ(Out({"get", P("Bare.exe"), "#1", "--type", "VERSION"}),
              Out({"get", comdlg, "#1", "--type", "VERSION"}));

    ASSERT_EQ(Run({"export-res", (kWinePrograms / "shell32.dll").string(), P("shell32.res")}), 0);
    int status = 0;
    ShellOutput(RESMELDER_WINDRES " -i " + Quoted(P("shell32.res")) + " -O coff -o " +
                    Quoted(P("shell32.o")),
                &status);
    EXPECT_EQ(status, 0);
    EXPECT_GT(fs::file_size(work_ / "shell32.o"), fs::file_size(work_ / "shell32.res") / 2);
}

// Python's parser reads the listings; names that JSON must escape, and one that is not valid
// UTF-16, come back as they are stored.
TEST_F(ToolFormatsTest, JsonListingsAreReadByAnotherParser) {
    const std::string probe = P("Probe Caf\xC3\xA9.exe");
    ASSERT_EQ(Run({"add-string", probe, "Say \"Hi\"\\Now\x01", "x", "-o", probe}), 0);
    testpe::Options o;
    o.sections = {{".text", Bytes(0x100, 0xC3)}, {".rsrc", {}, 0, 0x40000040, true}};
    o.leaves = {{std::u16string(u"T\xD800"), std::uint16_t{1}, 0x409, Bytes(3, 1)}};
    testpe::WriteFile(work_ / "lone.exe", testpe::Build(o));
    const auto saved = [&](const std::string& leaf, const std::string& text) {
        testpe::WriteFile(work_ / leaf, Bytes(text.begin(), text.end()));
        return " " + Quoted(P(leaf));
    };
    const std::string script =
        saved("read.py",
              "import json,sys\n"
              "for path in sys.argv[1:]:\n"
              "    d = json.load(open(path, encoding='utf-8'))\n"
              "    if 'fileVersion' in d:\n"
              "        print(d['fileVersion'], d['stringTables'][0]['strings']['ProductName'])\n"
              "        continue\n"
              "    print(d['machine']['name'], len(d['sections']), len(d['resources']))\n"
              "    for r in d['resources']:\n"
              "        print(ascii(r['type']), ascii(r['name']), r['language'], r['size'])\n");
    int status = 0;
    const std::string read =
        ShellOutput("python3" + script + saved("probe.json", Out({"list", "--json", probe})) +
                        saved("lone.json", Out({"list", "--json", P("lone.exe")})) +
                        saved("version.json", Out({"get-version", "--json", probe})),
                    &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(read.find("AMD64 11 7\n"), std::string::npos) << read;
    EXPECT_NE(read.find("{'id': 10, 'name': 'RCDATA'} 'SAY \"HI\"\\\\NOW\\x01' 1 1\n"),
              std::string::npos)
        << read;
    EXPECT_NE(read.find("{'id': 6, 'name': 'STRING'} 1 1033 82\n"), std::string::npos) << read;
    EXPECT_NE(read.find("'T\\ud800' 1 1033 3\n"), std::string::npos) << read;
    EXPECT_NE(read.find("1.2.3.4 Resprobe\n"), std::string::npos) << read;
}

}  // namespace
}  // namespace resmelder
