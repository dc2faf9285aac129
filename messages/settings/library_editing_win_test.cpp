// Editing the phrase library in the real Messages.exe: copied into a folder of its own (a name
// with blanks and an accent), started by its path from that folder, and driven with real
// clicks and keys on its buttons, edit boxes and lists. Message boxes are answered by a watcher
// that finds them by title and text and presses their button.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "program_test_support_win.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"
#include "win/unique_handle.h"

namespace {

using namespace murmurex::program_test;

constexpr char kSettingsClass[] = "MurmurexSettingsWindow";
constexpr wchar_t kTitle[] = L"Murmurex";
constexpr char kCalm[] = "1I am calm\r\n0I breathe slowly";
constexpr char kWork[] = "0Deadline";
constexpr char kSelection[] = "1Calm\r\n0Work";

class LibraryEditingProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallProgram(folder_.path(), MESSAGES_EXE_PATH);
        WriteFile(folder_ / "_._", kSelection);
        WriteFile(List(L"Calm"), kCalm);
        WriteFile(List(L"Work"), kWork);
    }

    void TearDown() override {
        win::test::EndProcess(process_.get(), settings_, 5000);
        PumpMessages(200);
    }

    fs::path List(const std::wstring& name) const { return folder_ / L"Lists" / (name + L".lst"); }

    // The category files' names exactly as the folder holds them.
    std::vector<std::wstring> ListFiles() const {
        std::vector<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(folder_ / L"Lists")) {
            names.push_back(entry.path().filename().wstring());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::map<fs::path, std::string> Snapshot() const {
        std::map<fs::path, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder_.path())) {
            if (entry.is_regular_file()) {
                files[entry.path()] = ReadFile(entry.path());
            }
        }
        return files;
    }

    // Starts the program from its own folder as a first run (the window stays open) and
    // answers the hint.
    void Start() {
        win::test::StartedProcess started = StartProgram(folder_.path(), L"firstrun");
        ASSERT_TRUE(started);
        process_ = std::move(started.process);
        processId_ = started.id;
        ASSERT_TRUE(WaitFor(
            [&] { return (settings_ = FindTopWindow(processId_, kSettingsClass)) != nullptr; },
            20000));
        ASSERT_TRUE(Answer(L"To view help click the 'Help' tab", IDOK));
        const auto lists = VisibleChildren(settings_, "SysListView32");
        const auto boxes = VisibleChildren(settings_, "Edit");
        ASSERT_EQ(lists.size(), 2u);
        ASSERT_EQ(boxes.size(), 2u);
        categories_ = lists[0];
        phrases_ = lists[1];
        categoryBox_ = boxes[0];
        phraseBox_ = boxes[1];
    }

    // A visible dialog box of the program titled with its title, such as a message box.
    HWND ShownBox() const {
        for (HWND box : TopWindows(processId_, "#32770")) {
            if (::IsWindowVisible(box) && TextOf(box) == kTitle) {
                return box;
            }
        }
        return nullptr;
    }

    std::wstring BoxText(HWND box) const {
        std::wstring all;
        for (HWND child : VisibleChildren(box, "Static")) {
            all += TextOf(child);
        }
        return all;
    }

    // The watcher: waits for the program's message box holding `text` and clicks `button`.
    bool Answer(const std::wstring& text, int button) {
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = ShownBox()) != nullptr; }, 5000)) {
            ADD_FAILURE() << "no message box";
            return false;
        }
        if (BoxText(box).find(text) == std::wstring::npos) {
            ADD_FAILURE() << "the box says: "
                          << std::string(BoxText(box).begin(), BoxText(box).end());
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            return false;
        }
        const HWND pressed = ::GetDlgItem(box, button);
        if (pressed == nullptr) {
            ADD_FAILURE() << "the box has no button " << button;
            return false;
        }
        Click(CentreOf(pressed));
        // The box is gone, and its caller has gone on, once the window is destroyed (without a
        // window manager that can take seconds under Wine).
        const bool gone = WaitFor([&] { return !::IsWindow(box); }, 15000);
        PumpMessages(150);
        return gone;
    }

    // Waits until the program has handled what it was sent: its window answers a message
    // three times in a row (a handler that lets messages run answers early once).
    void Idle() {
        for (int round = 0; round < 3; ++round) {
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(settings_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
            PumpMessages(30);
        }
    }

    void PressEnter() {
        PressKey(VK_RETURN);
        Idle();
    }

    // Clicks a styled button by its caption, under the category list or the phrase list.
    void ClickButton(const std::wstring& caption, HWND underList) {
        RECT list{};
        ::GetWindowRect(underList, &list);
        HWND found = nullptr;
        for (HWND button : VisibleChildren(settings_, "StyledButton")) {
            const POINT centre = CentreOf(button);
            if (TextOf(button) == caption && centre.x >= list.left && centre.x < list.right) {
                found = button;
            }
        }
        ASSERT_NE(found, nullptr) << "no button " << std::string(caption.begin(), caption.end());
        Click(CentreOf(found));
        Idle();
    }
    void ClickCategoryButton(const std::wstring& caption) { ClickButton(caption, categories_); }
    void ClickPhraseButton(const std::wstring& caption) { ClickButton(caption, phrases_); }

    // Types `text` into `box` as a user does: real keys where the keyboard has them, the
    // character itself where it does not (accents). Each character is awaited before the
    // next, since posted characters would overtake keys still on their way.
    void Type(HWND box, const std::wstring& text, bool clickFirst = true,
              double waitPerCharacterMs = 1000) {
        if (clickFirst) {
            Click(CentreOf(box));
        }
        for (wchar_t c : text) {
            const std::wstring before = TextOf(box);
            const SHORT key = ::VkKeyScanW(c);
            if (key == -1 || (key & 0x0600) != 0) {
                ::PostMessageW(box, WM_CHAR, c, 1);
            } else {
                const bool shift = (key & 0x0100) != 0;
                if (shift) {
                    win::test::SendKeyInput(VK_SHIFT, false);
                }
                win::test::SendKeyInput(static_cast<WORD>(key & 0xFF), false);
                win::test::SendKeyInput(static_cast<WORD>(key & 0xFF), true);
                if (shift) {
                    win::test::SendKeyInput(VK_SHIFT, true);
                }
            }
            WaitFor([&] { return TextOf(box) != before; }, waitPerCharacterMs);
        }
        PumpMessages(50);
    }

    // Types characters the box must swallow: each is given its time, then the text checked.
    void TypeSwallowed(HWND box, const std::wstring& text) { Type(box, text, true, 250); }

    // Replaces the box's text by typing over all of it.
    void Retype(HWND box, const std::wstring& text) {
        Click(CentreOf(box));
        ::SendMessageW(box, EM_SETSEL, 0, -1);
        Type(box, text, false);
    }

    std::vector<ListRow> Rows(HWND list) const { return ListRows(process_.get(), list); }

    std::vector<std::wstring> Texts(HWND list) const {
        std::vector<std::wstring> texts;
        for (const ListRow& row : Rows(list)) {
            texts.push_back(row.text);
        }
        return texts;
    }

    int Selected(HWND list) const {
        const auto rows = Rows(list);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].selected) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // Selects a row with the keyboard, after a click into the list's first row (away from
    // its check box).
    void SelectRow(HWND list, int index) {
        RECT client{};
        ::GetClientRect(list, &client);
        POINT first{60, 6};
        ::ClientToScreen(list, &first);
        Click(first);
        PressKey(VK_HOME);
        for (int i = 0; i < index; ++i) {
            PressKey(VK_DOWN);
        }
        PumpMessages(100);
        ASSERT_EQ(Selected(list), index);
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

    const test_support::TestFolder folder_{ProgramFolderLabel(
        L"editing \u00c9t\u00e9", ::testing::UnitTest::GetInstance()->current_test_info()->name())};
    win::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND settings_ = nullptr;
    HWND categories_ = nullptr;
    HWND phrases_ = nullptr;
    HWND categoryBox_ = nullptr;
    HWND phraseBox_ = nullptr;
};

