#pragma once
// `cCommonDialog` and its worker `GCommonDialog`: the platform's font, colour and file
// dialogs behind properties in the style of a dialog control. Raised errors are left in
// `LastHelperError()`; a show member answers whether the user chose something.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialog_hook_rules.h"
#include "dialog_rules.h"

namespace murmurex::dialogs {

/// The font object the wrapper works on; `Font` hands out this very object.
struct FontObject {
    std::string name;
    double size = 0;  ///< points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethru = false;
    std::int32_t weight = 400;
};

class GCommonDialog {
  public:
    std::int64_t APIReturn() const noexcept { return api_return_; }
    std::int64_t ExtendedError() const noexcept { return extended_error_; }
    COLORREF CustomColor(int index) const { return custom_colours_.at(index); }
    void CustomColor(int index, COLORREF colour) { custom_colours_.at(index) = colour; }

    /// Routes a hooked dialog's message to the notification target.
    std::intptr_t DialogHook(HWND dialog, UINT message, WPARAM first, LPARAM second);

    /// `printer_context` -1 means none. `flags` is adjusted in place even on a cancel.
    bool VBChooseFont(FontObject& font, std::intptr_t printer_context, HWND owner, COLORREF& colour,
                      std::int32_t minimum, std::int32_t maximum, std::int32_t& flags, bool hook,
                      DialogNotifications* receiver);
    bool VBChooseColor(COLORREF& colour, HWND owner, std::int32_t& flags, bool hook,
                       DialogNotifications* receiver);

    /// What the open and save dialogs take and give back.
    struct FileRequest {
        std::string file_name;
        std::string file_title;
        std::string filter;
        std::int32_t filter_index = 1;
        std::int32_t flags = 0;
        std::string default_ext;
        std::string initial_dir;
        std::string title;
        bool read_only = false;
        HINSTANCE instance = nullptr;
        std::string template_name;
    };
    bool VBGetOpenFileName(FileRequest& request, HWND owner, bool hook,
                           DialogNotifications* receiver);
    bool VBGetSaveFileName(FileRequest& request, HWND owner, bool hook,
                           DialogNotifications* receiver);

  private:
    bool RunFileDialog(FileRequest& request, HWND owner, bool hook, DialogNotifications* receiver,
                       bool save);
    bool Finish(BOOL result);

    std::int64_t api_return_ = 0;
    std::int64_t extended_error_ = 0;
    std::array<COLORREF, 16> custom_colours_{};
    DialogNotifications* target_ = nullptr;
};

class cCommonDialog : public DialogNotifications {
  public:
    /// `executable_name` is the program's name without folders or extension (error sources);
    /// `events` receives the notifications of hooked dialogs (may be null).
    explicit cCommonDialog(std::string executable_name, DialogNotifications* events = nullptr);

    // Properties.
    bool CancelError = false;
    std::string Filter;
    std::int32_t FilterIndex = 1;
    std::string FileName;
    std::string FileTitle;
    COLORREF Color = 0;
    std::int32_t flags = 0;
    std::string DialogTitle;
    std::string DefaultExt;
    std::string InitDir;
    COLORREF FontColor = 0;
    std::int32_t Max = 0;
    std::int32_t Min = 0;
    HWND hwnd = nullptr;
    HINSTANCE hInstance = nullptr;
    bool HookDialog = false;
    std::string HelpFile;
    std::uint32_t HelpCommand = 0;
    std::int32_t HelpContext = 0;
    std::string HelpKey;

    std::string FontName() const { return font_->name; }
    void FontName(std::string name) { font_->name = std::move(name); }
    std::int32_t FontSize() const { return WholePoints(font_->size); }
    void FontSize(std::int32_t points) { font_->size = points; }
    bool FontBold() const { return font_->bold; }
    void FontBold(bool on) { font_->bold = on; }
    bool FontItalic() const { return font_->italic; }
    void FontItalic(bool on) { font_->italic = on; }
    bool FontUnderline() const { return font_->underline; }
    void FontUnderline(bool on) { font_->underline = on; }
    bool FontStrikethru() const { return font_->strikethru; }
    void FontStrikethru(bool on) { font_->strikethru = on; }
    std::shared_ptr<FontObject> Font() const { return font_; }
    void Font(std::shared_ptr<FontObject> font) {
        if (font) {
            font_ = std::move(font);
        }
    }
    COLORREF CustomColor(int index) { return Worker().CustomColor(index); }
    void CustomColor(int index, COLORREF colour) { Worker().CustomColor(index, colour); }

    bool ShowFont();
    bool ShowColor();
    bool ShowOpen();
    bool ShowSave();
    /// Calls the help engine with `HelpCommand`; the window-position commands are refused.
    bool ShowHelp();
    /// Positions the help window through the help engine.
    bool SetHelpPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                         std::int32_t show_state);

    /// Centres the dialog (or, for an explorer file dialog, its frame) in the parent's window,
    /// else in the work area, else on the whole screen.
    void CentreDialog(HWND dialog, HWND parent);
    /// The dialog's (or its frame's) left, top, width and height.
    Rect GetDialogSize(HWND dialog) const;
    MultiFileName ParseMultiFileName() const { return dialogs::ParseMultiFileName(FileName); }

    // Notifications from the worker's hook, passed on to the owner's events.
    std::intptr_t InitDialog(std::uintptr_t dialog) override;
    std::intptr_t FileChange(std::uintptr_t dialog) override;
    std::intptr_t FolderChange(std::uintptr_t dialog) override;
    std::intptr_t TypeChange(std::uintptr_t dialog) override;
    bool ConfirmOK() override;
    void DialogClose() override;
    void WMCommand(std::uintptr_t dialog, std::uintptr_t command, std::intptr_t parameter) override;

  private:
    GCommonDialog& Worker();
    bool Fail();
    bool ShowFile(bool save);
    HWND WindowToPlace(HWND dialog) const;

    std::string executable_name_;
    DialogNotifications* events_;
    std::unique_ptr<GCommonDialog> worker_;
    std::shared_ptr<FontObject> font_ = std::make_shared<FontObject>();
    bool explorer_dialog_ = false;
};

}  // namespace murmurex::dialogs
