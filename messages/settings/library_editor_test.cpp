#include "library_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "file_access.h"
#include "library_editor_texts.h"
#include "phrase_format.h"
#include "phrase_test_files.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;
namespace texts = library_editor_texts;
using test_support::TestFolder;
using testing::MakeReadOnly;
using testing::ReadBytes;
using testing::WriteBytes;

struct Shown {
    std::string text;
    MessageKind kind;
    friend bool operator==(const Shown&, const Shown&) = default;
};

// The Messages page without a window: the lists' models, the two boxes, the focus, and every
// message box with the answer the test scripted for it.
class FakePage final : public LibraryPage {
  public:
    CheckList& Categories() override { return categories; }
    CheckList& Phrases() override { return phrases; }
    void ShowCategories() override { ++categoriesShown; }
    void ShowPhrases() override { ++phrasesShown; }
    std::string CategoryBoxText() const override { return categoryBox; }
    void SetCategoryBoxText(std::string_view text) override { categoryBox = text; }
    void FocusCategoryBox() override { focus = "category"; }
    std::string PhraseBoxText() const override { return phraseBox; }
    void SetPhraseBoxText(std::string_view text) override { phraseBox = text; }
    void FocusPhraseBox() override { focus = "phrase"; }
    MessageAnswer ShowMessage(std::string_view text, MessageKind kind) override {
        shown.push_back({std::string(text), kind});
        if (kind != MessageKind::Question) {
            return MessageAnswer::Ok;
        }
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text;
        if (answers.empty()) {
            return MessageAnswer::No;
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    CheckList categories;
    CheckList phrases;
    std::string categoryBox;
    std::string phraseBox;
    std::string focus;
    int categoriesShown = 0;
    int phrasesShown = 0;
    std::vector<Shown> shown;
    std::deque<MessageAnswer> answers;
};

// The disk library with failures on demand, to reach the paths a healthy disk never takes.
class ScriptedFiles final : public LibraryFiles {
  public:
    explicit ScriptedFiles(LibraryFiles& disk) : disk_(disk) {}
    PhraseLoad LoadPhrases(const CheckList& categories, CheckList& phrases) override {
        const PhraseLoad load = disk_.LoadPhrases(categories, phrases);
        if (unreadable) {
            phrases.Clear();
            return PhraseLoad::kUnreadable;
        }
        return load;
    }
    bool SavePhrases(const CheckList& categories, const CheckList& phrases) override {
        ++phraseSaves;
        return disk_.SavePhrases(categories, phrases);
    }
    bool SaveCategorySelection(CheckList& categories) override {
        return disk_.SaveCategorySelection(categories);
    }
    bool CreateCategoryFile(std::string_view name) override {
        return disk_.CreateCategoryFile(name);
    }
    bool RenameCategoryFile(std::string_view from, std::string_view to) override {
        return !failMoves && disk_.RenameCategoryFile(from, to);
    }
    bool CategoryFileExists(std::string_view name) override {
        return disk_.CategoryFileExists(name);
    }
    bool DeleteCategoryFile(std::string_view name) override {
        return disk_.DeleteCategoryFile(name);
    }

    bool unreadable = false;
    bool failMoves = false;
    int phraseSaves = 0;

  private:
    LibraryFiles& disk_;
};

// A library of three categories (one name with a blank and an accent, held in code page 1252
// by the selection file) as the settings window shows it after start-up: ticks restored, the
// first category selected.
class LibraryEditing : public ::testing::Test {
  protected:
    static constexpr char kAccented[] = "Calm and \u00e9t\u00e9";

    void SetUp() override {
        WriteBytes(List("Calm"), "1I am calm\r\n0I breathe slowly");
        WriteBytes(List("Work"), "0Deadline");
        WriteBytes(List(kAccented), "1Sun");
        WriteBytes(Selection(), "1Calm\r\n0Work\r\n1Calm and \xE9t\xE9");
        for (const char* name : {"Calm", "Work", kAccented}) {
            page_.categories.AddItem(name);
        }
        LoadCategorySelection(page_.categories, folder_.path());
        page_.categories.SetListIndex(0);
        editor_.lstMessageCategories_Click();
        ASSERT_EQ(page_.phrases.ListCount(), 2);
    }

    // Names are UTF-8, as the program holds them.
    fs::path List(const std::string& name) const {
        const std::string file = name + ".lst";
        return (folder_ / "Lists") / fs::path(std::u8string(file.begin(), file.end()));
    }
    fs::path Selection() const { return folder_.path() / "_._"; }
    // The category files' names as the folder spells them, as UTF-8.
    std::vector<std::string> ListFiles() const {
        std::vector<std::string> names = ListFileNames(folder_ / "Lists", "lst");
        std::sort(names.begin(), names.end());
        return names;
    }
    void Select(int index) {
        page_.categories.SetListIndex(index);
        editor_.lstMessageCategories_Click();
    }
    void SelectPhrase(int index) { page_.phrases.SetListIndex(index); }
    void TypeCategoryAndAdd(const std::string& name) {
        page_.categoryBox = name;
        editor_.cmdAddCat_Click();
    }
    void TypePhraseAndAdd(const std::string& phrase) {
        page_.phraseBox = phrase;
        editor_.cmdAdd_Click();
    }
    std::vector<std::string> CategoryNames() const {
        std::vector<std::string> names;
        for (const CheckEntry& entry : page_.categories.Entries()) {
            names.push_back(entry.text);
        }
        return names;
    }

    TestFolder folder_;
    FakePage page_;
    DiskLibrary disk_{folder_.path(), {}};
    ScriptedFiles files_{disk_};
    LibraryEditor editor_{page_, files_};
};

// ---- key filters and names ------------------------------------------------------------------

std::string TypeInto(KeyAction (*filter)(unsigned int), std::string_view keys, int* adds) {
    std::string box;
    for (char key : keys) {
        switch (filter(static_cast<unsigned char>(key))) {
            case KeyAction::Pass:
                box += key;
                break;
            case KeyAction::Add:
                ++*adds;
                break;
            case KeyAction::Swallow:
                break;
        }
    }
    return box;
}

TEST(LibraryKeyFilters, CategoryBoxKeepsOutWhatNoFileNameHolds) {
    int adds = 0;
    EXPECT_EQ(TypeInto(CategoryBoxKey, "a/b.c", &adds), "abc");
    EXPECT_EQ(TypeInto(CategoryBoxKey, "x\\|:<>\"*?y", &adds), "xy");
    EXPECT_EQ(TypeInto(CategoryBoxKey, "Caf\xE9 Time", &adds), "Caf\xE9 Time");
    EXPECT_EQ(TypeInto(CategoryBoxKey, "t\tu\x1Bv\x7Fw\x0Az", &adds), "tuvwz");
    EXPECT_EQ(adds, 0);
    EXPECT_EQ(TypeInto(CategoryBoxKey, "Sleep\r", &adds), "Sleep");
    EXPECT_EQ(adds, 1);
    // The box's own editing keys still work: Backspace, select all, copy, paste, cut, undo.
    for (unsigned int key : {8u, 1u, 3u, 22u, 24u, 26u}) {
        EXPECT_EQ(CategoryBoxKey(key), KeyAction::Pass) << key;
    }
}

TEST(LibraryKeyFilters, PhraseBoxFiltersNothingButEnter) {
    int adds = 0;
    EXPECT_EQ(TypeInto(PhraseBoxKey, "I am: calm/relaxed. \"Yes?\"", &adds),
              "I am: calm/relaxed. \"Yes?\"");
    EXPECT_EQ(adds, 0);
    EXPECT_EQ(PhraseBoxKey(13), KeyAction::Add);
}

TEST(LibraryNames, DeviceNamesAreRefusedWithExtensionsSpacesAndSuperscripts) {
    for (const char* device : {"CON", "con", "CON ", "CON  .lst", "nul.txt", "Aux", "PRN.x.y",
                               "COM1", "com9.lst", "LPT5", "COM\u00b9", "lpt\u00b2",
                               "COM\u00b3.txt", "CONIN$", "conout$.lst", "CONIN$  ", "NUL   .a"}) {
        EXPECT_FALSE(IsPlainFileName(device)) << device;
        EXPECT_FALSE(IsUsableCategoryName(device)) << device;
    }
    for (const char* fine : {"Console", "COM10", "COM0", "LPT", "Conin", "CONOUT", "Nullity",
                             "a.CON", "Calm and \u00e9t\u00e9", "Com\u00b9x"}) {
        EXPECT_TRUE(IsUsableCategoryName(fine)) << fine;
    }
}

TEST(LibraryNames, NewCategoriesNeverEndInADotOrASpace) {
    for (const char* bad : {"Calm.", "Calm ", "Calm. ", "a*b", "a?", "<a>", "a\"b", "a|b", "a:b",
                            "a/b", "a\\b", "a\tb", ".", ".."}) {
        EXPECT_FALSE(IsUsableCategoryName(bad)) << bad;
    }
    for (const char* good : {" Calm", "a.b", "Calm and \u00e9t\u00e9", ".hidden"}) {
        EXPECT_TRUE(IsUsableCategoryName(good)) << good;
    }
}

TEST(LibraryNames, TheReaderLeavesOutEveryDeviceFile) {
    TestFolder folder;
    for (const char* name :
         {"CON .lst", "CONIN$.lst", "COM\u00b9.lst", "conout$.lst", "Calm.lst", "COM10.lst"}) {
        WriteBytes((folder / "Lists") / fs::path(std::u8string(name, name + std::strlen(name))),
                   "1x");
    }
    CheckList list;
    FillComboWithFiles(list, folder.path(), "Lists", "lst");
    std::vector<std::string> names;
    for (const CheckEntry& entry : list.Entries()) {
        names.push_back(entry.text);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"COM10", "Calm"}));
}

