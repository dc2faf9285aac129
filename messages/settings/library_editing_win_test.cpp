// Editing the phrase library in the real Messages.exe: copied into a folder of its own (a name
// with blanks and an accent), started by its path from that folder, and driven with real
// clicks and keys on its buttons, edit boxes and lists. Message boxes are answered by a watcher
// that finds them by title and text and presses their button.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings_window_program_win.h"

namespace {

using namespace murmurex::program_test;

constexpr wchar_t kFirstRunHint[] = L"To view help click the 'Help' tab";
constexpr char kCalm[] = "1I am calm\r\n0I breathe slowly";
constexpr char kWork[] = "0Deadline";
constexpr char kSelection[] = "1Calm\r\n0Work";

class LibraryEditingProgram : public SettingsWindowProgram {
  protected:
    LibraryEditingProgram() : SettingsWindowProgram(L"editing \u00c9t\u00e9") {}

    void SetUp() override {
        SettingsWindowProgram::SetUp();
        WriteFileBytes(folder_ / "_._", kSelection);
        WriteFileBytes(List(L"Calm"), kCalm);
        WriteFileBytes(List(L"Work"), kWork);
    }

    // The category files' names exactly as the folder holds them.
    std::vector<std::wstring> ListFiles() const {
        std::vector<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(folder_ / L"Lists")) {
            names.push_back(entry.path().filename().wstring());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void ClickCategoryButton(const std::wstring& caption) { ClickButton(caption, categories_); }
    void ClickPhraseButton(const std::wstring& caption) { ClickButton(caption, phrases_); }

    // Types characters the box must swallow: each is given its time, then the text checked.
    void TypeSwallowed(HWND box, const std::wstring& text) { TypeKeys(box, text, true, 250); }

    // Replaces the box's text by typing over all of it.
    void Retype(HWND box, const std::wstring& text) {
        Click(CentreOf(box));
        ::SendMessageW(box, EM_SETSEL, 0, -1);
        TypeKeys(box, text, false);
    }

    // Steps of the categories' test, in its order.
    void CategoryBoxFiltersItsKeys();
    void AddedCategoryIsAnEmptyFile();
    void TakenAndDeviceNamesAreRefused();
    void RenamesMoveTheFile();
    void RenameOntoAnUnlistedFileFails();
    void DeletingACategoryAsksFirst();

    // Steps of the phrases' test, in its order.
    void PhraseBoxTakesAnyTextButNoDuplicate();
    void EditedPhraseKeepsItsTick();
    void ClickTicksAndSpaceUnticks();
    void EditStaysInItsCategory();
    void DeletingTheLastPhrasesRemovesTheFile();
};

// The key filter: a, slash, b, dot, c leaves abc; Backspace still edits.
void LibraryEditingProgram::CategoryBoxFiltersItsKeys() {
    TypeKeys(categoryBox_, L"a/b.c");
    EXPECT_EQ(TextOf(categoryBox_), L"abc");
    TypeSwallowed(categoryBox_, L"<*?>\"|:\\");
    EXPECT_EQ(TextOf(categoryBox_), L"abc");
    for (int i = 0; i < 3; ++i) {
        PressKey(VK_BACK);
    }
    EXPECT_EQ(TextOf(categoryBox_), L"");
}

// Sleep: an empty file, listed unticked and selected.
void LibraryEditingProgram::AddedCategoryIsAnEmptyFile() {
    TypeKeys(categoryBox_, L"Sleep");
    ClickCategoryButton(L"Add");
    EXPECT_EQ(ShownBox(), nullptr);
    ASSERT_TRUE(fs::exists(List(L"Sleep")));
    EXPECT_EQ(fs::file_size(List(L"Sleep")), 0u);
    const auto rows = Rows(categories_);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].text, L"Sleep");
    EXPECT_FALSE(rows[2].ticked);
    EXPECT_TRUE(rows[2].selected);
    EXPECT_EQ(ReadFileBytes(folder_ / "_._"), "1Calm\r\n0Work\r\n0Sleep");
    EXPECT_EQ(TextOf(categoryBox_), L"");
}

// calm when Calm exists, with Enter: the message, and nothing written. A device name pasted
// in: refused.
void LibraryEditingProgram::TakenAndDeviceNamesAreRefused() {
    const auto before = FilesIn(folder_.path());
    TypeKeys(categoryBox_, L"calm");
    PressEnter();
    EXPECT_TRUE(Answer(L"A category with that name already exists!", IDOK));
    EXPECT_EQ(FilesIn(folder_.path()), before);
    EXPECT_EQ(SelectedByRowState(categories_), 0);
    EXPECT_EQ(Texts(categories_).size(), 3u);

    Click(CentreOf(categoryBox_));
    ::SendMessageW(categoryBox_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"CON .txt"));
    ClickCategoryButton(L"Add");
    EXPECT_TRUE(Answer(L"That name cannot be used for a category.", IDOK));
    EXPECT_EQ(FilesIn(folder_.path()), before);
}

