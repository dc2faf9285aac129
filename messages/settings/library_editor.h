#pragma once
// The editing of the phrase library on the Messages page: the six buttons, the two edit boxes'
// key filters, each list's add or edit mode (its Tag), and the saves that follow a tick.
// The window layer only forwards its events here; what the page shows and asks the user goes
// through LibraryPage, and every file operation through LibraryFiles, so the whole behaviour
// runs natively against a fake page and a temporary folder.

#include <filesystem>
#include <string>
#include <string_view>

#include "check_list.h"
#include "phrase_library.h"

namespace murmurex {

/// The kinds of message box the page shows, each with its icon and buttons.
enum class MessageKind {
    Exclamation,  ///< OK button, exclamation icon: missing input or selection, a duplicate.
    Critical,     ///< OK button, critical icon: a failed file operation.
    Question,     ///< Yes and No buttons, question icon: a confirmation.
};

enum class MessageAnswer { Ok, Yes, No };

/// The Messages page as the editor sees it.
class LibraryPage {
  public:
    virtual ~LibraryPage() = default;

    /// The category list's and the phrase list's models (texts, ticks, highlighted entry).
    virtual CheckList& Categories() = 0;
    virtual CheckList& Phrases() = 0;
    /// The list shows its model again after the editor changed it.
    virtual void ShowCategories() = 0;
    virtual void ShowPhrases() = 0;

    virtual std::string CategoryBoxText() const = 0;
    virtual void SetCategoryBoxText(std::string_view text) = 0;
    virtual void FocusCategoryBox() = 0;
    virtual std::string PhraseBoxText() const = 0;
    virtual void SetPhraseBoxText(std::string_view text) = 0;
    virtual void FocusPhraseBox() = 0;

    /// A modal message box titled with the application title.
    virtual MessageAnswer ShowMessage(std::string_view text, MessageKind kind) = 0;
};

/// The library's files as the editor changes them. Category names are UTF-8 text.
class LibraryFiles {
  public:
    virtual ~LibraryFiles() = default;

    /// Fills `phrases` from the highlighted category's file (see the free LoadPhrases).
    virtual PhraseLoad LoadPhrases(const CheckList& categories, CheckList& phrases) = 0;
    /// Writes the highlighted category's file from `phrases`; an empty list deletes it.
    virtual bool SavePhrases(const CheckList& categories, const CheckList& phrases) = 0;
    /// Writes the selection file from `categories`.
    virtual bool SaveCategorySelection(CheckList& categories) = 0;
    /// Creates the empty file of a new category; never touches an existing file.
    virtual bool CreateCategoryFile(std::string_view name) = 0;
    /// Renames the file of category `from` to that of `to` in one step, never replacing a file.
    virtual bool RenameCategoryFile(std::string_view from, std::string_view to) = 0;
    virtual bool CategoryFileExists(std::string_view name) = 0;
    /// Deletes the category's file; true when it is gone (or was never there).
    virtual bool DeleteCategoryFile(std::string_view name) = 0;
};

/// LibraryFiles over the "Lists" folder and the selection file beside the program.
class DiskLibrary final : public LibraryFiles {
  public:
    /// `pump` lets pending window messages run while the selection file is written.
    DiskLibrary(std::filesystem::path appPath, MessagePump pump)
        : appPath_(std::move(appPath)), pump_(std::move(pump)) {}

    PhraseLoad LoadPhrases(const CheckList& categories, CheckList& phrases) override;
    bool SavePhrases(const CheckList& categories, const CheckList& phrases) override;
    bool SaveCategorySelection(CheckList& categories) override;
    bool CreateCategoryFile(std::string_view name) override;
    bool RenameCategoryFile(std::string_view from, std::string_view to) override;
    bool CategoryFileExists(std::string_view name) override;
    bool DeleteCategoryFile(std::string_view name) override;

  private:
    std::filesystem::path appPath_;
    MessagePump pump_;
};

/// What a key typed into one of the edit boxes does.
enum class KeyAction {
    Pass,     ///< reaches the box unchanged
    Swallow,  ///< never reaches the box
    Add,      ///< runs the box's Add handler and never reaches the box
};

/// The category box: Enter adds; characters no file name may hold and control characters are
/// swallowed, except the box's own editing keys (Backspace, and Ctrl+A, C, V, X, Z).
KeyAction CategoryBoxKey(unsigned int character) noexcept;
/// The phrase box: Enter adds; everything else passes.
KeyAction PhraseBoxKey(unsigned int character) noexcept;

/// The Tag of a list in add mode.
inline constexpr char kAddModeTag[] = "-1";

/// Looks for `text` in `list` without regard to case. Found: highlights that entry, shows
/// `message` with the exclamation icon and answers true. Otherwise appends `text` (unticked),
/// highlights it and answers false. The caller shows the list again.
bool AddToListUnique(CheckList& list, std::string_view text, std::string_view message,
                     LibraryPage& page);

class LibraryEditor {
  public:
    LibraryEditor(LibraryPage& page, LibraryFiles& files) : page_(page), files_(files) {}

    // Buttons and Enter in the boxes.
    void cmdAddCat_Click();
    void cmdEditCat_Click();
    void cmdDeleteCat_Click();
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();

    /// The user highlighted another category: its phrases are loaded and both lists leave
    /// edit mode, so a pending edit never lands in the other category.
    void lstMessageCategories_Click();
    /// The user toggled a category's tick (the model holds it already).
    void lstMessageCategories_ItemCheck();
    /// The user toggled a phrase's tick (the model holds it already).
    void lstPhrases_ItemCheck();

    /// Each list's Tag: "-1" in add mode, else the index of the entry being edited.
    const std::string& CategoriesTag() const noexcept { return categoryListMode_; }
    const std::string& PhrasesTag() const noexcept { return phraseListMode_; }

  private:
    bool AddCategory(const std::string& name);
    bool RenameCategory(int index, const std::string& name);
    void LoadPhrasesOfSelectedCategory();
    bool SavePhrasesIfLoaded();

    LibraryPage& page_;
    LibraryFiles& files_;
    // Each list's add or edit mode, held as its Tag.
    std::string categoryListMode_ = kAddModeTag;
    std::string phraseListMode_ = kAddModeTag;
    // False while the highlighted category's file exists but could not be read: writing the
    // phrase list (empty or nearly so) over it would lose its phrases.
    bool phrasesLoaded_ = true;
};

}  // namespace murmurex
