// The font button as a user works it: Messages.exe copied into a folder of its own (blanks
// and accents in its name), started from there with "firstrun" so the settings window shows,
// the "Edit Font" button clicked with the mouse, the platform's font dialog found among the
// program's windows and its face, style and size lists set, then OK or Cancel clicked.
//
// This Wine has no Verdana (no Windows fonts are installed; it draws with the system's DejaVu
// faces), so the test chooses Verdana when the dialog lists it and "DejaVu Serif" otherwise.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "program_test_support_win.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace {

namespace fs = std::filesystem;
using win::test::PumpMessages;
using namespace murmurex::program_test;

// The font dialog's own controls: face, style and size lists, the effects controls.
constexpr int kFaceList = 1136;
constexpr int kStyleList = 1137;
constexpr int kSizeList = 1138;
constexpr int kColourList = 1139;
constexpr int kStrikeout = 1040;
constexpr int kUnderline = 1041;

// An 8-point face this Wine has, red, 400 ms, a phrase every second.
constexpr char kSettings[] = "DejaVu Sans\r\n8\r\nFalse\r\nFalse\r\n255\r\n400\r\n1";
constexpr std::uint32_t kRedPixel = 0x00FF0000;

// The child of `parent` that passes `test`.
template <typename Test>
HWND FindChild(HWND parent, Test test) {
    struct Search {
        Test* test;
        HWND found = nullptr;
    } search{&test};
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            if ((*wanted->test)(window)) {
                wanted->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(HWND window) {
    murmurex::program_test::Click(CentreOf(window));
}

// The dialog's lists are Unicode windows: their texts cross the process boundary as such.
std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());  // the faces and sizes here are ASCII
}
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return narrow;
}
std::string NarrowText(HWND window) {
    return Narrow(murmurex::program_test::TextOf(window));
}

// Picks `text` in one of the font dialog's lists as a click in the list does: the selection
// moves and the dialog hears of it. False when the list has no such entry.
bool Pick(HWND dialog, int list, const std::string& text) {
    const HWND box = ::GetDlgItem(dialog, list);
    const std::wstring wanted = Wide(text);
    const LRESULT index = ::SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(wanted.c_str()));
    if (index == CB_ERR) {
        return false;
    }
    ::SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // A click also shows the entry in the box's edit field, which is what the dialog reads on OK.
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wanted.c_str()));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(list, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(box));
    PumpMessages(150);
    return true;
}

// The entry a list shows as chosen.
std::string Chosen(HWND dialog, int list) {
    const HWND box = ::GetDlgItem(dialog, list);
    const LRESULT index = ::SendMessageW(box, CB_GETCURSEL, 0, 0);
    wchar_t text[256] = {};
    if (index == CB_ERR) {
        ::SendMessageW(box, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
    } else {
        ::SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(text));
    }
    return Narrow(text);
}

class FontButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InstallProgram(folder_.path(), MESSAGES_EXE_PATH);
        WriteFileBytes(folder_ / "_._", "1Calm");
        WriteFileBytes(folder_ / "Lists" / "Calm.lst", "1I am calm and steady");
        WriteFileBytes(folder_ / "__.__", kSettings);
    }
    void TearDown() override {
        win::test::EndProcess(process_.get(), settings_, settings_ != nullptr ? 20000 : 0);
        PumpMessages(200);
    }

    // Starts the copy from its folder with "firstrun" and answers the hint.
    void StartShowingSettings() {
        win::test::StartedProcess started = StartProgram(folder_.path(), L"firstrun");
        ASSERT_TRUE(started);
        process_ = std::move(started.process);
        processId_ = started.id;
        HWND hint = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (hint = FindShownDialog(processId_)) != nullptr; }, 20000))
            << "the first-run hint never appeared";
        settings_ = FindTopWindow(processId_, kSettingsClass);
        message_ = FindTopWindow(processId_, kMessageClass);
        ASSERT_NE(settings_, nullptr);
        ASSERT_NE(message_, nullptr);
        ::PostMessageW(hint, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WaitFor([&] { return FindShownDialog(processId_) == nullptr; }, 3000));
        // The window may still be busy finishing its start-up after the hint.
        WaitFor(
            [&] {
                editFont_ =
                    FindChild(settings_, [](HWND w) { return NarrowText(w) == "Edit Font"; });
                preview_ = FindChild(settings_, [](HWND w) {
                    return ClassOf(w) == "Static" &&
                           (::GetWindowLongW(w, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW;
                });
                start_ = FindChild(settings_, [](HWND w) { return NarrowText(w) == "&Start"; });
                return editFont_ != nullptr && preview_ != nullptr && start_ != nullptr;
            },
            5000);
        ASSERT_NE(editFont_, nullptr);
        ASSERT_NE(preview_, nullptr);
        PumpMessages(300);
    }

    // Clicks "Edit Font" and waits for the font dialog.
    HWND OpenFontDialog() {
        Click(editFont_);
        HWND dialog = nullptr;
        WaitFor([&] { return (dialog = FindShownDialog(processId_)) != nullptr; }, 5000);
        if (dialog != nullptr) {
            WaitFor([&] { return ::GetDlgItem(dialog, kFaceList) != nullptr; }, 2000);
            PumpMessages(300);
        }
        return dialog;
    }

    bool CloseWith(HWND dialog, int button) {
        Click(::GetDlgItem(dialog, button));
        return WaitFor([&] { return !::IsWindow(dialog); }, 3000);
    }

    const test_support::TestFolder folder_{ProgramFolderLabel(
        L"font \u00e9t\u00e9", ::testing::UnitTest::GetInstance()->current_test_info()->name())};
    win::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND settings_ = nullptr;
    HWND message_ = nullptr;
    HWND editFont_ = nullptr;
    HWND preview_ = nullptr;
    HWND start_ = nullptr;
};

