// The helpers against the platform itself: real folders, a real profile file and real
// ShellExecuteA calls under the shell's own associations.
#include "common_functions_win.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "helper_error.h"
#include "phrase_test_files.h"

namespace murmurex::dialogs {
namespace {

using murmurex::testing::ReadBytes;
using murmurex::testing::WriteBytes;
using test_support::TestFolder;

std::string Ansi(const std::filesystem::path& path) {
    return path.string();
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

struct Helpers {
    std::vector<std::string> notices;
    cCommonFunctions functions{nullptr, "Murmurex",
                               [this](std::string_view m) { notices.emplace_back(m); }};
};

TEST(CommonFunctionsWin, MakeDirCreatesTheMissingFoldersBelowAnExistingOne) {
    TestFolder temp;
    const std::string base = Ansi(temp.path());
    ASSERT_TRUE(::CreateDirectoryA((base + "\\a").c_str(), nullptr));
    Helpers h;
    std::string path = base + "\\a\\b c\\Caf\xE9";
    EXPECT_TRUE(h.functions.MakeDir(path));
    EXPECT_EQ(path, base + "\\a\\b c\\Caf\xE9\\");
    EXPECT_TRUE(IsFolder(base + "\\a\\b c"));
    EXPECT_TRUE(IsFolder(base + "\\a\\b c\\Caf\xE9"));
    EXPECT_TRUE(h.notices.empty());

    // Again: everything exists, nothing to do.
    EXPECT_TRUE(h.functions.MakeDir(path));
    EXPECT_TRUE(h.notices.empty());
}

TEST(CommonFunctionsWin, MakeDirBelowAFileShowsTheNotice) {
    TestFolder temp;
    WriteBytes(temp.path() / "file.txt", "x");
    Helpers h;
    std::string path = Ansi(temp.path()) + "\\file.txt\\sub";
    EXPECT_FALSE(h.functions.MakeDir(path));
    EXPECT_EQ(h.notices, (std::vector<std::string>{"Could not Create Destination Folder."}));
}

TEST(CommonFunctionsWin, FileExistCountsNormalFilesOnly) {
    TestFolder temp;
    const std::string base = Ansi(temp.path());
    WriteBytes(temp.path() / "Notes \xE9t\xE9.TXT", "x");
    WriteBytes(temp.path() / "hidden.txt", "x");
    ASSERT_TRUE(::SetFileAttributesA((base + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    Helpers h;
    EXPECT_TRUE(h.functions.FileExist(base + "\\notes \xC9T\xC9.txt"));
    EXPECT_FALSE(h.functions.FileExist(base + "\\hidden.txt"));
    EXPECT_FALSE(h.functions.FileExist(base));
    EXPECT_FALSE(h.functions.FileExist(base + "\\missing.txt"));
    EXPECT_FALSE(h.functions.FileExist("Q:\\nothing\\here.txt"));
    EXPECT_FALSE(h.functions.FileExist(""));
}

TEST(CommonFunctionsWin, ReadIniCutsALongValueToTheBuffer) {
    TestFolder temp;
    std::string file = Ansi(temp.path()) + "\\Settings Caf\xE9.ini";
    Helpers h;
    std::string section = "Main";
    std::string key = "Long";
    std::string value(300, 'v');
    value[0] = 'A';
    value[253] = 'Z';
    EXPECT_TRUE(h.functions.WriteINI(section, key, value, file));
    EXPECT_EQ(h.functions.ReadINI("Main", "Long", file), value.substr(0, 254));
    EXPECT_EQ(h.functions.ReadINI("main", "LONG", file).size(), 254u);

    std::string shortKey = "Short";
    std::string shortValue = "caf\xE9 au lait";
    EXPECT_TRUE(h.functions.WriteINI(section, shortKey, shortValue, file));
    EXPECT_EQ(h.functions.ReadINI("Main", "Short", file), shortValue);
    EXPECT_EQ(h.functions.ReadINI("Main", "Absent", file), "");
    EXPECT_EQ(h.functions.ReadINI("Other", "Short", file), "");
    std::string missing = Ansi(temp.path()) + "\\missing.ini";
    EXPECT_EQ(h.functions.ReadINI("Main", "Short", missing), "");
}

TEST(CommonFunctionsWin, ShellExRunsAProgramWithParametersInItsFolder) {
    TestFolder temp;
    Helpers h;
    std::string verb = "open";
    HWND owner = nullptr;
    // "CMD.Exe" in mixed case: the program rule must still apply and the run must happen.
    EXPECT_TRUE(h.functions.ShellEx("CMD.Exe", 1, "/c echo ran> \"out put.txt\"", Ansi(temp.path()),
                                    verb, owner));
    EXPECT_EQ(LastHelperError().number, 0);
    const auto out = temp.path() / "out put.txt";
    for (int i = 0; i < 200 && ReadBytes(out).find("ran") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(ReadBytes(out).find("ran"), std::string::npos);
}

TEST(CommonFunctionsWin, ShellExOfAMissingDocumentLeavesFileNotFound) {
    TestFolder temp;
    Helpers h;
    std::string verb = "open";
    HWND owner = nullptr;
    EXPECT_FALSE(h.functions.ShellEx(Ansi(temp.path()) + "\\absent.txt", 1, "", "", verb, owner));
    EXPECT_EQ(LastHelperError().number, 53);
    EXPECT_EQ(LastHelperError().source, "Murmurex.GShell");
    EXPECT_EQ(LastHelperError().description, "File not found");
}

TEST(CommonFunctionsWin, ShellExWithAVerbTheDocumentLacksLeavesTheShellsAnswer) {
    TestFolder temp;
    WriteBytes(temp.path() / "Read Me.txt", "hello");
    Helpers h;
    std::string verb = "frobnicate";
    HWND owner = nullptr;
    EXPECT_FALSE(h.functions.ShellEx(Ansi(temp.path()) + "\\Read Me.txt", 1, "", "", verb, owner));
    EXPECT_EQ(LastHelperError().number, 0x80040418LL + 31);
    EXPECT_EQ(LastHelperError().description, "No application is associated with this file type.");
}

TEST(CommonFunctionsWin, LaunchOpensADocumentWithItsAssociation) {
    // A command script is a document the shell opens through its file association; the
    // script leaves a mark beside itself, so the run can be seen.
    TestFolder temp;
    const auto folder = temp.path() / L"Caf\u00e9 scripts";
    std::filesystem::create_directories(folder);
    WriteBytes(folder / "Leave Mark.CMD", "@echo opened> \"%~dp0mark.txt\"\r\n");
    Helpers h;
    // The helpers speak ANSI (code page 1252 here); the temporary folder's own name is ASCII.
    const std::string script = Ansi(temp.path()) + "\\Caf\xE9 scripts\\Leave Mark.CMD";
    const auto answer = h.functions.Launch(script, 2);
    ASSERT_TRUE(answer.has_value());
    EXPECT_GT(*answer, 32);
    const auto mark = folder / "mark.txt";
    for (int i = 0; i < 200 && ReadBytes(mark).find("opened") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(ReadBytes(mark).find("opened"), std::string::npos);
}

TEST(CommonFunctionsWin, LaunchOfAMissingDocumentAnswersTheShellsNumber) {
    TestFolder temp;
    Helpers h;
    LastHelperError().Clear();
    const auto answer = h.functions.Launch(Ansi(temp.path() / "absent.txt"), 2);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, 2);  // file not found; nothing raised
    EXPECT_EQ(LastHelperError().number, 0);
}

TEST(CommonFunctionsWin, LaunchOfAnUnknownKindOpensNothing) {
    Helpers h;
    EXPECT_FALSE(h.functions.Launch("C:\\windows", 3).has_value());
}

}  // namespace
}  // namespace murmurex::dialogs
