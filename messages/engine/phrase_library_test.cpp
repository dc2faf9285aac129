#include "phrase_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "file_access.h"
#include "phrase_format.h"
#include "phrase_test_files.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;
using test_support::TestFolder;
using testing::FolderEntries;
using testing::MakeReadOnly;
using testing::ReadBytes;
using testing::WriteBytes;
using Items = std::vector<std::string>;
using Lines = std::vector<std::string_view>;

CheckList ListOf(std::initializer_list<CheckEntry> entries) {
    CheckList list;
    for (const CheckEntry& entry : entries) {
        list.AddItem(entry.text);
        list.SetTicked(list.ListCount() - 1, entry.ticked);
    }
    return list;
}

// The category list with `name` highlighted, as after a click on it.
CheckList Selecting(std::string name) {
    CheckList categories = ListOf({{std::move(name), false}});
    categories.SetListIndex(0);
    return categories;
}

// ---- Line format -------------------------------------------------------------------------

TEST(PhraseFormat, SplitsAtEveryCrLfOnly) {
    EXPECT_TRUE(SplitCrLf("").empty());
    EXPECT_EQ(SplitCrLf("1a\r\n0b"), (Lines{"1a", "0b"}));
    EXPECT_EQ(SplitCrLf("1a\r\n"), (Lines{"1a", ""}));
    EXPECT_EQ(SplitCrLf("\r\n"), (Lines{"", ""}));
    EXPECT_EQ(SplitCrLf("1a\rb\nc\n\r"), (Lines{"1a\rb\nc\n\r"}));
    EXPECT_EQ(SplitCrLf("1x\r\r\n0y"), (Lines{"1x\r", "0y"}));
}

TEST(PhraseFormat, PlainFileNamesStayInTheirFolder) {
    for (const char* good : {"Calm", "I am calm", "Caf\xE9", ".hidden", "a.b", "Console"}) {
        EXPECT_TRUE(IsPlainFileName(good)) << good;
    }
    for (const char* bad :
         {"",     ".",   "..",  "..\\x", "../x",   "a/b", "a\\b", "C:x",  "a*",   "a?",
          "a\"b", "<a>", "a|b", "a\tb",  "a\r\nb", "CON", "nul",  "Com1", "LPT9", "aux.txt"}) {
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    }
}

// ---- Building the pool -------------------------------------------------------------------

class PhraseLibrary : public ::testing::Test {
  protected:
    void Category(const std::string& name, std::string_view bytes) {
        WriteBytes(folder_ / "Lists" / (name + ".lst"), bytes);
    }
    void Selection(std::string_view bytes) { WriteBytes(SelectionFilePath(app()), bytes); }
    const fs::path& app() const { return folder_.path(); }
    fs::path CategoryFile(const std::string& name) const {
        return folder_ / "Lists" / (name + ".lst");
    }

    TestFolder folder_;
};

TEST_F(PhraseLibrary, PoolTakesTickedCategoriesFirstOccurrenceWinning) {
    Selection("1Calm\r\n0Work\r\n1Sleep");
    Category("Calm", "1Relax\r\n0relax");
    Category("Work", "1Busy");
    Category("Sleep", "1Rest");
    EXPECT_EQ(BuildPhrasePool(app()).Items(), (Items{"Relax", "Rest"}));
}

TEST_F(PhraseLibrary, PoolIgnoresPhraseTicks) {
    Selection("1Calm");
    Category("Calm", "0Breathe\r\n1Relax");
    EXPECT_EQ(BuildPhrasePool(app()).Items(), (Items{"Breathe", "Relax"}));
}

TEST_F(PhraseLibrary, PoolSkipsMissingBlankAndEmptyCategories) {
    Selection("1Gone\r\n1Spaces\r\n1Empty\r\n1Sleep");
    Category("Spaces", "     ");
    Category("Empty", "");
    Category("Sleep", "1Rest");
    EXPECT_EQ(BuildPhrasePool(app()).Items(), (Items{"Rest"}));
}

