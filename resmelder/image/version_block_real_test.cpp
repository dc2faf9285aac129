// The version block codec on real version resources: the probe's (made by windres) and those
// of Wine's own libraries, extracted with our resource reader. What it writes is read again
// by an independent parser (pefile, through versioncheck.py).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "image/exe_image.h"
#include "image/exe_resource.h"
#include "image/test_pe.h"
#include "image/test_posix.h"
#include "image/version_block.h"
#include "support/encoding.h"
#include "support/log.h"
#include "testing/test_folder.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;

constexpr std::uint16_t kVersionType = 16;
const fs::path kWineLibraries = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";

// The first version resource of a file (any name, any language), through our own reader.
std::optional<Bytes> VersionBytesOf(const fs::path& file) {
    auto image = ExeImage::Load(XString::FromUtf8(file.string()), nullptr);
    if (!image || image->Resources() == nullptr) {
        return std::nullopt;
    }
    const auto& types = image->Resources()->NumericChildren();
    for (std::uint32_t t = 0; t < types.Count(); ++t) {
        const ExeResource* type = types.Get(t);
        if (type->Id() != kVersionType || !type->IsDirectory()) {
            continue;
        }
        const ExeResource* name = type->NumericChildren().Get(0);
        if (name == nullptr) {
            name = type->NamedChildren().Get(0);
        }
        const ExeResource* language = name ? name->NumericChildren().Get(0) : nullptr;
        if (language != nullptr && !language->IsDirectory()) {
            const auto data = language->Data();
            return Bytes(data.begin(), data.end());
        }
    }
    return std::nullopt;
}

std::string Utf8(std::u16string_view text) {
    std::string out;
    EncodingConvert::Utf16ToUtf8(text, out);
    return out;
}

// What pefile reads from an executable holding `version` as its version resource.
std::string PefileReading(const Bytes& version, const fs::path& dir) {
    testpe::Options o;
    o.sections = {{".text", Bytes(0x200, 0xC3)}, {".rsrc", {}, 0, 0x40000040, true}};
    o.leaves = {{std::uint16_t{kVersionType}, std::uint16_t{1}, 0x409, version}};
    const fs::path exe = dir / "with version.exe";
    testpe::WriteFile(exe, testpe::Build(o));
    return testposix::ShellOutput(
        "/usr/bin/python3 " RESMELDER_TESTDATA_SOURCE "/versioncheck.py '" + exe.string() + "'");
}

bool Contains(const std::string& text, const std::string& line) {
    return text.find(line + "\n") != std::string::npos;
}

class VersionBlockRealTest : public ::testing::Test {
  protected:
    test_support::TestFolder folder_{"resmelder_version_block"};
    const fs::path dir_ = folder_.path();
};

TEST_F(VersionBlockRealTest, ReadsAndWritesBackTheProbesBlockFromWindres) {
    const auto bytes = VersionBytesOf(fs::path(RESMELDER_TESTDATA_DIR) / "probe64.exe");
    ASSERT_TRUE(bytes);
    std::string error;
    const auto block = VersionBlock::Parse(*bytes, &error);
    ASSERT_TRUE(block) << error;
    EXPECT_EQ(block->Fixed().FileVersion().ToString(), "1.2.3.4");
    // The probe's table key is written in lower case ("040904b0").
    EXPECT_EQ(block->String(0x0409, 1200, u"FileDescription"), u"Resource probe");
    EXPECT_EQ(block->String(0x0409, 1200, u"ProductName"), u"Resprobe");
    EXPECT_EQ(block->Translations(), (std::vector<std::uint32_t>{0x04B00409}));
    EXPECT_EQ(block->Serialize(), bytes);
}

