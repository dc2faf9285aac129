// The real Messages.exe, started from a folder of its own (named in Greek), as a user works it:
// phrases and a category typed in Greek and Japanese (SendInput with KEYEVENTF_UNICODE) reach
// the files, the lists after a restart and the flashed window; and Delete acts only on the row
// the list shows selected.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "ink_test_support_win.h"
#include "program_test_support_win.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"
#include "win/unique_handle.h"

namespace {

using namespace murmurex::program_test;

constexpr char kSettingsClass[] = "MurmurexSettingsWindow";
constexpr char kMessageClass[] = "MurmurexMessageWindow";
constexpr wchar_t kTitle[] = L"Murmurex";
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

class LibraryScriptsProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallProgram(folder_.path(), MESSAGES_EXE_PATH);
        WriteFile(folder_ / "_._", "1Calm\r\n0Work");
        WriteFile(List(L"Calm"), "1I am calm\r\n0I breathe slowly");
        WriteFile(List(L"Work"), kWork);
        WriteFile(folder_ / "__.__", kSettings);
    }

    void TearDown() override { Stop(); }

    fs::path List(const std::wstring& name) const { return folder_ / L"Lists" / (name + L".lst"); }

    // Starts the program by its path from its own folder; a first run shows the settings
    // window and its hint, which is answered.
    void Start(const wchar_t* arguments = L"firstrun") {
        win::test::StartedProcess started = StartProgram(folder_.path(), arguments);
        ASSERT_TRUE(started);
        process_ = std::move(started.process);
        processId_ = started.id;
        ASSERT_TRUE(WaitFor(
            [&] {
                const auto found = TopWindows(processId_, kSettingsClass);
                settings_ = found.empty() ? nullptr : found.front();
                return settings_ != nullptr;
            },
            20000));
        ASSERT_FALSE(Answer(IDOK).empty()) << "no first-run hint";
        const auto lists = VisibleChildren(settings_, "SysListView32");
        const auto boxes = VisibleChildren(settings_, "Edit");
        ASSERT_EQ(lists.size(), 2u);
        ASSERT_EQ(boxes.size(), 2u);
        categories_ = lists[0];
        phrases_ = lists[1];
        categoryBox_ = boxes[0];
        phraseBox_ = boxes[1];
    }

    void Stop() {
        if (!process_) {
            return;
        }
        ::PostMessageW(settings_, WM_CLOSE, 0, 0);
        WaitFor([&] { return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }, 5000);
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 5000);
        process_.reset();
        PumpMessages(200);
    }

    // Waits for the program's message box, presses `button` (or OK where it has none) and
    // answers the box's text; empty when no box came.
    std::wstring Answer(int button) {
        HWND box = nullptr;
        WaitFor(
            [&] {
                for (HWND shown : TopWindows(processId_, "#32770")) {
                    box = ::IsWindowVisible(shown) && TextOf(shown) == kTitle ? shown : box;
                }
                return box != nullptr;
            },
            5000);
        std::wstring text;
        for (HWND child : box != nullptr ? VisibleChildren(box, "Static") : std::vector<HWND>{}) {
            text += TextOf(child);
        }
        if (box != nullptr) {
            HWND pressed = ::GetDlgItem(box, button);
            Click(CentreOf(pressed != nullptr ? pressed : ::GetDlgItem(box, IDOK)));
            WaitFor([&] { return !::IsWindow(box); }, 15000);
        }
        return text;
    }

    // Waits until the program has handled what it was sent.
    void Idle() {
        for (int round = 0; round < 3; ++round) {
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(settings_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
            PumpMessages(30);
        }
    }

    void ClickButton(const std::wstring& caption, HWND underList = nullptr) {
        RECT list{};
        ::GetWindowRect(underList, &list);
        for (HWND button : VisibleChildren(settings_, "StyledButton")) {
            const POINT centre = CentreOf(button);
            if (TextOf(button) == caption &&
                (underList == nullptr || (centre.x >= list.left && centre.x < list.right))) {
                Click(centre);
                Idle();
                return;
            }
        }
        ADD_FAILURE() << "no button " << std::string(caption.begin(), caption.end());
    }

    // Types `text` as an input method does: each UTF-16 unit as a Unicode key event.
    void Type(HWND box, const std::wstring& text) {
        Click(CentreOf(box));
        for (wchar_t unit : text) {
            INPUT keys[2] = {};
            for (INPUT& key : keys) {
                key.type = INPUT_KEYBOARD;
                key.ki.wScan = unit;
                key.ki.dwFlags = KEYEVENTF_UNICODE;
            }
            keys[1].ki.dwFlags |= KEYEVENTF_KEYUP;
            ::SendInput(2, keys, sizeof(INPUT));
            PumpMessages(30);
        }
        WaitFor([&] { return TextOf(box) == text; }, 3000);
        EXPECT_EQ(TextOf(box), text);
    }

    // Highlights row `index` with the keyboard after a click into the first row.
    void SelectRow(HWND list, int index) {
        POINT first{60, 6};
        ::ClientToScreen(list, &first);
        Click(first);
        PressKey(VK_HOME);
        for (int i = 0; i < index; ++i) {
            PressKey(VK_DOWN);
        }
        Idle();
    }

    void ClickEmptySpaceOf(HWND list) {
        RECT client{};
        ::GetClientRect(list, &client);
        POINT below{60, client.bottom - 4};
        ::ClientToScreen(list, &below);
        Click(below);
        Idle();
    }

    std::vector<std::wstring> Texts(HWND list) const {
        std::vector<std::wstring> texts;
        for (const ListRow& row : ListRows(process_.get(), list)) {
            texts.push_back(row.text);
        }
        return texts;
    }

    int Selected(HWND list) const {
        return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    }

    const test_support::TestFolder folder_{
        ProgramFolderLabel(L"\u03b3\u03c1\u03b1\u03c6\u03ae",
                           ::testing::UnitTest::GetInstance()->current_test_info()->name())};
    win::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND settings_ = nullptr;
    HWND categories_ = nullptr;
    HWND phrases_ = nullptr;
    HWND categoryBox_ = nullptr;
    HWND phraseBox_ = nullptr;
};

