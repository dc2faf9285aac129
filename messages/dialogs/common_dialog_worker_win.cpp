// GCommonDialog's font, colour and file dialogs: each fills the platform's request record,
// runs the dialog with the hook slot taken when hooked, and reads the record back.
#include "common_dialog_win.h"

#include "common_dialog_library_win.h"

#include <algorithm>
#include <cstring>

#include "dialog_hook_win.h"
#include "memory_win.h"
#include "portable/twips.h"
#include "print_rules.h"
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
    return TwipsPerPixelAt(screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0);
}

// An information context on the default printer (no drawing), or none without a printer.
win::UniqueOwnedDc DefaultPrinterContext() {
    PRINTDLGA request{};
    request.lStructSize = sizeof request;
    request.Flags = PD_RETURNDEFAULT | PD_RETURNIC;
    const BOOL found = common_dialogs::PrintDlgA(&request);
    cMemory devMode;
    cMemory devNames;
    devMode.Handle(request.hDevMode);
    devNames.Handle(request.hDevNames);
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
    if (answer.messageResult) {
        ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, *answer.messageResult);
    }
    return answer.answer;
}

BOOL GCommonDialog::ShowDialog(bool hook, DialogNotifications* receiver,
                               const std::function<BOOL()>& show) {
    if (hook) {
        target_ = receiver;
    }
    const mDialogHook::SlotScope slot(hook ? this : nullptr);
    return show();
}

bool GCommonDialog::Finish(BOOL result) {
    apiReturn_ = result;
    target_ = nullptr;
    if (result == 1) {
        return true;
    }
    extendedError_ = common_dialogs::CommDlgExtendedError();
    return false;
}

bool GCommonDialog::VBChooseFont(FontObject& font, std::intptr_t printerContext, HWND owner,
                                 COLORREF& colour, std::int32_t minimum, std::int32_t maximum,
                                 std::int32_t& flags, bool hook, DialogNotifications* receiver) {
    apiReturn_ = 0;
    extendedError_ = 0;
    const bool contextGiven = printerContext != -1;
    // Printer fonts without a given context list the default printer's fonts; with no printer
    // the context stays 0 and the dialog reports the failure itself.
    win::UniqueOwnedDc defaultPrinter;
    if (NeedsRuntimePrinter(flags, contextGiven)) {
        defaultPrinter = DefaultPrinterContext();
    }
    const HDC printer = contextGiven ? reinterpret_cast<HDC>(printerContext) : defaultPrinter.get();
    flags =
        AdjustFontFlags(flags, contextGiven, static_cast<std::int32_t>(colour), minimum, maximum);

    LOGFONTA description{};
    description.lfHeight = FontHeightForPoints(font.size, ScreenTwipsPerPixelY());
    description.lfWeight = font.bold ? FW_BOLD : (font.weight > 0 ? font.weight : FW_NORMAL);
    description.lfItalic = font.italic;
    description.lfUnderline = font.underline;
    description.lfStrikeOut = font.strikethru;
    const std::size_t nameLength = std::min(font.name.size(), sizeof description.lfFaceName - 1);
    std::memcpy(description.lfFaceName, font.name.data(), nameLength);

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
    }
    if (!Finish(
            ShowDialog(hook, receiver, [&] { return common_dialogs::ChooseFontA(&request); }))) {
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
                                  std::int32_t templateId) {
    apiReturn_ = 0;
    extendedError_ = 0;
    CHOOSECOLORA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.rgbResult = colour;
    request.lpCustColors = customColours_.data();
    request.Flags = static_cast<DWORD>(
        ColourRecordFlags(flags, hook, reinterpret_cast<std::intptr_t>(instance)));
    if (request.Flags & CC_ENABLETEMPLATE) {
        request.hInstance = reinterpret_cast<HWND>(instance);
        request.lpTemplateName = MAKEINTRESOURCEA(templateId);
    }
    if (hook) {
        request.lpfnHook = mDialogHook::ColorHookProc;
    }
    if (!Finish(
            ShowDialog(hook, receiver, [&] { return common_dialogs::ChooseColorA(&request); }))) {
        return false;
    }
    colour = request.rgbResult;
    flags = WithoutWorkerHook(static_cast<std::int32_t>(request.Flags), colour_flags::kEnableHook,
                              hook);
    return true;
}

bool GCommonDialog::RunFileDialog(FileRequest& file, HWND owner, bool hook,
                                  DialogNotifications* receiver, bool save) {
    apiReturn_ = 0;
    extendedError_ = 0;
    const std::intptr_t instance = reinterpret_cast<std::intptr_t>(file.instance);
    const std::int32_t recordFlags = OpenFileRecordFlags(file.flags, hook, instance);
    const bool multiple = (recordFlags & file_flags::kMultipleSelection) != 0;
    const std::string filter = FilterForRecord(file.filter);
    std::string nameBuffer = FileNameBuffer(file.fileName, multiple);
    std::string titleBuffer = FileNameBuffer(file.fileTitle, multiple);

    OPENFILENAMEA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.hInstance = file.instance;
    request.lpstrFilter = file.filter.empty() ? nullptr : filter.c_str();
    request.nFilterIndex = static_cast<DWORD>(file.filterIndex);
    request.lpstrFile = nameBuffer.data();
    request.nMaxFile = static_cast<DWORD>(nameBuffer.size());
    request.lpstrFileTitle = titleBuffer.data();
    request.nMaxFileTitle = static_cast<DWORD>(titleBuffer.size());
    request.lpstrInitialDir = file.initialDir.empty() ? nullptr : file.initialDir.c_str();
    request.lpstrTitle = file.title.empty() ? nullptr : file.title.c_str();
    request.lpstrDefExt = file.defaultExt.empty() ? nullptr : file.defaultExt.c_str();
    request.Flags = static_cast<DWORD>(recordFlags);
    if (recordFlags & file_flags::kEnableTemplate) {
        request.lpTemplateName = MAKEINTRESOURCEA(file.templateId);
    }
    if (hook) {
        request.lpfnHook = save ? mDialogHook::SaveHookProc : mDialogHook::OpenHookProc;
    }
    const auto show = [&] {
        return save ? common_dialogs::GetSaveFileNameA(&request)
                    : common_dialogs::GetOpenFileNameA(&request);
    };
    if (!Finish(ShowDialog(hook, receiver, show))) {
        return false;
    }
    file.flags = static_cast<std::int32_t>(request.Flags);
    file.filterIndex = static_cast<std::int32_t>(request.nFilterIndex);
    file.fileName = ReturnedFileName(nameBuffer, multiple);
    file.fileTitle = ReturnedFileName(titleBuffer, false);
    file.readOnly = (request.Flags & OFN_READONLY) != 0;
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
    apiReturn_ = 0;
    extendedError_ = 0;
    // The answer is 0 on success, the size needed when the buffer is short, negative on a
    // refused name. A path cannot give a title longer than itself, so one retry suffices.
    std::string title(MAX_PATH, '\0');
    short answer =
        common_dialogs::GetFileTitleA(file.c_str(), title.data(), static_cast<WORD>(title.size()));
    if (answer > 0 && static_cast<std::size_t>(answer) > title.size() &&
        static_cast<std::size_t>(answer) <= file.size() + 1) {
        title.assign(static_cast<std::size_t>(answer), '\0');
        answer = common_dialogs::GetFileTitleA(file.c_str(), title.data(),
                                               static_cast<WORD>(title.size()));
    }
    apiReturn_ = answer;
    if (answer != 0) {
        return {};
    }
    return CutAtNul(title.data(), title.size());
}

}  // namespace murmurex::dialogs
