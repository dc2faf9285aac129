#include "common_dialog_win.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "dialog_hook_win.h"
#include "helper_error.h"
#include "memory_win.h"
#include "print_rules.h"
#include "screen_rules.h"
#include "win/unique_handle.h"

namespace murmurex::dialogs {
namespace {

// Every request record is the platform's own structure with `sizeof` as its size: a 64-bit
// program's records hold 64-bit handles and pointers, so they are larger than the 32-bit
// records (font 60 bytes, open file 76, help window position 26) that older callers wrote by
// hand, and the dialog library refuses a record whose size it does not know.

static_assert(font_flags::kScreenFonts == CF_SCREENFONTS);
static_assert(font_flags::kPrinterFonts == CF_PRINTERFONTS);
static_assert(font_flags::kEnableHook == CF_ENABLEHOOK);
static_assert(font_flags::kEnableTemplate == CF_ENABLETEMPLATE);
static_assert(font_flags::kInitFromDescription == CF_INITTOLOGFONTSTRUCT);
static_assert(font_flags::kEffects == CF_EFFECTS);
static_assert(font_flags::kApply == CF_APPLY);
static_assert(font_flags::kLimitSize == CF_LIMITSIZE);
static_assert(font_flags::kBoldFontType == BOLD_FONTTYPE);
static_assert(file_flags::kReadOnly == OFN_READONLY);
static_assert(file_flags::kEnableHook == OFN_ENABLEHOOK);
static_assert(file_flags::kEnableTemplate == OFN_ENABLETEMPLATE);
static_assert(file_flags::kMultipleSelection == OFN_ALLOWMULTISELECT);
static_assert(file_flags::kExplorer == OFN_EXPLORER);
static_assert(print_flags::kPageNumbers == PD_PAGENUMS);
static_assert(print_flags::kPrintSetup == PD_PRINTSETUP);
static_assert(print_flags::kReturnDc == PD_RETURNDC);
static_assert(print_flags::kReturnIc == PD_RETURNIC);
static_assert(print_flags::kReturnDefault == PD_RETURNDEFAULT);
static_assert(print_flags::kEnablePrintHook == PD_ENABLEPRINTHOOK);
static_assert(print_flags::kEnableSetupHook == PD_ENABLESETUPHOOK);
static_assert(print_flags::kEnablePrintTemplate == PD_ENABLEPRINTTEMPLATE);
static_assert(print_flags::kEnableSetupTemplate == PD_ENABLESETUPTEMPLATE);
static_assert(print_flags::kEnablePrintTemplateHandle == PD_ENABLEPRINTTEMPLATEHANDLE);
static_assert(print_flags::kEnableSetupTemplateHandle == PD_ENABLESETUPTEMPLATEHANDLE);
static_assert(page_setup_flags::kEnableHook == PSD_ENABLEPAGESETUPHOOK);
static_assert(page_setup_flags::kEnableTemplate == PSD_ENABLEPAGESETUPTEMPLATE);
static_assert(page_setup_flags::kEnableTemplateHandle == PSD_ENABLEPAGESETUPTEMPLATEHANDLE);
static_assert(page_setup_flags::kEnablePaintHook == PSD_ENABLEPAGEPAINTHOOK);
static_assert(colour_flags::kRgbInit == CC_RGBINIT);
static_assert(colour_flags::kEnableHook == CC_ENABLEHOOK);
static_assert(colour_flags::kEnableTemplate == CC_ENABLETEMPLATE);
static_assert(colour_flags::kEnableTemplateHandle == CC_ENABLETEMPLATEHANDLE);
static_assert(hook_messages::kInitDialog == WM_INITDIALOG);
static_assert(hook_messages::kNotify == WM_NOTIFY);
static_assert(hook_messages::kFileOk == static_cast<std::int32_t>(CDN_FILEOK));
static_assert(hook_messages::kTypeChanged == static_cast<std::int32_t>(CDN_TYPECHANGE));
static_assert(hook_messages::kFolderChanged == static_cast<std::int32_t>(CDN_FOLDERCHANGE));
static_assert(hook_messages::kSelectionChanged == static_cast<std::int32_t>(CDN_SELCHANGE));

double ScreenTwipsPerPixelY() {
    win::UniqueWindowDc screen(::GetDC(nullptr));
    const int dots = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dots > 0 ? 1440.0 / dots : 15.0;
}

// An information context on the default printer (no drawing), or none without a printer.
win::UniqueOwnedDc DefaultPrinterContext() {
    PRINTDLGA request{};
    request.lStructSize = sizeof request;
    request.Flags = PD_RETURNDEFAULT | PD_RETURNIC;
    const BOOL found = ::PrintDlgA(&request);
    cMemory dev_mode;
    cMemory dev_names;
    dev_mode.Handle(request.hDevMode);
    dev_names.Handle(request.hDevNames);
    return win::UniqueOwnedDc(found ? request.hDC : nullptr);
}

std::string CutAtNul(const char* text, std::size_t size) {
    return std::string(text, strnlen(text, size));
}

}  // namespace

std::intptr_t GCommonDialog::DialogHook(HWND dialog, UINT message, WPARAM first, LPARAM second) {
    std::int32_t code = 0;
    if (message == WM_NOTIFY && second != 0) {
        code = static_cast<std::int32_t>(reinterpret_cast<const NMHDR*>(second)->code);
    }
    const HookAnswer answer = RouteHookMessage(target_, reinterpret_cast<std::uintptr_t>(dialog),
                                               message, first, second, code);
    if (answer.message_result) {
        ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, *answer.message_result);
    }
    return answer.answer;
}