// ---- categories -----------------------------------------------------------------------------

TEST_F(LibraryEditing, AddingSleepCreatesAnEmptyFileAndSelectsItUnticked) {
    TypeCategoryAndAdd("Sleep");
    EXPECT_TRUE(page_.shown.empty());
    ASSERT_TRUE(fs::exists(List("Sleep")));
    EXPECT_EQ(fs::file_size(List("Sleep")), 0u);
    EXPECT_EQ(page_.categories.Text(), "Sleep");
    EXPECT_FALSE(page_.categories.IsTicked(3));
    EXPECT_TRUE(page_.phrases.IsEmpty());
    EXPECT_EQ(ReadBytes(Selection()), "1Calm\r\n0Work\r\n1Calm and \xE9t\xE9\r\n0Sleep");
    EXPECT_EQ(page_.categoryBox, "");
    EXPECT_EQ(page_.focus, "category");
    EXPECT_EQ(editor_.CategoriesTag(), "-1");
}

TEST_F(LibraryEditing, AddingAnExistingNameInOtherCaseSelectsItAndWritesNothing) {
    const std::string selection = ReadBytes(Selection());
    Select(1);
    TypeCategoryAndAdd("cALM");
    EXPECT_EQ(page_.shown,
              (std::vector<Shown>{{texts::kCategoryExists, MessageKind::Exclamation}}));
    EXPECT_EQ(page_.categories.Text(), "Calm");
    EXPECT_EQ(page_.phrases.ListCount(), 2);  // Calm's phrases are shown
    EXPECT_EQ(page_.categories.ListCount(), 3);
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm\r\n0I breathe slowly");
    EXPECT_EQ(ReadBytes(Selection()), selection);
    EXPECT_EQ(ListFiles(),
              (std::vector<std::string>{"Calm and \u00e9t\u00e9.lst", "Calm.lst", "Work.lst"}));
}

