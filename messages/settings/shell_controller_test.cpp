#include "shell_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell_texts.h"

namespace murmurex {
namespace {

// Records every call in order and plays the windows' state as the real ones keep it.
class RecordingShellView final : public ShellView {
  public:
    std::vector<std::string> calls;
    std::vector<TrayMenuChecks> menuChecksSeen;
    TrayMenuChoice nextChoice = TrayMenuChoice::None;
    bool answerYes = false;
    bool failEveryStep = false;
    bool messageWindowCreated = true;

    bool paused = false;
    bool messageVisible = false;
    bool settingsVisible = false;
    bool timerEnabled = false;
    bool menuOpen = false;
    bool ended = false;
    ShellIcon icon = ShellIcon::Stopped;
    std::string trayTip;
    SettingsPage page = SettingsPage::Messages;

    bool Step(const char* name) {
        calls.emplace_back(name);
        return !failEveryStep;
    }

    bool SetVersionLabel() override { return Step("SetVersionLabel"); }
    bool ReplacePendingDataFile() override { return Step("ReplacePendingDataFile"); }
    bool BuildTabStrip() override { return Step("BuildTabStrip"); }
    bool CreateTray() override { return Step("CreateTray"); }
    bool ShowTrayIcon(const std::string& tip) override {
        trayTip = tip;
        return Step("ShowTrayIcon");
    }
    bool FillCategoryList() override { return Step("FillCategoryList"); }
    bool RestoreCategoryTicks() override { return Step("RestoreCategoryTicks"); }
    bool SelectFirstCategory() override { return Step("SelectFirstCategory"); }
    bool SizeHelpBox() override { return Step("SizeHelpBox"); }
    bool LoadPhrasesOfSelectedCategory() override { return Step("LoadPhrases"); }
    bool CreateMessageWindow() override {
        Step("CreateMessageWindow");
        return messageWindowCreated;
    }
    bool ApplySettingsFile() override { return Step("ApplySettingsFile"); }
    void ShowFirstRunHint() override {
        settingsVisible = true;
        calls.emplace_back("ShowFirstRunHint");
    }

    void SetMessagePaused(bool value) override {
        paused = value;
        calls.push_back(value ? "Pause" : "Unpause");
    }
    void RebuildPhrasePool() override { calls.emplace_back("RebuildPhrasePool"); }
    void GiveMessageThePreviewFont() override { calls.emplace_back("PreviewFont"); }
    void ShowMessageWindow() override {
        messageVisible = true;
        calls.emplace_back("ShowMessageWindow");
    }
    void SetMessageWindowVisible(bool value) override {
        messageVisible = value;
        calls.push_back(value ? "MessageVisible" : "MessageHidden");
    }
    bool MessageWindowVisible() const override { return messageVisible; }
    void HideMessageLabel() override { calls.emplace_back("HideLabel"); }
    void BeginMessages() override {
        // Begin does nothing while paused, as the cycle's does.
        if (!paused) {
            timerEnabled = true;
        }
        calls.emplace_back("Begin");
    }
    bool MessageTimerEnabled() const override { return timerEnabled; }

    void SetSettingsVisible(bool value) override {
        settingsVisible = value;
        calls.push_back(value ? "SettingsVisible" : "SettingsHidden");
    }
    bool SettingsVisible() const override { return settingsVisible; }
    void BringSettingsToFront() override { calls.emplace_back("SettingsToFront"); }
    void SetWindowIcon(ShellIcon value) override {
        icon = value;
        calls.push_back(value == ShellIcon::Running ? "IconRunning" : "IconStopped");
    }
    void ChangeTrayTip(const std::string& tip) override {
        trayTip = tip;
        calls.push_back("Tip:" + tip);
    }
    TrayMenuChoice OpenTrayMenu(TrayMenuChecks checks) override {
        menuChecksSeen.push_back(checks);
        calls.emplace_back("OpenTrayMenu");
        return nextChoice;
    }
    bool TrayMenuOpen() const override { return menuOpen; }
    void ShowPage(SettingsPage value) override { page = value; }
    bool AskExitQuestion() override {
        calls.emplace_back("AskExit");
        return answerYes;
    }
    void EndProgram() override {
        ended = true;
        calls.emplace_back("End");
    }
};

class ShellControllerTest : public ::testing::Test {
  protected:
    RecordingShellView view;
    ShellController shell{view};

