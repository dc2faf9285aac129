// Resmelder's two binaries in a folder where stand-ins for system libraries lie planted
// (msftedit, riched20, uxtheme, winmm): the tool lists a real program, a host beside the DLL
// uses it, and no stand-in is ever loaded. A DLL cannot restrict its host's search order, so
// this holds only while it imports known DLLs and loads nothing by a bare name.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win/planted_library_test_support_win.h"
#include "win/unique_handle.h"

namespace {

namespace fs = std::filesystem;
using win::test::LoadedPlants;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs `program` with `arguments` from its own folder, its output into `output`; the exit
// status, or -1 when it did not start or end.
int RunFromItsFolder(const fs::path& program, const std::wstring& arguments,
                     const fs::path& output) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    win::UniqueFile file(::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = file.get();
    startup.hStdError = file.get();
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                          program.parent_path().c_str(), &startup, &info)) {
        return -1;
    }
    win::UniqueKernelHandle process(info.hProcess);
    win::UniqueKernelHandle thread(info.hThread);
    DWORD status = 0;
    if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &status)) {
        return -1;
    }
    return static_cast<int>(status);
}

std::wstring Quoted(const fs::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

class PlantedLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = win::test::FreshPlantedFolder(
            fs::path(::testing::UnitTest::GetInstance()->current_test_info()->name()).wstring());
        ASSERT_TRUE(win::test::PlantLibraries(PLANTED_LIBRARY_DIR, folder_));
        // A real program of another toolchain's making: the system's own Notepad.
        wchar_t system[MAX_PATH] = {};
        ::GetSystemDirectoryW(system, MAX_PATH);
        target_ = folder_ / L"Bloc-notes.exe";
        ASSERT_TRUE(fs::copy_file(fs::path(system) / L"notepad.exe", target_));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path CopyIn(const fs::path& built) {
        const fs::path copy = folder_ / built.filename();
        EXPECT_TRUE(fs::copy_file(built, copy));
        return copy;
    }

    fs::path folder_;
    fs::path target_;
};

TEST_F(PlantedLibraryTest, ToolListsARealProgramAndLoadsNoPlantedLibrary) {
    const fs::path tool = CopyIn(RESMELDER_TOOL_PATH);
    const fs::path listing = folder_ / L"listing.txt";
    ASSERT_EQ(RunFromItsFolder(tool, L"list " + Quoted(target_), listing), 0) << ReadText(listing);
    EXPECT_NE(ReadText(listing).find("\t#1\t"), std::string::npos) << ReadText(listing);
    EXPECT_EQ(LoadedPlants(folder_), std::vector<std::wstring>{});
}

TEST_F(PlantedLibraryTest, HostBesideTheLibraryUsesItAndLoadsNoPlantedLibrary) {
    const fs::path library = CopyIn(RESMELDER_DLL_PATH);
    const fs::path host = CopyIn(RESMELDER_HOST_PATH);
    const fs::path report = folder_ / L"report.txt";
    // The host opens the program, asks for its own renamed executable, then deletes from the
    // image that went with it: every call goes through the class factory and error objects.
    // It widens its narrow arguments byte by byte, so the program is named from its folder.
    ASSERT_EQ(RunFromItsFolder(
                  host, Quoted(library) + L" " + Quoted(report) + L" " + Quoted(target_.filename()),
                  folder_ / L"host output.txt"),
              0);
    EXPECT_EQ(ReadText(report),
              "00000000 \n"
              "80004005 Failed to open the calling process's EXE\n"
              "80004005 No EXE has been opened yet.\n");
    EXPECT_EQ(LoadedPlants(folder_), std::vector<std::wstring>{});
}

}  // namespace
