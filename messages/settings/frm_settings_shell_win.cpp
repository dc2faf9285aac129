// The shell side of the settings window, its ShellView: the start-up steps, the glue to the
// message window, the window's own visibility and icon, the tray icon and its menu, the page
// switch and the exit question. The portable ShellController decides when each one runs.
#include "frm_settings_win.h"

#include <string>

#include "app_version_win.h"
#include "child_control_win.h"
#include "frm_settings_parts_win.h"
#include "phrase_library.h"
#include "shell_texts.h"
#include "start_up.h"

namespace murmurex {

namespace {

namespace texts = shell_texts;

enum MenuId : UINT {
    kMenuSettings = 1,
    kMenuStart,
    kMenuStop,
    kMenuExit,
};

}  // namespace

// ---- ShellView: start-up -------------------------------------------------------------------

bool frmSettings::SetVersionLabel() {
    const std::optional<AppVersion> version = ReadOwnVersion();
    if (!version) {
        return false;
    }
    versionText_ = VersionText(*version);
    if (lblVersion_ != nullptr) {
        ::SetWindowTextA(lblVersion_, versionText_.c_str());
    }
    return true;
}

bool frmSettings::ReplacePendingDataFile() {
    return ApplyPendingDataFile(appPath_) != DataReplacement::Failed;
}

// The strip comes with the other controls when the window first shows, after them as in the
// design; its Messages tab then shows the Messages page.
bool frmSettings::BuildTabStrip() {
    tabStripWanted_ = true;
    if (controlsBuilt_) {
        CreateTabStrip();
    }
    return true;
}

void frmSettings::CreateTabStrip() {
    tabMenu_ = TabMenuWindow::Create(hWnd(), 0, 0, PixelsX(settings_layout::kClientWidth),
                                     settings_window::kTabMenuId);
    if (!tabMenu_) {
        return;
    }
    tabMenu_->Strip().ItemClick = [this] {
        shell_.TabMenu_ItemClick(tabMenu_->Strip().ClickedItem);
    };
    tabMenu_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), texts::kTabMessages);
    tabMenu_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), texts::kTabHelp);
    tabMenu_->Strip().AddButton(static_cast<std::int16_t>(TabKind::Tab), texts::kTabAbout);
    tabMenu_->Strip().SetTabFocus(1);
}

bool frmSettings::CreateTray() {
    tray_ = TrayIcon::Create();
    trayOwner_ = std::make_unique<WindowTrayOwner>(hWnd());
    return tray_ != nullptr;
}

bool frmSettings::ShowTrayIcon(const std::string& tip) {
    if (!tray_ || !trayOwner_) {
        return false;
    }
    trayOwner_->SetTag(tip);
    std::string empty;
    tray_->Tray().ShowIcon(*trayOwner_, empty);
    return true;
}

bool frmSettings::FillCategoryList() {
    if (!lstMessageCategories_) {
        return false;
    }
    FillComboWithFiles(lstMessageCategories_->Model(), appPath_, "Lists", "lst");
    lstMessageCategories_->Refresh();
    return true;
}

bool frmSettings::RestoreCategoryTicks() {
    if (!lstMessageCategories_) {
        return false;
    }
    LoadCategorySelection(lstMessageCategories_->Model(), appPath_);
    lstMessageCategories_->Refresh();
    return true;
}

bool frmSettings::SelectFirstCategory() {
    if (!lstMessageCategories_ || lstMessageCategories_->Model().IsEmpty()) {
        return false;
    }
    lstMessageCategories_->Model().SetListIndex(0);
    lstMessageCategories_->Refresh();
    return true;
}

// The help box is made hidden, at this size, when a page first needs it.
bool frmSettings::SizeHelpBox() {
    if (rtfHelp_) {
        ::ShowWindow(rtfHelp_->hWnd(), SW_HIDE);
        PlaceHelpBox();
    }
    return true;
}

bool frmSettings::LoadPhrasesOfSelectedCategory() {
    lstMessageCategories_Click();
    return true;
}

bool frmSettings::CreateMessageWindow() {
    messageWindow_ = frmMessage::Create(::GetModuleHandleW(nullptr));
    if (!messageWindow_) {
        return false;
    }
    messageWindow_->SetSettingsVisibility(this);
    return true;
}

bool frmSettings::ApplySettingsFile() {
    settings_.LoadSettings();
    return true;
}

