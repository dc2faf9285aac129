// Messages.exe as a user starts it: copied into a folder of its own with a phrase library, a
// selection file, a settings file and the two page files, started by its path, and driven
// only through the screen, the mouse, the keyboard, the tray and its files.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "program_test_support_win.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace {

namespace fs = std::filesystem;
using win::test::ElapsedMs;
using win::test::PumpMessages;

constexpr char kMessageClass[] = "MurmurexMessageWindow";
constexpr char kSettingsClass[] = "MurmurexSettingsWindow";
constexpr char kTrayArea[] = "__winex11_standalone_tray";

// The library of the tests: names with blanks and accents (code page 1252), one category
// unticked. Red text, 36 points, 400 ms on screen, a phrase every second.
constexpr char kSelection[] = "1Calm and \xE9t\xE9\r\n0Work\r\n1Focus";
constexpr char kCalm[] = "1I am calm\r\n0I breathe slowly";
constexpr char kWork[] = "1Never shown";
constexpr char kFocus[] = "1I see clearly";
constexpr char kSettings[] = "Arial\r\n36\r\nTrue\r\nFalse\r\n255\r\n400\r\n1";
constexpr std::uint32_t kRedPixel = 0x00FF0000;  // 0x00RRGGBB as captured
constexpr char kHelpText[] = "Help page of the test";
constexpr char kAboutText[] = "About page of the test";

using namespace murmurex::program_test;

std::size_t DifferingPixels(const std::vector<std::uint32_t>& a,
                            const std::vector<std::uint32_t>& b) {
    std::size_t differing = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        differing += a[i] != b[i] ? 1 : 0;
    }
    return differing;
}

bool AnyPixelIn(const win::test::ScreenCapture& capture, RECT rect, std::uint32_t wanted) {
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (capture.At(x, y) == wanted) {
                return true;
            }
        }
    }
    return false;
}

class MessagesProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = FreshProgramFolder(
            L"program", ::testing::UnitTest::GetInstance()->current_test_info()->name(),
            MESSAGES_EXE_PATH);
        WriteFile(folder_ / "_._", kSelection);
        WriteFile(folder_ / "Lists" / fs::u8path(u8"Calm and \u00e9t\u00e9.lst"), kCalm);
        WriteFile(folder_ / "Lists" / "Work.lst", kWork);
        WriteFile(folder_ / "Lists" / "Focus.lst", kFocus);
        WriteFile(folder_ / "__.__", kSettings);
        WriteFile(folder_ / "Help.rtf",
                  std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b ") + kHelpText +
                      "\\b0\\par}");
        WriteFile(folder_ / "About.rtf", std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ") +
                                             kAboutText + "\\par}");
        shots_ = fs::path(MESSAGES_SCREENSHOT_DIR);
        fs::create_directories(shots_);
    }
    void TearDown() override {
        // Closed as by other means than the menu: the program removes its icon and ends, so
        // the next test finds the notification area empty.
        if (process_ && settings_ != nullptr) {
            ::PostMessageW(settings_, WM_CLOSE, 0, 0);
            ::WaitForSingleObject(process_.get(), 5000);
        }
        for (auto* process : {&process_, &second_}) {
            if (*process) {
                ::TerminateProcess(process->get(), 99);
                ::WaitForSingleObject(process->get(), 5000);
                process->reset();
            }
        }
        PumpMessages(200);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Starts the copy in the folder, as a user does: by its path, from its folder.
    win::UniqueKernelHandle Launch(const std::wstring& arguments, DWORD* processId) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring commandLine = L"\"" + (folder_ / L"Messages.exe").wstring() + L"\"";
        if (!arguments.empty()) {
            commandLine += L" " + arguments;
        }
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder_.c_str(), &startup, &info)) {
            return {};
        }
        ::CloseHandle(info.hThread);
        *processId = info.dwProcessId;
        return win::UniqueKernelHandle(info.hProcess);
    }

    void Start(const std::wstring& arguments = {}) {
        process_ = Launch(arguments, &processId_);
        ASSERT_TRUE(process_);
        ASSERT_TRUE(WaitFor(
            [&] {
                auto found = TopWindows(processId_, kSettingsClass);
                settings_ = found.empty() ? nullptr : found.front();
                found = TopWindows(processId_, kMessageClass);
                message_ = found.empty() ? nullptr : found.front();
                return settings_ != nullptr && message_ != nullptr;
            },
            20000))
            << "the program's windows never appeared";
    }

    // Waits until a phrase is on the screen in the settings' red, and saves the screen.
    bool SeeRedPhrase(const char* shotName, double milliseconds = 6000) {
        return WaitFor(
            [&] {
                if (!::IsWindowVisible(message_)) {
                    return false;
                }
                RECT rect{};
                ::GetWindowRect(message_, &rect);
                const auto capture = win::test::CaptureScreen();
                if (!AnyPixelIn(capture, rect, kRedPixel)) {
                    return false;
                }
                win::test::SaveBitmapFile(capture, shots_ / shotName);
                return true;
            },
            milliseconds);
    }

    // The settings window's tip as the notification area shows it, read from the tooltip
    // that appears over the icon.
    std::wstring TrayTip() {
        const HWND area = ::FindWindowA(kTrayArea, nullptr);
        if (area == nullptr) {
            return L"";
        }
        POINT onIcon{10, 10};
        ::ClientToScreen(area, &onIcon);
        win::test::SendMouse(MOUSEEVENTF_MOVE, POINT{onIcon.x + 200, onIcon.y + 300}, 100);
        win::test::SendMouse(MOUSEEVENTF_MOVE, onIcon, 50);
        win::test::SendMouse(MOUSEEVENTF_MOVE, POINT{onIcon.x + 1, onIcon.y}, 50);
        std::wstring tip;
        WaitFor(
            [&] {
                HWND tooltip = nullptr;
                while ((tooltip = ::FindWindowExA(nullptr, tooltip, "tooltips_class32", nullptr)) !=
                       nullptr) {
                    if (::IsWindowVisible(tooltip)) {
                        tip = TextOf(tooltip);
                        if (!tip.empty()) {
                            return true;
                        }
                    }
                }
                return false;
            },
            3000);
        win::test::SendMouse(MOUSEEVENTF_MOVE, POINT{onIcon.x + 400, onIcon.y + 400}, 100);
        return tip;
    }

    // Right-clicks the program's icon in the notification area; true when its menu opened.
    bool OpenTrayMenu() {
        const HWND area = ::FindWindowA(kTrayArea, nullptr);
        if (area == nullptr) {
            return false;
        }
        POINT onIcon{10, 10};
        ::ClientToScreen(area, &onIcon);
        Click(onIcon, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        return WaitFor([&] { return TrayMenuWindow() != nullptr; }, 3000);
    }

    HWND TrayMenuWindow() const {
        for (HWND menu : TopWindows(processId_, "#32768")) {
            if (::IsWindowVisible(menu)) {
                return menu;
            }
        }
        return nullptr;
    }

    // Chooses the item `downs` steps down the open menu (Settings 1, Start 2, Stop 3,
    // Exit Application 4; separators are skipped).
    void ChooseTrayItem(int downs) {
        for (int step = 0; step < downs; ++step) {
            PressKey(VK_DOWN);
        }
        PressKey(VK_RETURN);
        WaitFor([&] { return TrayMenuWindow() == nullptr; }, 2000);
    }

    // A visible dialog box of the program, such as a message box.
    HWND ShownDialog() const {
        for (HWND dialog : TopWindows(processId_, "#32770")) {
            if (::IsWindowVisible(dialog)) {
                return dialog;
            }
        }
        return nullptr;
    }

    std::wstring DialogText(HWND dialog) const {
        std::wstring all;
        for (HWND child : VisibleChildren(dialog, "Static")) {
            all += TextOf(child);
        }
        return all;
    }

    // The pixels of the notification area around the icon, as they show now.
    std::vector<std::uint32_t> TrayIconPixels() const {
        std::vector<std::uint32_t> pixels;
        const HWND area = ::FindWindowA(kTrayArea, nullptr);
        if (area == nullptr) {
            return pixels;
        }
        POINT middle{10, 10};
        ::ClientToScreen(area, &middle);
        const auto capture = win::test::CaptureScreen();
        for (int y = middle.y - 8; y <= middle.y + 8; ++y) {
            for (int x = middle.x - 8; x <= middle.x + 8; ++x) {
                pixels.push_back(capture.At(x, y));
            }
        }
        return pixels;
    }

    // Every file of the folder with its bytes.
    std::map<fs::path, std::string> Snapshot() const {
        std::map<fs::path, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder_)) {
            if (entry.is_regular_file()) {
                files[entry.path()] = ReadFile(entry.path());
            }
        }
        return files;
    }

    // Waits for the program to end while this thread keeps answering messages: an ending
    // program's windows may send to windows of this thread (its input method window) and
    // would otherwise wait for each send to time out.
    DWORD WaitForExit(double milliseconds) {
        const double end = ElapsedMs() + milliseconds;
        while (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
            if (ElapsedMs() >= end) {
                return STILL_ACTIVE;
            }
            PumpMessages(20);
        }
        DWORD exitCode = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.get(), &exitCode);
        process_.reset();
        return exitCode;
    }

    bool Running() const {
        DWORD exitCode = 0;
        return ::GetExitCodeProcess(process_.get(), &exitCode) && exitCode == STILL_ACTIVE;
    }

    fs::path folder_;
    fs::path shots_;
    win::UniqueKernelHandle process_;
    win::UniqueKernelHandle second_;
    DWORD processId_ = 0;
    HWND settings_ = nullptr;
    HWND message_ = nullptr;
};

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

    EXPECT_TRUE(SeeRedPhrase("program-flashed-phrase.bmp")) << "no red phrase was flashed";
    // A 36-point phrase: its window is taller than 36 points at the screen's resolution.
    RECT rect{};
    ::GetWindowRect(message_, &rect);
    const auto screen = win::GetWindowDcOwned(nullptr);
    EXPECT_GE(rect.bottom - rect.top, 36 * ::GetDeviceCaps(screen.get(), LOGPIXELSY) / 72);

    EXPECT_EQ(TrayTip(), L"Subliminal Message are ON.");
    // Nothing was written by the start.
    EXPECT_EQ(ReadFile(folder_ / "__.__"), kSettings);
    EXPECT_EQ(ReadFile(folder_ / "_._"), kSelection);
}

