#pragma once
// `cCommonDialog` and its worker `GCommonDialog`: the platform's font, colour and file
// dialogs behind properties in the style of a dialog control. Raised errors are left in
// `LastHelperError()`; a show member answers whether the user chose something.

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialog_hook_rules.h"
#include "dialog_rules.h"
#include "memory_win.h"
#include "print_rules.h"
#include "win/unique_handle.h"

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
    std::int64_t APIReturn() const noexcept { return apiReturn_; }
    std::int64_t ExtendedError() const noexcept { return extendedError_; }
    COLORREF CustomColor(int index) const { return customColours_.at(index); }
    void CustomColor(int index, COLORREF colour) { customColours_.at(index) = colour; }

    /// Routes a hooked dialog's message to the notification target.
    std::intptr_t DialogHook(HWND dialog, UINT message, WPARAM first, LPARAM second);

    /// `printerContext` -1 means none. `flags` is adjusted in place even on a cancel.
    bool VBChooseFont(FontObject& font, std::intptr_t printerContext, HWND owner, COLORREF& colour,
                      std::int32_t minimum, std::int32_t maximum, std::int32_t& flags, bool hook,
                      DialogNotifications* receiver);
    /// A template is used only with the template flag and an instance above 0.
    bool VBChooseColor(COLORREF& colour, HWND owner, std::int32_t& flags, bool hook,
                       DialogNotifications* receiver, HINSTANCE instance = nullptr,
                       std::int32_t templateId = 0);

    /// What the open and save dialogs take and give back.
    struct FileRequest {
        std::string fileName;
        std::string fileTitle;
        std::string filter;
        std::int32_t filterIndex = 1;
        std::int32_t flags = 0;
        std::string defaultExt;
        std::string initialDir;
        std::string title;
        bool readOnly = false;
        HINSTANCE instance = nullptr;
        std::int32_t templateId = 0;  ///< a dialog resource of `instance`
    };
    /// The open and save dialogs with the request's template (when its flag and an instance
    /// above 0 are set).
    bool VBGetOpenFileName2(FileRequest& request, HWND owner, bool hook,
                            DialogNotifications* receiver);
    bool VBGetSaveFileName2(FileRequest& request, HWND owner, bool hook,
                            DialogNotifications* receiver);
    /// The open and save dialogs without any template.
    bool VBGetOpenFileName(FileRequest& request, HWND owner, bool hook,
                           DialogNotifications* receiver);
    bool VBGetSaveFileName(FileRequest& request, HWND owner, bool hook,
                           DialogNotifications* receiver);
    /// The title the shell shows for `file` (its name without folders); "" when the platform
    /// refuses the name. `APIReturn` keeps the platform's answer.
    std::string VBGetFileTitle(const std::string& file);

    /// What the print dialog takes and gives back.
    struct PrintRequest {
        std::int32_t flags = 0;
        std::int32_t copies = 0;
        std::int32_t fromPage = 0;
        std::int32_t toPage = 0;
        std::int32_t minPage = 0;
        std::int32_t maxPage = 0;
        /// Keep the chosen printer and its settings for the next print or page-setup dialog.
        bool printerDefault = false;
        HINSTANCE instance = nullptr;
        std::int32_t templateId = 0;
        std::string printerName;  ///< filled on success
        std::string printerDriver;
        std::string outputPort;
    };
    bool VBPrintDlg(PrintRequest& request, HWND owner, bool hook, DialogNotifications* receiver);

    /// What the page-setup dialog takes and gives back (lengths in thousandths of an inch or
    /// hundredths of a millimetre, as the flags say).
    struct PageSetupRequest {
        std::int32_t flags = 0;
        RECT margins{};
        RECT minimumMargins{};
        POINT paperSize{};  ///< filled on success
        bool printerDefault = false;
        HINSTANCE instance = nullptr;
        std::int32_t templateId = 0;
        std::string printerName;  ///< filled on success
    };
    /// With the request's template.
    bool VBPageSetupDlg2(PageSetupRequest& request, HWND owner, bool hook,
                         DialogNotifications* receiver);
    /// Without any template.
    bool VBPageSetupDlg(PageSetupRequest& request, HWND owner, bool hook,
                        DialogNotifications* receiver);

  private:
    bool RunFileDialog(FileRequest& request, HWND owner, bool hook, DialogNotifications* receiver,
                       bool save);
    // Runs one dialog; when hooked, the hook slot names this worker for its length and the
    // notifications go to `receiver`.
    BOOL ShowDialog(bool hook, DialogNotifications* receiver, const std::function<BOOL()>& show);
    bool Finish(BOOL result);
    bool RunPageSetup(PageSetupRequest& request, HWND owner, bool hook,
                      DialogNotifications* receiver);
    // The printer blocks come back from the dialog, possibly moved: take them over again.
    void AdoptPrinterBlocks(HGLOBAL devMode, HGLOBAL devNames);
    // Without a printer default the blocks go once the dialog's answer is read.
    void DropPrinterBlocksUnlessKept(bool kept);
    DeviceNames ChosenPrinter();

    std::int64_t apiReturn_ = 0;
    std::int64_t extendedError_ = 0;
    std::array<COLORREF, 16> customColours_{};
    DialogNotifications* target_ = nullptr;
    // The printer's settings and names while a printer default is kept.
    cMemory devMode_;
    cMemory devNames_;
};

class cCommonDialog : public DialogNotifications {
  public:
    /// `executableName` is the program's name without folders or extension (error sources);
    /// `events` receives the notifications of hooked dialogs (may be null).
    explicit cCommonDialog(std::string executableName, DialogNotifications* events = nullptr);

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
    std::int32_t Copies = 0;
    std::int32_t FromPage = 0;
    std::int32_t ToPage = 0;
    bool PrinterDefault = false;
    /// Any object the caller wants kept with the dialog; stored only, no dialog reads it.
    std::shared_ptr<void> Object;
    /// Stored only: the file dialogs' buffers have their own fixed sizes.
    std::int32_t MaxFileSize = 0;
    /// A dialog resource of `hInstance`, used with the dialogs' template flags.
    std::int32_t TemplateName = 0;

    const std::string& PrinterName() const noexcept { return printerName_; }
    const std::string& PrinterDriver() const noexcept { return printerDriver_; }
    const std::string& PrinterOutputPort() const noexcept { return printerPort_; }

    /// Loads a module for templates and makes it `hInstance`; answers whether it loaded.
    bool cdLoadLibrary(const std::string& moduleName);
    /// Frees the module `cdLoadLibrary` loaded and clears `hInstance`.
    void cdFreeLibrary();

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
    /// The print dialog; on success the printer's name, driver and port, the copies and the
    /// page range are read back.
    bool ShowPrinter();
    /// Calls the help engine with `HelpCommand`; the window-position commands are refused.
    bool ShowHelp();
    /// Positions the help window through the help engine.
    bool SetHelpPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                         std::int32_t showState);

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

    std::string executableName_;
    DialogNotifications* events_;
    std::unique_ptr<GCommonDialog> worker_;
    std::shared_ptr<FontObject> font_ = std::make_shared<FontObject>();
    bool explorerDialog_ = false;
    std::string printerName_;
    std::string printerDriver_;
    std::string printerPort_;
    win::UniqueLibrary loadedModule_;  // the module loaded for its dialog templates
};

}  // namespace murmurex::dialogs
