// Messages.exe as a user starts it, with its settings window: the first run shows the window
// and the hint but no phrase, the pages show their rich text and the version, and the wheels
// and the colour reach the display and the settings file.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "messages_program_fixture_win.h"

namespace murmurex::program_test {

namespace {

// A label whose caption changed must look as it does drawn afresh over the page: hidden, so
// the page is drawn again under it, and shown again.
void ExpectDrawnAfresh(HWND label, const char* shotName, const fs::path& shots) {
    PumpMessages(200);
    const auto changed = win::test::WindowPixelsOnScreen(label);
    win::test::SaveBitmapFile(win::test::CaptureScreen(), shots / shotName);
    ::ShowWindow(label, SW_HIDE);
    PumpMessages(200);
    ::ShowWindow(label, SW_SHOWNA);
    PumpMessages(200);
    EXPECT_EQ(DifferingPixels(changed, win::test::WindowPixelsOnScreen(label)), 0u)
        << "ink of an earlier caption is left in the label";
}

}  // namespace

// The duration wheel to its end and back to its start, the frequency wheel one step up, by
// keyboard; each label drawn whole with its new caption.
void MessagesProgramTest::WheelsReachTheLabelsAndTheSettingsFile() {
    const auto wheels = VisibleChildren(settings_, TRACKBAR_CLASSA);
    ASSERT_EQ(wheels.size(), 2u);
    const HWND duration = FindLabel(settings_, L"Duration: ");
    const HWND frequency = FindLabel(settings_, L"Frequency: ");
    ASSERT_NE(duration, nullptr);
    ASSERT_NE(frequency, nullptr);
    EXPECT_EQ(TextOf(duration), L"Duration: 400 Millisecond(s)");
    EXPECT_EQ(TextOf(frequency), L"Frequency: 1 Second(s)");

    Click(CentreOf(wheels[0]));
    PressKey(VK_END);
    EXPECT_EQ(TextOf(duration), L"Duration: 1000 Millisecond(s)");
    ExpectDrawnAfresh(duration, "program-duration-1000.bmp", shots_);
    PressKey(VK_HOME);
    EXPECT_EQ(TextOf(duration), L"Duration: 1 Millisecond(s)");
    ExpectDrawnAfresh(duration, "program-duration-1.bmp", shots_);
    PressKey(VK_END);
    auto lines = SplitLines(ReadFileBytes(folder_ / "__.__"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], "1000");
    Click(CentreOf(wheels[1]));
    PressKey(VK_HOME);
    PressKey(VK_RIGHT);
    EXPECT_EQ(TextOf(frequency), L"Frequency: 2 Second(s)");
    lines = SplitLines(ReadFileBytes(folder_ / "__.__"));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[6], "2");
    EXPECT_EQ(lines[5], "1000");
}

// The colour picker: pure white is refused and becomes its nearest neighbour.
void MessagesProgramTest::ColourDialogTurnsPureWhiteIntoItsNeighbour() {
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
    std::vector<std::string> lines;
    WaitFor(
        [&] {
            lines = SplitLines(ReadFileBytes(folder_ / "__.__"));
            return lines.size() == 7 && lines[4] != "255";
        },
        3000);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[4], "16777214");
    EXPECT_EQ(lines[0], "Arial");
    EXPECT_EQ(lines[1], "36");
}

namespace {

// The rich text box the settings window shows, or a note that it shows none.
std::wstring ShownRichText(HWND settings) {
    const HWND box = FindShownRichEdit(settings);
    return box != nullptr ? TextOf(box) : L"(no rich text box shown)";
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
    ExpectNoPhraseFor(3000);
    EXPECT_EQ(TrayTip(), L"Click for menu options.");
    EXPECT_EQ(ReadFileBytes(folder_ / "__.__"), kSettings);
}

TEST_F(MessagesProgramTest, PagesShowTheirRichTextAndTheVersion) {
    ASSERT_NO_FATAL_FAILURE(StartShowingSettings());
    const auto tabs = VisibleChildren(settings_, "MurmurexTabButton");
    ASSERT_EQ(tabs.size(), 3u);
    const HWND version = FindLabel(settings_, L"Version ");
    ASSERT_NE(version, nullptr);

    const auto showPage = [&](HWND tab, const char* shotName) {
        Click(CentreOf(tab));
        PumpMessages(300);
        win::test::SaveBitmapFile(win::test::CaptureScreen(), shots_ / shotName);
    };
    showPage(tabs[1], "program-page-help.bmp");
    EXPECT_NE(ShownRichText(settings_).find(L"Help page of the test"), std::wstring::npos);
    EXPECT_TRUE(::IsWindowVisible(version));
    EXPECT_EQ(TextOf(version).rfind(L"Version ", 0), 0u);
    EXPECT_TRUE(VisibleChildren(settings_, "SysListView32").empty());

    showPage(tabs[2], "program-page-about.bmp");
    EXPECT_NE(ShownRichText(settings_).find(L"About page of the test"), std::wstring::npos);
    EXPECT_TRUE(::IsWindowVisible(version));

    showPage(tabs[0], "program-page-messages.bmp");
    EXPECT_FALSE(::IsWindowVisible(version));
    EXPECT_EQ(VisibleChildren(settings_, "SysListView32").size(), 2u);
    EXPECT_EQ(ShownRichText(settings_), L"(no rich text box shown)");

    ::PostMessageW(settings_, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(20000), 0u);
}

TEST_F(MessagesProgramTest, WheelsAndColourReachTheDisplayAndTheSettingsFile) {
    ASSERT_NO_FATAL_FAILURE(StartShowingSettings());
    ASSERT_NO_FATAL_FAILURE(WheelsReachTheLabelsAndTheSettingsFile());
    ASSERT_NO_FATAL_FAILURE(ColourDialogTurnsPureWhiteIntoItsNeighbour());

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
}  // namespace murmurex::program_test
