// Under Windows (Wine here): a program edited by `resmelder set-version` reports the new
// numbers and strings to the platform (GetFileVersionInfoW, VerQueryValueW), and still runs;
// one that reads a payload appended to itself still finds it when the overlay is kept.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "testing/test_files.h"
#include "testing/test_folder.h"
#include "tool_test_support_win.h"
#include "win/process_test_support_win.h"

namespace {

using resmelder::tool_test::ProbeProgram;
using resmelder::tool_test::TestProgram;
using resmelder::tool_test::ToolProgram;
using test_support::ReadFileBytes;
using test_support::WriteFileBytes;
using win::test::Quoted;
using win::test::RunProcess;

// A folder as users have them: a space and an accent.
const wchar_t kFolderLabel[] = L"resmelder version \u00E9";

// The platform's reading of a file's version resource.
class PlatformVersion {
  public:
    explicit PlatformVersion(const std::wstring& file) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &ignored);
        if (size != 0) {
            data_.resize(size);
            if (!::GetFileVersionInfoW(file.c_str(), 0, size, data_.data())) {
                data_.clear();
            }
        }
    }
    bool Read() const { return !data_.empty(); }

    std::wstring Fixed(bool product) const {
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(data_.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
            length < sizeof *fixed || fixed->dwSignature != 0xFEEF04BD) {
            return L"(no fixed part)";
        }
        const DWORD high = product ? fixed->dwProductVersionMS : fixed->dwFileVersionMS;
        const DWORD low = product ? fixed->dwProductVersionLS : fixed->dwFileVersionLS;
        return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
               std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
    }

    std::vector<DWORD> Translations() const {
        DWORD* pairs = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation",
                              reinterpret_cast<void**>(&pairs), &length)) {
            return {};
        }
        return std::vector<DWORD>(pairs, pairs + length / sizeof(DWORD));
    }

    std::wstring String(const std::wstring& table, const std::wstring& key) const {
        wchar_t* value = nullptr;
        UINT length = 0;
        const std::wstring path = L"\\StringFileInfo\\" + table + L"\\" + key;
        if (!::VerQueryValueW(data_.data(), path.c_str(), reinterpret_cast<void**>(&value),
                              &length)) {
            return L"(missing)";
        }
        return std::wstring(value);
    }

  private:
    std::vector<BYTE> data_;
};

TEST(SetVersionWinTest, ThePlatformReadsTheNewNumbersAndStrings) {
    const test_support::TestFolder folder(kFolderLabel);
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring program = dir + L"Pr\u00F6be App.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), program.c_str(), FALSE));
    const std::wstring log = dir + L"log.txt";
    const std::wstring tool = Quoted(ToolProgram());
    ASSERT_EQ(RunProcess(tool + L" set-version " + Quoted(program) +
                             L" --file-version 4.3.2.1 --product-version 4.3.0.0" +
                             L" --string \"companyname=Soci\u00E9t\u00E9 G\u00E9n\u00E9rale\"" +
                             L" --string \"LegalCopyright=\u00A9 2026 Murmurex\"" + L" -o " +
                             Quoted(program),
                         log),
              0)
        << ReadFileBytes(log);

    const PlatformVersion version(program);
    ASSERT_TRUE(version.Read());
    EXPECT_EQ(version.Fixed(false), L"4.3.2.1");
    EXPECT_EQ(version.Fixed(true), L"4.3.0.0");
    EXPECT_EQ(version.Translations(), (std::vector<DWORD>{0x04B00409}));
    EXPECT_EQ(version.String(L"040904b0", L"CompanyName"), L"Soci\u00E9t\u00E9 G\u00E9n\u00E9rale");
    EXPECT_EQ(version.String(L"040904B0", L"LegalCopyright"), L"\u00A9 2026 Murmurex");
    EXPECT_EQ(version.String(L"040904b0", L"FileVersion"), L"4.3.2.1");
    EXPECT_EQ(version.String(L"040904b0", L"ProductVersion"), L"4.3.0.0");
    EXPECT_EQ(version.String(L"040904b0", L"FileDescription"), L"Resource probe");

    // The edited program still starts, finds its entries and reads its own version resource.
    const std::wstring hello = dir + L"hello.bin";
    WriteFileBytes(hello, "hello from the probe");
    EXPECT_EQ(RunProcess(Quoted(program) + L" HELLO " + Quoted(hello), log), 0)
        << ReadFileBytes(log);
    EXPECT_NE(ReadFileBytes(log).find("resprobe: all found"), std::string::npos)
        << ReadFileBytes(log);
}