// Calm to CALM: the file is renamed in case too. CALM to Relax: the file moves and the tick
// stays.
void LibraryEditingProgram::RenamesMoveTheFile() {
    SelectRowAndCheck(categories_, 0);
    ClickCategoryButton(L"Edit");
    EXPECT_EQ(TextOf(categoryBox_), L"Calm");
    Retype(categoryBox_, L"CALM");
    ClickCategoryButton(L"Add");
    EXPECT_EQ(ShownBox(), nullptr);
    EXPECT_EQ(ListFiles(), (std::vector<std::wstring>{L"CALM.lst", L"Sleep.lst", L"Work.lst"}));
    EXPECT_EQ(ReadFileBytes(List(L"CALM")), kCalm);
    EXPECT_EQ(Texts(categories_)[0], L"CALM");
    EXPECT_EQ(ReadFileBytes(folder_ / "_._"), "1CALM\r\n0Work\r\n0Sleep");

    ClickCategoryButton(L"Edit");
    Retype(categoryBox_, L"Relax");
    PressEnter();
    EXPECT_EQ(ShownBox(), nullptr);
    EXPECT_EQ(ListFiles(), (std::vector<std::wstring>{L"Relax.lst", L"Sleep.lst", L"Work.lst"}));
    EXPECT_EQ(ReadFileBytes(List(L"Relax")), kCalm);
    EXPECT_EQ(ReadFileBytes(folder_ / "_._"), "1Relax\r\n0Work\r\n0Sleep");
    const auto rows = Rows(categories_);
    EXPECT_EQ(rows[0].text, L"Relax");
    EXPECT_TRUE(rows[0].ticked);
}

// Work to a name whose file exists on disk but is not listed: the rename error, and list,
// files and selection file as they were.
void LibraryEditingProgram::RenameOntoAnUnlistedFileFails() {
    WriteFileBytes(List(L"Taken"), "1Not Work's");
    const auto before = FilesIn(folder_.path());
    SelectRowAndCheck(categories_, 1);
    ClickCategoryButton(L"Edit");
    Retype(categoryBox_, L"Taken");
    ClickCategoryButton(L"Add");
    EXPECT_TRUE(Answer(L"There was an error renaming the category. Please try again later.", IDOK));
    EXPECT_EQ(FilesIn(folder_.path()), before);
    EXPECT_EQ(Texts(categories_), (std::vector<std::wstring>{L"Relax", L"Work", L"Sleep"}));
}

// Deleting asks first: No keeps the file, Yes removes it.
void LibraryEditingProgram::DeletingACategoryAsksFirst() {
    SelectRowAndCheck(categories_, 2);
    ClickCategoryButton(L"Delete");
    EXPECT_TRUE(Answer(L"Are you sure you wish to delete this category?", IDNO));
    EXPECT_TRUE(fs::exists(List(L"Sleep")));
    ClickCategoryButton(L"Delete");
    EXPECT_TRUE(Answer(L"Are you sure you wish to delete this category?", IDYES));
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(List(L"Sleep")); }, 3000));
    EXPECT_EQ(Texts(categories_), (std::vector<std::wstring>{L"Relax", L"Work"}));
    EXPECT_EQ(ReadFileBytes(folder_ / "_._"), "1Relax\r\n0Work");
    EXPECT_EQ(ShownBox(), nullptr);
}

TEST_F(LibraryEditingProgram, CategoriesAreCreatedRenamedAndDeletedOnDisk) {
    ASSERT_NO_FATAL_FAILURE(Start(kFirstRunHint));
    ASSERT_EQ(Texts(categories_), (std::vector<std::wstring>{L"Calm", L"Work"}));
    ASSERT_NO_FATAL_FAILURE(CategoryBoxFiltersItsKeys());
    ASSERT_NO_FATAL_FAILURE(AddedCategoryIsAnEmptyFile());
    ASSERT_NO_FATAL_FAILURE(TakenAndDeviceNamesAreRefused());
    ASSERT_NO_FATAL_FAILURE(RenamesMoveTheFile());
    ASSERT_NO_FATAL_FAILURE(RenameOntoAnUnlistedFileFails());
    DeletingACategoryAsksFirst();
}

// A new phrase with slashes, dots and accents: the phrase box filters nothing, and the phrase
// starts ticked. The same phrase in other case, with Enter: one entry stays, and the message
// names phrases.
void LibraryEditingProgram::PhraseBoxTakesAnyTextButNoDuplicate() {
    TypeKeys(phraseBox_, L"Je suis tr\u00e8s calme. 1/2");
    ClickPhraseButton(L"Add");
    EXPECT_EQ(ShownBox(), nullptr);
    EXPECT_EQ(ReadFileBytes(List(L"Calm")), std::string(kCalm) + "\r\n1Je suis tr\xE8s calme. 1/2");
    EXPECT_EQ(TextOf(phraseBox_), L"");

    TypeKeys(phraseBox_, L"je suis TR\u00c8S calme. 1/2");
    PressEnter();
    EXPECT_TRUE(Answer(L"That phrase is already in this category!", IDOK));
    EXPECT_EQ(Rows(phrases_).size(), 3u);
    EXPECT_EQ(ReadFileBytes(List(L"Calm")), std::string(kCalm) + "\r\n1Je suis tr\xE8s calme. 1/2");
}