bool GCommonDialog::Finish(BOOL result) {
    api_return_ = result;
    target_ = nullptr;
    if (result == 1) {
        return true;
    }
    extended_error_ = ::CommDlgExtendedError();
    return false;
}

bool GCommonDialog::VBChooseFont(FontObject& font, std::intptr_t printer_context, HWND owner,
                                 COLORREF& colour, std::int32_t minimum, std::int32_t maximum,
                                 std::int32_t& flags, bool hook, DialogNotifications* receiver) {
    api_return_ = 0;
    extended_error_ = 0;
    const bool context_given = printer_context != -1;
    // Printer fonts without a given context list the default printer's fonts; with no printer
    // the context stays 0 and the dialog reports the failure itself.
    win::UniqueOwnedDc default_printer;
    if (NeedsRuntimePrinter(flags, context_given)) {
        default_printer = DefaultPrinterContext();
    }
    const HDC printer =
        context_given ? reinterpret_cast<HDC>(printer_context) : default_printer.get();
    flags =
        AdjustFontFlags(flags, context_given, static_cast<std::int32_t>(colour), minimum, maximum);

    LOGFONTA description{};
    description.lfHeight = FontHeightForPoints(font.size, ScreenTwipsPerPixelY());
    description.lfWeight = font.bold ? FW_BOLD : (font.weight > 0 ? font.weight : FW_NORMAL);
    description.lfItalic = font.italic;
    description.lfUnderline = font.underline;
    description.lfStrikeOut = font.strikethru;
    const std::size_t name_length = std::min(font.name.size(), sizeof description.lfFaceName - 1);
    std::memcpy(description.lfFaceName, font.name.data(), name_length);

    CHOOSEFONTA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hDC = printer;
    request.lpLogFont = &description;
    request.iPointSize = TenthsOfPoint(font.size);
    request.Flags = static_cast<DWORD>(FontRecordFlags(flags, hook));
    request.rgbColors = colour;
    request.nSizeMin = minimum;
    request.nSizeMax = maximum;
    if (hook) {
        request.lpfnHook = mDialogHook::FontHookProc;
        target_ = receiver;
    }
    BOOL result;
    {
        mDialogHook::SlotScope slot(hook ? this : nullptr);
        result = ::ChooseFontA(&request);
    }
    if (!Finish(result)) {
        return false;
    }
    flags = static_cast<std::int32_t>(request.Flags);
    colour = request.rgbColors;
    font.bold = (request.nFontType & BOLD_FONTTYPE) != 0;
    font.italic = description.lfItalic != 0;
    font.underline = description.lfUnderline != 0;
    font.strikethru = description.lfStrikeOut != 0;
    font.weight = description.lfWeight;
    font.size = request.iPointSize / 10.0;
    font.name = CutAtNul(description.lfFaceName, sizeof description.lfFaceName);
    return true;
}

