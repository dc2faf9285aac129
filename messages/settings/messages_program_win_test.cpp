// Messages.exe as a user starts it, in the tray: a normal start lives there and flashes the
// ticked library, a second copy ends at once, the tray menu pauses, stops, starts, shows the
// settings and exits, and the program ends without a question when closed otherwise.

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "messages_program_fixture_win.h"

namespace murmurex::program_test {

// Escape: the menu closes and the display resumes within about a second.
void MessagesProgramTest::MenuOpensAtThePointerAndEscapeResumes() {
    ASSERT_TRUE(OpenTrayMenu()) << "the tray menu did not open";
    EXPECT_FALSE(::IsWindowVisible(message_));
    // The menu opens at the mouse: one of its corners is where the pointer is.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    RECT menu{};
    ::GetWindowRect(TrayMenuWindow(), &menu);
    EXPECT_LE(std::min(std::abs(menu.left - cursor.x), std::abs(menu.right - cursor.x)), 2);
    EXPECT_LE(std::min(std::abs(menu.top - cursor.y), std::abs(menu.bottom - cursor.y)), 2);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([&] { return TrayMenuWindow() == nullptr; }, 2000));
    const test_support::Stopwatch closed;
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 2500));
    EXPECT_LT(closed.ElapsedMs(), 1600.0);
}

// Stop: the display stays off, also after another menu closed without a choice.
void MessagesProgramTest::StopKeepsTheDisplayOff(const std::vector<std::uint32_t>& running,
                                                 std::vector<std::uint32_t>* stopped) {
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(3);
    PumpMessages(500);
    EXPECT_EQ(TrayTip(), L"Subliminal Message are OFF.");
    *stopped = TrayIconPixels();
    const std::size_t stoppedChange = DifferingPixels(*stopped, running);
    EXPECT_GT(stoppedChange, 20u) << "the stopped icon looks like the running one";
    ASSERT_TRUE(OpenTrayMenu());
    PressKey(VK_ESCAPE);
    ExpectNoPhraseFor(2500);
}

// Start: running again, with its tip and icon.
void MessagesProgramTest::StartBringsBackTheRunningIcon(const std::vector<std::uint32_t>& running,
                                                        const std::vector<std::uint32_t>& stopped) {
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(2);
    PumpMessages(500);  // the closed menu's place is drawn again
    EXPECT_TRUE(::IsWindowVisible(message_));
    // The running icon again: nearer the running picture than the stopped one (Wine's tray
    // draws the new picture's soft edges over the old one's, so a few pixels stay blended).
    const auto restarted = TrayIconPixels();
    EXPECT_LT(DifferingPixels(restarted, running), DifferingPixels(restarted, stopped))
        << "the running icon did not come back";
    EXPECT_EQ(TrayTip(), L"Subliminal Message are ON.");
    EXPECT_TRUE(SeeRedPhrase("program-after-tray-start.bmp"));
}