TEST_F(LibraryEditing, ANewCategoryNeverReplacesAFileTheListDoesNotShow) {
    WriteBytes(List("Hidden"), "1Keep me");
    TypeCategoryAndAdd("Hidden");
    EXPECT_EQ(page_.shown, (std::vector<Shown>{{texts::kCreateError, MessageKind::Critical}}));
    EXPECT_EQ(ReadBytes(List("Hidden")), "1Keep me");
    EXPECT_EQ(page_.categories.ListCount(), 3);
    EXPECT_EQ(page_.categories.Text(), "Calm");
    EXPECT_EQ(page_.categoryBox, "Hidden");  // left to be corrected
}

TEST_F(LibraryEditing, UnusableNamesAreRefusedBeforeAnythingHappens) {
    const std::string selection = ReadBytes(Selection());
    for (const char* name : {"a*b", "Why?", "CON", "com\u00b9", "CONIN$.txt", "nul  ", "Calm.",
                             "Calm ", "<Calm>", "tab\there"}) {
        page_.shown.clear();
        TypeCategoryAndAdd(name);
        EXPECT_EQ(page_.shown,
                  (std::vector<Shown>{{texts::kUnusableCategoryName, MessageKind::Exclamation}}))
            << name;
    }
    EXPECT_EQ(page_.categories.ListCount(), 3);
    EXPECT_EQ(ListFiles().size(), 3u);
    EXPECT_EQ(ReadBytes(Selection()), selection);
    // In edit mode too: a rename to such a name is refused the same way.
    editor_.cmdEditCat_Click();
    page_.shown.clear();
    TypeCategoryAndAdd("AUX.lst");
    EXPECT_EQ(page_.shown.size(), 1u);
    EXPECT_EQ(page_.categories.List(0), "Calm");
    EXPECT_TRUE(fs::exists(List("Calm")));
}

