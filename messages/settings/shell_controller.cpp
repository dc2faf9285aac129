#include "shell_controller.h"

#include "shell_texts.h"
#include "start_up.h"
#include "tray.h"

namespace murmurex {

SettingsPage PageForTab(std::string_view caption) {
    if (caption == shell_texts::kTabAbout) {
        return SettingsPage::About;
    }
    if (caption == shell_texts::kTabHelp) {
        return SettingsPage::Help;
    }
    return SettingsPage::Messages;
}

void ShellController::Form_Load(std::string_view commandLine) {
    // Each step is tried whatever the steps before it answered: a missing folder, file or
    // picture must never keep the program from reaching the notification area.
    view_.SetVersionLabel();
    view_.ReplacePendingDataFile();
    view_.BuildTabStrip();
    view_.CreateTray();
    view_.SetWindowIcon(ShellIcon::Running);
    trayTip_ = shell_texts::kTipClickForMenu;
    view_.ShowTrayIcon(trayTip_);
    view_.FillCategoryList();
    view_.RestoreCategoryTicks();
    view_.SelectFirstCategory();
    view_.SizeHelpBox();
    view_.LoadPhrasesOfSelectedCategory();
    // Without a message window there is nothing to pause or fill; the settings still reach
    // the controls.
    if (view_.CreateMessageWindow()) {
        view_.SetMessagePaused(true);
        view_.RebuildPhrasePool();
    }
    view_.ApplySettingsFile();
    if (IsFirstRun(commandLine)) {
        view_.ShowFirstRunHint();
    } else {
        cmdStart_Click();
    }
}

void ShellController::cmdStart_Click() {
    view_.GiveMessageThePreviewFont();
    view_.RebuildPhrasePool();
    view_.SetMessagePaused(false);
    view_.ShowMessageWindow();
    mnuStart_Click();
    view_.SetSettingsVisible(false);
    view_.SetMessageWindowVisible(true);
    view_.BeginMessages();
}

void ShellController::mnuStart_Click() {
    trayTip_ = shell_texts::kTipOn;
    view_.SetWindowIcon(ShellIcon::Running);
    view_.ChangeTrayTip(trayTip_);
    menuChecks_ = {true, false};
    view_.SetMessagePaused(false);
    view_.HideMessageLabel();
    view_.SetMessageWindowVisible(true);
    view_.SetSettingsVisible(false);
    view_.BeginMessages();
}

void ShellController::mnuStop_Click() {
    trayTip_ = shell_texts::kTipOff;
    view_.SetWindowIcon(ShellIcon::Stopped);
    view_.ChangeTrayTip(trayTip_);
    menuChecks_ = {false, true};
    view_.SetMessagePaused(true);
}

void ShellController::mnuSettings_Click() {
    view_.SetSettingsVisible(true);
    view_.BringSettingsToFront();
}

void ShellController::cmdStop_Click() {
    view_.SetMessagePaused(true);
    view_.SetMessageWindowVisible(false);
}

void ShellController::cmdClose_Click() {
    if (view_.AskExitQuestion()) {
        view_.EndProgram();
    }
}

void ShellController::TrayNotification(int mouseMessage) {
    if (mouseMessage != kTrayLeftButtonUp && mouseMessage != kTrayRightButtonUp) {
        return;
    }
    view_.SetMessagePaused(true);
    view_.SetMessageWindowVisible(false);
    switch (view_.OpenTrayMenu(menuChecks_)) {
        case TrayMenuChoice::Settings:
            mnuSettings_Click();
            break;
        case TrayMenuChoice::Start:
            mnuStart_Click();
            break;
        case TrayMenuChoice::Stop:
            mnuStop_Click();
            break;
        case TrayMenuChoice::Exit:
            mnuExit_Click();
            break;
        case TrayMenuChoice::None:
            break;
    }
}

void ShellController::STimer1_Timer() {
    if (view_.TrayMenuOpen() || view_.SettingsVisible() || menuChecks_.stop) {
        return;
    }
    if (!view_.MessageTimerEnabled()) {
        view_.BeginMessages();
        return;
    }
    if (!view_.MessageWindowVisible()) {
        view_.SetMessageWindowVisible(true);
    }
    view_.SetMessagePaused(false);
}

void ShellController::TabMenu_ItemClick(std::string_view clickedItem) {
    view_.ShowPage(PageForTab(clickedItem));
}

}  // namespace murmurex