// The key filter: a, slash, b, dot, c leaves abc; Backspace still edits.
void LibraryEditingProgram::CategoryBoxFiltersItsKeys() {
    Type(categoryBox_, L"a/b.c");
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
    Type(categoryBox_, L"Sleep");
    ClickCategoryButton(L"Add");
    EXPECT_EQ(ShownBox(), nullptr);
    ASSERT_TRUE(fs::exists(List(L"Sleep")));
    EXPECT_EQ(fs::file_size(List(L"Sleep")), 0u);
    const auto rows = Rows(categories_);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].text, L"Sleep");
    EXPECT_FALSE(rows[2].ticked);
    EXPECT_TRUE(rows[2].selected);
    EXPECT_EQ(ReadFile(folder_ / "_._"), "1Calm\r\n0Work\r\n0Sleep");
    EXPECT_EQ(TextOf(categoryBox_), L"");
}

// calm when Calm exists, with Enter: the message, and nothing written. A device name pasted
// in: refused.
void LibraryEditingProgram::TakenAndDeviceNamesAreRefused() {
    const auto before = Snapshot();
    Type(categoryBox_, L"calm");
    PressEnter();
    EXPECT_TRUE(Answer(L"A category with that name already exists!", IDOK));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Selected(categories_), 0);
    EXPECT_EQ(Texts(categories_).size(), 3u);

    Click(CentreOf(categoryBox_));
    ::SendMessageW(categoryBox_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"CON .txt"));
    ClickCategoryButton(L"Add");
    EXPECT_TRUE(Answer(L"That name cannot be used for a category.", IDOK));
    EXPECT_EQ(Snapshot(), before);
}

