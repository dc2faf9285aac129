// The real Messages.exe, started from a folder of its own (named in Greek), as a user works it:
// phrases and a category typed in Greek and Japanese (SendInput with KEYEVENTF_UNICODE) reach
// the files, the lists after a restart and the flashed window; and Delete acts only on the row
// the list shows selected.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ink_test_support_win.h"
#include "settings_window_program_win.h"

namespace {

using namespace murmurex::program_test;

constexpr wchar_t kGreek[] = L"\u0393\u03b5\u03b9\u03ac \u03c3\u03bf\u03c5";
constexpr char kGreekUtf8[] = "\u0393\u03b5\u03b9\u03ac \u03c3\u03bf\u03c5";
constexpr wchar_t kJapanese[] = L"\u3053\u3093\u306b\u3061\u306f\u4e16\u754c";
constexpr char kJapaneseUtf8[] = "\u3053\u3093\u306b\u3061\u306f\u4e16\u754c";
constexpr wchar_t kGreekName[] = L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac";
constexpr char kGreekNameUtf8[] = "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac";
constexpr char kBom[] = "\xEF\xBB\xBF";
// Code page 1252, as the program has always written its files.
constexpr char kWork[] = "0Caf\xE9 au lait";
// Arial 36 bold, red, a phrase every second shown for 1000 ms.
constexpr char kSettings[] = "Arial\r\n36\r\nTrue\r\nFalse\r\n255\r\n1000\r\n1";

class LibraryScriptsProgram : public SettingsWindowProgram {
  protected:
    LibraryScriptsProgram() : SettingsWindowProgram(L"\u03b3\u03c1\u03b1\u03c6\u03ae") {}

    void SetUp() override {
        SettingsWindowProgram::SetUp();
        WriteFileBytes(folder_ / "_._", "1Calm\r\n0Work");
        WriteFileBytes(List(L"Calm"), "1I am calm\r\n0I breathe slowly");
        WriteFileBytes(List(L"Work"), kWork);
        WriteFileBytes(folder_ / "__.__", kSettings);
    }
};

TEST_F(LibraryScriptsProgram, GreekAndJapaneseReachTheFilesTheListsAndTheFlash) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // Into Calm, the first category: its file becomes UTF-8, Work's stays as it was.
    TypeUnicode(phraseBox_, kGreek);
    ClickButton(L"Add", phrases_);
    TypeUnicode(phraseBox_, kJapanese);
    PressEnter();
    EXPECT_EQ(ReadFileBytes(List(L"Calm")), std::string(kBom) +
                                                "1I am calm\r\n0I breathe slowly\r\n1" +
                                                kGreekUtf8 + "\r\n1" + kJapaneseUtf8);

    // A category named in Greek holding only the Greek phrase, the only one ticked.
    TypeUnicode(categoryBox_, kGreekName);
    ClickButton(L"Add", categories_);
    TypeUnicode(phraseBox_, kGreek);
    ClickButton(L"Add", phrases_);
    EXPECT_EQ(ReadFileBytes(List(kGreekName)), std::string(kBom) + "1" + kGreekUtf8);
    SelectRow(categories_, 2);
    PressKey(VK_SPACE);
    SelectRow(categories_, 0);
    PressKey(VK_SPACE);
    Idle();
    EXPECT_EQ(ReadFileBytes(folder_ / "_._"),
              std::string(kBom) + "0Calm\r\n0Work\r\n1" + kGreekNameUtf8);
    EXPECT_EQ(ReadFileBytes(List(L"Work")), kWork);

    // After a restart the lists hold the same texts (categories in the folder's order).
    Stop();
    ASSERT_NO_FATAL_FAILURE(Start());
    auto names = Texts(categories_);
    const auto calm = std::find(names.begin(), names.end(), L"Calm") - names.begin();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Calm", L"Work", kGreekName}));
    SelectRow(categories_, static_cast<int>(calm));
    EXPECT_EQ(Texts(phrases_),
              (std::vector<std::wstring>{L"I am calm", L"I breathe slowly", kGreek, kJapanese}));

    // Started, the flashed phrase is the Greek one, letter for letter as Arial draws it.
    ClickButton(L"&Start");
    const auto expected = murmurex::ink_test::RenderedInk(L"Arial", 36, true, false, kGreek);
    ASSERT_FALSE(expected.pixels.empty());
    win::test::ScreenCapture last;
    const bool flashed = WaitFor(
        [&] {
            const auto found = TopWindows(processId_, kMessageClass);
            RECT area{};
            if (found.empty() || !::IsWindowVisible(found.front()) ||
                !::GetWindowRect(found.front(), &area)) {
                return false;
            }
            last = win::test::CaptureScreen();
            return murmurex::ink_test::RedInkIn(last, area).pixels == expected.pixels;
        },
        8000);
    if (!flashed) {
        win::test::SaveBitmapFile(last, folder_.path().parent_path() / "murmurex-greek-flash.bmp");
    }
    EXPECT_TRUE(flashed) << "the Greek phrase was never flashed as Arial draws it";
}

TEST_F(LibraryScriptsProgram, DeleteActsOnlyOnTheRowTheListShowsSelected) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(Selected(categories_), 0);
    const std::string calm = ReadFileBytes(List(L"Calm"));

    // A click below the rows leaves no category selected: Delete deletes nothing.
    ClickEmptySpaceOf(categories_);
    EXPECT_EQ(Selected(categories_), -1);
    ClickButton(L"Delete", categories_);
    EXPECT_EQ(AnswerAndRead(IDYES), L"Please select a category you wish to delete.");
    EXPECT_EQ(ReadFileBytes(List(L"Calm")), calm);
    EXPECT_EQ(ReadFileBytes(List(L"Work")), kWork);
    EXPECT_EQ(Texts(categories_), (std::vector<std::wstring>{L"Calm", L"Work"}));

    // The same for the phrases of Calm.
    SelectRow(categories_, 0);
    SelectRow(phrases_, 1);
    ASSERT_EQ(Selected(phrases_), 1);
    ClickEmptySpaceOf(phrases_);
    EXPECT_EQ(Selected(phrases_), -1);
    ClickButton(L"Delete", phrases_);
    EXPECT_EQ(AnswerAndRead(IDYES), L"Please select a subliminal message you wish to delete.");
    EXPECT_EQ(ReadFileBytes(List(L"Calm")), calm);
    EXPECT_EQ(Texts(phrases_), (std::vector<std::wstring>{L"I am calm", L"I breathe slowly"}));
}

}  // namespace