bool GCommonDialog::VBChooseColor(COLORREF& colour, HWND owner, std::int32_t& flags, bool hook,
                                  DialogNotifications* receiver, HINSTANCE instance,
                                  std::int32_t template_id) {
    api_return_ = 0;
    extended_error_ = 0;
    CHOOSECOLORA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.rgbResult = colour;
    request.lpCustColors = custom_colours_.data();
    request.Flags = static_cast<DWORD>(
        ColourRecordFlags(flags, hook, reinterpret_cast<std::intptr_t>(instance)));
    if (request.Flags & CC_ENABLETEMPLATE) {
        request.hInstance = reinterpret_cast<HWND>(instance);
        request.lpTemplateName = MAKEINTRESOURCEA(template_id);
    }
    if (hook) {
        request.lpfnHook = mDialogHook::ColorHookProc;
        target_ = receiver;
    }
    BOOL result;
    {
        mDialogHook::SlotScope slot(hook ? this : nullptr);
        result = ::ChooseColorA(&request);
    }
    if (!Finish(result)) {
        return false;
    }
    colour = request.rgbResult;
    flags = WithoutWorkerHook(static_cast<std::int32_t>(request.Flags), colour_flags::kEnableHook,
                              hook);
    return true;
}

bool GCommonDialog::RunFileDialog(FileRequest& file, HWND owner, bool hook,
                                  DialogNotifications* receiver, bool save) {
    api_return_ = 0;
    extended_error_ = 0;
    const std::intptr_t instance = reinterpret_cast<std::intptr_t>(file.instance);
    const std::int32_t record_flags = OpenFileRecordFlags(file.flags, hook, instance);
    const bool multiple = (record_flags & file_flags::kMultipleSelection) != 0;
    const std::string filter = FilterForRecord(file.filter);
    std::string name_buffer = FileNameBuffer(file.file_name, multiple);
    std::string title_buffer = FileNameBuffer(file.file_title, multiple);

    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = file.instance;
    request.lpstrFilter = file.filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = static_cast<DWORD>(file.filter_index);
    request.lpstrFile = name_buffer.data();
    request.nMaxFile = static_cast<DWORD>(name_buffer.size());
    request.lpstrFileTitle = title_buffer.data();
    request.nMaxFileTitle = static_cast<DWORD>(title_buffer.size());
    request.lpstrInitialDir = file.initial_dir.empty() ? nullptr : file.initial_dir.c_str();
    request.lpstrTitle = file.title.empty() ? nullptr : file.title.c_str();
    request.lpstrDefExt = file.default_ext.empty() ? nullptr : file.default_ext.c_str();
    request.Flags = static_cast<DWORD>(record_flags);
    if (record_flags & file_flags::kEnableTemplate) {
        request.lpTemplateName = MAKEINTRESOURCEA(file.template_id);
    }
    if (hook) {
        request.lpfnHook = save ? mDialogHook::SaveHookProc : mDialogHook::OpenHookProc;
        target_ = receiver;
    }
    BOOL result;
    {
        mDialogHook::SlotScope slot(hook ? this : nullptr);
        result = save ? ::GetSaveFileNameA(&request) : ::GetOpenFileNameA(&request);
    }
    if (!Finish(result)) {
        return false;
    }
    file.flags = static_cast<std::int32_t>(request.Flags);
    file.filter_index = static_cast<std::int32_t>(request.nFilterIndex);
    file.file_name = ReturnedFileName(name_buffer, multiple);
    file.file_title = ReturnedFileName(title_buffer, false);
    file.read_only = (request.Flags & OFN_READONLY) != 0;
    return true;
}

bool GCommonDialog::VBGetOpenFileName2(FileRequest& request, HWND owner, bool hook,
                                       DialogNotifications* receiver) {
    return RunFileDialog(request, owner, hook, receiver, false);
}

bool GCommonDialog::VBGetSaveFileName2(FileRequest& request, HWND owner, bool hook,
                                       DialogNotifications* receiver) {
    return RunFileDialog(request, owner, hook, receiver, true);
}

bool GCommonDialog::VBGetOpenFileName(FileRequest& request, HWND owner, bool hook,
                                      DialogNotifications* receiver) {
    request.instance = nullptr;
    return RunFileDialog(request, owner, hook, receiver, false);
}

bool GCommonDialog::VBGetSaveFileName(FileRequest& request, HWND owner, bool hook,
                                      DialogNotifications* receiver) {
    request.instance = nullptr;
    return RunFileDialog(request, owner, hook, receiver, true);
}

std::string GCommonDialog::VBGetFileTitle(const std::string& file) {
    api_return_ = 0;
    extended_error_ = 0;
    // The answer is 0 on success, the size needed when the buffer is short, negative on a
    // refused name. A path cannot give a title longer than itself, so one retry suffices.
    std::string title(MAX_PATH, '\0');
    short answer = ::GetFileTitleA(file.c_str(), title.data(), static_cast<WORD>(title.size()));
    if (answer > 0 && static_cast<std::size_t>(answer) > title.size() &&
        static_cast<std::size_t>(answer) <= file.size() + 1) {
        title.assign(static_cast<std::size_t>(answer), '\0');
        answer = ::GetFileTitleA(file.c_str(), title.data(), static_cast<WORD>(title.size()));
    }
    api_return_ = answer;
    if (answer != 0) {
        return {};
    }
    return CutAtNul(title.data(), title.size());
}

