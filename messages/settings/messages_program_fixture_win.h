#pragma once
// The fixture of the tests that start Messages.exe as a user does: copied into a folder of its
// own with a phrase library, a selection file, a settings file and the two page files, started
// by its path, and driven only through the screen, the mouse, the keyboard, the tray and its
// files. For tests only.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "program_test_support_win.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace murmurex::program_test {

inline constexpr char kTrayArea[] = "__winex11_standalone_tray";

// The library of the tests: names with blanks and accents (code page 1252), one category
// unticked. Red text, 36 points, 400 ms on screen, a phrase every second.
inline constexpr char kSelection[] = "1Calm and \xE9t\xE9\r\n0Work\r\n1Focus";
inline constexpr char kCalm[] = "1I am calm\r\n0I breathe slowly";
inline constexpr char kWork[] = "1Never shown";
inline constexpr char kFocus[] = "1I see clearly";
inline constexpr char kSettings[] = "Arial\r\n36\r\nTrue\r\nFalse\r\n255\r\n400\r\n1";
inline constexpr std::uint32_t kRedPixel = 0x00FF0000;  // 0x00RRGGBB as captured
inline constexpr char kHelpText[] = "Help page of the test";
inline constexpr char kAboutText[] = "About page of the test";

inline std::size_t DifferingPixels(const std::vector<std::uint32_t>& a,
                                   const std::vector<std::uint32_t>& b) {
    std::size_t differing = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        differing += a[i] != b[i] ? 1 : 0;
    }
    return differing;
}

inline bool AnyPixelIn(const win::test::ScreenCapture& capture, RECT rect, std::uint32_t wanted) {
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
        InstallProgram(folder_.path(), MESSAGES_EXE_PATH);
        WriteFileBytes(folder_ / "_._", kSelection);
        WriteFileBytes(folder_ / "Lists" / fs::u8path(u8"Calm and \u00e9t\u00e9.lst"), kCalm);
        WriteFileBytes(folder_ / "Lists" / "Work.lst", kWork);
        WriteFileBytes(folder_ / "Lists" / "Focus.lst", kFocus);
        WriteFileBytes(folder_ / "__.__", kSettings);
        WriteFileBytes(folder_ / "Help.rtf",
                       std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\b ") + kHelpText +
                           "\\b0\\par}");
        WriteFileBytes(
            folder_ / "About.rtf",
            std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 ") + kAboutText + "\\par}");
        shots_ = fs::path(MESSAGES_SCREENSHOT_DIR);
        fs::create_directories(shots_);
    }
    void TearDown() override {
        // Closed as by other means than the menu: the program removes its icon and ends, so
        // the next test finds the notification area empty.
        win::test::EndProcess(process_.get(), settings_, 5000);
        win::test::EndProcess(second_.get(), nullptr, 0);
        PumpMessages(200);
    }

    void Start(const std::wstring& arguments = {}) {
        win::test::StartedProcess started = StartProgram(folder_.path(), arguments);
        ASSERT_TRUE(started);
        process_ = std::move(started.process);
        processId_ = started.id;
        ASSERT_TRUE(WaitFor(
            [&] {
                settings_ = FindTopWindow(processId_, kSettingsClass);
                message_ = FindTopWindow(processId_, kMessageClass);
                return settings_ != nullptr && message_ != nullptr;
            },
            20000))
            << "the program's windows never appeared";
    }

    // Starts with "firstrun" and answers the hint, so the settings window stays open.
    void StartShowingSettings() {
        ASSERT_NO_FATAL_FAILURE(Start(L"firstrun"));
        HWND hint = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (hint = ShownDialog()) != nullptr; }, 8000));
        ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return ShownDialog() == nullptr; }, 3000));
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

    // Checks for `milliseconds` that no phrase shows.
    void ExpectNoPhraseFor(double milliseconds) {
        const double end = test_support::NowMs() + milliseconds;
        while (test_support::NowMs() < end) {
            EXPECT_FALSE(::IsWindowVisible(message_));
            PumpMessages(100);
        }
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
    HWND ShownDialog() const { return FindShownDialog(processId_); }

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

    // Waits for the program to end while this thread keeps answering messages.
    DWORD WaitForExit(double milliseconds) {
        const DWORD exitCode = win::test::WaitForExit(process_.get(), milliseconds);
        if (exitCode != STILL_ACTIVE) {
            process_.reset();
        }
        return exitCode;
    }

    bool Running() const {
        DWORD exitCode = 0;
        return ::GetExitCodeProcess(process_.get(), &exitCode) && exitCode == STILL_ACTIVE;
    }

    // Steps of the tray menu's test, in the order it takes them.
    void MenuOpensAtThePointerAndEscapeResumes();
    void StopKeepsTheDisplayOff(const std::vector<std::uint32_t>& running,
                                std::vector<std::uint32_t>* stopped);
    void StartBringsBackTheRunningIcon(const std::vector<std::uint32_t>& running,
                                       const std::vector<std::uint32_t>& stopped);
    void SettingsComeUpOnTopWithoutAPhrase();
    void AskToExit(HWND* question);
    void ExitAnsweredNoChangesNothing();
    void ExitAnsweredYesEndsTheProgram(const std::map<fs::path, std::string>& files);

    // Steps of the wheels and colour test.
    void WheelsReachTheLabelsAndTheSettingsFile();
    void ColourDialogTurnsPureWhiteIntoItsNeighbour();

    const test_support::TestFolder folder_{ProgramFolderLabel(
        L"program", ::testing::UnitTest::GetInstance()->current_test_info()->name())};
    fs::path shots_;
    win::UniqueKernelHandle process_;
    win::UniqueKernelHandle second_;
    DWORD processId_ = 0;
    HWND settings_ = nullptr;
    HWND message_ = nullptr;
};

}  // namespace murmurex::program_test
