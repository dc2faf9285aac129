#include "file_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "phrase_test_files.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;
using test_support::TestFolder;
using testing::FolderEntries;
using testing::MakeReadOnly;
using testing::ReadBytes;
using testing::WriteBytes;
using Items = std::vector<std::string>;

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

TEST(FileAccess, ReplaceWritesExactlyTheBytes) {
    TestFolder folder;
    const fs::path target = folder.path() / "Calm.lst";
    ASSERT_TRUE(ReplaceFileAtomically(target, "1a\r\n0b\xE9"));
    EXPECT_EQ(ReadBytes(target), "1a\r\n0b\xE9");
    // A shorter text leaves nothing of the longer one behind.
    ASSERT_TRUE(ReplaceFileAtomically(target, "1c"));
    EXPECT_EQ(ReadBytes(target), "1c");
    ASSERT_TRUE(ReplaceFileAtomically(target, ""));
    EXPECT_EQ(fs::file_size(target), 0u);
    EXPECT_EQ(FolderEntries(folder.path()), (Items{"Calm.lst"}));
}

TEST(FileAccess, ReplaceBrokenMidwayLeavesTheOldFileWhole) {
    TestFolder folder;
    const fs::path target = folder.path() / "Calm.lst";
    const std::string old = Pattern(300'000);
    WriteBytes(target, old);
    std::vector<std::size_t> seen;
    const bool replaced = ReplaceFileAtomically(target, Pattern(500'000), [&](std::size_t written) {
        seen.push_back(written);
        return written < 200'000;  // some chunks reach the disk, then the disk "fails"
    });
    EXPECT_FALSE(replaced);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), 0u);
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(FolderEntries(folder.path()), (Items{"Calm.lst"}));  // no temporary file left
}

TEST(FileAccess, ReplaceRefusesWhatItMustNotTouch) {
    TestFolder folder;
    const fs::path readOnly = folder.path() / "Locked.lst";
    WriteBytes(readOnly, "1Keep me");
    MakeReadOnly(readOnly);
    EXPECT_FALSE(ReplaceFileAtomically(readOnly, "1New"));
    EXPECT_EQ(ReadBytes(readOnly), "1Keep me");

    fs::create_directories(folder.path() / "Dir.lst");
    EXPECT_FALSE(ReplaceFileAtomically(folder.path() / "Dir.lst", "1New"));
    EXPECT_TRUE(fs::is_directory(folder.path() / "Dir.lst"));

    EXPECT_FALSE(ReplaceFileAtomically(folder.path() / "Missing" / "x.lst", "1New"));
    EXPECT_EQ(FolderEntries(folder.path()).size(), 2u);
}

TEST(FileAccess, ReadTakesWholeFilesUpToTheBound) {
    TestFolder folder;
    const fs::path ten = folder.path() / "Ten.lst";
    const std::string bytes = Pattern(10 * 1024 * 1024);
    WriteBytes(ten, bytes);
    EXPECT_EQ(ReadWholeFile(ten), bytes);

    const fs::path empty = folder.path() / "Empty.lst";
    WriteBytes(empty, "");
    EXPECT_EQ(ReadWholeFile(empty), std::string());

    const fs::path huge = folder.path() / "Huge.lst";
    WriteBytes(huge, "1x");
    fs::resize_file(huge, kMaxReadableFileSize + 1);
    EXPECT_FALSE(ReadWholeFile(huge).has_value());

    EXPECT_FALSE(ReadWholeFile(folder.path() / "Missing.lst").has_value());
    fs::create_directories(folder.path() / "Dir.lst");
    EXPECT_FALSE(ReadWholeFile(folder.path() / "Dir.lst").has_value());
}

TEST(FileAccess, CreateNewNeverOpensAnExistingFile) {
    TestFolder folder;
    const fs::path file = folder.path() / "Sleep.lst";
    EXPECT_TRUE(CreateNewEmptyFile(file));
    EXPECT_EQ(fs::file_size(file), 0u);
    WriteBytes(file, "1Keep");
    EXPECT_FALSE(CreateNewEmptyFile(file));
    EXPECT_EQ(ReadBytes(file), "1Keep");
    EXPECT_FALSE(CreateNewEmptyFile(folder.path() / "missing folder" / "x.lst"));
}

TEST(FileAccess, RenameNoReplaceMovesInOneStepAndNeverOverwrites) {
    TestFolder folder;
    const fs::path calm = folder.path() / "Calm.lst";
    const fs::path relax = folder.path() / "Relax.lst";
    WriteBytes(calm, "1a");
    EXPECT_TRUE(RenameFileNoReplace(calm, relax));
    EXPECT_FALSE(fs::exists(calm));
    EXPECT_EQ(ReadBytes(relax), "1a");

    WriteBytes(calm, "1b");
    EXPECT_FALSE(RenameFileNoReplace(calm, relax));
    EXPECT_EQ(ReadBytes(calm), "1b");
    EXPECT_EQ(ReadBytes(relax), "1a");
    EXPECT_FALSE(RenameFileNoReplace(folder.path() / "None.lst", folder.path() / "Other.lst"));

    // A change of case only renames the file, on every file system.
    EXPECT_TRUE(RenameFileNoReplace(relax, folder.path() / "RELAX.lst"));
    Items names = FolderEntries(folder.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Items{"Calm.lst", "RELAX.lst"}));
    EXPECT_EQ(ReadBytes(folder.path() / "RELAX.lst"), "1a");
}

TEST(FileAccess, DeleteRemovesOrdinaryWritableFilesOnly) {
    TestFolder folder;
    const fs::path file = folder.path() / "Calm.lst";
    WriteBytes(file, "1a");
    EXPECT_TRUE(IsExistingFile(file));
    EXPECT_TRUE(DeleteFileAt(file));
    EXPECT_FALSE(IsExistingFile(file));
    EXPECT_TRUE(DeleteFileAt(file));

    WriteBytes(file, "1a");
    MakeReadOnly(file);
    EXPECT_FALSE(DeleteFileAt(file));
    EXPECT_EQ(ReadBytes(file), "1a");

    fs::create_directories(folder.path() / "Dir.lst");
    EXPECT_FALSE(IsExistingFile(folder.path() / "Dir.lst"));
    EXPECT_FALSE(DeleteFileAt(folder.path() / "Dir.lst"));
    EXPECT_TRUE(fs::is_directory(folder.path() / "Dir.lst"));
}

}  // namespace
}  // namespace murmurex
