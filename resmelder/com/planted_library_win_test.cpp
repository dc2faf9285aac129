// Resmelder's two binaries in a folder where stand-ins for system libraries lie planted
// (msftedit, riched20, uxtheme, winmm): the tool lists a real program, a host beside the DLL
// uses it, and no stand-in ever loads. A DLL cannot restrict its host's search order, so this
// holds only while it imports known DLLs and loads nothing by a bare name.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_files.h"
#include "win/planted_library_test_support_win.h"
#include "win/process_test_support_win.h"

namespace {

namespace fs = std::filesystem;

// Copies `built` into `folder` and runs it from there, its output in `output` when one is
// named; its exit status, -1 when it did not start.
int RunCopy(const fs::path& built, const fs::path& folder, const std::wstring& arguments,
            const fs::path& output = {}) {
    const fs::path copy = folder / built.filename();
    fs::copy_file(built, copy);
    win::test::ProcessOptions fromItsFolder;
    fromItsFolder.folder = folder;
    fromItsFolder.outputFile = output;
    return win::test::RunProcessWith(win::test::Quoted(copy.wstring()) + L" " + arguments,
                                     fromItsFolder);
}

// Beside the stand-ins, a real program of another toolchain's making: the system's own
// Notepad.
void CopyTarget(const fs::path& folder) {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    fs::copy_file(fs::path(system) / L"notepad.exe", folder / L"Bloc-notes.exe");
}

TEST(PlantedLibrary, ToolListsARealProgramAndLoadsNoPlantedLibrary) {
    const win::test::PlantedFolder folder(PLANTED_LIBRARY_DIR, L"tool");
    CopyTarget(folder.path());
    ASSERT_EQ(RunCopy(RESMELDER_TOOL_PATH, folder.path(),
                      L"list \"" + (folder / L"Bloc-notes.exe").wstring() + L"\"",
                      folder / L"output.txt"),
              0);
    EXPECT_NE(test_support::ReadFileBytes(folder / L"output.txt").find("\t#1\t"),
              std::string::npos);
    EXPECT_EQ(win::test::LoadedPlants(folder.path()), std::vector<std::wstring>{});
}

TEST(PlantedLibrary, HostBesideTheLibraryUsesItAndLoadsNoPlantedLibrary) {
    const win::test::PlantedFolder folder(PLANTED_LIBRARY_DIR, L"host");
    CopyTarget(folder.path());
    fs::copy_file(RESMELDER_DLL_PATH, folder / L"Resmelder.dll");
    // The host opens the program, asks for its own renamed executable, then deletes from the
    // image that went with it: the class factory, the methods and the error objects. It widens
    // its narrow arguments byte by byte, so the program is named from its folder. Its output
    // stays the test's own: the service processes COM starts would inherit a file made for it
    // and keep the folder from going.
    ASSERT_EQ(RunCopy(RESMELDER_HOST_PATH, folder.path(),
                      L"\"" + (folder / L"Resmelder.dll").wstring() + L"\" \"" +
                          (folder / L"report.txt").wstring() + L"\" Bloc-notes.exe"),
              0);
    EXPECT_EQ(test_support::ReadFileBytes(folder / L"report.txt"),
              "00000000 \n"
              "80004005 Failed to open the calling process's EXE\n"
              "80004005 No EXE has been opened yet.\n");
    EXPECT_EQ(win::test::LoadedPlants(folder.path()), std::vector<std::wstring>{});
}

}  // namespace
