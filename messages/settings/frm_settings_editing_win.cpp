// The Messages page's editing, wired to the real controls: the two lists' events, the six
// buttons, the key filters of the two edit boxes and the page as the portable LibraryEditor
// sees it.
#include "frm_settings_win.h"

#include <commctrl.h>

#include <string>

#include "child_control_win.h"
#include "shell_texts.h"

namespace murmurex {
namespace {

// The subclass ids of the two boxes.
constexpr UINT_PTR kCategoryBox = 1;
constexpr UINT_PTR kPhraseBox = 2;

// The message kinds are the platform's icon and button flags.
static_assert((MB_OK | MB_ICONEXCLAMATION) == 48);
static_assert((MB_OK | MB_ICONHAND) == 16);
static_assert((MB_YESNO | MB_ICONQUESTION) == 36);

UINT MessageBoxFlags(MessageKind kind) noexcept {
    switch (kind) {
        case MessageKind::Critical:
            return MB_OK | MB_ICONHAND;
        case MessageKind::Question:
            return MB_YESNO | MB_ICONQUESTION;
        case MessageKind::Exclamation:
            break;
    }
    return MB_OK | MB_ICONEXCLAMATION;
}

// A box's text as the program holds it (UTF-8): whatever script the user typed or pasted.
std::string TextOf(HWND box) {
    const int length = ::GetWindowTextLengthW(box);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    wide.resize(static_cast<std::size_t>(::GetWindowTextW(box, wide.data(), length + 1)));
    return Utf8FromWide(wide);
}

}  // namespace

// ---- lists ---------------------------------------------------------------------------------

void frmSettings::lstMessageCategories_Click() {
    if (editor_) {
        editor_->lstMessageCategories_Click();
    }
}

void frmSettings::lstMessageCategories_ItemCheck() {
    if (editor_) {
        editor_->lstMessageCategories_ItemCheck();
    }
}

void frmSettings::lstPhrases_ItemCheck() {
    if (editor_) {
        editor_->lstPhrases_ItemCheck();
    }
}

// The editor works on the lists' models from the start-up on; its buttons and boxes are wired
// when the window's controls are made.
void frmSettings::MakeLibraryEditor() {
    library_ = std::make_unique<DiskLibrary>(appPath_, ProcessPendingMessages);
    LibraryPage& page = *this;  // a private base: converted here, where it is accessible
    editor_ = std::make_unique<LibraryEditor>(page, *library_);
}

void frmSettings::WireEditing() {
    LibraryEditor* editor = editor_.get();
    const auto onClick = [](StyledButtonWindow* button, std::function<void()> click) {
        if (button != nullptr) {
            button->Button().SetEvents({std::move(click), {}, {}});
        }
    };
    onClick(cmdAddCat_.get(), [editor] { editor->cmdAddCat_Click(); });
    onClick(cmdEditCat_.get(), [editor] { editor->cmdEditCat_Click(); });
    onClick(cmdDeleteCat_.get(), [editor] { editor->cmdDeleteCat_Click(); });
    onClick(cmdAdd_.get(), [editor] { editor->cmdAdd_Click(); });
    onClick(cmdEdit_.get(), [editor] { editor->cmdEdit_Click(); });
    onClick(cmdDelete_.get(), [editor] { editor->cmdDelete_Click(); });
    const auto self = reinterpret_cast<DWORD_PTR>(this);
    ::SetWindowSubclass(txtEditCat_, &frmSettings::EditBoxProcedure, kCategoryBox, self);
    ::SetWindowSubclass(txtEditWord_, &frmSettings::EditBoxProcedure, kPhraseBox, self);
}

LRESULT CALLBACK frmSettings::EditBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR boxId, DWORD_PTR form) noexcept {
    try {
        auto* self = reinterpret_cast<frmSettings*>(form);
        switch (message) {
            case WM_GETDLGCODE: {
                // Enter belongs to the box (it adds), not to the dialog manager's default
                // button.
                const auto* pending = reinterpret_cast<const MSG*>(lParam);
                if (pending != nullptr && pending->wParam == VK_RETURN &&
                    (pending->message == WM_KEYDOWN || pending->message == WM_CHAR)) {
                    return ::DefSubclassProc(box, message, wParam, lParam) | DLGC_WANTMESSAGE;
                }
                break;
            }
            case WM_CHAR: {
                const auto character = static_cast<unsigned int>(wParam);
                const KeyAction action =
                    boxId == kCategoryBox ? CategoryBoxKey(character) : PhraseBoxKey(character);
                if (action == KeyAction::Swallow) {
                    return 0;
                }
                if (action == KeyAction::Add) {
                    if (self->editor_) {
                        if (boxId == kCategoryBox) {
                            self->editor_->cmdAddCat_Click();
                        } else {
                            self->editor_->cmdAdd_Click();
                        }
                    }
                    return 0;
                }
                break;
            }
            case WM_NCDESTROY:
                ::RemoveWindowSubclass(box, &frmSettings::EditBoxProcedure, boxId);
                break;
            default:
                break;
        }
    } catch (...) {
        // Nothing unwinds into the system; the box handles the message as usual.
    }
    return ::DefSubclassProc(box, message, wParam, lParam);
}

// ---- LibraryPage ----------------------------------------------------------------------------

CheckList& frmSettings::Categories() {
    return lstMessageCategories_->Model();
}

CheckList& frmSettings::Phrases() {
    return lstPhrases_->Model();
}

void frmSettings::ShowCategories() {
    lstMessageCategories_->Refresh();
}

void frmSettings::ShowPhrases() {
    lstPhrases_->Refresh();
}

std::string frmSettings::CategoryBoxText() const {
    return TextOf(txtEditCat_);
}

void frmSettings::SetCategoryBoxText(std::string_view text) {
    ::SetWindowTextW(txtEditCat_, WideFromUtf8(text).c_str());
}

void frmSettings::FocusCategoryBox() {
    ::SetFocus(txtEditCat_);
}

std::string frmSettings::PhraseBoxText() const {
    return TextOf(txtEditWord_);
}

void frmSettings::SetPhraseBoxText(std::string_view text) {
    ::SetWindowTextW(txtEditWord_, WideFromUtf8(text).c_str());
}

void frmSettings::FocusPhraseBox() {
    ::SetFocus(txtEditWord_);
}

MessageAnswer frmSettings::ShowMessage(std::string_view text, MessageKind kind) {
    const std::wstring title = WideFromUtf8(shell_texts::kAppTitle);
    const int answer =
        ::MessageBoxW(hWnd(), WideFromUtf8(text).c_str(), title.c_str(), MessageBoxFlags(kind));
    switch (answer) {
        case IDYES:
            return MessageAnswer::Yes;
        case IDNO:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
    }
}

}  // namespace murmurex