void GCommonDialog::AdoptPrinterBlocks(HGLOBAL dev_mode, HGLOBAL dev_names) {
    dev_mode_.ReleaseDontFreeMemory();
    dev_names_.ReleaseDontFreeMemory();
    dev_mode_.Handle(dev_mode);
    dev_names_.Handle(dev_names);
}

std::string GCommonDialog::ChosenPrinterName() {
    const auto* block = static_cast<const std::uint8_t*>(dev_names_.Pointer());
    if (block == nullptr) {
        return {};
    }
    const DeviceNames names = ReadDeviceNames(std::span(block, dev_names_.Size()));
    dev_names_.UnlockMemory();
    return names.device;
}

bool GCommonDialog::VBPrintDlg(PrintRequest& print, HWND owner, bool hook,
                               DialogNotifications* receiver) {
    api_return_ = 0;
    extended_error_ = 0;
    const std::int32_t record_flags =
        PrintRecordFlags(print.flags, hook, reinterpret_cast<std::intptr_t>(print.instance));
    dev_mode_.UnlockMemory();
    dev_names_.UnlockMemory();

    PRINTDLGA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hDevMode = dev_mode_.Handle();
    request.hDevNames = dev_names_.Handle();
    request.Flags = static_cast<DWORD>(record_flags);
    request.nFromPage = RecordPageNumber(print.from_page);
    request.nToPage = RecordPageNumber(print.to_page);
    request.nMinPage = RecordPageNumber(print.min_page);
    request.nMaxPage = RecordPageNumber(print.max_page);
    request.nCopies = RecordCopies(print.copies);
    if (record_flags & (print_flags::kEnablePrintTemplate | print_flags::kEnableSetupTemplate)) {
        request.hInstance = print.instance;
        request.lpPrintTemplateName = MAKEINTRESOURCEA(print.template_id);
        request.lpSetupTemplateName = MAKEINTRESOURCEA(print.template_id);
    }
    if (hook) {
        request.lpfnPrintHook = mDialogHook::PrintHookProc;
        request.lpfnSetupHook = mDialogHook::PrintHookProc;
        target_ = receiver;
    }
    BOOL result;
    {
        mDialogHook::SlotScope slot(hook ? this : nullptr);
        result = ::PrintDlgA(&request);
    }
    AdoptPrinterBlocks(request.hDevMode, request.hDevNames);
    const bool chosen = Finish(result);
    if (chosen) {
        const auto* block = static_cast<const std::uint8_t*>(dev_names_.Pointer());
        const DeviceNames names =
            block ? ReadDeviceNames(std::span(block, dev_names_.Size())) : DeviceNames{};
        dev_names_.UnlockMemory();
        print.printer_name = names.device;
        print.printer_driver = names.driver;
        print.output_port = names.output_port;
        print.flags =
            WithoutWorkerHook(static_cast<std::int32_t>(request.Flags),
                              print_flags::kEnablePrintHook | print_flags::kEnableSetupHook, hook);
        print.copies = request.nCopies;
        print.from_page = request.nFromPage;
        print.to_page = request.nToPage;
    }
    if (!print.printer_default) {
        dev_mode_.FreeMemory();
        dev_names_.FreeMemory();
    }
    return chosen;
}

