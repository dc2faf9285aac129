// The tests' folder of their own: a fresh name each time, even under one label, and nothing
// left behind, read-only contents and the current folder included.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "testing/test_folder.h"

namespace test_support {
namespace {

namespace fs = std::filesystem;

TEST(TestFolderTest, EachFolderIsFreshAndKeepsItsLabel) {
    const fs::path label(u8"Caf\u00e9 folder");
    const TestFolder first(label);
    const TestFolder second(label);
    EXPECT_NE(first.path(), second.path());
    EXPECT_EQ(first.path(), fs::temp_directory_path() / first.path().filename());
    EXPECT_EQ(first.path().filename().u8string().rfind(label.u8string() + u8"-", 0), 0u);
    EXPECT_TRUE(fs::is_directory(first.path()));
    EXPECT_TRUE(fs::is_empty(second.path()));
}

TEST(TestFolderTest, EverythingInItGoesWithIt) {
    auto folder = std::make_unique<TestFolder>("removal");
    const fs::path path = folder->path();
    fs::create_directories(*folder / "inner" / "deeper");
    const fs::path file = *folder / "inner" / "deeper" / "kept.txt";
    std::ofstream(file) << "read-only";
    fs::permissions(file, fs::perms::all, fs::perm_options::remove);
    fs::permissions(*folder / "inner" / "deeper", fs::perms::owner_write, fs::perm_options::remove);
    folder.reset();
    EXPECT_FALSE(fs::exists(path));
}

// Windows keeps a process's current folder; a file dialog moves it into the test's folder.
TEST(TestFolderTest, GoesEvenWhenItHoldsTheCurrentFolder) {
    const fs::path before = fs::current_path();
    fs::path path;
    {
        const TestFolder folder("current");
        path = folder.path();
        fs::create_directories(folder / "inner");
        fs::current_path(folder / "inner");
    }
    EXPECT_FALSE(fs::exists(path));
    fs::current_path(before);
}

}  // namespace
}  // namespace test_support