TEST_F(FontButtonTest, OpensOnThePreviewsFontWithoutEffectsAndChoosingBoldReachesEverything) {
    ASSERT_NO_FATAL_FAILURE(StartShowingSettings());
    const auto previewBefore = win::test::WindowPixelsOnScreen(preview_);

    const HWND dialog = OpenFontDialog();
    ASSERT_NE(dialog, nullptr) << "Edit Font opened no dialog";
    EXPECT_EQ(::GetWindow(dialog, GW_OWNER), settings_);
    // Opened on the preview's font: the settings file's face, size and style.
    EXPECT_EQ(Chosen(dialog, kFaceList), "DejaVu Sans");
    EXPECT_EQ(Chosen(dialog, kSizeList), "8");
    EXPECT_EQ(Chosen(dialog, kStyleList), "Regular");
    // No colour, so no effects controls.
    for (int id : {kStrikeout, kUnderline, kColourList}) {
        const HWND control = ::GetDlgItem(dialog, id);
        EXPECT_TRUE(control == nullptr || !::IsWindowVisible(control)) << "control " << id;
    }

    const std::string face = Pick(dialog, kFaceList, "Verdana") ? "Verdana" : "DejaVu Serif";
    if (face != "Verdana") {
        ASSERT_TRUE(Pick(dialog, kFaceList, face)) << "the dialog lists no " << face;
    }
    ASSERT_TRUE(Pick(dialog, kStyleList, "Bold"));
    ASSERT_TRUE(Pick(dialog, kSizeList, "12"));
    EXPECT_EQ(Chosen(dialog, kFaceList), face);
    EXPECT_EQ(Chosen(dialog, kStyleList), "Bold");
    EXPECT_EQ(Chosen(dialog, kSizeList), "12");
    win::test::SaveBitmapFile(win::test::CaptureScreen(),
                              folder_.path().parent_path() / "font-button-dialog.bmp");
    ASSERT_TRUE(CloseWith(dialog, IDOK));

    // The settings file holds the choice once the dialog has gone and the handler went on.
    std::vector<std::string> lines;
    WaitFor(
        [&] {
            lines = SplitLines(ReadFileBytes(folder_ / "__.__"));
            return lines.size() == 7 && lines[0] != "DejaVu Sans";
        },
        3000);
    if (lines.size() != 7 || lines[0] == "DejaVu Sans") {
        win::test::SaveBitmapFile(win::test::CaptureScreen(),
                                  folder_.path().parent_path() / "font-button-after-ok.bmp");
        std::printf("after OK: dialog shown %p\n", static_cast<void*>(FindShownDialog(processId_)));
    }
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], face);
    EXPECT_EQ(lines[1], "12");
    EXPECT_EQ(lines[2], "True");
    EXPECT_EQ(lines[3], "False");
    EXPECT_EQ(lines[4], "255");
    // The preview shows it.
    PumpMessages(300);
    EXPECT_NE(win::test::WindowPixelsOnScreen(preview_), previewBefore)
        << "the preview kept its look";

    // Start: the flashed phrase is drawn in the 12-point font, not the 8-point one it had.
    ASSERT_NE(start_, nullptr);
    Click(start_);
    ASSERT_TRUE(WaitFor(
        [&] {
            if (!::IsWindowVisible(message_)) {
                return false;
            }
            const auto pixels = win::test::WindowPixelsOnScreen(message_);
            for (std::uint32_t pixel : pixels) {
                if (pixel == kRedPixel) {
                    return true;
                }
            }
            return false;
        },
        6000))
        << "no red phrase was flashed";
    win::test::SaveBitmapFile(win::test::CaptureScreen(),
                              folder_.path().parent_path() / "font-button-flashed.bmp");
    RECT rect{};
    ::GetWindowRect(message_, &rect);
    const auto screen = win::GetWindowDcOwned(nullptr);
    const int twelvePoints = 12 * ::GetDeviceCaps(screen.get(), LOGPIXELSY) / 72;
    EXPECT_GE(rect.bottom - rect.top, twelvePoints);
}

TEST_F(FontButtonTest, CancelChangesNothing) {
    ASSERT_NO_FATAL_FAILURE(StartShowingSettings());
    const auto previewBefore = win::test::WindowPixelsOnScreen(preview_);
    const HWND dialog = OpenFontDialog();
    ASSERT_NE(dialog, nullptr) << "Edit Font opened no dialog";
    // Something else chosen, then Cancel.
    ASSERT_TRUE(Pick(dialog, kFaceList, "DejaVu Serif"));
    ASSERT_TRUE(Pick(dialog, kStyleList, "Bold Italic"));
    ASSERT_TRUE(Pick(dialog, kSizeList, "20"));
    ASSERT_TRUE(CloseWith(dialog, IDCANCEL));
    PumpMessages(300);
    EXPECT_EQ(ReadFileBytes(folder_ / "__.__"), kSettings);
    EXPECT_EQ(win::test::WindowPixelsOnScreen(preview_), previewBefore);

    // The dialog opens again on the unchanged font.
    const HWND again = OpenFontDialog();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(Chosen(again, kFaceList), "DejaVu Sans");
    EXPECT_EQ(Chosen(again, kSizeList), "8");
    EXPECT_EQ(Chosen(again, kStyleList), "Regular");
    EXPECT_TRUE(CloseWith(again, IDCANCEL));
}

}  // namespace
