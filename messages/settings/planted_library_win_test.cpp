// Messages.exe started as a user starts it, from a folder of its own in which stand-ins for the
// system libraries it uses at run time lie planted (msftedit, riched20, uxtheme, winmm): the
// Help page still shows its rich text, the buttons still draw, and no stand-in ever loads.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_test_support_win.h"
#include "win/planted_library_test_support_win.h"
#include "win/process_test_support_win.h"

namespace {

namespace fs = std::filesystem;
using namespace murmurex::program_test;

// Ends the program however the test ends: a copy left running would keep the
// single-instance mutex from the tests after it.
struct EndedAtScopeExit {
    HANDLE process;
    ~EndedAtScopeExit() {
        ::TerminateProcess(process, 99);
        ::WaitForSingleObject(process, 5000);
    }
};

TEST(PlantedLibrary, MessagesShowsItsHelpPageAndLoadsNoPlantedLibrary) {
    const win::test::PlantedFolder folder(PLANTED_LIBRARY_DIR, L"Messages");
    const fs::path built = fs::path(MESSAGES_EXE_PATH).parent_path();
    for (const wchar_t* file : {L"Messages.exe", L"Help.rtf", L"About.rtf"}) {
        fs::copy_file(built / file, folder / file);
    }
    fs::copy(MESSAGES_SAMPLE_LIBRARY, folder.path(), fs::copy_options::recursive);
    win::test::ProcessOptions fromItsFolder;
    fromItsFolder.folder = folder.path();
    const win::test::StartedProcess started = win::test::StartProcess(
        win::test::Quoted((folder / L"Messages.exe").wstring()) + L" firstrun", fromItsFolder);
    ASSERT_TRUE(started);
    const HANDLE process = started.process.get();
    const EndedAtScopeExit ended{process};
    const DWORD processId = started.id;
    HWND settings = nullptr;
    HWND hint = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            settings = FindTopWindow(processId, kSettingsClass);
            hint = FindShownDialog(processId);
            return settings != nullptr && hint != nullptr;
        },
        20000));
    ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hint); }, 3000));

    const auto tabs = VisibleChildren(settings, "MurmurexTabButton");
    ASSERT_EQ(tabs.size(), 3u);
    Click(CentreOf(tabs[1]));
    std::wstring help;
    EXPECT_TRUE(WaitFor(
        [&] {
            const HWND box = FindShownRichEdit(settings);
            help = box != nullptr ? TextOf(box) : L"";
            return !help.empty();
        },
        5000));
    EXPECT_EQ(help.rfind(L"Murmurex Help", 0), 0u);
    const auto buttons = VisibleChildren(settings, "StyledButton");
    EXPECT_FALSE(buttons.empty());
    for (HWND button : buttons) {
        EXPECT_FALSE(::GetUpdateRect(button, nullptr, FALSE)) << "a button left unpainted";
    }

    ::PostMessageW(settings, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 20000));
    EXPECT_EQ(win::test::LoadedPlants(folder.path()), std::vector<std::wstring>{});
}

}  // namespace
