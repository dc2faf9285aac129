#include "start_up.h"

#include <gtest/gtest.h>

#include "file_access.h"
#include "phrase_test_files.h"

namespace murmurex {
namespace {

using test_support::TestFolder;
using testing::ReadBytes;
using testing::WriteBytes;

TEST(FirstRun, TheLowerCaseWordAnywhereInTheCommandLine) {
    EXPECT_TRUE(IsFirstRun("\"C:\\Program Files\\Murmurex\\Messages.exe\" firstrun"));
    EXPECT_TRUE(IsFirstRun("Messages.exe /firstrunnow"));
    EXPECT_TRUE(IsFirstRun("Messages.exe --no-firstrun"));
    EXPECT_TRUE(IsFirstRun(L"\"C:\\Mes Programmes\\Messages.exe\" firstrun"));
    EXPECT_FALSE(IsFirstRun("Messages.exe FIRSTRUN"));
    EXPECT_FALSE(IsFirstRun("Messages.exe FirstRun"));
    EXPECT_FALSE(IsFirstRun("Messages.exe first run"));
    EXPECT_FALSE(IsFirstRun(""));
    EXPECT_FALSE(IsFirstRun(L"Messages.exe FIRSTRUN"));
}

std::size_t CountFiles(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

TEST(PendingDataFile, ReplacesDataAndRemovesThePendingFile) {
    TestFolder folder;
    WriteBytes(folder.path() / "DATA", "old data");
    WriteBytes(folder.path() / "DATA01", "new data");
    EXPECT_EQ(ApplyPendingDataFile(folder.path()), DataReplacement::Replaced);
    EXPECT_EQ(ReadBytes(folder.path() / "DATA"), "new data");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "DATA01"));
    EXPECT_EQ(CountFiles(folder.path()), 1u);
}

TEST(PendingDataFile, WithoutDataThePendingFileBecomesData) {
    TestFolder folder;
    WriteBytes(folder.path() / "DATA01", std::string("bytes\0with a NUL", 16));
    EXPECT_EQ(ApplyPendingDataFile(folder.path()), DataReplacement::Replaced);
    EXPECT_EQ(ReadBytes(folder.path() / "DATA"), std::string("bytes\0with a NUL", 16));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "DATA01"));
}

TEST(PendingDataFile, WithNeitherFileNothingIsCreated) {
    TestFolder folder;
    EXPECT_EQ(ApplyPendingDataFile(folder.path()), DataReplacement::NothingPending);
    EXPECT_EQ(CountFiles(folder.path()), 0u);

    WriteBytes(folder.path() / "DATA", "kept");
    EXPECT_EQ(ApplyPendingDataFile(folder.path()), DataReplacement::NothingPending);
    EXPECT_EQ(ReadBytes(folder.path() / "DATA"), "kept");
}

TEST(PendingDataFile, AFolderNamedLikeThePendingFileIsNotAFile) {
    TestFolder folder;
    std::filesystem::create_directories(folder.path() / "DATA01");
    WriteBytes(folder.path() / "DATA", "kept");
    EXPECT_EQ(ApplyPendingDataFile(folder.path()), DataReplacement::NothingPending);
    EXPECT_EQ(ReadBytes(folder.path() / "DATA"), "kept");
}

TEST(PendingDataFile, AFailedMoveLosesNeitherFile) {
    TestFolder folder;
    WriteBytes(folder.path() / "DATA", "old data");
    WriteBytes(folder.path() / "DATA01", "new data");
    int moves = 0;
    const auto failing = [&moves](const std::filesystem::path&, const std::filesystem::path&) {
        ++moves;
        return false;
    };
    EXPECT_EQ(ApplyPendingDataFile(folder.path(), failing), DataReplacement::Failed);
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(ReadBytes(folder.path() / "DATA"), "old data");
    EXPECT_EQ(ReadBytes(folder.path() / "DATA01"), "new data");
    // The next start tries again, through the real move.
    EXPECT_EQ(ApplyPendingDataFile(folder.path()), DataReplacement::Replaced);
    EXPECT_EQ(ReadBytes(folder.path() / "DATA"), "new data");
}

TEST(PendingDataFile, AReadOnlyDataFileRefusesTheMoveAndBothStay) {
    TestFolder folder;
    WriteBytes(folder.path() / "DATA", "old data");
    WriteBytes(folder.path() / "DATA01", "new data");
    std::filesystem::permissions(folder.path() / "DATA", std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_EQ(ApplyPendingDataFile(folder.path()), DataReplacement::Failed);
    EXPECT_EQ(ReadBytes(folder.path() / "DATA"), "old data");
    EXPECT_EQ(ReadBytes(folder.path() / "DATA01"), "new data");
}

TEST(MoveFileOver, RefusesAMissingSourceAndAFolderTarget) {
    TestFolder folder;
    EXPECT_FALSE(MoveFileOver(folder.path() / "absent", folder.path() / "DATA"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "DATA"));
    WriteBytes(folder.path() / "source file", "x");
    std::filesystem::create_directories(folder.path() / "a folder");
    EXPECT_FALSE(MoveFileOver(folder.path() / "source file", folder.path() / "a folder"));
    EXPECT_EQ(ReadBytes(folder.path() / "source file"), "x");
}

}  // namespace
}  // namespace murmurex