void frmSettings::ShowFirstRunHint() {
    BuildControls();
    ::ShowWindow(hWnd(), SW_SHOW);
    ::UpdateWindow(hWnd());
    ProcessPendingMessages();
    const std::wstring title = WideFromUtf8(texts::kAppTitle);
    ::MessageBoxW(hWnd(), WideFromUtf8(texts::kFirstRunHint).c_str(), title.c_str(),
                  MB_OK | MB_ICONINFORMATION);
}

// ---- ShellView: message window -------------------------------------------------------------

void frmSettings::SetMessagePaused(bool paused) {
    if (messageWindow_) {
        messageWindow_->Paused() = paused;
    }
}

void frmSettings::RebuildPhrasePool() {
    if (messageWindow_) {
        messageWindow_->Phrases() = BuildPhrasePool(appPath_);
    }
}

void frmSettings::GiveMessageThePreviewFont() {
    if (messageWindow_) {
        messageWindow_->lblMessage.SetFont(previewFont_);
    }
}

void frmSettings::ShowMessageWindow() {
    if (messageWindow_) {
        messageWindow_->Show();
    }
}

void frmSettings::SetMessageWindowVisible(bool visible) {
    if (messageWindow_) {
        messageWindow_->SetVisible(visible);
    }
}

bool frmSettings::MessageWindowVisible() const {
    return messageWindow_ && messageWindow_->Visible();
}

void frmSettings::HideMessageLabel() {
    if (messageWindow_) {
        messageWindow_->lblMessage.SetVisible(false);
    }
}

void frmSettings::BeginMessages() {
    if (messageWindow_) {
        messageWindow_->Begin();
    }
}

bool frmSettings::MessageTimerEnabled() const {
    return messageWindow_ && (messageWindow_->TimerDisplayLength.Enabled() ||
                              messageWindow_->TimerFrequency.Enabled());
}

// ---- ShellView: settings window and tray ---------------------------------------------------

void frmSettings::SetSettingsVisible(bool visible) {
    if (visible) {
        BuildControls();
    }
    ::ShowWindow(hWnd(), visible ? SW_SHOW : SW_HIDE);
}

bool frmSettings::SettingsVisible() const {
    return ::IsWindowVisible(hWnd()) != FALSE;
}

void frmSettings::BringSettingsToFront() {
    BuildControls();
    ::SetWindowPos(hWnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(hWnd());
    ::SetFocus(hWnd());
}

void frmSettings::SetWindowIcon(ShellIcon icon) {
    currentIcon_ = icon == ShellIcon::Running ? runningIcon_.get() : stoppedIcon_.get();
    // A window that has never shown shows its icon nowhere: it takes the icon as its controls
    // are made, before it first shows.
    if (controlsBuilt_) {
        GiveWindowItsIcon();
    }
    if (trayOwner_) {
        trayOwner_->SetIcon(currentIcon_);
    }
}

void frmSettings::GiveWindowItsIcon() {
    ::SendMessageW(hWnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(currentIcon_));
    ::SendMessageW(hWnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(currentIcon_));
}

void frmSettings::ChangeTrayTip(const std::string& tip) {
    if (!tray_ || !trayOwner_) {
        return;
    }
    trayOwner_->SetTag(tip);
    tray_->Tray().ChangeToolTip(*trayOwner_, tip);
}

void frmSettings::CreateTrayMenu() {
    // A hidden top item whose items form the pop-up.
    menuBar_.reset(::CreateMenu());
    mnuPopUp_ = ::CreatePopupMenu();
    if (menuBar_ && mnuPopUp_ != nullptr) {
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuSettings,
                      WideFromUtf8(texts::kMenuSettings).c_str());
        ::AppendMenuW(mnuPopUp_, MF_SEPARATOR, 0, nullptr);  // mnuSep1
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuStart, WideFromUtf8(texts::kMenuStart).c_str());
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuStop, WideFromUtf8(texts::kMenuStop).c_str());
        ::AppendMenuW(mnuPopUp_, MF_SEPARATOR, 0, nullptr);  // mnuSep2
        ::AppendMenuW(mnuPopUp_, MF_STRING, kMenuExit, WideFromUtf8(texts::kMenuExit).c_str());
        ::AppendMenuW(menuBar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(mnuPopUp_),
                      WideFromUtf8(texts::kMenuPopUp).c_str());
    }
}