TEST_F(LibraryEditing, ABlankNameAsksForOne) {
    TypeCategoryAndAdd("   ");
    EXPECT_EQ(page_.shown, (std::vector<Shown>{{texts::kEnterCategory, MessageKind::Exclamation}}));
    EXPECT_EQ(page_.categories.ListCount(), 3);
}

TEST_F(LibraryEditing, RenamingCalmToRelaxMovesTheFileAndKeepsTheTick) {
    editor_.cmdEditCat_Click();
    EXPECT_EQ(editor_.CategoriesTag(), "0");
    EXPECT_EQ(page_.categoryBox, "Calm");
    TypeCategoryAndAdd("Relax");
    EXPECT_TRUE(page_.shown.empty());
    EXPECT_EQ(ReadBytes(List("Relax")), "1I am calm\r\n0I breathe slowly");
    EXPECT_FALSE(fs::exists(List("Calm")));
    EXPECT_EQ(ReadBytes(Selection()), "1Relax\r\n0Work\r\n1Calm and \xE9t\xE9");
    EXPECT_EQ(page_.categories.Text(), "Relax");
    EXPECT_EQ(editor_.CategoriesTag(), "-1");
    EXPECT_EQ(page_.categoryBox, "");
    // The phrases now live in Relax's file.
    TypePhraseAndAdd("New");
    EXPECT_EQ(ReadBytes(List("Relax")), "1I am calm\r\n0I breathe slowly\r\n1New");
}

TEST_F(LibraryEditing, RenamingInCaseOnlyRenamesTheFileToo) {
    editor_.cmdEditCat_Click();
    TypeCategoryAndAdd("CALM");
    EXPECT_TRUE(page_.shown.empty());
    EXPECT_EQ(ListFiles(),
              (std::vector<std::string>{"CALM.lst", "Calm and \u00e9t\u00e9.lst", "Work.lst"}));
    EXPECT_EQ(ReadBytes(List("CALM")), "1I am calm\r\n0I breathe slowly");
    EXPECT_EQ(ReadBytes(Selection()), "1CALM\r\n0Work\r\n1Calm and \xE9t\xE9");
}

TEST_F(LibraryEditing, RenamingToAnotherListedNameIsRefused) {
    editor_.cmdEditCat_Click();
    TypeCategoryAndAdd("wORK");
    EXPECT_EQ(page_.shown,
              (std::vector<Shown>{{texts::kCategoryExists, MessageKind::Exclamation}}));
    EXPECT_EQ(CategoryNames(), (std::vector<std::string>{"Calm", "Work", kAccented}));
    EXPECT_TRUE(fs::exists(List("Calm")));
}

