#include "common_dialog_win.h"

#include <commdlg.h>

#include <cstring>

#include "helper_error.h"
#include "memory_win.h"
#include "portable/api_error_text.h"

namespace murmurex::dialogs {

cCommonDialog::cCommonDialog(std::string executableName, DialogNotifications* events)
    : executableName_(std::move(executableName)), events_(events) {}

GCommonDialog& cCommonDialog::Worker() {
    if (!worker_) {
        worker_ = std::make_unique<GCommonDialog>();
    }
    return *worker_;
}

bool cCommonDialog::Fail() {
    if (auto error =
            DialogFailure(Worker().APIReturn(), Worker().ExtendedError(), executableName_)) {
        LastHelperError() = std::move(*error);
    }
    return false;
}

bool cCommonDialog::ShowFont() {
    LastHelperError().Clear();
    explorerDialog_ = false;
    COLORREF colour = FontColor;
    if (!Worker().VBChooseFont(*font_, -1, hwnd, colour, Min, Max, flags, HookDialog, this)) {
        return Fail();
    }
    FontColor = colour;
    return true;
}

bool cCommonDialog::ShowColor() {
    LastHelperError().Clear();
    explorerDialog_ = false;
    if (!Worker().VBChooseColor(Color, hwnd, flags, HookDialog, this, hInstance, TemplateName)) {
        return Fail();
    }
    return true;
}

bool cCommonDialog::ShowPrinter() {
    LastHelperError().Clear();
    explorerDialog_ = false;
    GCommonDialog::PrintRequest request;
    request.flags = flags;
    request.copies = Copies;
    request.fromPage = FromPage;
    request.toPage = ToPage;
    request.minPage = Min;
    request.maxPage = Max;
    request.printerDefault = PrinterDefault;
    request.instance = hInstance;
    request.templateId = TemplateName;
    if (!Worker().VBPrintDlg(request, hwnd, HookDialog, this)) {
        return Fail();
    }
    flags = request.flags;
    Copies = request.copies;
    FromPage = request.fromPage;
    ToPage = request.toPage;
    printerName_ = request.printerName;
    printerDriver_ = request.printerDriver;
    printerPort_ = request.outputPort;
    return true;
}

bool cCommonDialog::cdLoadLibrary(const std::string& moduleName) {
    cdFreeLibrary();
    loadedModule_.reset(::LoadLibraryA(moduleName.c_str()));
    hInstance = loadedModule_.get();
    return static_cast<bool>(loadedModule_);
}

void cCommonDialog::cdFreeLibrary() {
    if (loadedModule_) {
        if (hInstance == loadedModule_.get()) {
            hInstance = nullptr;
        }
        loadedModule_.reset();
    }
}

bool cCommonDialog::ShowFile(bool save) {
    LastHelperError().Clear();
    explorerDialog_ = true;
    flags = ShowFileFlags(flags, reinterpret_cast<std::intptr_t>(hInstance));
    GCommonDialog::FileRequest request;
    request.fileName = FileName;
    request.fileTitle = FileTitle;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.flags = flags;
    request.defaultExt = DefaultExt;
    request.initialDir = InitDir;
    request.title = DialogTitle;
    request.instance = hInstance;
    request.templateId = TemplateName;
    const bool chosen = save ? Worker().VBGetSaveFileName2(request, hwnd, HookDialog, this)
                             : Worker().VBGetOpenFileName2(request, hwnd, HookDialog, this);
    if (!chosen) {
        FileName.clear();
        FileTitle.clear();
        return Fail();
    }
    FileName = request.fileName;
    FileTitle = request.fileTitle;
    FilterIndex = request.filterIndex;
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
    if (auto refused = RefuseHelpCommand(HelpCommand, executableName_)) {
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
    LastHelperError().Raise(code, executableName_ + ".cCommonDialog",
                            TrimApiErrorText(std::string_view(text, strnlen(text, sizeof text))));
    return false;
}

bool cCommonDialog::SetHelpPosition(std::int32_t x, std::int32_t y, std::int32_t width,
                                    std::int32_t height, std::int32_t showState) {
    HELPWININFOA position{};
    position.wStructSize = sizeof position;
    position.x = x;
    position.y = y;
    position.dx = width;
    position.dy = height;
    position.wMax = showState;
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
    return explorerDialog_ ? ::GetParent(dialog) : dialog;
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
