// Resmelder's two binaries in a folder where stand-ins for system libraries lie planted
// (msftedit, riched20, uxtheme, winmm): the tool lists a real program, a host beside the DLL
// uses it, and no stand-in ever loads. A DLL cannot restrict its host's search order, so this
// holds only while it imports known DLLs and loads nothing by a bare name.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win/planted_library_test_support_win.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Copies `built` into `folder` and runs it from there; its exit status, -1 when it did not
// start or end.
int RunCopy(const fs::path& built, const fs::path& folder, const std::wstring& arguments) {
    fs::copy_file(built, folder / built.filename());
    const win::UniqueKernelHandle process =
        win::test::StartFromItsFolder(folder / built.filename(), arguments, folder / L"output.txt");
    DWORD status = 0;
    if (!process || ::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &status)) {
        return -1;
    }
    return static_cast<int>(status);
}

// A folder with the stand-ins and a real program of another toolchain's making: the
// system's own Notepad.
fs::path FolderWithTarget(const std::wstring& label) {
    const fs::path folder = win::test::PlantedFolder(PLANTED_LIBRARY_DIR, label);
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    fs::copy_file(fs::path(system) / L"notepad.exe", folder / L"Bloc-notes.exe");
    return folder;
}

TEST(PlantedLibrary, ToolListsARealProgramAndLoadsNoPlantedLibrary) {
    const fs::path folder = FolderWithTarget(L"tool");
    ASSERT_EQ(RunCopy(RESMELDER_TOOL_PATH, folder,
                      L"list \"" + (folder / L"Bloc-notes.exe").wstring() + L"\""),
              0);
    EXPECT_NE(ReadText(folder / L"output.txt").find("\t#1\t"), std::string::npos);
    EXPECT_EQ(win::test::LoadedPlants(folder), std::vector<std::wstring>{});
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

TEST(PlantedLibrary, HostBesideTheLibraryUsesItAndLoadsNoPlantedLibrary) {
    const fs::path folder = FolderWithTarget(L"host");
    fs::copy_file(RESMELDER_DLL_PATH, folder / L"Resmelder.dll");
    // The host opens the program, asks for its own renamed executable, then deletes from the
    // image that went with it: the class factory, the methods and the error objects. It widens
    // its narrow arguments byte by byte, so the program is named from its folder.
    ASSERT_EQ(RunCopy(RESMELDER_HOST_PATH, folder,
                      L"\"" + (folder / L"Resmelder.dll").wstring() + L"\" \"" +
                          (folder / L"report.txt").wstring() + L"\" Bloc-notes.exe"),
              0);
    EXPECT_EQ(ReadText(folder / L"report.txt"),
              "00000000 \n"
              "80004005 Failed to open the calling process's EXE\n"
              "80004005 No EXE has been opened yet.\n");
    EXPECT_EQ(win::test::LoadedPlants(folder), std::vector<std::wstring>{});
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