TEST_F(LibraryEditing, AFailedRenameLeavesListFilesAndSelectionAsTheyWere) {
    const std::string selection = ReadBytes(Selection());
    // A file of the new name that the list does not show.
    WriteBytes(List("Relax"), "0Other");
    editor_.cmdEditCat_Click();
    TypeCategoryAndAdd("Relax");
    EXPECT_EQ(page_.shown, (std::vector<Shown>{{texts::kRenameError, MessageKind::Critical}}));
    EXPECT_EQ(CategoryNames(), (std::vector<std::string>{"Calm", "Work", kAccented}));
    EXPECT_EQ(ReadBytes(List("Relax")), "0Other");
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm\r\n0I breathe slowly");
    EXPECT_EQ(ReadBytes(Selection()), selection);
    EXPECT_EQ(page_.categories.Text(), "Calm");

    // A move the system refuses, to a free name: the same.
    page_.shown.clear();
    files_.failMoves = true;
    editor_.cmdEditCat_Click();
    TypeCategoryAndAdd("Quiet");
    EXPECT_EQ(page_.shown, (std::vector<Shown>{{texts::kRenameError, MessageKind::Critical}}));
    EXPECT_EQ(CategoryNames(), (std::vector<std::string>{"Calm", "Work", kAccented}));
    EXPECT_FALSE(fs::exists(List("Quiet")));
    EXPECT_EQ(ReadBytes(Selection()), selection);
    // Still in edit mode with the name in the box, to try again.
    EXPECT_EQ(editor_.CategoriesTag(), "0");
    EXPECT_EQ(page_.categoryBox, "Quiet");
    files_.failMoves = false;
    editor_.cmdAddCat_Click();
    EXPECT_TRUE(fs::exists(List("Quiet")));
    EXPECT_EQ(page_.categories.List(0), "Quiet");
}

TEST_F(LibraryEditing, EditAndDeleteWithoutASelectionAsk) {
    page_.categories.SetListIndex(-1);
    editor_.cmdEditCat_Click();
    editor_.cmdDeleteCat_Click();
    EXPECT_EQ(page_.shown,
              (std::vector<Shown>{{texts::kSelectCategoryToEdit, MessageKind::Exclamation},
                                  {texts::kSelectCategoryToDelete, MessageKind::Exclamation}}));
    EXPECT_EQ(editor_.CategoriesTag(), "-1");
}

TEST_F(LibraryEditing, DeletingAsksFirstAndOnYesRemovesTheFile) {
    Select(1);
    page_.answers = {MessageAnswer::No};
    editor_.cmdDeleteCat_Click();
    EXPECT_TRUE(fs::exists(List("Work")));
    EXPECT_EQ(page_.categories.ListCount(), 3);
    EXPECT_EQ(page_.shown.back(), (Shown{texts::kDeleteCategoryQuestion, MessageKind::Question}));

    page_.answers = {MessageAnswer::Yes};
    editor_.cmdDeleteCat_Click();
    EXPECT_FALSE(fs::exists(List("Work")));
    EXPECT_EQ(CategoryNames(), (std::vector<std::string>{"Calm", kAccented}));
    EXPECT_EQ(ReadBytes(Selection()), "1Calm\r\n1Calm and \xE9t\xE9");
    EXPECT_TRUE(page_.phrases.IsEmpty());
    EXPECT_EQ(page_.categories.ListIndex(), -1);
    EXPECT_EQ(page_.focus, "category");
}

TEST_F(LibraryEditing, AFailedDeleteKeepsTheCategoryAndItsPhrases) {
    MakeReadOnly(List("Calm"));
    page_.answers = {MessageAnswer::Yes};
    editor_.cmdDeleteCat_Click();
    EXPECT_EQ(page_.shown.back(), (Shown{texts::kRemoveError, MessageKind::Critical}));
    EXPECT_EQ(page_.categories.ListCount(), 3);
    // The phrases are shown again, so an add cannot write a shortened list over the file.
    EXPECT_EQ(page_.phrases.ListCount(), 2);
}

TEST_F(LibraryEditing, SelectingAnotherCategoryEndsEditModeInBothLists) {
    // A phrase of Calm in edit mode, then Work selected: the edit must not land in Work.
    SelectPhrase(0);
    editor_.cmdEdit_Click();
    EXPECT_EQ(editor_.PhrasesTag(), "0");
    editor_.cmdEditCat_Click();
    EXPECT_EQ(editor_.CategoriesTag(), "0");
    Select(1);
    EXPECT_EQ(editor_.PhrasesTag(), "-1");
    EXPECT_EQ(editor_.CategoriesTag(), "-1");
    TypePhraseAndAdd("I am calm, edited");
    EXPECT_EQ(ReadBytes(List("Work")), "0Deadline\r\n1I am calm, edited");
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm\r\n0I breathe slowly");
    // The category box's pending rename became an add.
    TypeCategoryAndAdd("Relax");
    EXPECT_TRUE(fs::exists(List("Calm")));
    EXPECT_TRUE(fs::exists(List("Relax")));
    EXPECT_EQ(page_.categories.ListCount(), 4);
}

// ---- phrases --------------------------------------------------------------------------------

