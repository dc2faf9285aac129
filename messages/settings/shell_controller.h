#pragma once
// The application shell of the settings window, free of any platform: the start-up sequence,
// Start and Stop, the tray menu with its checks, tip and icon, the one-second watchdog, the
// page switch and the exit question. The window (frmSettings) implements ShellView and only
// forwards its events here, so the whole shell runs natively against a recording fake.

#include <cstdint>
#include <string>
#include <string_view>

namespace murmurex {

enum class ShellIcon { Running, Stopped };

enum class SettingsPage { Messages, Help, About };

/// What the user chose from the tray menu; None when it closed without a choice.
enum class TrayMenuChoice { None, Settings, Start, Stop, Exit };

/// The checks the tray menu shows when it opens.
struct TrayMenuChecks {
    bool start = false;
    bool stop = false;
    bool operator==(const TrayMenuChecks&) const = default;
};

/// Everything the shell does to the windows, the tray and the files. Start-up steps answer
/// false when they failed; the sequence then goes on with the next step.
class ShellView {
  public:
    virtual ~ShellView() = default;

    // Start-up steps, in the order the shell calls them.
    virtual bool SetVersionLabel() = 0;
    virtual bool ReplacePendingDataFile() = 0;
    virtual bool BuildTabStrip() = 0;  ///< Messages, Help, About; Messages selected.
    virtual bool CreateTray() = 0;
    virtual bool ShowTrayIcon(const std::string& tip) = 0;
    virtual bool FillCategoryList() = 0;
    virtual bool RestoreCategoryTicks() = 0;
    virtual bool SelectFirstCategory() = 0;
    virtual bool SizeHelpBox() = 0;
    virtual bool LoadPhrasesOfSelectedCategory() = 0;
    virtual bool CreateMessageWindow() = 0;
    virtual bool ApplySettingsFile() = 0;
    /// Shows the window, lets pending messages run once, then shows the first-run hint.
    virtual void ShowFirstRunHint() = 0;

    // The message window.
    virtual void SetMessagePaused(bool paused) = 0;
    virtual void RebuildPhrasePool() = 0;
    virtual void GiveMessageThePreviewFont() = 0;
    virtual void ShowMessageWindow() = 0;  ///< Loaded and shown, modeless, not activated.
    virtual void SetMessageWindowVisible(bool visible) = 0;
    virtual bool MessageWindowVisible() const = 0;
    virtual void HideMessageLabel() = 0;
    virtual void BeginMessages() = 0;
    /// True when either of the message window's two timers is enabled.
    virtual bool MessageTimerEnabled() const = 0;

    // The settings window and the tray.
    virtual void SetSettingsVisible(bool visible) = 0;
    virtual bool SettingsVisible() const = 0;
    virtual void BringSettingsToFront() = 0;
    virtual void SetWindowIcon(ShellIcon icon) = 0;
    /// Stores the tip as the window's Tag and hands tip and icon to the tray.
    virtual void ChangeTrayTip(const std::string& tip) = 0;
    /// Opens the tray menu at the mouse with these checks; answers the choice.
    virtual TrayMenuChoice OpenTrayMenu(TrayMenuChecks checks) = 0;
    virtual bool TrayMenuOpen() const = 0;
    virtual void ShowPage(SettingsPage page) = 0;

    // Ending.
    virtual bool AskExitQuestion() = 0;  ///< True on Yes.
    /// Unloads the message window and the settings window (the tray icon goes) and ends.
    virtual void EndProgram() = 0;
};

class ShellController {
  public:
    explicit ShellController(ShellView& view) noexcept : view_(view) {}
    ShellController(const ShellController&) = delete;
    ShellController& operator=(const ShellController&) = delete;

    /// The start-up after the single-instance test: every step runs even when one before
    /// failed; ends with the first-run hint or with the Start button's work.
    void Form_Load(std::string_view commandLine);

    void cmdStart_Click();
    void cmdStop_Click();
    void mnuStart_Click();
    void mnuStop_Click();
    void mnuSettings_Click();
    /// The exit question; on Yes the program ends.
    void cmdClose_Click();
    void mnuExit_Click() { cmdClose_Click(); }

    /// A tray notification: `mouseMessage` is the mouse message over the icon (514 and 517
    /// open the menu; everything else is ignored).
    void TrayNotification(int mouseMessage);
    /// The watchdog, every second.
    void STimer1_Timer();
    /// The tab strip's ItemClick with its ClickedItem text.
    void TabMenu_ItemClick(std::string_view clickedItem);

    TrayMenuChecks Checks() const noexcept { return menuChecks_; }
    /// The window's Tag: the tip the tray icon shows.
    const std::string& Tag() const noexcept { return trayTip_; }

  private:
    ShellView& view_;
    // mnuStart and mnuStop: whether the display was last started or stopped.
    TrayMenuChecks menuChecks_;
    std::string trayTip_;
};

/// The page a tab's caption selects: "Help", "About", anything else the Messages page.
SettingsPage PageForTab(std::string_view caption);

}  // namespace murmurex
