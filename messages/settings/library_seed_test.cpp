#include "library_seed.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "phrase_test_files.h"
#include "testing/test_folder.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;
using test_support::TestFolder;
using testing::FolderEntries;
using testing::MakeReadOnly;
using testing::ReadBytes;
using testing::WriteBytes;

// A name with a blank and an accent, the same on every platform.
const fs::path kOwnListName(u8"Mes cat\u00e9gories.lst");
const char kCalm[] = "1Breathe out slowly\r\n0Rest é";
const char kOwnList[] = "1Ma phrase à moi";
const char kSelection[] = "1Calm\r\n1Mes catégories";
const char kSettings[] = "Arial\r\n12\r\n0\r\n3\r\n250\r\n255\r\n0";

// The install folder as the installer leaves it: the program and the sample copy only.
fs::path MakeInstalledFolder(const TestFolder& folder) {
    const fs::path sample = folder.path() / "Sample library";
    WriteBytes(folder.path() / "Messages.exe", "MZ");
    WriteBytes(sample / "Lists" / "Calm.lst", kCalm);
    WriteBytes(sample / "Lists" / kOwnListName, kOwnList);
    WriteBytes(sample / "_._", kSelection);
    WriteBytes(sample / "__.__", kSettings);
    MakeReadOnly(sample / "Lists" / "Calm.lst");
    return folder.path();
}

std::vector<fs::path> SortedEntries(const fs::path& folder) {
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LibrarySeed, WithNoLibraryEverySampleFileIsCopiedAndStaysEditable) {
    TestFolder folder;
    const fs::path app = MakeInstalledFolder(folder);
    EXPECT_EQ(SeedLibraryFromSample(app), LibrarySeeding::Seeded);
    EXPECT_EQ(ReadBytes(app / "Lists" / "Calm.lst"), kCalm);
    EXPECT_EQ(ReadBytes(app / "Lists" / kOwnListName), kOwnList);
    EXPECT_EQ(ReadBytes(app / "_._"), kSelection);
    EXPECT_EQ(ReadBytes(app / "__.__"), kSettings);
    // Nothing else appears: no copy in flight is left behind.
    EXPECT_EQ(SortedEntries(app),
              (std::vector<fs::path>{"Lists", "Messages.exe", "Sample library", "_._", "__.__"}));
    EXPECT_EQ(SortedEntries(app / "Lists"), (std::vector<fs::path>{"Calm.lst", kOwnListName}));
    // The sample's read-only file becomes the user's, who may add phrases to it.
    const fs::perms perms = fs::status(app / "Lists" / "Calm.lst").permissions();
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
    // A second start finds the user's library and leaves it alone.
    WriteBytes(app / "Lists" / "Calm.lst", "1Changed by the user");
    EXPECT_EQ(SeedLibraryFromSample(app), LibrarySeeding::AlreadyThere);
    EXPECT_EQ(ReadBytes(app / "Lists" / "Calm.lst"), "1Changed by the user");
}

TEST(LibrarySeed, AnyOnePartOfALibraryKeepsEverythingAsItIs) {
    for (const char* existing : {"Lists", "_._", "__.__"}) {
        TestFolder folder;
        const fs::path app = MakeInstalledFolder(folder);
        WriteBytes(app / existing, "the user's");
        EXPECT_EQ(SeedLibraryFromSample(app), LibrarySeeding::AlreadyThere) << existing;
        EXPECT_EQ(ReadBytes(app / existing), "the user's");
        EXPECT_EQ(FolderEntries(app).size(), 3u) << existing;
    }
    TestFolder folder;
    const fs::path app = MakeInstalledFolder(folder);
    fs::create_directory(app / "Lists");
    EXPECT_EQ(SeedLibraryFromSample(app), LibrarySeeding::AlreadyThere);
    EXPECT_TRUE(FolderEntries(app / "Lists").empty());
    EXPECT_FALSE(fs::exists(app / "_._"));
}

TEST(LibrarySeed, WithoutASampleCopyNothingIsMade) {
    TestFolder folder;
    WriteBytes(folder.path() / "Messages.exe", "MZ");
    EXPECT_EQ(SeedLibraryFromSample(folder.path()), LibrarySeeding::NoSample);
    WriteBytes(folder.path() / "Sample library", "a file, not the sample folder");
    EXPECT_EQ(SeedLibraryFromSample(folder.path()), LibrarySeeding::NoSample);
    EXPECT_EQ(FolderEntries(folder.path()).size(), 2u);
}

TEST(LibrarySeed, AFailingCopyLeavesWhatWasMadeAndGoesOn) {
    TestFolder folder;
    const fs::path app = MakeInstalledFolder(folder);
    int calls = 0;
    const auto failsOnCalmAndSettings = [&calls](const fs::path& source, const fs::path& target) {
        ++calls;
        const std::string name = target.filename().string();
        return name != "Calm.lst" && name != "__.__" && CopyToNewFile(source, target);
    };
    EXPECT_EQ(SeedLibraryFromSample(app, failsOnCalmAndSettings), LibrarySeeding::PartlySeeded);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(ReadBytes(app / "Lists" / kOwnListName), kOwnList);
    EXPECT_EQ(ReadBytes(app / "_._"), kSelection);
    EXPECT_FALSE(fs::exists(app / "Lists" / "Calm.lst"));
    EXPECT_FALSE(fs::exists(app / "__.__"));
    // The next start sees a library, the user's now, and adds nothing to it.
    EXPECT_EQ(SeedLibraryFromSample(app), LibrarySeeding::AlreadyThere);
    EXPECT_FALSE(fs::exists(app / "__.__"));
}

TEST(LibrarySeed, AFileThatAppearsMeanwhileIsNeverReplaced) {
    TestFolder folder;
    const fs::path app = MakeInstalledFolder(folder);
    const auto userWritesFirst = [](const fs::path& source, const fs::path& target) {
        if (target.filename() == "_._") {
            WriteBytes(target, "1Written by the user meanwhile");
        }
        return CopyToNewFile(source, target);
    };
    EXPECT_EQ(SeedLibraryFromSample(app, userWritesFirst), LibrarySeeding::PartlySeeded);
    EXPECT_EQ(ReadBytes(app / "_._"), "1Written by the user meanwhile");
    EXPECT_EQ(ReadBytes(app / "__.__"), kSettings);
    EXPECT_EQ(FolderEntries(app).size(), 5u) << "a copy in flight was left behind";
}

TEST(LibrarySeed, CopyToNewFileRefusesAMissingOrFolderSource) {
    TestFolder folder;
    EXPECT_FALSE(CopyToNewFile(folder.path() / "absent", folder.path() / "target"));
    fs::create_directory(folder.path() / "a folder");
    EXPECT_FALSE(CopyToNewFile(folder.path() / "a folder", folder.path() / "target"));
    EXPECT_EQ(SortedEntries(folder.path()), std::vector<fs::path>{"a folder"});
}

}  // namespace
}  // namespace murmurex