namespace {

// A hidden start makes the window's controls the first time it shows: then every one of them
// is there inside the window, and the categories list holds the library as started.
void ExpectEveryControlMadeOnFirstShow(HANDLE process, HWND settings) {
    EXPECT_EQ(VisibleChildren(settings, "Edit").size(), 2u);
    EXPECT_EQ(VisibleChildren(settings, "StyledButton").size(), 9u);
    EXPECT_EQ(VisibleChildren(settings, "msctls_trackbar32").size(), 2u);
    RECT client{};
    ::GetClientRect(settings, &client);
    ::MapWindowPoints(settings, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (const char* kind : {"SysListView32", "Edit", "StyledButton", "msctls_trackbar32"}) {
        for (HWND control : VisibleChildren(settings, kind)) {
            RECT at{};
            ::GetWindowRect(control, &at);
            RECT inside{};
            ::IntersectRect(&inside, &at, &client);
            EXPECT_TRUE(::EqualRect(&inside, &at)) << kind << " outside the window";
        }
    }
    // The categories: the left one of the two lists.
    auto lists = VisibleChildren(settings, "SysListView32");
    ASSERT_EQ(lists.size(), 2u);
    RECT first{}, second{};
    ::GetWindowRect(lists[0], &first);
    ::GetWindowRect(lists[1], &second);
    const auto categories = ListRows(process, first.left < second.left ? lists[0] : lists[1]);
    ASSERT_EQ(categories.size(), 3u);
    for (const ListRow& category : categories) {
        EXPECT_EQ(category.ticked, category.text != L"Work") << category.text;
    }
}

}  // namespace

// Settings: the window comes up on top, all its controls made, and no phrase shows while it
// is open.
void MessagesProgramTest::SettingsComeUpOnTopWithoutAPhrase() {
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(1);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(settings_) != FALSE; }, 2000));
    EXPECT_EQ(::GetForegroundWindow(), settings_);
    ExpectEveryControlMadeOnFirstShow(process_.get(), settings_);
    ExpectNoPhraseFor(2500);
}

// Exit Application from the tray menu, up to its question.
void MessagesProgramTest::AskToExit(HWND* question) {
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(4);
    ASSERT_TRUE(WaitFor([&] { return (*question = ShownDialog()) != nullptr; }, 3000));
}

// Exit asks first; No changes nothing.
void MessagesProgramTest::ExitAnsweredNoChangesNothing() {
    HWND question = nullptr;
    ASSERT_NO_FATAL_FAILURE(AskToExit(&question));
    EXPECT_NE(DialogText(question).find(L"Are you sure you wish to exit the application?"),
              std::wstring::npos);
    ::PostMessageW(question, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return ShownDialog() == nullptr; }, 3000));
    PumpMessages(500);
    EXPECT_TRUE(Running());
    EXPECT_TRUE(::IsWindowVisible(settings_));
}

// Yes: the icon goes and the program ends with 0, its files as they were.
void MessagesProgramTest::ExitAnsweredYesEndsTheProgram(
    const std::map<fs::path, std::string>& files) {
    HWND question = nullptr;
    ASSERT_NO_FATAL_FAILURE(AskToExit(&question));
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    // Under Wine without a window manager, taking down a shown window waits for the manager
    // that never answers: seconds, not a fault of the program.
    const DWORD exitCode = WaitForExit(20000);
    if (exitCode == STILL_ACTIVE) {
        win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / "program-exit-stuck.bmp");
    }
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(FilesIn(folder_.path()), files);
    PumpMessages(300);
    EXPECT_EQ(TrayTip(), L"");
}

namespace {

// The lower-case file names of the libraries loaded in `process`.
std::vector<std::wstring> LoadedLibraries(HANDLE process) {
    HMODULE modules[512] = {};
    DWORD bytes = 0;
    if (!::K32EnumProcessModules(process, modules, sizeof modules, &bytes)) {
        return {};
    }
    std::vector<std::wstring> names;
    for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
        wchar_t name[MAX_PATH] = {};
        ::K32GetModuleBaseNameW(process, modules[i], name, MAX_PATH);
        std::wstring lower(name);
        std::transform(lower.begin(), lower.end(), lower.begin(), ::towlower);
        names.push_back(lower);
    }
    return names;
}

