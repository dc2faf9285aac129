#pragma once
// The fixture of the tests that work the settings window of the real Messages.exe as a user
// does: the program copied into a folder of its own, started by its path from there as a first
// run (the window stays open), its message boxes found by their title and answered with real
// clicks, and its buttons, lists and edit boxes worked with real clicks and keys. The test
// writes the library it needs after this fixture's SetUp. For tests only.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_test_support_win.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"
#include "win/unique_handle.h"

namespace murmurex::program_test {

class SettingsWindowProgram : public ::testing::Test {
  protected:
    /// `folderLabel` begins the name of the program's folder; blanks and accents are kept.
    explicit SettingsWindowProgram(const std::wstring& folderLabel)
        : folder_(ProgramFolderLabel(
              folderLabel, ::testing::UnitTest::GetInstance()->current_test_info()->name())) {}

    void SetUp() override { InstallProgram(folder_.path(), MESSAGES_EXE_PATH); }
    void TearDown() override { Stop(); }

    fs::path List(const std::wstring& name) const { return folder_ / L"Lists" / (name + L".lst"); }

    // Starts the program by its path from its own folder as a first run, answers the hint with
    // OK (checked to hold `hint` when one is given) and finds the Messages page's lists and
    // edit boxes.
    void Start(const std::wstring& hint = {}) {
        win::test::StartedProcess started = StartProgram(folder_.path(), L"firstrun");
        ASSERT_TRUE(started);
        process_ = std::move(started.process);
        processId_ = started.id;
        ASSERT_TRUE(WaitFor(
            [&] { return (settings_ = FindTopWindow(processId_, kSettingsClass)) != nullptr; },
            20000));
        if (hint.empty()) {
            ASSERT_FALSE(AnswerAndRead(IDOK).empty()) << "no first-run hint";
        } else {
            ASSERT_TRUE(Answer(hint, IDOK));
        }
        const auto lists = VisibleChildren(settings_, "SysListView32");
        const auto boxes = VisibleChildren(settings_, "Edit");
        ASSERT_EQ(lists.size(), 2u);
        ASSERT_EQ(boxes.size(), 2u);
        categories_ = lists[0];
        phrases_ = lists[1];
        categoryBox_ = boxes[0];
        phraseBox_ = boxes[1];
    }

    // Asks the window to close, and ends the program by force when it does not.
    void Stop() {
        if (!process_) {
            return;
        }
        win::test::EndProcess(process_.get(), settings_, 5000);
        process_.reset();
        PumpMessages(200);
    }

    // The program's message box now showing, or null.
    HWND ShownBox() const { return FindShownDialog(processId_, kProgramTitle); }

    // Waits for the program's message box holding `text` and clicks `button`; a box that says
    // anything else is cancelled and fails the test.
    bool Answer(const std::wstring& text, int button) {
        const HWND box = AwaitBox();
        if (box == nullptr) {
            ADD_FAILURE() << "no message box";
            return false;
        }
        const std::wstring said = DialogText(box);
        if (said.find(text) == std::wstring::npos) {
            ADD_FAILURE() << "the box says: " << std::string(said.begin(), said.end());
            ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            return false;
        }
        const HWND pressed = ::GetDlgItem(box, button);
        if (pressed == nullptr) {
            ADD_FAILURE() << "the box has no button " << button;
            return false;
        }
        return Press(box, pressed);
    }