// Calm to CALM: the file is renamed in case too. CALM to Relax: the file moves and the tick
// stays.
void LibraryEditingProgram::RenamesMoveTheFile() {
    SelectRow(categories_, 0);
    ClickCategoryButton(L"Edit");
    EXPECT_EQ(TextOf(categoryBox_), L"Calm");
    Retype(categoryBox_, L"CALM");
    ClickCategoryButton(L"Add");
    EXPECT_EQ(ShownBox(), nullptr);
    EXPECT_EQ(ListFiles(), (std::vector<std::wstring>{L"CALM.lst", L"Sleep.lst", L"Work.lst"}));
    EXPECT_EQ(ReadFile(List(L"CALM")), kCalm);
    EXPECT_EQ(Texts(categories_)[0], L"CALM");
    EXPECT_EQ(ReadFile(folder_ / "_._"), "1CALM\r\n0Work\r\n0Sleep");

    ClickCategoryButton(L"Edit");
    Retype(categoryBox_, L"Relax");
    PressEnter();
    EXPECT_EQ(ShownBox(), nullptr);
    EXPECT_EQ(ListFiles(), (std::vector<std::wstring>{L"Relax.lst", L"Sleep.lst", L"Work.lst"}));
    EXPECT_EQ(ReadFile(List(L"Relax")), kCalm);
    EXPECT_EQ(ReadFile(folder_ / "_._"), "1Relax\r\n0Work\r\n0Sleep");
    const auto rows = Rows(categories_);
    EXPECT_EQ(rows[0].text, L"Relax");
    EXPECT_TRUE(rows[0].ticked);
}

// Work to a name whose file exists on disk but is not listed: the rename error, and list,
// files and selection file as they were.
void LibraryEditingProgram::RenameOntoAnUnlistedFileFails() {
    WriteFile(List(L"Taken"), "1Not Work's");
    const auto before = Snapshot();
    SelectRow(categories_, 1);
    ClickCategoryButton(L"Edit");
    Retype(categoryBox_, L"Taken");
    ClickCategoryButton(L"Add");
    EXPECT_TRUE(Answer(L"There was an error renaming the category. Please try again later.", IDOK));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Texts(categories_), (std::vector<std::wstring>{L"Relax", L"Work", L"Sleep"}));
}