TEST_F(LibraryEditing, APhraseAddedTwiceKeepsOneEntryAndSaysSo) {
    TypePhraseAndAdd("I sleep well");
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm\r\n0I breathe slowly\r\n1I sleep well");
    EXPECT_EQ(page_.phraseBox, "");
    EXPECT_EQ(page_.focus, "phrase");
    TypePhraseAndAdd("i SLEEP well");
    EXPECT_EQ(page_.shown, (std::vector<Shown>{{texts::kPhraseExists, MessageKind::Exclamation}}));
    EXPECT_EQ(page_.phrases.ListCount(), 3);
    EXPECT_EQ(page_.phrases.ListIndex(), 2);
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm\r\n0I breathe slowly\r\n1I sleep well");
}

TEST_F(LibraryEditing, EditingAPhraseKeepsItsTick) {
    SelectPhrase(0);
    editor_.cmdEdit_Click();
    EXPECT_EQ(page_.phraseBox, "I am calm");
    TypePhraseAndAdd("I am very calm");
    SelectPhrase(1);
    editor_.cmdEdit_Click();
    TypePhraseAndAdd("I breathe");
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am very calm\r\n0I breathe");
    EXPECT_EQ(editor_.PhrasesTag(), "-1");
    EXPECT_EQ(page_.phraseBox, "");
}

TEST_F(LibraryEditing, DeletingTheLastPhraseRemovesTheFile) {
    SelectPhrase(1);
    editor_.cmdDelete_Click();
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm");
    SelectPhrase(0);
    editor_.cmdDelete_Click();
    EXPECT_FALSE(fs::exists(List("Calm")));
    EXPECT_EQ(page_.categories.ListCount(), 3);  // listed until the next start
}

TEST_F(LibraryEditing, PhraseButtonsWithoutInputOrSelectionAsk) {
    TypePhraseAndAdd("  ");
    page_.phrases.SetListIndex(-1);
    editor_.cmdEdit_Click();
    editor_.cmdDelete_Click();
    page_.categories.SetListIndex(-1);
    TypePhraseAndAdd("Orphan");
    EXPECT_EQ(page_.shown,
              (std::vector<Shown>{{texts::kEnterPhrase, MessageKind::Exclamation},
                                  {texts::kSelectPhraseToEdit, MessageKind::Exclamation},
                                  {texts::kSelectPhraseToDelete, MessageKind::Exclamation},
                                  {texts::kSelectCategoryForPhrase, MessageKind::Exclamation}}));
    EXPECT_EQ(page_.phrases.ListCount(), 2);
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm\r\n0I breathe slowly");
}

TEST_F(LibraryEditing, TicksAreSavedTheMomentTheyChange) {
    page_.phrases.SetTicked(1, true);
    editor_.lstPhrases_ItemCheck();
    EXPECT_EQ(ReadBytes(List("Calm")), "1I am calm\r\n1I breathe slowly");
    page_.categories.SetTicked(1, true);
    editor_.lstMessageCategories_ItemCheck();
    EXPECT_EQ(ReadBytes(Selection()), "1Calm\r\n1Work\r\n1Calm and \xE9t\xE9");
}

TEST_F(LibraryEditing, AnUnreadableCategoryFileIsNeverWrittenOver) {
    files_.unreadable = true;
    Select(2);
    EXPECT_TRUE(page_.phrases.IsEmpty());
    TypePhraseAndAdd("Would replace the file");
    EXPECT_EQ(files_.phraseSaves, 0);
    EXPECT_EQ(ReadBytes(List(kAccented)), "1Sun");
    files_.unreadable = false;
    Select(0);
    TypePhraseAndAdd("Saved again");
    EXPECT_EQ(files_.phraseSaves, 1);
}

TEST_F(LibraryEditing, TheFirstCategoryOfALibraryWithoutItsFolderGetsTheFolder) {
    TestFolder empty;
    FakePage page;
    DiskLibrary disk(empty.path(), {});
    LibraryEditor editor(page, disk);
    page.categoryBox = "First";
    editor.cmdAddCat_Click();
    EXPECT_TRUE(page.shown.empty());
    EXPECT_TRUE(fs::exists(empty / "Lists" / "First.lst"));
    EXPECT_EQ(ReadBytes(empty.path() / "_._"), "0First");
}

}  // namespace
}  // namespace murmurex