    // Waits for the program's message box, clicks `button` (OK where it has none) and answers
    // what the box said; empty when no box came.
    std::wstring AnswerAndRead(int button) {
        const HWND box = AwaitBox();
        if (box == nullptr) {
            return {};
        }
        const std::wstring said = DialogText(box);
        const HWND pressed = ::GetDlgItem(box, button);
        Press(box, pressed != nullptr ? pressed : ::GetDlgItem(box, IDOK));
        return said;
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

    // Clicks a styled button by its caption: the one under `underList` (a list's own buttons
    // share captions with the other list's), or anywhere on the window without one.
    void ClickButton(const std::wstring& caption, HWND underList = nullptr) {
        RECT list{};
        ::GetWindowRect(underList, &list);
        HWND found = nullptr;
        for (HWND button : VisibleChildren(settings_, "StyledButton")) {
            const POINT centre = CentreOf(button);
            if (found == nullptr && TextOf(button) == caption &&
                (underList == nullptr || (centre.x >= list.left && centre.x < list.right))) {
                found = button;
            }
        }
        ASSERT_NE(found, nullptr) << "no button " << std::string(caption.begin(), caption.end());
        Click(CentreOf(found));
        Idle();
    }

    // Types `text` into `box` as a user does: real keys where the keyboard has them, the
    // character itself where it does not (accents). Each character is awaited before the
    // next, since posted characters would overtake keys still on their way.
    void TypeKeys(HWND box, const std::wstring& text, bool clickFirst = true,
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
                PressWithShift(static_cast<WORD>(key & 0xFF), (key & 0x0100) != 0);
            }
            WaitFor([&] { return TextOf(box) != before; }, waitPerCharacterMs);
        }
        PumpMessages(50);
    }

    // Types `text` into `box` as an input method does, each UTF-16 unit as a Unicode key
    // event, and checks that the box then holds it.
    void TypeUnicode(HWND box, const std::wstring& text) {
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

    // Highlights row `index` with the keyboard after a click into the first row (away from
    // its check box).
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

    // Highlights row `index` and checks that the rows' own state shows it selected.
    void SelectRowAndCheck(HWND list, int index) {
        SelectRow(list, index);
        ASSERT_EQ(SelectedByRowState(list), index);
    }

    // Clicks below the last row, where a list view drops its selection.
    void ClickEmptySpaceOf(HWND list) {
        RECT client{};
        ::GetClientRect(list, &client);
        POINT below{60, client.bottom - 4};
        ::ClientToScreen(list, &below);
        Click(below);
        Idle();
    }

    std::vector<ListRow> Rows(HWND list) const { return ListRows(process_.get(), list); }

    std::vector<std::wstring> Texts(HWND list) const {
        std::vector<std::wstring> texts;
        for (const ListRow& row : Rows(list)) {
            texts.push_back(row.text);
        }
        return texts;
    }

    // The row the list itself reports selected (LVM_GETNEXTITEM), or -1.
    int Selected(HWND list) const {
        return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, -1, LVNI_SELECTED));
    }

    // The first row whose state, read row by row from the other process, is selected, or -1.
    int SelectedByRowState(HWND list) const {
        const auto rows = Rows(list);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].selected) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    const test_support::TestFolder folder_;
    win::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND settings_ = nullptr;
    HWND categories_ = nullptr;
    HWND phrases_ = nullptr;
    HWND categoryBox_ = nullptr;
    HWND phraseBox_ = nullptr;

  private:
    // The program's message box once it shows (within 5 s), or null.
    HWND AwaitBox() const {
        HWND box = nullptr;
        WaitFor([&] { return (box = ShownBox()) != nullptr; }, 5000);
        return box;
    }

    // Clicks `button` of `box`. The box is gone, and its caller has gone on, once the window
    // is destroyed (without a window manager that can take seconds under Wine).
    static bool Press(HWND box, HWND button) {
        Click(CentreOf(button));
        const bool gone = WaitFor([&] { return !::IsWindow(box); }, 15000);
        PumpMessages(150);
        return gone;
    }

    static void PressWithShift(WORD key, bool shift) {
        if (shift) {
            win::test::SendKeyInput(VK_SHIFT, false);
        }
        win::test::SendKeyInput(key, false);
        win::test::SendKeyInput(key, true);
        if (shift) {
            win::test::SendKeyInput(VK_SHIFT, true);
        }
    }
};

}  // namespace murmurex::program_test