TEST_F(PhraseLibrary, PoolIsEmptyWithoutTickedCategoryOrSelectionFile) {
    Category("Calm", "1Relax");
    EXPECT_TRUE(BuildPhrasePool(app()).IsEmpty());
    Selection("0Calm");
    EXPECT_TRUE(BuildPhrasePool(app()).IsEmpty());
    Selection("");
    EXPECT_TRUE(BuildPhrasePool(app()).IsEmpty());
}

TEST_F(PhraseLibrary, PoolSkipsForeignSelectionLinesButReadsOn) {
    Selection("xCalm\r\n\r\n1Sleep\r\n 1Calm");
    Category("Calm", "1Relax");
    Category("Sleep", "1Rest");
    EXPECT_EQ(BuildPhrasePool(app()).Items(), (Items{"Rest"}));
}

TEST_F(PhraseLibrary, PoolTakesHandEditedLinesWholeAndNoEmptyPhrase) {
    Selection("1Odd");
    Category("Odd", "1a\r\n\r\nHello there\r\n1\r\n0\r\n0\xC9t\xE9\r\n1\xE9T\xC9\r\n");
    EXPECT_EQ(BuildPhrasePool(app()).Items(), (Items{"a", "Hello there", "\u00c9t\u00e9"}));
}

TEST_F(PhraseLibrary, PoolNeverReadsOutsideTheListsFolder) {
    WriteBytes(app() / "Outside.lst", "1Leak");
    WriteBytes(app() / "Lists" / "Sub" / "Inner.lst", "1Deep");
    Category("Calm", "1Relax");
    Selection("1../Outside\r\n1..\\Outside\r\n1Sub/Inner\r\n1\r\n1.\r\n1..\r\n1C:Calm\r\n1Calm");
    EXPECT_EQ(BuildPhrasePool(app()).Items(), (Items{"Relax"}));
}

TEST_F(PhraseLibrary, PoolHandlesATenMegabyteCategory) {
    std::string big;
    const int lines = 103000;
    for (int i = 0; i < lines; ++i) {
        std::string line = "1Phrase number " + std::to_string(i) + " ";
        line.resize(100, '.');
        big += line;
        if (i + 1 < lines) {
            big += "\r\n";
        }
    }
    ASSERT_GT(big.size(), 10u * 1024 * 1024);
    Selection("1Big");
    Category("Big", big);
    const PhrasePool pool = BuildPhrasePool(app());
    ASSERT_EQ(pool.Count(), static_cast<std::size_t>(lines));
    EXPECT_EQ(pool[lines - 1].substr(0, 21), "Phrase number 102999 ");

    CheckList phrases;
    EXPECT_EQ(LoadPhrases(Selecting("Big"), phrases, app()), PhraseLoad::kLoaded);
    EXPECT_EQ(phrases.ListCount(), lines);
}

TEST_F(PhraseLibrary, OversizedCategoryIsUnreadableNotLoaded) {
    Category("Huge", "1Start");
    fs::resize_file(CategoryFile("Huge"), kMaxReadableFileSize + 1);
    Category("Calm", "1Relax");
    Selection("1Huge\r\n1Calm");
    EXPECT_EQ(BuildPhrasePool(app()).Items(), (Items{"Relax"}));

    CheckList phrases = ListOf({{"stale", true}});
    EXPECT_EQ(LoadPhrases(Selecting("Huge"), phrases, app()), PhraseLoad::kUnreadable);
    EXPECT_TRUE(phrases.IsEmpty());
}

// ---- Listing categories and their ticks --------------------------------------------------

TEST_F(PhraseLibrary, FillListsOrdinaryFilesWithTheExtension) {
    Category("Calm", "1Relax");
    Category("Sleep", "");
    WriteBytes(folder_ / "Lists" / "notes.txt", "x");
    WriteBytes(folder_ / "Lists" / "Focus.lstx", "x");
    WriteBytes(folder_ / "Lists" / "lst", "x");
    fs::create_directories(folder_ / "Lists" / "Folder.lst");
    CheckList list = ListOf({{"old", true}});
    list.SetListIndex(0);

    FillComboWithFiles(list, app(), "Lists", "lst");
    Items names;
    for (const CheckEntry& entry : list.Entries()) {
        names.push_back(entry.text);
        EXPECT_FALSE(entry.ticked);
    }
    std::sort(names.begin(), names.end());  // directory order is the platform's
    EXPECT_EQ(names, (Items{"Calm", "Sleep"}));
    EXPECT_EQ(list.ListIndex(), -1);
}