// The ticked first phrase edited: it stays ticked.
void LibraryEditingProgram::EditedPhraseKeepsItsTick() {
    SelectRowAndCheck(phrases_, 0);
    ClickPhraseButton(L"Edit");
    EXPECT_EQ(TextOf(phraseBox_), L"I am calm");
    Retype(phraseBox_, L"I am relaxed");
    PressEnter();
    EXPECT_EQ(ReadFileBytes(List(L"Calm")),
              "1I am relaxed\r\n0I breathe slowly\r\n1Je suis tr\xE8s calme. 1/2");
    const auto rows = Rows(phrases_);
    EXPECT_EQ(rows[0].text, L"I am relaxed");
    EXPECT_TRUE(rows[0].ticked);
}

// A click on the box of the second phrase ticks it; Space unticks it again.
void LibraryEditingProgram::ClickTicksAndSpaceUnticks() {
    // The rows' height lies between these two, from the rows a page holds.
    RECT client{};
    ::GetClientRect(phrases_, &client);
    const auto perPage = static_cast<double>(::SendMessageW(phrases_, LVM_GETCOUNTPERPAGE, 0, 0));
    const double rowHeight = (client.bottom / (perPage + 1) + client.bottom / perPage) / 2;
    POINT box{8, static_cast<LONG>(rowHeight * 1.5)};
    ::ClientToScreen(phrases_, &box);
    Click(box);
    EXPECT_TRUE(WaitFor(
        [&] {
            return ReadFileBytes(List(L"Calm")) ==
                   "1I am relaxed\r\n1I breathe slowly\r\n1Je suis tr\xE8s calme. 1/2";
        },
        3000))
        << ReadFileBytes(List(L"Calm"));
    EXPECT_TRUE(Rows(phrases_)[1].ticked);
    SelectRowAndCheck(phrases_, 1);
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor(
        [&] {
            return ReadFileBytes(List(L"Calm")) ==
                   "1I am relaxed\r\n0I breathe slowly\r\n1Je suis tr\xE8s calme. 1/2";
        },
        3000))
        << ReadFileBytes(List(L"Calm"));
}

// A phrase in edit mode, then another category selected: the edit does not land there.
void LibraryEditingProgram::EditStaysInItsCategory() {
    SelectRowAndCheck(phrases_, 1);
    ClickPhraseButton(L"Edit");
    SelectRowAndCheck(categories_, 1);
    EXPECT_EQ(Texts(phrases_), (std::vector<std::wstring>{L"Deadline"}));
    Retype(phraseBox_, L"Breathe");
    ClickPhraseButton(L"Add");
    EXPECT_EQ(ReadFileBytes(List(L"Work")), "0Deadline\r\n1Breathe");
    EXPECT_EQ(ReadFileBytes(List(L"Calm")),
              "1I am relaxed\r\n0I breathe slowly\r\n1Je suis tr\xE8s calme. 1/2");
}

// Deleting the last phrases of Work removes its file.
void LibraryEditingProgram::DeletingTheLastPhrasesRemovesTheFile() {
    SelectRowAndCheck(phrases_, 1);
    ClickPhraseButton(L"Delete");
    EXPECT_EQ(ReadFileBytes(List(L"Work")), "0Deadline");
    SelectRowAndCheck(phrases_, 0);
    ClickPhraseButton(L"Delete");
    PumpMessages(100);
    EXPECT_FALSE(fs::exists(List(L"Work")));
    EXPECT_TRUE(Texts(phrases_).empty());
    EXPECT_EQ(ShownBox(), nullptr);
}

TEST_F(LibraryEditingProgram, PhrasesAreAddedEditedAndDeletedOnDisk) {
    ASSERT_NO_FATAL_FAILURE(Start(kFirstRunHint));
    ASSERT_EQ(SelectedByRowState(categories_), 0);
    const auto rows = Rows(phrases_);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].ticked);
    EXPECT_FALSE(rows[1].ticked);
    ASSERT_NO_FATAL_FAILURE(PhraseBoxTakesAnyTextButNoDuplicate());
    ASSERT_NO_FATAL_FAILURE(EditedPhraseKeepsItsTick());
    ASSERT_NO_FATAL_FAILURE(ClickTicksAndSpaceUnticks());
    ASSERT_NO_FATAL_FAILURE(EditStaysInItsCategory());
    DeletingTheLastPhrasesRemovesTheFile();
}

}  // namespace
