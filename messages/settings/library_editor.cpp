#include "library_editor.h"

#include <charconv>
#include <optional>
#include <system_error>

#include "file_access.h"
#include "library_editor_texts.h"
#include "phrase_format.h"
#include "unicode_text.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;
namespace texts = library_editor_texts;

constexpr unsigned int kEnter = 13;
constexpr unsigned int kBackspace = 8;
constexpr unsigned int kDelete = 127;

// The control characters an edit box itself acts on: select all, copy, paste, cut, undo.
bool IsEditingControl(unsigned int character) noexcept {
    switch (character) {
        case kBackspace:
        case 0x01:
        case 0x03:
        case 0x16:
        case 0x18:
        case 0x1A:
            return true;
        default:
            return false;
    }
}

int FindNoCase(const CheckList& list, std::string_view text) {
    for (int i = 0; i < list.ListCount(); ++i) {
        if (TextEqualNoCase(list.List(i), text)) {
            return i;
        }
    }
    return -1;
}

// The entry a list's Tag puts in edit mode, or nothing in add mode (or for a Tag that no
// longer names an entry).
std::optional<int> EditedIndex(const std::string& tag, const CheckList& list) {
    int index = -1;
    const auto [end, error] = std::from_chars(tag.data(), tag.data() + tag.size(), index);
    if (error != std::errc() || end != tag.data() + tag.size() || index < 0 ||
        index >= list.ListCount()) {
        return std::nullopt;
    }
    return index;
}

}  // namespace

// ---- the files ------------------------------------------------------------------------------

PhraseLoad DiskLibrary::LoadPhrases(const CheckList& categories, CheckList& phrases) {
    return murmurex::LoadPhrases(categories, phrases, appPath_);
}

bool DiskLibrary::SavePhrases(const CheckList& categories, const CheckList& phrases) {
    return murmurex::SavePhrases(categories, phrases, appPath_);
}

bool DiskLibrary::SaveCategorySelection(CheckList& categories) {
    return murmurex::SaveCategorySelection(categories, appPath_, pump_);
}

bool DiskLibrary::CreateCategoryFile(std::string_view name) {
    const fs::path path = CategoryFilePath(appPath_, name);
    if (path.empty()) {
        return false;
    }
    // A library without its folder yet gets one with its first category.
    std::error_code ignored;
    fs::create_directory(path.parent_path(), ignored);
    return CreateNewEmptyFile(path);
}

bool DiskLibrary::RenameCategoryFile(std::string_view from, std::string_view to) {
    const fs::path source = CategoryFilePath(appPath_, from);
    const fs::path target = CategoryFilePath(appPath_, to);
    return !source.empty() && !target.empty() && RenameFileNoReplace(source, target);
}

bool DiskLibrary::CategoryFileExists(std::string_view name) {
    const fs::path path = CategoryFilePath(appPath_, name);
    return !path.empty() && IsExistingFile(path);
}

bool DiskLibrary::DeleteCategoryFile(std::string_view name) {
    const fs::path path = CategoryFilePath(appPath_, name);
    return !path.empty() && DeleteFileAt(path) && !IsExistingFile(path);
}

// ---- key filters ----------------------------------------------------------------------------

KeyAction CategoryBoxKey(unsigned int character) noexcept {
    if (character == kEnter) {
        return KeyAction::Add;
    }
    switch (character) {
        case '/':
        case '\\':
        case '.':
        case '|':
        case ':':
        case '<':
        case '>':
        case '"':
        case '*':
        case '?':
            return KeyAction::Swallow;
        default:
            break;
    }
    if ((character < 0x20 || character == kDelete) && !IsEditingControl(character)) {
        return KeyAction::Swallow;
    }
    return KeyAction::Pass;
}

KeyAction PhraseBoxKey(unsigned int character) noexcept {
    return character == kEnter ? KeyAction::Add : KeyAction::Pass;
}

