// resmelder set-version end to end: on the probe (a real program from windres), on built
// images with several version languages, none, or a broken one; read back with our own reader
// and with pefile.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "image/exe_image.h"
#include "image/resource_key.h"
#include "image/test_pe.h"
#include "image/test_posix.h"
#include "image/version_block.h"
#include "tool/tool.h"
#include "tool/tool_test_support.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;

class SetVersionTest : public tool_test::ToolFolderTest {
  protected:
    SetVersionTest() : ToolFolderTest("resmelder_set_version_") {}

    void SetUp() override {
        ToolFolderTest::SetUp();
        // A folder as users have them: spaces and accents.
        WorkIn("Mes Programmes é");
    }

    // Every version resource of `file` by language, read with our reader and parsed.
    std::vector<std::pair<std::uint16_t, VersionBlock>> Versions(const std::string& file) {
        std::vector<std::pair<std::uint16_t, VersionBlock>> found;
        auto image = ExeImage::Load(XString::FromUtf8(file), nullptr);
        EXPECT_TRUE(image && image->Resources()) << file;
        if (!image || !image->Resources()) {
            return found;
        }
        for (const ResourceLeaf& leaf : image->Resources()->Leaves()) {
            if (leaf.key.type.IsNumber() && leaf.key.type.Number() == resource_type::kVersion) {
                EXPECT_TRUE(leaf.key.name.IsNumber() && leaf.key.name.Number() == 1);
                std::string error;
                auto block = VersionBlock::Parse(leaf.leaf->Data(), &error);
                EXPECT_TRUE(block) << error;
                if (block) {
                    found.emplace_back(leaf.key.language, std::move(*block));
                }
            }
        }
        return found;
    }

    std::string Pefile(const std::string& file) {
        return testposix::ShellOutput(
            "/usr/bin/python3 " RESMELDER_TESTDATA_SOURCE "/versioncheck.py '" + file + "'");
    }

    // An image with the given version resources (language, bytes) and one RCDATA entry.
    void BuildImage(const std::string& leaf,
                    const std::vector<std::pair<std::uint16_t, Bytes>>& v) {
        testpe::Options o;
        o.sections = {{".text", Bytes(0x100, 0xC3)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(8, 2), 0, 0x42000040}};
        for (const auto& [language, bytes] : v) {
            o.leaves.push_back({std::uint16_t{16}, std::uint16_t{1}, language, bytes});
        }
        o.leaves.push_back({std::uint16_t{10}, std::u16string(u"HELLO"), 0x409, Bytes{'h', 'i'}});
        o.checksum = true;
        testpe::WriteFile(work_ / leaf, testpe::Build(o));
    }
};