TEST_F(MessagesProgramTest, SecondCopyEndsAtOnceAndChangesNothing) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 5000));
    // A pending data file would be applied by a start: the second copy must not touch it.
    WriteFile(folder_ / "DATA01", "new data");
    const auto before = Snapshot();

    DWORD secondId = 0;
    const double started = ElapsedMs();
    second_ = Launch(L"", &secondId);
    ASSERT_TRUE(second_);
    ASSERT_EQ(::WaitForSingleObject(second_.get(), 10000), WAIT_OBJECT_0);
    const double took = ElapsedMs() - started;
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(second_.get(), &exitCode);
    second_.reset();
    EXPECT_EQ(exitCode, 0u);
    // Process creation under Wine takes part of this; the program itself ends at once.
    EXPECT_LT(took, 1000.0) << "the second copy took " << took << " ms to end";
    EXPECT_EQ(Snapshot(), before);

    EXPECT_TRUE(Running());
    EXPECT_TRUE(::IsWindow(message_));
    EXPECT_TRUE(SeeRedPhrase("program-after-second-copy.bmp"));
}

TEST_F(MessagesProgramTest, FirstRunShowsTheSettingsWindowAndTheHintButNoPhrase) {
    Start(L"--setup=firstrun");
    HWND hint = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hint = ShownDialog()) != nullptr; }, 8000));
    EXPECT_NE(
        DialogText(hint).find(L"To view help click the 'Help' tab at the top of this window."),
        std::wstring::npos);
    EXPECT_TRUE(::IsWindowVisible(settings_));
    // The Messages page: both lists shown, the version label hidden.
    EXPECT_EQ(VisibleChildren(settings_, "SysListView32").size(), 2u);
    const HWND version = FindLabel(settings_, L"Version ");
    ASSERT_NE(version, nullptr);
    EXPECT_FALSE(::IsWindowVisible(version));
    win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / "program-first-run.bmp");

    ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return ShownDialog() == nullptr; }, 3000));
    // Three frequency periods without a phrase.
    const double end = ElapsedMs() + 3000;
    while (ElapsedMs() < end) {
        EXPECT_FALSE(::IsWindowVisible(message_));
        PumpMessages(100);
    }
    EXPECT_EQ(TrayTip(), L"Click for menu options.");
    EXPECT_EQ(ReadFile(folder_ / "__.__"), kSettings);
}

