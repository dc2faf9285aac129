// GCommonDialog's print and page-setup dialogs, and the printer's settings and names it keeps
// between them while a printer default is asked for.
#include "common_dialog_win.h"

#include "common_dialog_library_win.h"

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

// The print and page-setup records begin alike: the size, the owner, the printer blocks kept
// from the last dialog (unlocked, so the dialog can move them) and the flags.
template <typename Request>
Request PrinterRequest(HWND owner, cMemory& devMode, cMemory& devNames, std::int32_t flags) {
    devMode.UnlockMemory();
    devNames.UnlockMemory();
    Request request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hDevMode = devMode.Handle();
    request.hDevNames = devNames.Handle();
    request.Flags = static_cast<DWORD>(flags);
    return request;
}

}  // namespace

void GCommonDialog::AdoptPrinterBlocks(HGLOBAL devMode, HGLOBAL devNames) {
    devMode_.ReleaseDontFreeMemory();
    devNames_.ReleaseDontFreeMemory();
    devMode_.Handle(devMode);
    devNames_.Handle(devNames);
}

void GCommonDialog::DropPrinterBlocksUnlessKept(bool kept) {
    if (!kept) {
        devMode_.FreeMemory();
        devNames_.FreeMemory();
    }
}

DeviceNames GCommonDialog::ChosenPrinter() {
    const auto* block = static_cast<const std::uint8_t*>(devNames_.Pointer());
    if (block == nullptr) {
        return {};
    }
    const DeviceNames names = ReadDeviceNames(std::span(block, devNames_.Size()));
    devNames_.UnlockMemory();
    return names;
}

bool GCommonDialog::VBPrintDlg(PrintRequest& print, HWND owner, bool hook,
                               DialogNotifications* receiver) {
    apiReturn_ = 0;
    extendedError_ = 0;
    const std::int32_t recordFlags =
        PrintRecordFlags(print.flags, hook, reinterpret_cast<std::intptr_t>(print.instance));
    auto request = PrinterRequest<PRINTDLGA>(owner, devMode_, devNames_, recordFlags);
    request.nFromPage = RecordPageNumber(print.fromPage);
    request.nToPage = RecordPageNumber(print.toPage);
    request.nMinPage = RecordPageNumber(print.minPage);
    request.nMaxPage = RecordPageNumber(print.maxPage);
    request.nCopies = RecordCopies(print.copies);
    if (recordFlags & (print_flags::kEnablePrintTemplate | print_flags::kEnableSetupTemplate)) {
        request.hInstance = print.instance;
        request.lpPrintTemplateName = MAKEINTRESOURCEA(print.templateId);
        request.lpSetupTemplateName = MAKEINTRESOURCEA(print.templateId);
    }
    if (hook) {
        request.lpfnPrintHook = mDialogHook::PrintHookProc;
        request.lpfnSetupHook = mDialogHook::PrintHookProc;
    }
    const BOOL result =
        ShowDialog(hook, receiver, [&] { return common_dialogs::PrintDlgA(&request); });
    AdoptPrinterBlocks(request.hDevMode, request.hDevNames);
    const bool chosen = Finish(result);
    if (chosen) {
        const DeviceNames names = ChosenPrinter();
        print.printerName = names.device;
        print.printerDriver = names.driver;
        print.outputPort = names.outputPort;
        print.flags =
            WithoutWorkerHook(static_cast<std::int32_t>(request.Flags),
                              print_flags::kEnablePrintHook | print_flags::kEnableSetupHook, hook);
        print.copies = request.nCopies;
        print.fromPage = request.nFromPage;
        print.toPage = request.nToPage;
    }
    DropPrinterBlocksUnlessKept(print.printerDefault);
    return chosen;
}

bool GCommonDialog::RunPageSetup(PageSetupRequest& setup, HWND owner, bool hook,
                                 DialogNotifications* receiver) {
    apiReturn_ = 0;
    extendedError_ = 0;
    const std::int32_t recordFlags =
        PageSetupRecordFlags(setup.flags, hook, reinterpret_cast<std::intptr_t>(setup.instance));
    auto request = PrinterRequest<PAGESETUPDLGA>(owner, devMode_, devNames_, recordFlags);
    request.rtMargin = setup.margins;
    request.rtMinMargin = setup.minimumMargins;
    if (recordFlags & page_setup_flags::kEnableTemplate) {
        request.hInstance = setup.instance;
        request.lpPageSetupTemplateName = MAKEINTRESOURCEA(setup.templateId);
    }
    if (hook) {
        request.lpfnPageSetupHook = mDialogHook::PageSetupHookProc;
    }
    const BOOL result =
        ShowDialog(hook, receiver, [&] { return common_dialogs::PageSetupDlgA(&request); });
    AdoptPrinterBlocks(request.hDevMode, request.hDevNames);
    const bool chosen = Finish(result);
    if (chosen) {
        setup.flags = WithoutWorkerHook(static_cast<std::int32_t>(request.Flags),
                                        page_setup_flags::kEnableHook, hook);
        setup.margins = request.rtMargin;
        setup.paperSize = request.ptPaperSize;
        setup.printerName = ChosenPrinter().device;
    }
    DropPrinterBlocksUnlessKept(setup.printerDefault);
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