TEST_F(PhraseLibrary, FillWithoutFolderLeavesTheListEmpty) {
    CheckList list = ListOf({{"old", true}});
    FillComboWithFiles(list, app(), "Lists", "lst");
    EXPECT_TRUE(list.IsEmpty());
}

TEST_F(PhraseLibrary, SelectionTicksByNameWithoutRegardToCase) {
    CheckList list =
        ListOf({{"Calm", false}, {"Work", true}, {"Sleep", false}, {"Caf\u00e9", false}});
    Selection("1calm\r\n0WORK\r\n1Missing\r\n1CAF\xC9");  // the code page's bytes
    LoadCategorySelection(list, app());
    EXPECT_EQ(
        list.Entries(),
        ListOf({{"Calm", true}, {"Work", false}, {"Sleep", false}, {"Caf\u00e9", true}}).Entries());
}

TEST_F(PhraseLibrary, SelectionStopsAtTheFirstLineWithoutADigit) {
    CheckList list = ListOf({{"Calm", false}, {"Work", false}, {"Sleep", false}});
    Selection("1Calm\r\n7Work\r\nxSleep\r\n1Sleep");
    LoadCategorySelection(list, app());
    EXPECT_TRUE(list.IsTicked(0));
    EXPECT_FALSE(list.IsTicked(1));  // a digit other than 1 does not tick
    EXPECT_FALSE(list.IsTicked(2));

    Selection("1Calm\r\n\r\n1Sleep");
    CheckList again = ListOf({{"Calm", false}, {"Sleep", false}});
    LoadCategorySelection(again, app());
    EXPECT_TRUE(again.IsTicked(0));
    EXPECT_FALSE(again.IsTicked(1));
}

TEST_F(PhraseLibrary, MissingSelectionFileTicksNothing) {
    CheckList list = ListOf({{"Calm", false}});
    LoadCategorySelection(list, app());
    EXPECT_FALSE(list.IsTicked(0));
}

TEST_F(PhraseLibrary, TickCategoryTicksTheFirstMatchOnly) {
    CheckList list = ListOf({{"Calm", false}, {"CALM", false}});
    TickCategory(list, "calm", true);
    EXPECT_TRUE(list.IsTicked(0));
    EXPECT_FALSE(list.IsTicked(1));
    TickCategory(list, "Nothing", true);
    TickCategory(list, "cALM", false);
    EXPECT_FALSE(list.IsTicked(0));
}

// ---- Saving the ticks --------------------------------------------------------------------

TEST_F(PhraseLibrary, SaveSelectionWritesEveryEntryInOrder) {
    CheckList list = ListOf({{"Calm", true}, {"Work", false}, {"Sleep", true}});
    int pumps = 0;
    EXPECT_TRUE(SaveCategorySelection(list, app(), [&] { ++pumps; }));
    EXPECT_EQ(ReadBytes(SelectionFilePath(app())), "1Calm\r\n0Work\r\n1Sleep");
    EXPECT_EQ(pumps, 1);
}

TEST_F(PhraseLibrary, SaveSelectionOfAnEmptyListTouchesNothing) {
    Selection("1Calm");
    CheckList empty;
    int writes = 0;
    int pumps = 0;
    EXPECT_TRUE(SaveCategorySelection(
        empty, app(), [&] { ++pumps; },
        [&](const fs::path&, std::string_view) {
            ++writes;
            return true;
        }));
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(pumps, 0);
    EXPECT_EQ(ReadBytes(SelectionFilePath(app())), "1Calm");
}

TEST_F(PhraseLibrary, SaveSelectionRetriesUntilAWriteSucceeds) {
    CheckList list = ListOf({{"Calm", true}});
    std::vector<int> events;  // pump = -1, write attempt = its number
    int attempt = 0;
    EXPECT_TRUE(SaveCategorySelection(
        list, app(), [&] { events.push_back(-1); },
        [&](const fs::path& path, std::string_view bytes) {
            events.push_back(attempt);
            return attempt++ >= 5 && WriteWholeFile(path, bytes);
        }));
    EXPECT_EQ(events, (std::vector<int>{-1, 0, -1, 1, -1, 2, -1, 3, -1, 4, -1, 5}));
    EXPECT_EQ(ReadBytes(SelectionFilePath(app())), "1Calm");
}