TrayMenuChoice frmSettings::OpenTrayMenu(TrayMenuChecks checks) {
    if (mnuPopUp_ == nullptr) {
        return TrayMenuChoice::None;
    }
    ::CheckMenuItem(mnuPopUp_, kMenuStart,
                    MF_BYCOMMAND | (checks.start ? MF_CHECKED : MF_UNCHECKED));
    ::CheckMenuItem(mnuPopUp_, kMenuStop, MF_BYCOMMAND | (checks.stop ? MF_CHECKED : MF_UNCHECKED));
    POINT at{};
    ::GetCursorPos(&at);
    // The menu opens at the pointer, towards the middle of the screen it is on: down from a
    // task bar at the top, up from one at the bottom.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& screen = monitor.rcMonitor;
    UINT align = TPM_RETURNCMD | TPM_RIGHTBUTTON;
    align |=
        (at.y - screen.top) < (screen.bottom - screen.top) / 2 ? TPM_TOPALIGN : TPM_BOTTOMALIGN;
    align |=
        (at.x - screen.left) < (screen.right - screen.left) / 2 ? TPM_LEFTALIGN : TPM_RIGHTALIGN;
    // Without the foreground the menu never closes when the user clicks elsewhere; the posted
    // null message lets the menu's loop end cleanly.
    ::SetForegroundWindow(hWnd());
    menuOpen_ = true;
    const UINT chosen =
        static_cast<UINT>(::TrackPopupMenu(mnuPopUp_, align, at.x, at.y, 0, hWnd(), nullptr));
    menuOpen_ = false;
    ::PostMessageW(hWnd(), WM_NULL, 0, 0);
    switch (chosen) {
        case kMenuSettings:
            return TrayMenuChoice::Settings;
        case kMenuStart:
            return TrayMenuChoice::Start;
        case kMenuStop:
            return TrayMenuChoice::Stop;
        case kMenuExit:
            return TrayMenuChoice::Exit;
        default:
            return TrayMenuChoice::None;
    }
}

void frmSettings::SetMessagePageVisible(bool visible) {
    const int show = visible ? SW_SHOW : SW_HIDE;
    messagePageVisible_ = visible;
    ::InvalidateRect(hWnd(), nullptr, TRUE);
    for (HWND control :
         {Label1_, Label2_, txtEditWord_, txtEditCat_, lblDuration_, lblFrequency_, Picture1_}) {
        ::ShowWindow(control, show);
    }
    for (const auto* list : {lstMessageCategories_.get(), lstPhrases_.get()}) {
        if (list != nullptr) {
            ::ShowWindow(list->hWnd(), show);
        }
    }
    for (const auto* button :
         {cmdDelete_.get(), cmdAdd_.get(), cmdAddCat_.get(), cmdDeleteCat_.get(), cmdEdit_.get(),
          cmdEditCat_.get(), cmdEditFont_.get()}) {
        if (button != nullptr) {
            ::ShowWindow(button->hWnd(), show);
        }
    }
    if (bvlWHEEL1_) {
        ::ShowWindow(bvlWHEEL1_->hWnd(), show);
    }
    if (bvlWHEEL2_) {
        ::ShowWindow(bvlWHEEL2_->hWnd(), show);
    }
    if (ColorPicker1_) {
        ::ShowWindow(ColorPicker1_->hWnd(), show);
    }
}

void frmSettings::ShowPage(SettingsPage page) {
    if (page == SettingsPage::Messages) {
        ::ShowWindow(lblVersion_, SW_HIDE);
        if (rtfHelp_) {
            ::ShowWindow(rtfHelp_->hWnd(), SW_HIDE);
        }
        SetMessagePageVisible(true);
        return;
    }
    CreateHelpBox();
    if (rtfHelp_) {
        ::ShowWindow(rtfHelp_->hWnd(), SW_SHOW);
        // A missing page file leaves the box empty; the page is switched all the same.
        rtfHelp_->LoadFile(appPath_ /
                           (page == SettingsPage::About ? texts::kAboutFile : texts::kHelpFile));
    }
    SetMessagePageVisible(false);
    ::ShowWindow(lblVersion_, SW_SHOW);
}

// ---- ending --------------------------------------------------------------------------------

bool frmSettings::AskExitQuestion() {
    const std::wstring title = WideFromUtf8(texts::kAppTitle);
    return ::MessageBoxW(hWnd(), WideFromUtf8(texts::kExitQuestion).c_str(), title.c_str(),
                         MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void frmSettings::EndProgram() {
    Unload();
}

}  // namespace murmurex