bool GCommonDialog::RunPageSetup(PageSetupRequest& setup, HWND owner, bool hook,
                                 DialogNotifications* receiver) {
    api_return_ = 0;
    extended_error_ = 0;
    const std::int32_t record_flags =
        PageSetupRecordFlags(setup.flags, hook, reinterpret_cast<std::intptr_t>(setup.instance));
    dev_mode_.UnlockMemory();
    dev_names_.UnlockMemory();

    PAGESETUPDLGA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hDevMode = dev_mode_.Handle();
    request.hDevNames = dev_names_.Handle();
    request.Flags = static_cast<DWORD>(record_flags);
    request.rtMargin = setup.margins;
    request.rtMinMargin = setup.minimum_margins;
    if (record_flags & page_setup_flags::kEnableTemplate) {
        request.hInstance = setup.instance;
        request.lpPageSetupTemplateName = MAKEINTRESOURCEA(setup.template_id);
    }
    if (hook) {
        request.lpfnPageSetupHook = mDialogHook::PageSetupHookProc;
        target_ = receiver;
    }
    BOOL result;
    {
        mDialogHook::SlotScope slot(hook ? this : nullptr);
        result = ::PageSetupDlgA(&request);
    }
    AdoptPrinterBlocks(request.hDevMode, request.hDevNames);
    const bool chosen = Finish(result);
    if (chosen) {
        setup.flags = WithoutWorkerHook(static_cast<std::int32_t>(request.Flags),
                                        page_setup_flags::kEnableHook, hook);
        setup.margins = request.rtMargin;
        setup.paper_size = request.ptPaperSize;
        setup.printer_name = ChosenPrinterName();
    }
    if (!setup.printer_default) {
        dev_mode_.FreeMemory();
        dev_names_.FreeMemory();
    }
    return chosen;
}

bool GCommonDialog::VBPageSetupDlg2(PageSetupRequest& request, HWND owner, bool hook,
                                    DialogNotifications* receiver) {
    return RunPageSetup(request, owner, hook, receiver);
}

bool GCommonDialog::VBPageSetupDlg(PageSetupRequest& request, HWND owner, bool hook,
                                   DialogNotifications* receiver) {
    request.instance = nullptr;
    return RunPageSetup(request, owner, hook, receiver);
}

cCommonDialog::cCommonDialog(std::string executable_name, DialogNotifications* events)
    : executable_name_(std::move(executable_name)), events_(events) {}

GCommonDialog& cCommonDialog::Worker() {
    if (!worker_) {
        worker_ = std::make_unique<GCommonDialog>();
    }
    return *worker_;
}

bool cCommonDialog::Fail() {
    if (auto error =
            DialogFailure(Worker().APIReturn(), Worker().ExtendedError(), executable_name_)) {
        LastHelperError() = std::move(*error);
    }
    return false;
}

bool cCommonDialog::ShowFont() {
    LastHelperError().Clear();
    explorer_dialog_ = false;
    COLORREF colour = FontColor;
    if (!Worker().VBChooseFont(*font_, -1, hwnd, colour, Min, Max, flags, HookDialog, this)) {
        return Fail();
    }
    FontColor = colour;
    return true;
}

bool cCommonDialog::ShowColor() {
    LastHelperError().Clear();
    explorer_dialog_ = false;
    if (!Worker().VBChooseColor(Color, hwnd, flags, HookDialog, this, hInstance, TemplateName)) {
        return Fail();
    }
    return true;
}

bool cCommonDialog::ShowPrinter() {
    LastHelperError().Clear();
    explorer_dialog_ = false;
    GCommonDialog::PrintRequest request;
    request.flags = flags;
    request.copies = Copies;
    request.from_page = FromPage;
    request.to_page = ToPage;
    request.min_page = Min;
    request.max_page = Max;
    request.printer_default = PrinterDefault;
    request.instance = hInstance;
    request.template_id = TemplateName;
    if (!Worker().VBPrintDlg(request, hwnd, HookDialog, this)) {
        return Fail();
    }
    flags = request.flags;
    Copies = request.copies;
    FromPage = request.from_page;
    ToPage = request.to_page;
    printer_name_ = request.printer_name;
    printer_driver_ = request.printer_driver;
    printer_port_ = request.output_port;
    return true;
}

bool cCommonDialog::cdLoadLibrary(const std::string& module_name) {
    cdFreeLibrary();
    loaded_module_.reset(::LoadLibraryA(module_name.c_str()));
    hInstance = loaded_module_.get();
    return static_cast<bool>(loaded_module_);
}

void cCommonDialog::cdFreeLibrary() {
    if (loaded_module_) {
        if (hInstance == loaded_module_.get()) {
            hInstance = nullptr;
        }
        loaded_module_.reset();
    }
}

bool cCommonDialog::ShowFile(bool save) {
    LastHelperError().Clear();
    explorer_dialog_ = true;
    flags = ShowFileFlags(flags, reinterpret_cast<std::intptr_t>(hInstance));
    GCommonDialog::FileRequest request;
    request.file_name = FileName;
    request.file_title = FileTitle;
    request.filter = Filter;
    request.filter_index = FilterIndex;
    request.flags = flags;
    request.default_ext = DefaultExt;
    request.initial_dir = InitDir;
    request.title = DialogTitle;
    request.instance = hInstance;
    request.template_id = TemplateName;
    const bool chosen = save ? Worker().VBGetSaveFileName2(request, hwnd, HookDialog, this)
                             : Worker().VBGetOpenFileName2(request, hwnd, HookDialog, this);
    if (!chosen) {
        FileName.clear();
        FileTitle.clear();
        return Fail();
    }
    FileName = request.file_name;
    FileTitle = request.file_title;
    FilterIndex = request.filter_index;
    flags = request.flags;
    return true;
}

