// The Win32 file layer against the platform itself: replace, read-only and locked targets,
// and category names with bytes above 127 through the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "file_access.h"
#include "phrase_library.h"
#include "phrase_test_files.h"
#include "win/unique_handle.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;
using test_support::TestFolder;
using testing::ReadBytes;
using testing::WriteBytes;
using Items = std::vector<std::string>;

std::vector<std::wstring> WideEntries(const fs::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().wstring());
    }
    return names;
}

CheckList Selecting(const std::string& name) {
    CheckList categories;
    categories.AddItem(name);
    categories.SetListIndex(0);
    return categories;
}

TEST(FileAccessWin, ReplaceSwapsTheFileInPlace) {
    TestFolder folder;
    const fs::path target = folder.path() / L"Calm.lst";
    WriteBytes(target, "1Old phrase that is longer");
    ASSERT_TRUE(ReplaceFileAtomically(target, "1a\r\n0b"));
    EXPECT_EQ(ReadBytes(target), "1a\r\n0b");
    EXPECT_EQ(WideEntries(folder.path()), (std::vector<std::wstring>{L"Calm.lst"}));

    // A hidden file stays hidden once replaced.
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(ReplaceFileAtomically(target, "1c"));
    EXPECT_EQ(ReadBytes(target), "1c");
    EXPECT_EQ(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_HIDDEN,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileAccessWin, ReadOnlyFileIsNeitherReplacedNorDeleted) {
    TestFolder folder;
    const fs::path target = folder.path() / L"Calm.lst";
    WriteBytes(target, "1Keep");
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(ReplaceFileAtomically(target, "1New"));
    EXPECT_FALSE(DeleteFileAt(target));
    EXPECT_EQ(ReadBytes(target), "1Keep");
    EXPECT_EQ(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(WideEntries(folder.path()), (std::vector<std::wstring>{L"Calm.lst"}));
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileAccessWin, FileHeldWithoutSharingIsLeftWhole) {
    TestFolder folder;
    const fs::path app = folder.path();
    const fs::path target = app / L"Lists" / L"Calm.lst";
    WriteBytes(target, "1Relax\r\n0Rest");
    WriteBytes(SelectionFilePath(app), "1Calm");
    {
        win::UniqueFile held(::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held);
        EXPECT_FALSE(ReadWholeFile(target).has_value());
        EXPECT_FALSE(ReplaceFileAtomically(target, "1New"));
        EXPECT_FALSE(DeleteFileAt(target));

        CheckList phrases;
        EXPECT_EQ(LoadPhrases(Selecting("Calm"), phrases, app), PhraseLoad::kUnreadable);
        EXPECT_TRUE(BuildPhrasePool(app).IsEmpty());
        phrases.AddItem("New");
        EXPECT_FALSE(SavePhrases(Selecting("Calm"), phrases, app));
        EXPECT_EQ(WideEntries(target.parent_path()), (std::vector<std::wstring>{L"Calm.lst"}));
    }
    EXPECT_EQ(ReadBytes(target), "1Relax\r\n0Rest");
    EXPECT_EQ(BuildPhrasePool(app).Items(), (Items{"Relax", "Rest"}));
}

TEST(FileAccessWin, SelectionFileHeldOpenGivesUpAfterRetries) {
    TestFolder folder;
    const fs::path app = folder.path();
    WriteBytes(SelectionFilePath(app), "1Calm");
    win::UniqueFile held(::CreateFileW(SelectionFilePath(app).c_str(), GENERIC_READ, 0, nullptr,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    CheckList categories;
    categories.AddItem("Calm");
    int pumps = 0;
    EXPECT_FALSE(SaveCategorySelection(categories, app, [&] { ++pumps; }));
    EXPECT_EQ(pumps, 101);
    held.reset();
    EXPECT_EQ(ReadBytes(SelectionFilePath(app)), "1Calm");
    EXPECT_EQ(WideEntries(app), (std::vector<std::wstring>{L"_._"}));
}

TEST(FileAccessWin, CategoryNamesInAnyScriptRoundTripThroughTheFileName) {
    TestFolder folder;
    const fs::path app = folder.path();
    const std::string name = "Caf\u00e9 \u00c0 la cr\u00e8me";
    fs::create_directories(app / L"Lists");

    CheckList phrases;
    phrases.AddItem("Un caf\u00e9");
    ASSERT_TRUE(SavePhrases(Selecting(name), phrases, app));
    // The name is the file's wide name; the text fits the code page and stays in it.
    EXPECT_EQ(WideEntries(app / L"Lists"),
              (std::vector<std::wstring>{L"Caf\u00e9 \u00c0 la cr\u00e8me.lst"}));
    if (::GetACP() == 1252) {
        EXPECT_EQ(ReadBytes(app / L"Lists" / L"Caf\u00e9 \u00c0 la cr\u00e8me.lst"), "0Un caf\xE9");
    }

    CheckList categories;
    FillComboWithFiles(categories, app, "Lists", "lst");
    ASSERT_EQ(categories.ListCount(), 1);
    EXPECT_EQ(categories.List(0), name);

    WriteBytes(SelectionFilePath(app), "1CAF\xC9 \xC0 LA CR\xC8ME");
    LoadCategorySelection(categories, app);
    EXPECT_TRUE(categories.IsTicked(0));
    EXPECT_EQ(BuildPhrasePool(app).Items(), (Items{"Un caf\u00e9"}));
}

TEST(FileAccessWin, NamesInAnyScriptAreListedAndDevicesAreNotRead) {
    TestFolder folder;
    const fs::path lists = folder.path() / L"Lists";
    WriteBytes(lists / L"Calm.lst", "1Relax");
    WriteBytes(lists / L"Focus.LST", "1Think");
    WriteBytes(lists / L"\u4e2d\u6587.lst", "1x");
    CheckList categories;
    FillComboWithFiles(categories, folder.path(), "Lists", "lst");
    Items names;
    for (const CheckEntry& entry : categories.Entries()) {
        names.push_back(entry.text);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Items{"Calm", "Focus", "\u4e2d\u6587"}));

    // A device is not a disk file: reading it must neither block nor succeed.
    EXPECT_FALSE(ReadWholeFile(L"NUL").has_value());
    EXPECT_FALSE(ReadWholeFile(L"CONIN$").has_value());
}

}  // namespace
}  // namespace murmurex