TEST_F(MessagesProgramTest, NormalStartLivesInTheTrayAndFlashesTheTickedLibrary) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 5000));
    EXPECT_FALSE(::IsWindowVisible(settings_));
    const LONG_PTR exStyle = ::GetWindowLongPtrW(message_, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    wchar_t caption[64] = {};
    ::GetWindowTextW(settings_, caption, 64);
    EXPECT_STREQ(caption, L"Murmurex - Settings");
    // The tray start opens no dialog and loads no picture: their libraries come when first used.
    const auto libraries = LoadedLibraries(process_.get());
    ASSERT_FALSE(libraries.empty());
    for (const wchar_t* later : {L"comdlg32.dll", L"oleaut32.dll"}) {
        EXPECT_EQ(std::count(libraries.begin(), libraries.end(), later), 0) << later;
    }

    EXPECT_TRUE(SeeRedPhrase("program-flashed-phrase.bmp")) << "no red phrase was flashed";
    // A 36-point phrase: its window is taller than 36 points at the screen's resolution.
    RECT rect{};
    ::GetWindowRect(message_, &rect);
    const auto screen = win::GetWindowDcOwned(nullptr);
    EXPECT_GE(rect.bottom - rect.top, 36 * ::GetDeviceCaps(screen.get(), LOGPIXELSY) / 72);

    EXPECT_EQ(TrayTip(), L"Subliminal Message are ON.");
    // Nothing was written by the start.
    EXPECT_EQ(ReadFileBytes(folder_ / "__.__"), kSettings);
    EXPECT_EQ(ReadFileBytes(folder_ / "_._"), kSelection);
}

TEST_F(MessagesProgramTest, SecondCopyEndsAtOnceAndChangesNothing) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 5000));
    // A pending data file would be applied by a start: the second copy must not touch it.
    WriteFileBytes(folder_ / "DATA01", "new data");
    const auto before = FilesIn(folder_.path());

    const test_support::Stopwatch watch;
    second_ = StartProgram(folder_.path()).process;
    ASSERT_TRUE(second_);
    ASSERT_EQ(::WaitForSingleObject(second_.get(), 10000), WAIT_OBJECT_0);
    const double took = watch.ElapsedMs();
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(second_.get(), &exitCode);
    second_.reset();
    EXPECT_EQ(exitCode, 0u);
    // Process creation under Wine takes part of this; the program itself ends at once.
    EXPECT_LT(took, 1000.0) << "the second copy took " << took << " ms to end";
    EXPECT_EQ(FilesIn(folder_.path()), before);

    EXPECT_TRUE(Running());
    EXPECT_TRUE(::IsWindow(message_));
    EXPECT_TRUE(SeeRedPhrase("program-after-second-copy.bmp"));
}

TEST_F(MessagesProgramTest, TrayMenuPausesStopsStartsShowsSettingsAndExits) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 5000));
    const auto running = TrayIconPixels();
    ASSERT_FALSE(running.empty());

    ASSERT_NO_FATAL_FAILURE(MenuOpensAtThePointerAndEscapeResumes());
    std::vector<std::uint32_t> stopped;
    ASSERT_NO_FATAL_FAILURE(StopKeepsTheDisplayOff(running, &stopped));
    ASSERT_NO_FATAL_FAILURE(StartBringsBackTheRunningIcon(running, stopped));
    ASSERT_NO_FATAL_FAILURE(SettingsComeUpOnTopWithoutAPhrase());
    const auto files = FilesIn(folder_.path());
    ASSERT_NO_FATAL_FAILURE(ExitAnsweredNoChangesNothing());
    ExitAnsweredYesEndsTheProgram(files);
}

TEST_F(MessagesProgramTest, ClosingTheWindowOtherwiseEndsWithoutAQuestion) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 5000));
    ::PostMessageW(settings_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(20000), 0u);
    PumpMessages(300);
    EXPECT_EQ(TrayTip(), L"");
}

TEST_F(MessagesProgramTest, EndOfSessionRemovesTheIconAndEndsWithoutAQuestion) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 5000));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(settings_, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                      &answer));
    EXPECT_EQ(answer, static_cast<DWORD_PTR>(TRUE));
    EXPECT_EQ(ShownDialog(), nullptr);
    ::SendMessageTimeoutW(settings_, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ(WaitForExit(20000), 0u);
    PumpMessages(300);
    EXPECT_EQ(TrayTip(), L"");
}

}  // namespace
}  // namespace murmurex::program_test
