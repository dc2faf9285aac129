// GCommonDialog's print and page-setup dialogs, and the printer's settings and names it keeps
// between them while a printer default is asked for.
#include "common_dialog_win.h"

#include <commdlg.h>

#include <span>

#include "dialog_hook_win.h"
#include "print_rules.h"

namespace murmurex::dialogs {
namespace {

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

}  // namespace

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

}  // namespace murmurex::dialogs
