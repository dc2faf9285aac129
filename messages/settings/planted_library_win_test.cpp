// Messages.exe and controls-demo.exe started as a user starts them, from a folder of their own
// in which stand-ins for the system libraries they use at run time lie planted (msftedit,
// riched20, uxtheme, winmm): the Help page still shows its rich text, the buttons and the
// gallery still draw, and no stand-in is ever loaded.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "program_test_support_win.h"
#include "win/planted_library_test_support_win.h"
#include "win/unique_handle.h"

namespace {

namespace fs = std::filesystem;
using namespace murmurex::program_test;
using win::test::LoadedPlants;

constexpr char kSettingsClass[] = "MurmurexSettingsWindow";
constexpr char kDemoClass[] = "MurmurexControlsDemo";

// Starts `program` by its path with its own folder as the current one, as a user does.
win::UniqueKernelHandle StartFromItsFolder(const fs::path& program, const std::wstring& arguments,
                                           DWORD* processId) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          program.parent_path().c_str(), &startup, &info)) {
        return {};
    }
    ::CloseHandle(info.hThread);
    *processId = info.dwProcessId;
    return win::UniqueKernelHandle(info.hProcess);
}

HWND FirstTopWindow(DWORD processId, const std::string& className) {
    const auto found = TopWindows(processId, className);
    return found.empty() ? nullptr : found.front();
}

// The visible rich edit box of the settings window (its class name differs between the
// library's versions).
HWND ShownRichText(HWND settings) {
    HWND found = nullptr;
    ::EnumChildWindows(
        settings,
        [](HWND window, LPARAM data) -> BOOL {
            std::string name = ClassOf(window);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (name.rfind("richedit", 0) == 0 && ::IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(data) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

class PlantedLibraryTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_.get(), 99);
            ::WaitForSingleObject(process_.get(), 5000);
        }
        process_.reset();
        PumpMessages(200);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // A folder of its own holding a copy of `program` and the planted stand-ins.
    fs::path PlantBeside(const fs::path& program, const std::wstring& label) {
        folder_ = win::test::FreshPlantedFolder(label);
        fs::copy_file(program, folder_ / program.filename());
        EXPECT_TRUE(win::test::PlantLibraries(PLANTED_LIBRARY_DIR, folder_));
        return folder_ / program.filename();
    }

    // Asks the window to close and waits for the program to end; its exit code.
    DWORD CloseAndWait(HWND window) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitFor(
            [&] { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, 20000));
        DWORD exitCode = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.get(), &exitCode);
        return exitCode;
    }

    fs::path folder_;
    win::UniqueKernelHandle process_;
    DWORD processId_ = 0;
};

TEST_F(PlantedLibraryTest, MessagesShowsItsHelpPageAndLoadsNoPlantedLibrary) {
    const fs::path program = PlantBeside(MESSAGES_EXE_PATH, L"Messages");
    fs::copy(MESSAGES_SAMPLE_LIBRARY, folder_, fs::copy_options::recursive);
    for (const wchar_t* page : {L"Help.rtf", L"About.rtf"}) {
        fs::copy_file(fs::path(MESSAGES_EXE_PATH).parent_path() / page, folder_ / page);
    }
    process_ = StartFromItsFolder(program, L"firstrun", &processId_);
    ASSERT_TRUE(process_);
    HWND settings = nullptr;
    HWND hint = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            settings = FirstTopWindow(processId_, kSettingsClass);
            hint = FirstTopWindow(processId_, "#32770");
            return settings != nullptr && hint != nullptr && ::IsWindowVisible(hint);
        },
        20000))
        << "the settings window and its first-run hint never showed";
    ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(hint); }, 3000));

    const auto tabs = VisibleChildren(settings, "MurmurexTabButton");
    ASSERT_EQ(tabs.size(), 3u);
    Click(CentreOf(tabs[1]));
    std::wstring help;
    EXPECT_TRUE(WaitFor(
        [&] {
            const HWND box = ShownRichText(settings);
            help = box != nullptr ? TextOf(box) : L"";
            return !help.empty();
        },
        5000))
        << "the Help page shows no rich text";
    EXPECT_EQ(help.rfind(L"Murmurex Help", 0), 0u);
    // The styled buttons have painted: nothing of theirs is left to draw.
    const auto buttons = VisibleChildren(settings, "StyledButton");
    EXPECT_FALSE(buttons.empty());
    for (HWND button : buttons) {
        EXPECT_FALSE(::GetUpdateRect(button, nullptr, FALSE)) << TextOf(button);
    }

    EXPECT_EQ(CloseAndWait(settings), 0u);
    EXPECT_EQ(LoadedPlants(folder_), std::vector<std::wstring>{});
}

TEST_F(PlantedLibraryTest, ControlsDemoDrawsItsGalleryAndLoadsNoPlantedLibrary) {
    const fs::path program = PlantBeside(CONTROLS_DEMO_EXE_PATH, L"controls-demo");
    // The demo takes its arguments in the ANSI code page: the log goes where any page can say.
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const fs::path log =
        fs::path(temp) / (L"planted-demo-" + std::to_wstring(::GetCurrentProcessId()) + L".log");
    fs::remove(log);
    process_ = StartFromItsFolder(program, L"--log \"" + log.wstring() + L"\"", &processId_);
    ASSERT_TRUE(process_);
    HWND demo = nullptr;
    ASSERT_TRUE(WaitFor(
        [&] {
            demo = FirstTopWindow(processId_, kDemoClass);
            return demo != nullptr && ReadFile(log).find("Ready") != std::string::npos;
        },
        20000))
        << "the demo never became ready";
    // Every style in every state, style 6 among them, painted once.
    const HWND gallery = ::FindWindowExA(demo, nullptr, "MurmurexButtonGallery", nullptr);
    ASSERT_NE(gallery, nullptr);
    EXPECT_TRUE(WaitFor([&] { return !::GetUpdateRect(gallery, nullptr, FALSE); }, 5000));

    EXPECT_EQ(CloseAndWait(demo), 0u);
    EXPECT_EQ(LoadedPlants(folder_), std::vector<std::wstring>{});
}

}  // namespace