    // The program as a normal start leaves it: running in the tray.
    void StartNormally() {
        shell.Form_Load("\"C:\\Program Files\\Murmurex\\Messages.exe\"");
        view.calls.clear();
    }
};

const std::vector<std::string> kStartupSteps = {
    "SetVersionLabel",
    "ReplacePendingDataFile",
    "BuildTabStrip",
    "CreateTray",
    "IconRunning",
    "ShowTrayIcon",
    "FillCategoryList",
    "RestoreCategoryTicks",
    "SelectFirstCategory",
    "SizeHelpBox",
    "LoadPhrases",
    "CreateMessageWindow",
    "Pause",
    "RebuildPhrasePool",
    "ApplySettingsFile",
};

std::vector<std::string> Concat(std::vector<std::string> first,
                                const std::vector<std::string>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

const std::vector<std::string> kStartButton = {
    "PreviewFont",    "RebuildPhrasePool",
    "Unpause",        "ShowMessageWindow",
    "IconRunning",    "Tip:Subliminal Message are ON.",
    "Unpause",        "HideLabel",
    "MessageVisible", "SettingsHidden",
    "Begin",          "SettingsHidden",
    "MessageVisible", "Begin",
};

TEST_F(ShellControllerTest, NormalStartRunsEveryStepInOrderThenTheStartButton) {
    shell.Form_Load("Messages.exe");
    EXPECT_EQ(view.calls, Concat(kStartupSteps, kStartButton));
    EXPECT_EQ(view.trayTip, shell_texts::kTipOn);
    EXPECT_EQ(shell.Tag(), shell_texts::kTipOn);
    EXPECT_EQ(view.icon, ShellIcon::Running);
    EXPECT_EQ(shell.Checks(), (TrayMenuChecks{true, false}));
    EXPECT_FALSE(view.settingsVisible);
    EXPECT_TRUE(view.messageVisible);
    EXPECT_FALSE(view.paused);
    EXPECT_TRUE(view.timerEnabled);
}

TEST_F(ShellControllerTest, FailingStepsNeverStopTheStartUp) {
    view.failEveryStep = true;
    shell.Form_Load("Messages.exe");
    EXPECT_EQ(std::vector<std::string>(view.calls.begin(), view.calls.begin() + 15), kStartupSteps);
    EXPECT_EQ(shell.Checks(), (TrayMenuChecks{true, false}));
    EXPECT_TRUE(view.timerEnabled);
}

TEST_F(ShellControllerTest, WithoutAMessageWindowTheSettingsAreStillApplied) {
    view.messageWindowCreated = false;
    shell.Form_Load("Messages.exe firstrun");
    const std::vector<std::string> expected = {"SetVersionLabel",     "ReplacePendingDataFile",
                                               "BuildTabStrip",       "CreateTray",
                                               "IconRunning",         "ShowTrayIcon",
                                               "FillCategoryList",    "RestoreCategoryTicks",
                                               "SelectFirstCategory", "SizeHelpBox",
                                               "LoadPhrases",         "CreateMessageWindow",
                                               "ApplySettingsFile",   "ShowFirstRunHint"};
    EXPECT_EQ(view.calls, expected);
}

TEST_F(ShellControllerTest, FirstRunShowsTheHintAndStartsNothing) {
    shell.Form_Load("\"Z:\\a b\\Messages.exe\" --Xfirstrunning");
    EXPECT_EQ(view.calls, Concat(kStartupSteps, {"ShowFirstRunHint"}));
    EXPECT_EQ(view.trayTip, shell_texts::kTipClickForMenu);
    EXPECT_EQ(shell.Checks(), (TrayMenuChecks{false, false}));
    EXPECT_TRUE(view.settingsVisible);
    EXPECT_TRUE(view.paused);
    EXPECT_FALSE(view.timerEnabled);
}

TEST_F(ShellControllerTest, TrayReleasesOpenTheMenuOthersAreIgnored) {
    StartNormally();
    for (int message : {512, 513, 515, 516, 518, 519, 0, -514, 1538}) {
        shell.TrayNotification(message);
    }
    EXPECT_TRUE(view.calls.empty());
    shell.TrayNotification(514);
    shell.TrayNotification(517);
    const std::vector<std::string> expected = {"Pause", "MessageHidden", "OpenTrayMenu",
                                               "Pause", "MessageHidden", "OpenTrayMenu"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(view.menuChecksSeen.back(), (TrayMenuChecks{true, false}));
}

TEST_F(ShellControllerTest, MenuClosedWithoutChoiceResumesThroughTheWatchdog) {
    StartNormally();
    view.menuOpen = true;
    shell.TrayNotification(517);
    // While the menu is open the watchdog waits.
    shell.STimer1_Timer();
    EXPECT_TRUE(view.paused);
    view.menuOpen = false;
    shell.STimer1_Timer();
    EXPECT_FALSE(view.paused);
    EXPECT_TRUE(view.messageVisible);
}

TEST_F(ShellControllerTest, StopKeepsTheDisplayOffThroughLaterMenus) {
    StartNormally();
    view.nextChoice = TrayMenuChoice::Stop;
    shell.TrayNotification(517);
    EXPECT_EQ(view.trayTip, shell_texts::kTipOff);
    EXPECT_EQ(view.icon, ShellIcon::Stopped);
    EXPECT_EQ(shell.Checks(), (TrayMenuChecks{false, true}));
    EXPECT_TRUE(view.paused);
    EXPECT_FALSE(view.messageVisible);

    view.nextChoice = TrayMenuChoice::None;
    shell.TrayNotification(514);
    EXPECT_EQ(view.menuChecksSeen.back(), (TrayMenuChecks{false, true}));
    for (int second = 0; second < 5; ++second) {
        shell.STimer1_Timer();
    }
    EXPECT_TRUE(view.paused);
    EXPECT_FALSE(view.messageVisible);
}

TEST_F(ShellControllerTest, StartFromTheTrayAfterStopKeepsThePool) {
    StartNormally();
    view.nextChoice = TrayMenuChoice::Stop;
    shell.TrayNotification(517);
    view.calls.clear();
    view.nextChoice = TrayMenuChoice::Start;
    shell.TrayNotification(517);
    EXPECT_EQ(view.trayTip, shell_texts::kTipOn);
    EXPECT_EQ(view.icon, ShellIcon::Running);
    EXPECT_EQ(shell.Checks(), (TrayMenuChecks{true, false}));
    EXPECT_FALSE(view.paused);
    EXPECT_TRUE(view.messageVisible);
    EXPECT_EQ(std::count(view.calls.begin(), view.calls.end(), "RebuildPhrasePool"), 0);
    EXPECT_EQ(view.calls.back(), "Begin");
}

TEST_F(ShellControllerTest, SettingsFromTheMenuHoldsTheDisplayUntilStart) {
    StartNormally();
    view.nextChoice = TrayMenuChoice::Settings;
    shell.TrayNotification(514);
    EXPECT_TRUE(view.settingsVisible);
    EXPECT_EQ(view.calls.back(), "SettingsToFront");
    for (int second = 0; second < 3; ++second) {
        shell.STimer1_Timer();
    }
    EXPECT_TRUE(view.paused);
    EXPECT_FALSE(view.messageVisible);
    // The checks, tip and icon stay as they were.
    EXPECT_EQ(shell.Checks(), (TrayMenuChecks{true, false}));

    shell.cmdStart_Click();
    EXPECT_FALSE(view.settingsVisible);
    EXPECT_FALSE(view.paused);
    EXPECT_TRUE(view.messageVisible);
}

TEST_F(ShellControllerTest, WatchdogBeginsAHaltedCycle) {
    StartNormally();
    view.timerEnabled = false;  // a step ran while the settings window was open
    shell.STimer1_Timer();
    EXPECT_EQ(view.calls, std::vector<std::string>{"Begin"});
    EXPECT_TRUE(view.timerEnabled);
}

TEST_F(ShellControllerTest, WatchdogShowsAHiddenWindowBeforeUnpausing) {
    StartNormally();
    view.paused = true;
    view.messageVisible = false;
    shell.STimer1_Timer();
    const std::vector<std::string> expected = {"MessageVisible", "Unpause"};
    EXPECT_EQ(view.calls, expected);
    view.calls.clear();
    view.paused = true;
    shell.STimer1_Timer();
    EXPECT_EQ(view.calls, std::vector<std::string>{"Unpause"});
}

TEST_F(ShellControllerTest, StopButtonPausesAndHidesButKeepsChecksTipAndIcon) {
    StartNormally();
    shell.cmdStop_Click();
    const std::vector<std::string> expected = {"Pause", "MessageHidden"};
    EXPECT_EQ(view.calls, expected);
    EXPECT_EQ(shell.Checks(), (TrayMenuChecks{true, false}));
    EXPECT_EQ(view.trayTip, shell_texts::kTipOn);
}

TEST_F(ShellControllerTest, ExitAsksFirstAndNoChangesNothing) {
    StartNormally();
    view.nextChoice = TrayMenuChoice::Exit;
    view.answerYes = false;
    shell.TrayNotification(517);
    EXPECT_FALSE(view.ended);
    EXPECT_EQ(view.calls.back(), "AskExit");
    // The menu's pause is lifted by the watchdog as after any closed menu.
    shell.STimer1_Timer();
    EXPECT_FALSE(view.paused);

    view.answerYes = true;
    shell.cmdClose_Click();
    EXPECT_TRUE(view.ended);
    const std::vector<std::string> tail = {"AskExit", "End"};
    EXPECT_EQ(std::vector<std::string>(view.calls.end() - 2, view.calls.end()), tail);
}

TEST(TabPages, CaptionsChooseThePage) {
    EXPECT_EQ(PageForTab("Help"), SettingsPage::Help);
    EXPECT_EQ(PageForTab("About"), SettingsPage::About);
    EXPECT_EQ(PageForTab("Messages"), SettingsPage::Messages);
    EXPECT_EQ(PageForTab("help"), SettingsPage::Messages);
    EXPECT_EQ(PageForTab(""), SettingsPage::Messages);
}

}  // namespace
}  // namespace murmurex