// Deleting asks first: No keeps the file, Yes removes it.
void LibraryEditingProgram::DeletingACategoryAsksFirst() {
    SelectRow(categories_, 2);
    ClickCategoryButton(L"Delete");
    EXPECT_TRUE(Answer(L"Are you sure you wish to delete this category?", IDNO));
    EXPECT_TRUE(fs::exists(List(L"Sleep")));
    ClickCategoryButton(L"Delete");
    EXPECT_TRUE(Answer(L"Are you sure you wish to delete this category?", IDYES));
    EXPECT_TRUE(WaitFor([&] { return !fs::exists(List(L"Sleep")); }, 3000));
    EXPECT_EQ(Texts(categories_), (std::vector<std::wstring>{L"Relax", L"Work"}));
    EXPECT_EQ(ReadFile(folder_ / "_._"), "1Relax\r\n0Work");
    EXPECT_EQ(ShownBox(), nullptr);
}

TEST_F(LibraryEditingProgram, CategoriesAreCreatedRenamedAndDeletedOnDisk) {
    ASSERT_NO_FATAL_FAILURE(Start());
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
    Type(phraseBox_, L"Je suis tr\u00e8s calme. 1/2");
    ClickPhraseButton(L"Add");
    EXPECT_EQ(ShownBox(), nullptr);
    EXPECT_EQ(ReadFile(List(L"Calm")), std::string(kCalm) + "\r\n1Je suis tr\xE8s calme. 1/2");
    EXPECT_EQ(TextOf(phraseBox_), L"");

    Type(phraseBox_, L"je suis TR\u00c8S calme. 1/2");
    PressEnter();
    EXPECT_TRUE(Answer(L"That phrase is already in this category!", IDOK));
    EXPECT_EQ(Rows(phrases_).size(), 3u);
    EXPECT_EQ(ReadFile(List(L"Calm")), std::string(kCalm) + "\r\n1Je suis tr\xE8s calme. 1/2");
}

// The ticked first phrase edited: it stays ticked.
void LibraryEditingProgram::EditedPhraseKeepsItsTick() {
    SelectRow(phrases_, 0);
    ClickPhraseButton(L"Edit");
    EXPECT_EQ(TextOf(phraseBox_), L"I am calm");
    Retype(phraseBox_, L"I am relaxed");
    PressEnter();
    EXPECT_EQ(ReadFile(List(L"Calm")),
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
            return ReadFile(List(L"Calm")) ==
                   "1I am relaxed\r\n1I breathe slowly\r\n1Je suis tr\xE8s calme. 1/2";
        },
        3000))
        << ReadFile(List(L"Calm"));
    EXPECT_TRUE(Rows(phrases_)[1].ticked);
    SelectRow(phrases_, 1);
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor(
        [&] {
            return ReadFile(List(L"Calm")) ==
                   "1I am relaxed\r\n0I breathe slowly\r\n1Je suis tr\xE8s calme. 1/2";
        },
        3000))
        << ReadFile(List(L"Calm"));
}

// A phrase in edit mode, then another category selected: the edit does not land there.
void LibraryEditingProgram::EditStaysInItsCategory() {
    SelectRow(phrases_, 1);
    ClickPhraseButton(L"Edit");
    SelectRow(categories_, 1);
    EXPECT_EQ(Texts(phrases_), (std::vector<std::wstring>{L"Deadline"}));
    Retype(phraseBox_, L"Breathe");
    ClickPhraseButton(L"Add");
    EXPECT_EQ(ReadFile(List(L"Work")), "0Deadline\r\n1Breathe");
    EXPECT_EQ(ReadFile(List(L"Calm")),
              "1I am relaxed\r\n0I breathe slowly\r\n1Je suis tr\xE8s calme. 1/2");
}

// Deleting the last phrases of Work removes its file.
void LibraryEditingProgram::DeletingTheLastPhrasesRemovesTheFile() {
    SelectRow(phrases_, 1);
    ClickPhraseButton(L"Delete");
    EXPECT_EQ(ReadFile(List(L"Work")), "0Deadline");
    SelectRow(phrases_, 0);
    ClickPhraseButton(L"Delete");
    PumpMessages(100);
    EXPECT_FALSE(fs::exists(List(L"Work")));
    EXPECT_TRUE(Texts(phrases_).empty());
    EXPECT_EQ(ShownBox(), nullptr);
}

TEST_F(LibraryEditingProgram, PhrasesAreAddedEditedAndDeletedOnDisk) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(Selected(categories_), 0);
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
