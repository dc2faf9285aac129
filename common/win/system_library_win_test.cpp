// System libraries come from the system folder only: a library of the name lying in the
// current folder, where a plain load by name finds it, is never loaded, with the loader's
// search flags or by the full path, nor after the process's search is restricted.
#include "win/system_library.h"

#include <uxtheme.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "win/planted_library_test_support_win.h"

namespace {

namespace fs = std::filesystem;

fs::path ModuleFolder(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    return fs::path(path).parent_path();
}

fs::path SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetSystemDirectoryW(path, MAX_PATH);
    return fs::path(path);
}

TEST(SystemLibrary, ComesFromTheSystemFolderBothWays) {
    const win::UniqueLibrary flagged = win::LoadSystemLibrary(L"uxtheme.dll");
    ASSERT_TRUE(flagged);
    EXPECT_EQ(::lstrcmpiW(ModuleFolder(flagged.get()).c_str(), SystemFolder().c_str()), 0);
    const win::UniqueLibrary byPath = win::LoadFromSystemFolder(L"uxtheme.dll");
    EXPECT_EQ(byPath.get(), flagged.get());
    EXPECT_TRUE(win::LoaderTakesSearchFlags());
}

TEST(SystemLibrary, FindsDeclaredFunctionsAndAnswersNullForWhatIsMissing) {
    const win::SystemLibrary theme(L"uxtheme.dll");
    ASSERT_TRUE(theme.Loaded());
    EXPECT_EQ(reinterpret_cast<void*>(theme.Find<decltype(::OpenThemeData)>("OpenThemeData")),
              reinterpret_cast<void*>(::GetProcAddress(theme.Module(), "OpenThemeData")));
    EXPECT_NE(theme.Find<decltype(::OpenThemeData)>("OpenThemeData"), nullptr);
    EXPECT_EQ(theme.Find<void()>("NoSuchFunction"), nullptr);
    const win::SystemLibrary absent(L"murmurex-absent.dll");
    EXPECT_FALSE(absent.Loaded());
    EXPECT_EQ(absent.Find<void()>("OpenThemeData"), nullptr);
}

// Last in this program: the restriction holds for the rest of the process.
TEST(SystemLibrary, NeverLoadsTheCopyInTheCurrentFolder) {
    const fs::path folder = win::test::FreshPlantedFolder(L"current");
    for (const wchar_t* name : {L"murmurex-one.dll", L"murmurex-two.dll"}) {
        ASSERT_TRUE(fs::copy_file(fs::path(PLANTED_LIBRARY_DIR) / L"winmm.dll", folder / name));
    }
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(folder.c_str()));

    EXPECT_FALSE(win::LoadSystemLibrary(L"murmurex-one.dll"));
    EXPECT_FALSE(win::LoadFromSystemFolder(L"murmurex-one.dll"));
    EXPECT_TRUE(win::test::LoadedPlants(folder).empty());
    // A plain load by name does find it there.
    win::UniqueLibrary plain(::LoadLibraryW(L"murmurex-one.dll"));
    EXPECT_TRUE(plain);
    EXPECT_EQ(win::test::LoadedPlants(folder),
              std::vector<std::wstring>{L"murmurex-one.dll.loaded"});
    // Restricted, the process's plain loads by name look in the system folder only.
    EXPECT_TRUE(win::RestrictLibrarySearchToSystem());
    EXPECT_FALSE(win::UniqueLibrary(::LoadLibraryW(L"murmurex-two.dll")));
    EXPECT_EQ(win::test::LoadedPlants(folder).size(), 1u);

    plain.reset();
    ::SetCurrentDirectoryW(previous);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