bool cCommonDialog::ShowOpen() {
    return ShowFile(false);
}
bool cCommonDialog::ShowSave() {
    return ShowFile(true);
}

bool cCommonDialog::ShowHelp() {
    LastHelperError().Clear();
    if (auto refused = RefuseHelpCommand(HelpCommand, executable_name_)) {
        LastHelperError() = std::move(*refused);
        return false;
    }
    ULONG_PTR data = static_cast<ULONG_PTR>(static_cast<std::uint32_t>(HelpContext));
    if (HelpCommand == HELP_KEY || HelpCommand == HELP_PARTIALKEY) {
        data = reinterpret_cast<ULONG_PTR>(HelpKey.c_str());
    }
    if (::WinHelpA(hwnd, HelpFile.c_str(), HelpCommand, data)) {
        return true;
    }
    const DWORD code = ::GetLastError();
    char text[512] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, sizeof text, nullptr);
    LastHelperError().Raise(code, executable_name_ + ".cCommonDialog",
                            TrimApiErrorText(std::string_view(text, strnlen(text, sizeof text))));
    return false;
}

bool cCommonDialog::SetHelpPosition(std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height, std::int32_t show_state) {
    HELPWININFOA position{};
    position.wStructSize = sizeof position;
    position.x = x;
    position.y = y;
    position.dx = width;
    position.dy = height;
    position.wMax = show_state;
    cMemory block;
    if (!block.AllocateMemory(sizeof position, GMEM_MOVEABLE | GMEM_ZEROINIT) ||
        block.Pointer() == nullptr) {
        return false;
    }
    std::memcpy(block.Pointer(), &position, sizeof position);
    return ::WinHelpA(hwnd, HelpFile.c_str(), HELP_SETWINPOS,
                      reinterpret_cast<ULONG_PTR>(block.Pointer())) != FALSE;
}

HWND cCommonDialog::WindowToPlace(HWND dialog) const {
    // An explorer-style hook dialog is a child of the visible frame.
    return explorer_dialog_ ? ::GetParent(dialog) : dialog;
}

void cCommonDialog::CentreDialog(HWND dialog, HWND parent) {
    const HWND window = WindowToPlace(dialog);
    RECT reference{};
    if (parent == nullptr || !::GetWindowRect(parent, &reference)) {
        if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &reference, 0)) {
            reference = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        }
    }
    RECT own{};
    if (!::GetWindowRect(window, &own)) {
        return;
    }
    const std::int32_t width = own.right - own.left;
    const std::int32_t height = own.bottom - own.top;
    if (const auto place = CentredPosition(
            {reference.left, reference.top, reference.right, reference.bottom}, width, height)) {
        ::MoveWindow(window, place->x, place->y, width, height, TRUE);
    }
}

Rect cCommonDialog::GetDialogSize(HWND dialog) const {
    RECT own{};
    ::GetWindowRect(WindowToPlace(dialog), &own);
    return {own.left, own.top, own.right - own.left, own.bottom - own.top};
}

std::intptr_t cCommonDialog::InitDialog(std::uintptr_t dialog) {
    return events_ ? events_->InitDialog(dialog) : 0;
}
std::intptr_t cCommonDialog::FileChange(std::uintptr_t dialog) {
    return events_ ? events_->FileChange(dialog) : 0;
}
std::intptr_t cCommonDialog::FolderChange(std::uintptr_t dialog) {
    return events_ ? events_->FolderChange(dialog) : 0;
}
std::intptr_t cCommonDialog::TypeChange(std::uintptr_t dialog) {
    return events_ ? events_->TypeChange(dialog) : 0;
}
bool cCommonDialog::ConfirmOK() {
    return events_ ? events_->ConfirmOK() : true;
}
void cCommonDialog::DialogClose() {
    if (events_) {
        events_->DialogClose();
    }
}
void cCommonDialog::WMCommand(std::uintptr_t dialog, std::uintptr_t command,
                              std::intptr_t parameter) {
    if (events_) {
        events_->WMCommand(dialog, command, parameter);
    }
}

}  // namespace murmurex::dialogs