TEST_F(MessagesProgramTest, TrayMenuPausesStopsStartsShowsSettingsAndExits) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 5000));
    const auto running = TrayIconPixels();
    ASSERT_FALSE(running.empty());

    // Escape: the menu closes and the display resumes within about a second.
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
    const double closed = ElapsedMs();
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(message_) != FALSE; }, 2500));
    EXPECT_LT(ElapsedMs() - closed, 1600.0);

    // Stop: the display stays off, also after another menu closed without a choice.
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(3);
    PumpMessages(500);
    EXPECT_EQ(TrayTip(), L"Subliminal Message are OFF.");
    const auto stopped = TrayIconPixels();
    const std::size_t stoppedChange = DifferingPixels(stopped, running);
    EXPECT_GT(stoppedChange, 20u) << "the stopped icon looks like the running one";
    ASSERT_TRUE(OpenTrayMenu());
    PressKey(VK_ESCAPE);
    const double stopEnd = ElapsedMs() + 2500;
    while (ElapsedMs() < stopEnd) {
        EXPECT_FALSE(::IsWindowVisible(message_));
        PumpMessages(100);
    }

    // Start: running again, with its tip and icon.
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

    // Settings: the window comes up on top, and no phrase shows while it is open.
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(1);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(settings_) != FALSE; }, 2000));
    EXPECT_EQ(::GetForegroundWindow(), settings_);
    const double settingsEnd = ElapsedMs() + 2500;
    while (ElapsedMs() < settingsEnd) {
        EXPECT_FALSE(::IsWindowVisible(message_));
        PumpMessages(100);
    }

    // Exit asks first; No changes nothing.
    const auto files = Snapshot();
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(4);
    HWND question = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (question = ShownDialog()) != nullptr; }, 3000));
    EXPECT_NE(DialogText(question).find(L"Are you sure you wish to exit the application?"),
              std::wstring::npos);
    ::PostMessageW(question, WM_COMMAND, IDNO, 0);
    ASSERT_TRUE(WaitFor([&] { return ShownDialog() == nullptr; }, 3000));
    PumpMessages(500);
    EXPECT_TRUE(Running());
    EXPECT_TRUE(::IsWindowVisible(settings_));

    // Yes: the icon goes and the program ends with 0.
    ASSERT_TRUE(OpenTrayMenu());
    ChooseTrayItem(4);
    ASSERT_TRUE(WaitFor([&] { return (question = ShownDialog()) != nullptr; }, 3000));
    ::PostMessageW(question, WM_COMMAND, IDYES, 0);
    // Under Wine without a window manager, taking down a shown window waits for the manager
    // that never answers: seconds, not a fault of the program.
    const DWORD exitCode = WaitForExit(20000);
    if (exitCode == STILL_ACTIVE) {
        win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / "program-exit-stuck.bmp");
    }
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(Snapshot(), files);
    PumpMessages(300);
    EXPECT_EQ(TrayTip(), L"");
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

