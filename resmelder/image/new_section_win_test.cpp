// Under Windows (Wine here): a real program built without resources, edited through the core,
// gets its entries in a new section; the loader finds each of them by the names a user types
// (any case, spaces, accents), and the program still starts and runs to its end.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "image/exe_image.h"
#include "support/log.h"
#include "testing/test_files.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"
#include "win/unique_handle.h"

namespace resmelder {
namespace {

using test_support::ReadFileBytes;
using test_support::WriteFileBytes;
using win::test::RunProcess;

std::string Narrow(const std::wstring& wide, UINT codePage) {
    const int n =
        ::WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(NewSectionWinTest, ProgramWithoutResourcesFindsItsNewEntriesAndRuns) {
    // The program lives in an odd folder; the probe's expected bytes lie in a plain one, since
    // it opens them with the C library's 8-bit fopen.
    const test_support::TestFolder programFolder(L"resmelder new section \u00e9");
    const test_support::TestFolder dataFolder("resmelder_new_section_data");
    const std::wstring dir = (programFolder / L"").wstring();
    const std::wstring data = (dataFolder / L"").wstring();
    const std::wstring source = dir + L"ohne Ressourcen.exe";
    const std::wstring edited = dir + L"mit Ressourcen \u00fc.exe";
    ASSERT_TRUE(::CopyFileW((win::test::ThisProgramFolder() / L"testdata\\norsrc64.exe").c_str(),
                            source.c_str(), FALSE));
    const std::wstring log = dir + L"log.txt";
    // Without resources the probe finds nothing, and says so.
    const std::wstring list = dir + L"names.txt";
    WriteFileBytes(data + L"greeting.bin", "Hello from a new section");
    WriteFileBytes(list, "Greeting\t" + Narrow(data + L"greeting.bin", CP_UTF8) + "\n");
    ASSERT_EQ(RunProcess(L"\"" + source + L"\" --no-version --list \"" + list + L"\"", log), 1)
        << ReadFileBytes(log);
    EXPECT_NE(ReadFileBytes(log).find("not found by FindResourceW: Greeting"), std::string::npos)
        << ReadFileBytes(log);

    std::string big(70000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 13 % 256);
    }
    WriteFileBytes(data + L"big.bin", big);
    WriteFileBytes(data + L"cafe.bin", "caf\xc3\xa9");
    Logger imageLog;
    auto image = ExeImage::Load(XString::FromUtf8(Narrow(source, CP_UTF8)), &imageLog);
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->AddBytes("Greeting", Span("Hello from a new section"), &imageLog));
    ASSERT_TRUE(image->AddFile("mixed Case Data",
                               XString::FromUtf8(Narrow(data + L"big.bin", CP_UTF8)), &imageLog));
    // Names reach the core in the ANSI code page, as the component passes them on.
    ASSERT_TRUE(
        image->AddBytes(Narrow(L"Caf\u00e9 Cr\u00e8me", CP_ACP), Span("caf\xc3\xa9"), &imageLog));
    ASSERT_TRUE(image->Write(XString::FromUtf8(Narrow(edited, CP_UTF8)), &imageLog));
    image.reset();

    // Looked up in other cases than they were added in: the loader upper-cases the name.
    WriteFileBytes(list, "greeting\t" + Narrow(data + L"greeting.bin", CP_UTF8) +
                             "\nMIXED case data\t" + Narrow(data + L"big.bin", CP_UTF8) + "\n" +
                             Narrow(L"caf\u00e9 CR\u00c8ME", CP_UTF8) + "\t" +
                             Narrow(data + L"cafe.bin", CP_UTF8) + "\n");
    EXPECT_EQ(RunProcess(L"\"" + edited + L"\" --no-version --list \"" + list + L"\"", log), 0)
        << ReadFileBytes(log);
    EXPECT_NE(ReadFileBytes(log).find("resprobe: all found"), std::string::npos)
        << ReadFileBytes(log);

    // The same entries through a module loaded as data.
    win::UniqueLibrary module(::LoadLibraryExW(edited.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    HRSRC found = ::FindResourceW(module.get(), L"Mixed CASE data", MAKEINTRESOURCEW(10));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(::SizeofResource(module.get(), found), big.size());
}

}  // namespace
}  // namespace resmelder
