// System libraries come from the system folder only: a library lying in the current folder,
// where a plain load by name finds it, is never loaded, with the loader's search flags or by
// the full path, nor once the process's search is restricted.
#include "win/system_library.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "win/planted_library_test_support_win.h"

namespace {

namespace fs = std::filesystem;

TEST(SystemLibrary, ComesFromTheSystemFolderBothWays) {
    const win::SystemLibrary theme(L"uxtheme.dll");
    ASSERT_TRUE(theme.Loaded());
    wchar_t loaded[MAX_PATH] = {};
    wchar_t system[MAX_PATH] = {};
    ::GetModuleFileNameW(theme.Module(), loaded, MAX_PATH);
    ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(::lstrcmpiW(fs::path(loaded).parent_path().c_str(), system), 0);
    EXPECT_EQ(win::LoadFromSystemFolder(L"uxtheme.dll").get(), theme.Module());
    EXPECT_NE(theme.Find<void()>("OpenThemeData"), nullptr);
    EXPECT_EQ(theme.Find<void()>("NoSuchFunction"), nullptr);
}

// Last in this program: the restriction holds for the rest of the process.
TEST(SystemLibrary, NeverLoadsTheCopyInTheCurrentFolder) {
    const win::test::PlantedFolder folder(PLANTED_LIBRARY_DIR, L"current");
    for (const wchar_t* name : {L"murmurex-one.dll", L"murmurex-two.dll"}) {
        fs::copy_file(folder / L"winmm.dll", folder / name);
    }
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.path().c_str()));

    EXPECT_FALSE(win::LoadSystemLibrary(L"murmurex-one.dll"));
    EXPECT_FALSE(win::LoadFromSystemFolder(L"murmurex-one.dll"));
    EXPECT_TRUE(win::test::LoadedPlants(folder.path()).empty());
    // A plain load by name does find it there.
    win::UniqueLibrary plain(::LoadLibraryW(L"murmurex-one.dll"));
    EXPECT_TRUE(plain);
    EXPECT_EQ(win::test::LoadedPlants(folder.path()),
              std::vector<std::wstring>{L"murmurex-one.dll.loaded"});
    // Restricted, the process's plain loads by name look in the system folder only.
    EXPECT_TRUE(win::RestrictLibrarySearchToSystem());
    EXPECT_FALSE(win::UniqueLibrary(::LoadLibraryW(L"murmurex-two.dll")));
    EXPECT_EQ(win::test::LoadedPlants(folder.path()).size(), 1u);

    plain.reset();
    ::SetCurrentDirectoryW(previous);
}

}  // namespace