TEST_F(MessagesProgramTest, PagesShowTheirRichTextAndTheVersion) {
    Start(L"firstrun");
    HWND hint = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hint = ShownDialog()) != nullptr; }, 8000));
    ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return ShownDialog() == nullptr; }, 3000));

    const auto tabs = VisibleChildren(settings_, "MurmurexTabButton");
    ASSERT_EQ(tabs.size(), 3u);
    const HWND version = FindLabel(settings_, L"Version ");
    ASSERT_NE(version, nullptr);

    const auto showPage = [&](HWND tab, const char* shotName) {
        Click(CentreOf(tab));
        PumpMessages(300);
        win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / shotName);
    };
    const auto richText = [&]() -> std::wstring {
        // The rich edit class's name differs between its libraries and their versions.
        struct Search {
            HWND found = nullptr;
        } search;
        ::EnumChildWindows(
            settings_,
            [](HWND window, LPARAM data) -> BOOL {
                std::string name = ClassOf(window);
                std::transform(name.begin(), name.end(), name.begin(),
                               [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
                if (name.rfind("richedit", 0) == 0 && ::IsWindowVisible(window)) {
                    reinterpret_cast<Search*>(data)->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr ? TextOf(search.found) : L"(no rich text box shown)";
    };

    showPage(tabs[1], "program-page-help.bmp");
    EXPECT_NE(richText().find(L"Help page of the test"), std::wstring::npos);
    EXPECT_TRUE(::IsWindowVisible(version));
    EXPECT_EQ(TextOf(version).rfind(L"Version ", 0), 0u);
    EXPECT_TRUE(VisibleChildren(settings_, "SysListView32").empty());

    showPage(tabs[2], "program-page-about.bmp");
    EXPECT_NE(richText().find(L"About page of the test"), std::wstring::npos);
    EXPECT_TRUE(::IsWindowVisible(version));

    showPage(tabs[0], "program-page-messages.bmp");
    EXPECT_FALSE(::IsWindowVisible(version));
    EXPECT_EQ(VisibleChildren(settings_, "SysListView32").size(), 2u);
    EXPECT_EQ(richText(), L"(no rich text box shown)");

    ::PostMessageW(settings_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(20000), 0u);
}

TEST_F(MessagesProgramTest, WheelsAndColourReachTheDisplayAndTheSettingsFile) {
    Start(L"firstrun");
    HWND hint = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hint = ShownDialog()) != nullptr; }, 8000));
    ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return ShownDialog() == nullptr; }, 3000));

    const auto wheels = VisibleChildren(settings_, TRACKBAR_CLASSA);
    ASSERT_EQ(wheels.size(), 2u);
    const HWND duration = FindLabel(settings_, L"Duration: ");
    const HWND frequency = FindLabel(settings_, L"Frequency: ");
    ASSERT_NE(duration, nullptr);
    ASSERT_NE(frequency, nullptr);
    EXPECT_EQ(TextOf(duration), L"Duration: 400 Millisecond(s)");
    EXPECT_EQ(TextOf(frequency), L"Frequency: 1 Second(s)");

    // The duration wheel to its end, the frequency wheel one step up, by keyboard.
    Click(CentreOf(wheels[0]));
    PressKey(VK_END);
    EXPECT_EQ(TextOf(duration), L"Duration: 1000 Millisecond(s)");
    auto lines = SplitLines(ReadFile(folder_ / "__.__"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], "1000");
    Click(CentreOf(wheels[1]));
    PressKey(VK_HOME);
    PressKey(VK_RIGHT);
    EXPECT_EQ(TextOf(frequency), L"Frequency: 2 Second(s)");
    lines = SplitLines(ReadFile(folder_ / "__.__"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[6], "2");
    EXPECT_EQ(lines[5], "1000");

    // The colour picker: pure white is refused and becomes its nearest neighbour.
    const auto buttons = VisibleChildren(settings_, "Button");
    HWND swatch = nullptr;
    for (HWND button : buttons) {
        if ((::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW) {
            swatch = button;
        }
    }
    ASSERT_NE(swatch, nullptr);
    Click(CentreOf(swatch));
    HWND chooser = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (chooser = ShownDialog()) != nullptr; }, 3000));
    // Typed into the red, green and blue boxes of the colour dialog, as a user does.
    for (int id : {706, 707, 708}) {
        HWND box = ::GetDlgItem(chooser, id);
        ASSERT_NE(box, nullptr);
        Click(CentreOf(box));
        ::SendMessageW(box, EM_SETSEL, 0, -1);
        for (WORD key : {WORD{'2'}, WORD{'5'}, WORD{'5'}}) {
            PressKey(key);
        }
        EXPECT_EQ(TextOf(box), L"255");
    }
    win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / "program-colour-dialog.bmp");
    Click(CentreOf(::GetDlgItem(chooser, IDOK)));
    ASSERT_TRUE(WaitFor([&] { return ShownDialog() == nullptr; }, 3000));
    // The file is written once the dialog has gone.
    WaitFor(
        [&] {
            lines = SplitLines(ReadFile(folder_ / "__.__"));
            return lines.size() == 7 && lines[4] != "255";
        },
        3000);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[4], "16777214");
    EXPECT_EQ(lines[0], "Arial");
    EXPECT_EQ(lines[1], "36");

    // Start: the phrase shows a whole second now, in the new colour (near white, so the
    // keyed-out background no longer hides only the background).
    // cmdStart: the lowest row's left button.
    const auto styled = VisibleChildren(settings_, "StyledButton");
    ASSERT_GE(styled.size(), 2u);
    Click(CentreOf(styled[styled.size() - 2]));
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(settings_); }, 3000));
    ASSERT_TRUE(WaitFor(
        [&] {
            RECT rect{};
            ::GetWindowRect(message_, &rect);
            return ::IsWindowVisible(message_) &&
                   AnyPixelIn(win::test::CaptureScreen(), rect, 0x00FEFFFF);
        },
        6000))
        << "no phrase in the new colour";
    win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / "program-new-colour.bmp");
}

}  // namespace