TEST_F(SetVersionTest, EditsTheProbesVersionAsPefileReadsIt) {
    fs::copy_file(fs::path(RESMELDER_TESTDATA_DIR) / "probe64.exe", work_ / "Pröbe App.exe");
    ASSERT_EQ(Run({"set-version", P("Pröbe App.exe"), "--file-version", "2.5.0.9",
                   "--product-version", "2.5.0.0", "--string", "companyname=Société Générale",
                   "--string", "FileDescription=Outil de démonstration", "--string", "Comments=a=b",
                   "-o", P("Pröbe App.exe")}),
              0)
        << err_.str();
    EXPECT_EQ(err_.str(), "");

    const auto versions = Versions(P("Pröbe App.exe"));
    ASSERT_EQ(versions.size(), 1u);
    const VersionBlock& block = versions[0].second;
    EXPECT_EQ(block.Fixed().FileVersion().ToString(), "2.5.0.9");
    EXPECT_EQ(block.Fixed().ProductVersion().ToString(), "2.5.0.0");
    EXPECT_EQ(block.String(0x409, 1200, u"ProductName"), u"Resprobe");  // untouched

    const std::string seen = Pefile(P("Pröbe App.exe"));
    for (const char* line :
         {"file 2.5.0.9", "product 2.5.0.0", "translation 0409 04b0",
          "string 040904b0 CompanyName=Société Générale",
          "string 040904b0 FileDescription=Outil de démonstration", "string 040904b0 Comments=a=b",
          "string 040904b0 FileVersion=2.5.0.9", "string 040904b0 ProductVersion=2.5.0.0",
          "string 040904b0 ProductName=Resprobe"}) {
        EXPECT_NE(seen.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << seen;
    }
}

TEST_F(SetVersionTest, EveryLanguagesResourceAndTableIsEdited) {
    VersionBlock english = VersionBlock::CreateDefault(FixedFileInfo::kFileTypeApp);
    english.SetString(u"ProductName", u"Widget");
    // A German resource whose block holds a German table.
    // A German resource whose block holds a German table and translation.
    const Bytes german = [] {
        Bytes bytes = *VersionBlock::CreateDefault(FixedFileInfo::kFileTypeApp).Serialize();
        // The table key "040904B0" becomes "040704B0" (UTF-16)...
        const Bytes from = {'0', 0, '4', 0, '0', 0, '9', 0, '0', 0, '4', 0, 'B', 0, '0', 0};
        auto at = std::search(bytes.begin(), bytes.end(), from.begin(), from.end());
        at[6] = '7';
        // ...and the translation's language, in the block's last four bytes, 0x0407.
        bytes[bytes.size() - 4] = 0x07;
        return bytes;
    }();
    BuildImage("two languages.exe", {{0x409, *english.Serialize()}, {0x407, german}});

    ASSERT_EQ(Run({"set-version", P("two languages.exe"), "--string", "ProductName=Gadget",
                   "--product-version", "3.0.0.0", "-o", P("out.exe")}),
              0)
        << err_.str();
    const auto versions = Versions(P("out.exe"));
    ASSERT_EQ(versions.size(), 2u);
    for (const auto& [language, block] : versions) {
        SCOPED_TRACE(language);
        const auto tables = block.StringTables();
        ASSERT_EQ(tables.size(), 1u);
        EXPECT_EQ(tables[0].language, language);
        EXPECT_EQ(block.String(language, 1200, u"ProductName"), u"Gadget");
        EXPECT_EQ(block.String(language, 1200, u"ProductVersion"), u"3.0.0.0");
        EXPECT_EQ(block.Fixed().ProductVersion().ToString(), "3.0.0.0");
        EXPECT_EQ(block.Translations(), (std::vector<std::uint32_t>{0x04B00000u | language}));
    }
}

TEST_F(SetVersionTest, CreatesTheVersionResourceWhereThereIsNone) {
    BuildImage("no version.exe", {});
    ASSERT_EQ(Run({"set-version", P("no version.exe"), "--file-version", "1.0.0.0", "--string",
                   "ProductName=Mon Outil", "-o", P("with version.exe")}),
              0)
        << err_.str();
    const auto versions = Versions(P("with version.exe"));
    ASSERT_EQ(versions.size(), 1u);
    EXPECT_EQ(versions[0].first, 0);  // neutral: every lookup takes it first
    const VersionBlock& block = versions[0].second;
    EXPECT_EQ(block.Fixed().fileType, FixedFileInfo::kFileTypeApp);
    EXPECT_EQ(block.Fixed().FileVersion().ToString(), "1.0.0.0");
    EXPECT_EQ(block.String(0x409, 1200, u"ProductName"), u"Mon Outil");
    EXPECT_EQ(block.Translations(), (std::vector<std::uint32_t>{0x04B00409}));
    // The other entries stay.
    ASSERT_EQ(Run({"get", P("with version.exe"), "HELLO"}), 0);
    EXPECT_EQ(out_.str(), "hi");
}

TEST_F(SetVersionTest, ABrokenVersionResourceIsRefusedWithoutOutput) {
    BuildImage("broken.exe", {{0x409, Bytes(6, 0x16)}});
    EXPECT_EQ(
        Run({"set-version", P("broken.exe"), "--file-version", "1.0.0.0", "-o", P("out.exe")}), 1);
    EXPECT_EQ(err_.str(), "resmelder: cannot set the version of " + P("broken.exe") +
                              " in VERSION/#1/1033 (the version resource is not well-formed)\n");
    EXPECT_FALSE(fs::exists(work_ / "out.exe"));
}

TEST_F(SetVersionTest, CommandLinesThatCannotRunWriteNothing) {
    BuildImage("in.exe", {});
    const std::vector<std::vector<std::string>> bad = {
        {"set-version", P("in.exe"), "--file-version", "1.2.3", "-o", P("out.exe")},
        {"set-version", P("in.exe"), "--product-version", "1.2.3.65536", "-o", P("out.exe")},
        {"set-version", P("in.exe"), "--string", "=value", "-o", P("out.exe")},
        {"set-version", P("in.exe"), "--string", "NoEquals", "-o", P("out.exe")},
        {"set-version", P("in.exe"), "-o", P("out.exe")},
        {"set-version", P("in.exe"), "--file-version", "1.2.3.4"},
        {"set-version", "--file-version", "1.2.3.4", "-o", P("out.exe")},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Run(args), 2) << args[2] << " " << args[3];
        EXPECT_NE(err_.str().find("resmelder set-version IN"), std::string::npos) << err_.str();
    }
    EXPECT_FALSE(fs::exists(work_ / "out.exe"));
    Run({"set-version", P("in.exe"), "--file-version", "1.2.3", "-o", P("out.exe")});
    EXPECT_EQ(err_.str().substr(0, err_.str().find('\n')),
              "resmelder: --file-version wants four numbers A.B.C.D, each 0 to 65535, not "
              "\"1.2.3\"");
}

TEST_F(SetVersionTest, HelpHasOneExample) {
    ASSERT_EQ(Run({"set-version", "--help"}), 0);
    EXPECT_NE(out_.str().find("resmelder set-version app.exe --file-version"), std::string::npos)
        << out_.str();
}

}  // namespace
}  // namespace resmelder