TEST_F(PhraseLibrary, SaveSelectionGivesUpAfter101FailedWritesLeavingTheOldFile) {
    Selection("1Calm\r\n0Work");
    CheckList list = ListOf({{"Calm", false}, {"Work", true}});
    int attempts = 0;
    // Every attempt really starts the replace and breaks it halfway.
    const FileWriter failing = [&](const fs::path& path, std::string_view bytes) {
        ++attempts;
        return ReplaceFileAtomically(path, bytes, [](std::size_t) { return false; });
    };
    EXPECT_FALSE(SaveCategorySelection(list, app(), {}, failing));
    EXPECT_EQ(attempts, 101);
    EXPECT_EQ(ReadBytes(SelectionFilePath(app())), "1Calm\r\n0Work");
    EXPECT_EQ(FolderEntries(app()), (Items{"_._"}));
}

TEST_F(PhraseLibrary, SaveSelectionRestoresTheHighlightAndWritesTicksChangedMeanwhile) {
    CheckList list = ListOf({{"Calm", false}, {"Work", false}, {"Sleep", false}});
    list.SetListIndex(1);
    int attempt = 0;
    // A click handled while messages run moves the highlight and ticks Sleep.
    const MessagePump pump = [&] {
        if (attempt == 0) {
            list.SetListIndex(2);
            list.SetTicked(2, true);
        }
    };
    const FileWriter write = [&](const fs::path& path, std::string_view bytes) {
        return attempt++ > 0 && WriteWholeFile(path, bytes);
    };
    EXPECT_TRUE(SaveCategorySelection(list, app(), pump, write));
    EXPECT_EQ(list.ListIndex(), 1);
    EXPECT_EQ(ReadBytes(SelectionFilePath(app())), "0Calm\r\n0Work\r\n1Sleep");
}

TEST_F(PhraseLibrary, SaveSelectionFailsOnAReadOnlyFileAndKeepsIt) {
    Selection("1Calm");
    MakeReadOnly(SelectionFilePath(app()));
    CheckList list = ListOf({{"Calm", false}});
    EXPECT_FALSE(SaveCategorySelection(list, app(), {}));
    EXPECT_EQ(ReadBytes(SelectionFilePath(app())), "1Calm");
    EXPECT_EQ(FolderEntries(app()), (Items{"_._"}));
}

// ---- Loading and saving phrases ----------------------------------------------------------

TEST_F(PhraseLibrary, LoadTicksEachLineItsOwnEntry) {
    Category("Calm", "1I am calm\r\n0I sleep well\r\n1Deep");
    CheckList phrases = ListOf({{"stale", true}});
    phrases.SetListIndex(0);
    EXPECT_EQ(LoadPhrases(Selecting("Calm"), phrases, app()), PhraseLoad::kLoaded);
    EXPECT_EQ(phrases.Entries(),
              ListOf({{"I am calm", true}, {"I sleep well", false}, {"Deep", true}}).Entries());
    EXPECT_EQ(phrases.ListIndex(), -1);
}

TEST_F(PhraseLibrary, LoadWithoutFileOrCategoryLeavesAnEmptyList) {
    CheckList phrases = ListOf({{"stale", true}});
    EXPECT_EQ(LoadPhrases(Selecting("Nowhere"), phrases, app()), PhraseLoad::kNoFile);
    EXPECT_TRUE(phrases.IsEmpty());

    Category("Calm", "1Relax");
    CheckList categories = ListOf({{"Calm", false}});  // nothing highlighted
    EXPECT_EQ(LoadPhrases(categories, phrases, app()), PhraseLoad::kNoFile);
    EXPECT_TRUE(phrases.IsEmpty());

    Category("New", "");
    EXPECT_EQ(LoadPhrases(Selecting("New"), phrases, app()), PhraseLoad::kLoaded);
    EXPECT_TRUE(phrases.IsEmpty());
}

