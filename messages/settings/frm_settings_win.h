#pragma once
// frmSettings: the program's start-up object and settings window. It owns the tray icon, the
// message window and every control of its pages; its window procedure only forwards events
// to the portable ShellController (start-up, Start/Stop, tray menu, watchdog, pages) and to
// the phrase library and settings handlers.

#include <windows.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "check_list_view_win.h"
#include "colour_picker_win.h"
#include "common_dialog_win.h"
#include "library_editor.h"
#include "message_cycle.h"
#include "message_window_win.h"
#include "portable/twips.h"
#include "rich_text_win.h"
#include "settings_layout.h"
#include "settings_store.h"
#include "shell_controller.h"
#include "styled_button_win.h"
#include "tab_strip_win.h"
#include "tray_win.h"
#include "wheel_win.h"
#include "win/owned_window.h"
#include "win/unique_handle.h"

namespace murmurex {

/// Lets pending window messages run once (the settings window's pump inside its handlers).
void ProcessPendingMessages();

/// The settings window's class name, for tests that look it up.
inline constexpr char kSettingsWindowClass[] = "MurmurexSettingsWindow";

class frmSettings final : public win::OwnedWindow,
                          private ShellView,
                          private SettingsVisibility,
                          private SettingsControls,
                          private LibraryPage {
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Creates the hidden window and runs the start-up for `commandLine`. Null when the
    /// system refuses the window itself.
    static std::unique_ptr<frmSettings> Create(HINSTANCE instance, const std::string& commandLine,
                                               const std::filesystem::path& appPath);

    frmSettings(Key, std::filesystem::path appPath);
    frmSettings(const frmSettings&) = delete;
    frmSettings& operator=(const frmSettings&) = delete;
    ~frmSettings() override;

    /// The message window, or null before it is created and after unload.
    frmMessage* MessageWindow() noexcept { return messageWindow_.get(); }
    /// True once the program has asked to end (the message loop stops).
    bool Ended() const noexcept { return ended_; }
    /// Unloads everything without a question: the tray icon goes, the program ends.
    void Unload();

    /// The window procedure's call (win::WindowProcedure).
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    // Creation and layout (frm_settings_win.cpp).
    bool CreateWindowOnScreen(HINSTANCE instance);
    void PrepareHiddenStart();
    void CreatePageModels();
    void BuildControls();
    void CreateToolTip();
    void CreateLabelsAndLists();
    void CreateEditBoxes();
    void CreateButtons();
    void CreateTimingAndFontFrames();
    void CreateStopButton();
    void CreateHelpBox();
    void AddTip(HWND control, const char* tip);
    HWND MakeStatic(int id, TwipsRect twips, const char* text, DWORD style);
    HWND MakeEditBox(int id, TwipsRect twips, const char* tip);
    std::unique_ptr<StyledButtonWindow> MakeButton(int id, TwipsRect twips, const char* name,
                                                   const char* caption,
                                                   std::function<void()> click);
    RECT Pixels(TwipsRect twips) const noexcept;
    int PixelsX(int twips) const noexcept;
    int PixelsY(int twips) const noexcept;
    // The DPI of the monitor (frm_settings_dpi_win.cpp).
    void MakeDesignFonts();
    void OnDpiChanged(int dpiX, int dpiY, const RECT& suggested);
    void PlaceControls();
    void PlaceHelpBox();
    // Message dispatch.
    void OnCommand(int id, int code);
    void OnNotify(const NMHDR& header);
    void OnScroll(HWND from);
    bool OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnColourStatic(HDC dc, HWND control);
    void Form_Resize();
    void Paint();
    // The shell side (frm_settings_shell_win.cpp).
    void CreateTrayMenu();
    void CreateTabStrip();
    void GiveWindowItsIcon();
    void SetMessagePageVisible(bool visible);
    // The preview and the timing labels (frm_settings_timing_win.cpp).
    void RecaptionTimingLabel(HWND label, const std::string& caption);
    void DrawPreview(const DRAWITEMSTRUCT& item);
    void MakePreviewFont();
    void InvalidatePreview();

    // Messages page: lists and editing (frm_settings_editing_win.cpp).
    void lstMessageCategories_Click();
    void lstMessageCategories_ItemCheck();
    void lstPhrases_ItemCheck();
    void MakeLibraryEditor();
    void WireEditing();
    static LRESULT CALLBACK EditBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR boxId, DWORD_PTR form) noexcept;
    // Timing and colour (frm_settings_timing_win.cpp).
    void bvlWHEEL1_Change(int value);
    void bvlWHEEL2_Change(int value);
    void ColorPicker1_Change(std::uint32_t colour);
    // The font button (frm_settings_font_win.cpp).
    void cmdEditFont_Click();

    // ShellView (frm_settings_shell_win.cpp)
    bool SetVersionLabel() override;
    bool ReplacePendingDataFile() override;
    bool BuildTabStrip() override;
    bool CreateTray() override;
    bool ShowTrayIcon(const std::string& tip) override;
    bool FillCategoryList() override;
    bool RestoreCategoryTicks() override;
    bool SelectFirstCategory() override;
    bool SizeHelpBox() override;
    bool LoadPhrasesOfSelectedCategory() override;
    bool CreateMessageWindow() override;
    bool ApplySettingsFile() override;
    void ShowFirstRunHint() override;
    void SetMessagePaused(bool paused) override;
    void RebuildPhrasePool() override;
    void GiveMessageThePreviewFont() override;
    void ShowMessageWindow() override;
    void SetMessageWindowVisible(bool visible) override;
    bool MessageWindowVisible() const override;
    void HideMessageLabel() override;
    void BeginMessages() override;
    bool MessageTimerEnabled() const override;
    void SetSettingsVisible(bool visible) override;
    bool SettingsVisible() const override;
    void BringSettingsToFront() override;
    void SetWindowIcon(ShellIcon icon) override;
    void ChangeTrayTip(const std::string& tip) override;
    TrayMenuChoice OpenTrayMenu(TrayMenuChecks checks) override;
    bool TrayMenuOpen() const override { return menuOpen_; }
    void ShowPage(SettingsPage page) override;
    bool AskExitQuestion() override;
    void EndProgram() override;