TEST_F(VersionBlockRealTest, EveryWineLibraryBlockReadsAndWritesBack) {
    if (!fs::is_directory(kWineLibraries)) {
        GTEST_SKIP() << "Wine's libraries are not installed";
    }
    int withVersion = 0;
    int identical = 0;
    for (const auto& entry : fs::directory_iterator(kWineLibraries)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".dll" || entry.file_size() > (4u << 20)) {
            continue;  // the large libraries add time, not cases
        }
        const auto bytes = VersionBytesOf(entry.path());
        if (!bytes) {
            continue;
        }
        ++withVersion;
        std::string error;
        const auto block = VersionBlock::Parse(*bytes, &error);
        ASSERT_TRUE(block) << name << ": " << error;
        EXPECT_FALSE(block->StringTables().empty()) << name;
        EXPECT_FALSE(block->Translations().empty()) << name;
        const auto written = block->Serialize(&error);
        ASSERT_TRUE(written) << name << ": " << error;
        const auto reread = VersionBlock::Parse(*written, &error);
        ASSERT_TRUE(reread) << name << ": " << error;
        EXPECT_EQ(reread->Root(), block->Root()) << name;
        identical += *written == *bytes ? 1 : 0;
    }
    EXPECT_GE(withVersion, 100);
    // Written in the same layout as Wine's own resource compiler writes it.
    EXPECT_EQ(identical, withVersion);
}

TEST_F(VersionBlockRealTest, EditedWineBlockIsReadByPefile) {
    const auto bytes = VersionBytesOf(kWineLibraries / "comctl32.dll");
    if (!bytes) {
        GTEST_SKIP() << "Wine's comctl32.dll is not installed";
    }
    auto block = VersionBlock::Parse(*bytes);
    ASSERT_TRUE(block);
    const auto tables = block->StringTables();
    ASSERT_FALSE(tables.empty());
    const std::string table = [&] {
        char key[9];
        std::snprintf(key, sizeof key, "%04x%04x", tables[0].language, tables[0].codePage);
        return std::string(key);
    }();
    const std::u16string description =
        *block->String(tables[0].language, tables[0].codePage, u"FileDescription");

    VersionEdits edits;
    edits.fileVersion = VersionNumber::Parse("7.8.9.10");
    edits.productVersion = VersionNumber::Parse("65535.0.1.2");
    edits.strings = {{u"companyname", u"Société Générale d'Outils"},
                     {u"Comments", u"Built with spaces & ümlauts"}};
    ApplyVersionEdits(*block, edits);
    const auto written = block->Serialize();
    ASSERT_TRUE(written);

    const std::string seen = PefileReading(*written, dir_);
    EXPECT_TRUE(Contains(seen, "file 7.8.9.10")) << seen;
    EXPECT_TRUE(Contains(seen, "product 65535.0.1.2")) << seen;
    EXPECT_TRUE(Contains(seen, "string " + table + " CompanyName=Société Générale d'Outils"))
        << seen;
    EXPECT_TRUE(Contains(seen, "string " + table + " Comments=Built with spaces & ümlauts"))
        << seen;
    EXPECT_TRUE(Contains(seen, "string " + table + " FileVersion=7.8.9.10")) << seen;
    EXPECT_TRUE(Contains(seen, "string " + table + " FileDescription=" + Utf8(description)))
        << seen;
    char translation[32];
    std::snprintf(translation, sizeof translation, "translation %04x %04x", tables[0].language,
                  tables[0].codePage);
    EXPECT_TRUE(Contains(seen, translation)) << seen;
}

TEST_F(VersionBlockRealTest, CreatedBlockIsReadByPefile) {
    VersionBlock block = VersionBlock::CreateDefault(FixedFileInfo::kFileTypeApp);
    VersionEdits edits;
    edits.fileVersion = VersionNumber::Parse("1.0.0.0");
    edits.strings = {{u"ProductName", u"Murmurex Ünïcode"}, {u"OriginalFilename", u"my tool.exe"}};
    ApplyVersionEdits(block, edits);
    const std::string seen = PefileReading(*block.Serialize(), dir_);
    EXPECT_TRUE(Contains(seen, "file 1.0.0.0")) << seen;
    EXPECT_TRUE(Contains(seen, "product 0.0.0.0")) << seen;
    EXPECT_TRUE(Contains(seen, "translation 0409 04b0")) << seen;
    EXPECT_TRUE(Contains(seen, "string 040904b0 ProductName=Murmurex Ünïcode")) << seen;
    EXPECT_TRUE(Contains(seen, "string 040904b0 OriginalFilename=my tool.exe")) << seen;
    EXPECT_TRUE(Contains(seen, "string 040904b0 FileVersion=1.0.0.0")) << seen;
}

}  // namespace
}  // namespace resmelder