TEST(SetVersionWinTest, ThePlatformReadsACreatedVersionResource) {
    const test_support::TestFolder folder(kFolderLabel);
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring source = dir + L"with version.exe";
    const std::wstring bare = dir + L"no version.exe";
    const std::wstring program = dir + L"new version.exe";
    ASSERT_TRUE(::CopyFileW(ProbeProgram().c_str(), source.c_str(), FALSE));
    const std::wstring log = dir + L"created_log.txt";
    const std::wstring tool = Quoted(ToolProgram());
    ASSERT_EQ(
        RunProcess(tool + L" delete " + Quoted(source) + L" #1 --type VERSION -o " + Quoted(bare),
                   log),
        0)
        << ReadFileBytes(log);
    ASSERT_FALSE(PlatformVersion(bare).Read());

    ASSERT_EQ(
        RunProcess(tool + L" set-version " + Quoted(bare) +
                       L" --file-version 1.0.0.7 --string ProductName=Resprobe" +
                       L" --string \"FileDescription=Outil \u00E0 essayer\" -o " + Quoted(program),
                   log),
        0)
        << ReadFileBytes(log);
    const PlatformVersion version(program);
    ASSERT_TRUE(version.Read());
    EXPECT_EQ(version.Fixed(false), L"1.0.0.7");
    EXPECT_EQ(version.Fixed(true), L"0.0.0.0");
    EXPECT_EQ(version.Translations(), (std::vector<DWORD>{0x04B00409}));
    EXPECT_EQ(version.String(L"040904b0", L"ProductName"), L"Resprobe");
    EXPECT_EQ(version.String(L"040904b0", L"FileDescription"), L"Outil \u00E0 essayer");
    EXPECT_EQ(version.String(L"040904b0", L"FileVersion"), L"1.0.0.7");

    // The program reads it too (its ProductName check), and still runs.
    const std::wstring hello = dir + L"hello.bin";
    WriteFileBytes(hello, "hello from the probe");
    EXPECT_EQ(RunProcess(Quoted(program) + L" HELLO " + Quoted(hello), log), 0)
        << ReadFileBytes(log);
    EXPECT_NE(ReadFileBytes(log).find("resprobe: all found"), std::string::npos)
        << ReadFileBytes(log);
}

}  // namespace

namespace {

// The overlay probe with a payload appended and its place written into the probe's data,
// as an installer's build step does.
void WriteProgramWithPayload(const std::wstring& path, const std::string& text) {
    std::string program = ReadFileBytes(TestProgram(L"overlay_probe.exe"));
    const std::string marker("PAYLOAD@OFFSET:", 16);
    const auto place = program.find(marker);
    ASSERT_NE(place, std::string::npos);
    const std::string payload = "OVERLAY-PAYLOAD:" + text;
    const auto words = std::to_array<std::uint32_t>(
        {static_cast<std::uint32_t>(program.size()), static_cast<std::uint32_t>(payload.size())});
    std::memcpy(program.data() + place + marker.size(), words.data(), sizeof words);
    WriteFileBytes(path, program + payload);
}

}  // namespace

TEST(SetVersionWinTest, AKeptOverlayIsStillFoundByTheProgramThatRecordedItsPlace) {
    const test_support::TestFolder folder(kFolderLabel);
    const std::wstring dir = (folder / L"").wstring();
    const std::wstring kept = dir + L"Setup kept.exe";
    const std::wstring moved = dir + L"Setup moved.exe";
    WriteProgramWithPayload(kept, "hello from the overlay");
    WriteProgramWithPayload(moved, "hello from the overlay");
    const std::wstring log = dir + L"log.txt";
    ASSERT_EQ(RunProcess(Quoted(kept), log), 0) << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(log), "overlay_probe: hello from the overlay\r\n");

    // A comment long enough that the version resource outgrows its section.
    const std::wstring edit =
        L" --file-version 2.0.0.1 --string \"Comments=" + std::wstring(1500, L'c') + L"\"";
    const std::wstring tool = Quoted(ToolProgram());
    ASSERT_EQ(RunProcess(tool + L" set-version " + Quoted(kept) + edit + L" --keep-overlay -o " +
                             Quoted(kept),
                         log),
              0)
        << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(log).find("moved by"), std::string::npos) << ReadFileBytes(log);
    EXPECT_EQ(PlatformVersion(kept).Fixed(false), L"2.0.0.1");
    EXPECT_EQ(RunProcess(Quoted(kept), log), 0) << ReadFileBytes(log);
    EXPECT_EQ(ReadFileBytes(log), "overlay_probe: hello from the overlay\r\n");

    // Without the flag the overlay moves: the tool says so, and the program no longer finds
    // what it recorded, which is why the flag exists.
    ASSERT_EQ(
        RunProcess(tool + L" set-version " + Quoted(moved) + edit + L" -o " + Quoted(moved), log),
        0)
        << ReadFileBytes(log);
    const std::string said = ReadFileBytes(log);
    EXPECT_NE(said.find("resmelder: the overlay ("), std::string::npos) << said;
    EXPECT_NE(said.find(" bytes; use --keep-overlay to keep it in place"), std::string::npos)
        << said;
    EXPECT_EQ(PlatformVersion(moved).Fixed(false), L"2.0.0.1");
    EXPECT_EQ(RunProcess(Quoted(moved), log), 1) << ReadFileBytes(log);
}