TEST_F(PhraseLibrary, HandEditedFileSurvivesALoadAndSave) {
    Category("Odd", "1a\r\n\r\nHello\r\n1\r\n0\xE9t\xE9\r\n");
    CheckList phrases;
    ASSERT_EQ(LoadPhrases(Selecting("Odd"), phrases, app()), PhraseLoad::kLoaded);
    EXPECT_EQ(phrases.Entries(), ListOf({{"a", true},
                                         {"", false},
                                         {"Hello", false},
                                         {"", true},
                                         {"\u00e9t\u00e9", false},
                                         {"", false}})
                                     .Entries());
    ASSERT_TRUE(SavePhrases(Selecting("Odd"), phrases, app()));
    EXPECT_EQ(ReadBytes(CategoryFile("Odd")), "1a\r\n0\r\n0Hello\r\n1\r\n0\xE9t\xE9\r\n0");

    CheckList reloaded;
    ASSERT_EQ(LoadPhrases(Selecting("Odd"), reloaded, app()), PhraseLoad::kLoaded);
    EXPECT_EQ(reloaded.Entries(), phrases.Entries());
}

TEST_F(PhraseLibrary, SaveWritesExactlySixBytes) {
    fs::create_directories(folder_ / "Lists");
    EXPECT_TRUE(SavePhrases(Selecting("Calm"), ListOf({{"a", true}, {"b", false}}), app()));
    const std::string bytes = ReadBytes(CategoryFile("Calm"));
    EXPECT_EQ(bytes, std::string("1a\r\n0b"));
    EXPECT_EQ(bytes.size(), 6u);
    EXPECT_EQ(FolderEntries(folder_ / "Lists"), (Items{"Calm.lst"}));
}

TEST_F(PhraseLibrary, SavingAnEmptiedListDeletesTheFile) {
    Category("Calm", "1Relax");
    EXPECT_TRUE(SavePhrases(Selecting("Calm"), CheckList{}, app()));
    EXPECT_FALSE(fs::exists(CategoryFile("Calm")));
    EXPECT_TRUE(SavePhrases(Selecting("Calm"), CheckList{}, app()));  // already gone

    CheckList categories;
    FillComboWithFiles(categories, app(), "Lists", "lst");
    EXPECT_TRUE(categories.IsEmpty());
}

TEST_F(PhraseLibrary, SaveRefusesWithoutAPlainCategory) {
    fs::create_directories(folder_ / "Lists");
    const CheckList phrases = ListOf({{"a", true}});
    EXPECT_FALSE(SavePhrases(ListOf({{"Calm", false}}), phrases, app()));
    EXPECT_FALSE(SavePhrases(Selecting("../Calm"), phrases, app()));
    EXPECT_FALSE(SavePhrases(Selecting("Calm"), ListOf({{"a\r\n1b", true}}), app()));
    EXPECT_TRUE(FolderEntries(folder_ / "Lists").empty());
    EXPECT_FALSE(fs::exists(app() / "Calm.lst"));
}

TEST_F(PhraseLibrary, FailedSavesLeaveTheFileAndTheList) {
    Category("Calm", "1Relax\r\n0Rest");
    const CheckList phrases = ListOf({{"New", true}});
    const FileWriter broken = [](const fs::path& path, std::string_view bytes) {
        return ReplaceFileAtomically(path, bytes, [](std::size_t) { return false; });
    };
    EXPECT_FALSE(SavePhrases(Selecting("Calm"), phrases, app(), broken));
    EXPECT_EQ(ReadBytes(CategoryFile("Calm")), "1Relax\r\n0Rest");
    EXPECT_EQ(phrases.Entries(), ListOf({{"New", true}}).Entries());

    MakeReadOnly(CategoryFile("Calm"));
    EXPECT_FALSE(SavePhrases(Selecting("Calm"), phrases, app()));
    EXPECT_FALSE(SavePhrases(Selecting("Calm"), CheckList{}, app()));  // no delete either
    EXPECT_EQ(ReadBytes(CategoryFile("Calm")), "1Relax\r\n0Rest");
    EXPECT_EQ(FolderEntries(folder_ / "Lists"), (Items{"Calm.lst"}));
}

}  // namespace
}  // namespace murmurex