bool AddToListUnique(CheckList& list, std::string_view text, std::string_view message,
                     LibraryPage& page) {
    const int found = FindNoCase(list, text);
    if (found >= 0) {
        list.SetListIndex(found);
        page.ShowMessage(message, MessageKind::Exclamation);
        return true;
    }
    list.AddItem(std::string(text));
    list.SetListIndex(list.ListCount() - 1);
    return false;
}

// ---- categories -----------------------------------------------------------------------------

void LibraryEditor::cmdAddCat_Click() {
    const std::string name = page_.CategoryBoxText();
    if (IsBlank(name)) {
        page_.ShowMessage(texts::kEnterCategory, MessageKind::Exclamation);
        return;
    }
    // A pasted name can still hold what the key filter keeps out, or name a device.
    if (!IsUsableCategoryName(name)) {
        page_.ShowMessage(texts::kUnusableCategoryName, MessageKind::Exclamation);
        return;
    }
    const std::optional<int> edited = EditedIndex(categoryListMode_, page_.Categories());
    // A refused rename or creation leaves the name in the box to be corrected.
    if (!(edited ? RenameCategory(*edited, name) : AddCategory(name))) {
        return;
    }
    page_.SetCategoryBoxText("");
    page_.FocusCategoryBox();
}

bool LibraryEditor::AddCategory(const std::string& name) {
    CheckList& categories = page_.Categories();
    const int existing = FindNoCase(categories, name);
    if (existing >= 0) {
        // The existing category is selected and nothing is written.
        if (categories.ListIndex() != existing) {
            categories.SetListIndex(existing);
            LoadPhrasesOfSelectedCategory();
        }
        page_.ShowCategories();
        page_.ShowMessage(texts::kCategoryExists, MessageKind::Exclamation);
        return true;
    }
    // Created first and exclusively: a file of that name that the list does not show (hidden,
    // or made since the list was filled) is never replaced, and a failure adds nothing.
    if (!files_.CreateCategoryFile(name)) {
        page_.ShowMessage(texts::kCreateError, MessageKind::Critical);
        return false;
    }
    AddToListUnique(categories, name, texts::kCategoryExists, page_);
    page_.ShowCategories();
    LoadPhrasesOfSelectedCategory();
    files_.SaveCategorySelection(categories);
    return true;
}

bool LibraryEditor::RenameCategory(int index, const std::string& name) {
    CheckList& categories = page_.Categories();
    for (int i = 0; i < categories.ListCount(); ++i) {
        if (i != index && TextEqualNoCase(categories.List(i), name)) {
            page_.ShowMessage(texts::kCategoryExists, MessageKind::Exclamation);
            return false;
        }
    }
    // The file moves first, in one step that never replaces another file (a case-only change
    // renames it too); the list and the selection file follow only when it has moved.
    const std::string old = categories.List(index);
    if (old != name && !files_.RenameCategoryFile(old, name)) {
        page_.ShowMessage(texts::kRenameError, MessageKind::Critical);
        return false;
    }
    categories.SetList(index, name);
    if (categories.ListIndex() != index) {
        categories.SetListIndex(index);
        LoadPhrasesOfSelectedCategory();
    }
    page_.ShowCategories();
    categoryListMode_ = kAddModeTag;
    files_.SaveCategorySelection(categories);
    return true;
}

void LibraryEditor::cmdEditCat_Click() {
    const CheckList& categories = page_.Categories();
    if (categories.ListIndex() < 0) {
        page_.ShowMessage(texts::kSelectCategoryToEdit, MessageKind::Exclamation);
        return;
    }
    categoryListMode_ = std::to_string(categories.ListIndex());
    page_.SetCategoryBoxText(categories.Text());
}