TEST_F(LibraryScriptsProgram, GreekAndJapaneseReachTheFilesTheListsAndTheFlash) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // Into Calm, the first category: its file becomes UTF-8, Work's stays as it was.
    Type(phraseBox_, kGreek);
    ClickButton(L"Add", phrases_);
    Type(phraseBox_, kJapanese);
    PressKey(VK_RETURN);
    Idle();
    EXPECT_EQ(ReadFile(List(L"Calm")), std::string(kBom) + "1I am calm\r\n0I breathe slowly\r\n1" +
                                           kGreekUtf8 + "\r\n1" + kJapaneseUtf8);

    // A category named in Greek holding only the Greek phrase, the only one ticked.
    Type(categoryBox_, kGreekName);
    ClickButton(L"Add", categories_);
    Type(phraseBox_, kGreek);
    ClickButton(L"Add", phrases_);
    EXPECT_EQ(ReadFile(List(kGreekName)), std::string(kBom) + "1" + kGreekUtf8);
    SelectRow(categories_, 2);
    PressKey(VK_SPACE);
    SelectRow(categories_, 0);
    PressKey(VK_SPACE);
    Idle();
    EXPECT_EQ(ReadFile(folder_ / "_._"),
              std::string(kBom) + "0Calm\r\n0Work\r\n1" + kGreekNameUtf8);
    EXPECT_EQ(ReadFile(List(L"Work")), kWork);

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
    const std::string calm = ReadFile(List(L"Calm"));

    // A click below the rows leaves no category selected: Delete deletes nothing.
    ClickEmptySpaceOf(categories_);
    EXPECT_EQ(Selected(categories_), -1);
    ClickButton(L"Delete", categories_);
    EXPECT_EQ(Answer(IDYES), L"Please select a category you wish to delete.");
    EXPECT_EQ(ReadFile(List(L"Calm")), calm);
    EXPECT_EQ(ReadFile(List(L"Work")), kWork);
    EXPECT_EQ(Texts(categories_), (std::vector<std::wstring>{L"Calm", L"Work"}));

    // The same for the phrases of Calm.
    SelectRow(categories_, 0);
    SelectRow(phrases_, 1);
    ASSERT_EQ(Selected(phrases_), 1);
    ClickEmptySpaceOf(phrases_);
    EXPECT_EQ(Selected(phrases_), -1);
    ClickButton(L"Delete", phrases_);
    EXPECT_EQ(Answer(IDYES), L"Please select a subliminal message you wish to delete.");
    EXPECT_EQ(ReadFile(List(L"Calm")), calm);
    EXPECT_EQ(Texts(phrases_), (std::vector<std::wstring>{L"I am calm", L"I breathe slowly"}));
}

}  // namespace