    // SettingsControls: the settings file applied at start-up (frm_settings_timing_win.cpp)
    bool SetPreviewFontName(const std::string& name) override;
    bool SetPreviewFontSize(std::int32_t points) override;
    void SetPreviewBold(bool bold) override;
    void SetPreviewItalic(bool italic) override;
    void SetPreviewColour(std::uint32_t colour) override;
    void SetPickerColour(std::uint32_t colour) override;
    void SetMessageColour(std::uint32_t colour) override;
    void SetDurationWheel(std::int32_t milliseconds) override;
    void SetDisplayLengthInterval(std::int32_t milliseconds) override;
    void SetFrequencyWheel(std::int32_t seconds) override;
    void SetFrequencyInterval(std::int32_t seconds) override;

    // LibraryPage: the editor's view of the Messages page (frm_settings_editing_win.cpp)
    CheckList& Categories() override;
    CheckList& Phrases() override;
    void ShowCategories() override;
    void ShowPhrases() override;
    std::string CategoryBoxText() const override;
    void SetCategoryBoxText(std::string_view text) override;
    void FocusCategoryBox() override;
    std::string PhraseBoxText() const override;
    void SetPhraseBoxText(std::string_view text) override;
    void FocusPhraseBox() override;
    MessageAnswer ShowMessage(std::string_view text, MessageKind kind) override;

    // SettingsVisibility (the message window asks before each step)
    bool SettingsWindowVisible() const override { return SettingsVisible(); }
    bool TrayMenuVisible() const override { return menuOpen_; }

    std::filesystem::path appPath_;
    ShellController shell_{*this};
    // The DPI of the monitor the window is on: the design places in twips become pixels with
    // it, and the fonts' points too. A move to another monitor changes it.
    int dpiX_ = kDefaultDpi;
    int dpiY_ = kDefaultDpi;
    bool ended_ = false;
    bool menuOpen_ = false;
    // The controls are made the first time the window shows: a start that stays in the tray
    // never pays for them. Until then the start-up fills the lists', wheels' and colour's
    // values and remembers what the controls will show.
    bool controlsBuilt_ = false;
    bool tabStripWanted_ = false;
    std::string versionText_;
    // The settings file: SettingValues, LoadSettings and SaveSettings.
    SettingsStore settings_;
    // The font dialog of the font button.
    dialogs::cCommonDialog Dialog{"Messages"};

    LabelFont previewFont_;
    std::uint32_t previewColour_ = 0x00C0C0C0;
    win::UniqueFont previewHFont_;
    win::UniqueFont labelFont_;
    win::UniqueFont frameFont_;
    // The lists' font: the platform's own for list views, at the window's DPI.
    win::UniqueFont listFont_;
    win::UniqueBrush background_;
    win::UniqueIcon runningIcon_;  // imgSubliminal(0)
    win::UniqueIcon stoppedIcon_;  // imgSubliminal(1)
    HICON currentIcon_ = nullptr;

    win::UniqueWindow toolTip_;
    win::UniqueMenu menuBar_;
    HMENU mnuPopUp_ = nullptr;

    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<WindowTrayOwner> trayOwner_;
    std::unique_ptr<frmMessage> messageWindow_;
    std::unique_ptr<TabMenuWindow> tabMenu_;

    // Picture2, the blue page background, painted by the window itself (pixels).
    RECT pageBackground_{};
    bool messagePageVisible_ = true;
    // Controls keep their design names, so a reader finds them in the design; the numbered
    // ones say what they are for beside them (and in ARCHITECTURE.md).
    HWND lblVersion_ = nullptr;
    HWND Label1_ = nullptr;  // the category list's caption
    HWND Label2_ = nullptr;  // the phrase list's caption
    HWND txtEditCat_ = nullptr;
    HWND txtEditWord_ = nullptr;
    HWND lblDuration_ = nullptr;
    HWND lblFrequency_ = nullptr;
    HWND Picture1_ = nullptr;  // the font preview
    HWND cmdStop_ = nullptr;
    std::unique_ptr<CheckListView> lstMessageCategories_;
    std::unique_ptr<CheckListView> lstPhrases_;
    std::unique_ptr<StyledButtonWindow> cmdAddCat_;
    std::unique_ptr<StyledButtonWindow> cmdEditCat_;
    std::unique_ptr<StyledButtonWindow> cmdDeleteCat_;
    std::unique_ptr<StyledButtonWindow> cmdAdd_;
    std::unique_ptr<StyledButtonWindow> cmdEdit_;
    std::unique_ptr<StyledButtonWindow> cmdDelete_;
    std::unique_ptr<StyledButtonWindow> cmdEditFont_;
    std::unique_ptr<StyledButtonWindow> cmdStart_;
    std::unique_ptr<StyledButtonWindow> cmdClose_;
    std::unique_ptr<WheelControl> bvlWHEEL1_;  // display length, milliseconds
    std::unique_ptr<WheelControl> bvlWHEEL2_;  // frequency, seconds
    std::unique_ptr<ColourPicker> ColorPicker1_;
    std::unique_ptr<RichTextBox> rtfHelp_;

    // The phrase library's editing, made once both lists exist.
    std::unique_ptr<DiskLibrary> library_;
    std::unique_ptr<LibraryEditor> editor_;
};

}  // namespace murmurex