void LibraryEditor::cmdDeleteCat_Click() {
    CheckList& categories = page_.Categories();
    const int index = categories.ListIndex();
    if (index < 0) {
        page_.ShowMessage(texts::kSelectCategoryToDelete, MessageKind::Exclamation);
        return;
    }
    if (page_.ShowMessage(texts::kDeleteCategoryQuestion, MessageKind::Question) !=
        MessageAnswer::Yes) {
        return;
    }
    page_.Phrases().Clear();
    page_.ShowPhrases();
    phraseListMode_ = kAddModeTag;
    if (!files_.DeleteCategoryFile(categories.Text())) {
        page_.ShowMessage(texts::kRemoveError, MessageKind::Critical);
        // The category stays: show its phrases again, so that no later save writes the
        // emptied list over its file.
        LoadPhrasesOfSelectedCategory();
        return;
    }
    categories.RemoveItem(index);
    page_.ShowCategories();
    categoryListMode_ = kAddModeTag;
    phrasesLoaded_ = true;
    files_.SaveCategorySelection(categories);
    page_.FocusCategoryBox();
}

void LibraryEditor::lstMessageCategories_Click() {
    LoadPhrasesOfSelectedCategory();
}

void LibraryEditor::LoadPhrasesOfSelectedCategory() {
    phrasesLoaded_ =
        files_.LoadPhrases(page_.Categories(), page_.Phrases()) != PhraseLoad::kUnreadable;
    page_.ShowPhrases();
    categoryListMode_ = kAddModeTag;
    phraseListMode_ = kAddModeTag;
}

void LibraryEditor::lstMessageCategories_ItemCheck() {
    files_.SaveCategorySelection(page_.Categories());
}

// ---- phrases --------------------------------------------------------------------------------

void LibraryEditor::cmdAdd_Click() {
    const std::string phrase = page_.PhraseBoxText();
    if (IsBlank(phrase)) {
        page_.ShowMessage(texts::kEnterPhrase, MessageKind::Exclamation);
        return;
    }
    // Without a category the phrase would show in the list but be saved nowhere.
    if (page_.Categories().ListIndex() < 0) {
        page_.ShowMessage(texts::kSelectCategoryForPhrase, MessageKind::Exclamation);
        return;
    }
    CheckList& phrases = page_.Phrases();
    const std::optional<int> edited = EditedIndex(phraseListMode_, phrases);
    if (edited) {
        phrases.SetList(*edited, phrase);  // its tick stays
    } else if (!AddToListUnique(phrases, phrase, texts::kPhraseExists, page_)) {
        phrases.SetTicked(phrases.ListCount() - 1, true);  // a new phrase starts ticked
    }
    page_.ShowPhrases();
    SavePhrasesIfLoaded();
    page_.SetPhraseBoxText("");
    page_.FocusPhraseBox();
    phraseListMode_ = kAddModeTag;
}

void LibraryEditor::cmdEdit_Click() {
    const CheckList& phrases = page_.Phrases();
    if (phrases.ListIndex() < 0) {
        page_.ShowMessage(texts::kSelectPhraseToEdit, MessageKind::Exclamation);
        return;
    }
    page_.SetPhraseBoxText(phrases.Text());
    phraseListMode_ = std::to_string(phrases.ListIndex());
}

void LibraryEditor::cmdDelete_Click() {
    CheckList& phrases = page_.Phrases();
    const int index = phrases.ListIndex();
    if (index < 0) {
        page_.ShowMessage(texts::kSelectPhraseToDelete, MessageKind::Exclamation);
        return;
    }
    phrases.RemoveItem(index);
    page_.ShowPhrases();
    phraseListMode_ = kAddModeTag;
    SavePhrasesIfLoaded();
}

void LibraryEditor::lstPhrases_ItemCheck() {
    SavePhrasesIfLoaded();
}

bool LibraryEditor::SavePhrasesIfLoaded() {
    return phrasesLoaded_ && files_.SavePhrases(page_.Categories(), page_.Phrases());
}

}  // namespace murmurex
