// The dialog wrapper against the platform's own dialogs, driven through the hook: the hook
// presses a button the moment the dialog is initialised.
#include "common_dialog_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

#include "phrase_test_files.h"

#include "dialog_hook_win.h"
#include "helper_error.h"
#include "memory_win.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace murmurex::dialogs {
namespace {

// Presses one button of the dialog as soon as it opens and records what it was told.
class PressingOwner : public DialogNotifications {
  public:
    explicit PressingOwner(int button) : button_(button) {}
    int inits = 0;
    int closes = 0;
    bool slotFilledWhileOpen = false;
    std::intptr_t InitDialog(std::uintptr_t dialog) override {
        ++inits;
        slotFilledWhileOpen = mDialogHook::Slot() != nullptr;
        ::PostMessageA(reinterpret_cast<HWND>(dialog), WM_COMMAND, MAKEWPARAM(button_, BN_CLICKED),
                       0);
        return 0;
    }
    std::intptr_t FileChange(std::uintptr_t) override { return 0; }
    std::intptr_t FolderChange(std::uintptr_t) override { return 0; }
    std::intptr_t TypeChange(std::uintptr_t) override { return 0; }
    bool ConfirmOK() override { return true; }
    void DialogClose() override { ++closes; }
    void WMCommand(std::uintptr_t, std::uintptr_t, std::intptr_t) override {}

  private:
    int button_;
};

cCommonDialog SettingsWindowFontDialog(PressingOwner& owner) {
    cCommonDialog dialog("Messages", &owner);
    dialog.flags = 1;
    // A face every machine running the tests has; the dialog falls back to its first face
    // for a name it does not list.
    dialog.FontName("DejaVu Sans");
    dialog.FontSize(10);
    dialog.FontBold(false);
    dialog.FontItalic(false);
    dialog.HookDialog = true;
    return dialog;
}

TEST(CommonDialogWin, CancelledFontDialogLeavesTheFontAndRaisesNothing) {
    PressingOwner owner(IDCANCEL);
    cCommonDialog dialog = SettingsWindowFontDialog(owner);
    const auto font = dialog.Font();
    EXPECT_FALSE(dialog.ShowFont());
    EXPECT_EQ(owner.inits, 1);
    EXPECT_TRUE(owner.slotFilledWhileOpen);
    EXPECT_EQ(mDialogHook::Slot(), nullptr);
    EXPECT_EQ(dialog.flags, 0x41);
    EXPECT_EQ(dialog.FontName(), "DejaVu Sans");
    EXPECT_EQ(dialog.FontSize(), 10);
    EXPECT_FALSE(dialog.FontBold());
    EXPECT_EQ(dialog.Font(), font);
    EXPECT_EQ(LastHelperError().number, 0);
}

TEST(CommonDialogWin, FontDialogOkGivesBackTheFontItOpenedOn) {
    PressingOwner owner(IDOK);
    cCommonDialog dialog = SettingsWindowFontDialog(owner);
    dialog.FontBold(true);
    dialog.FontSize(12);
    const auto font = dialog.Font();
    EXPECT_TRUE(dialog.ShowFont());
    EXPECT_EQ(dialog.FontName(), "DejaVu Sans");
    EXPECT_EQ(dialog.FontSize(), 12);
    EXPECT_TRUE(dialog.FontBold());
    EXPECT_FALSE(dialog.FontItalic());
    // Font hands out the very object the members changed.
    EXPECT_EQ(dialog.Font(), font);
    EXPECT_EQ(font->name, "DejaVu Sans");
    EXPECT_EQ(LastHelperError().number, 0);
}

TEST(CommonDialogWin, CentreDialogWithoutParentUsesTheWorkArea) {
    ASSERT_TRUE(win::test::RegisterWindowClass("DialogsCentreTest"));
    win::UniqueWindow window(::CreateWindowExA(0, "DialogsCentreTest", "centre", WS_POPUP, 3, 7,
                                               401, 301, nullptr, nullptr,
                                               ::GetModuleHandleA(nullptr), nullptr));
    ASSERT_TRUE(window);
    RECT work{};
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    cCommonDialog dialog("Messages");
    dialog.CentreDialog(window.get(), nullptr);
    const Rect placed = dialog.GetDialogSize(window.get());
    EXPECT_EQ(placed.left, work.left + (work.right - work.left - 401) / 2);
    EXPECT_EQ(placed.top, work.top + (work.bottom - work.top - 301) / 2);
    EXPECT_EQ(placed.right, 401);   // width
    EXPECT_EQ(placed.bottom, 301);  // height

    win::UniqueWindow parent(::CreateWindowExA(0, "DialogsCentreTest", "parent", WS_POPUP, 100, 50,
                                               200, 200, nullptr, nullptr,
                                               ::GetModuleHandleA(nullptr), nullptr));
    ::MoveWindow(window.get(), 0, 0, 100, 100, FALSE);
    dialog.CentreDialog(window.get(), parent.get());
    const Rect inParent = dialog.GetDialogSize(window.get());
    EXPECT_EQ(inParent.left, 150);
    EXPECT_EQ(inParent.top, 100);
}

// Presses OK on an explorer-style file dialog (the hook's dialog is a child of the frame);
// refuses the first OK, which must keep the dialog open, and accepts the second.
class FileDialogOwner : public PressingOwner {
  public:
    FileDialogOwner() : PressingOwner(IDOK) {}
    HWND frame = nullptr;
    int confirms = 0;
    std::intptr_t InitDialog(std::uintptr_t dialog) override {
        frame = ::GetParent(reinterpret_cast<HWND>(dialog));
        ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    bool ConfirmOK() override {
        if (++confirms == 1) {
            ::PostMessageA(frame, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return false;
        }
        return true;
    }
};

TEST(CommonDialogWin, OpenDialogStaysOpenWhileTheOwnerRefusesOk) {
    test_support::TestFolder temp;
    murmurex::testing::WriteBytes(temp.path() / "Caf\xE9 list.lst", "1x");
    FileDialogOwner owner;
    cCommonDialog dialog("Messages", &owner);
    dialog.HookDialog = true;
    dialog.flags = 0x200 | 0x40;  // multiple selection; a template without an instance goes
    dialog.Filter = "Lists (*.lst)|*.lst|All files|*.*";
    dialog.InitDir = temp.path().string();
    dialog.FileName = "Caf\xE9 list.lst";
    ASSERT_TRUE(dialog.ShowOpen());
    EXPECT_EQ(owner.confirms, 2);
    const MultiFileName chosen = dialog.ParseMultiFileName();
    EXPECT_EQ(chosen.count, 1);
    ASSERT_EQ(chosen.names.size(), 1u);
    EXPECT_EQ(chosen.names[0], "Caf\xE9 list.lst");
    EXPECT_TRUE(std::filesystem::equivalent(chosen.folder, temp.path()));
    EXPECT_EQ(dialog.flags & 0x40, 0);
    EXPECT_NE(dialog.flags & 0x80000, 0);  // explorer style came with the multiple selection
    EXPECT_EQ(dialog.FilterIndex, 1);
}

TEST(CommonDialogWin, ColourDialogKeepsTheColourAndTheCustomColours) {
    PressingOwner owner(IDOK);
    cCommonDialog dialog("Messages", &owner);
    dialog.HookDialog = true;
    dialog.Color = 0x00336699;
    dialog.CustomColor(0, 0x00112233);
    dialog.CustomColor(15, 0x00445566);
    EXPECT_TRUE(dialog.ShowColor());
    EXPECT_EQ(owner.inits, 1);
    EXPECT_EQ(dialog.Color, 0x00336699u);
    EXPECT_EQ(dialog.CustomColor(0), 0x00112233u);
    EXPECT_EQ(dialog.CustomColor(15), 0x00445566u);
}

TEST(CommonDialogWin, CancelledColourDialogRaisesNothing) {
    PressingOwner owner(IDCANCEL);
    cCommonDialog dialog("Messages", &owner);
    dialog.HookDialog = true;
    dialog.Color = 0x000000FF;
    EXPECT_FALSE(dialog.ShowColor());
    EXPECT_EQ(dialog.Color, 0x000000FFu);
    EXPECT_EQ(LastHelperError().number, 0);
}

TEST(CommonDialogWin, ShowHelpRefusesTheWindowPositionCommands) {
    cCommonDialog dialog("Messages");
    dialog.HelpFile = "C:\\nowhere\\Help.hlp";
    for (const std::uint32_t command : {513u, 515u}) {
        dialog.HelpCommand = command;
        EXPECT_FALSE(dialog.ShowHelp());
        EXPECT_EQ(LastHelperError().number, 13705);
        EXPECT_EQ(LastHelperError().description,
                  "Invalid WinHelp Command Passed to ShowHelp function.");
        EXPECT_EQ(LastHelperError().source, "Messages.cCommonDialog");
    }
}

TEST(CommonDialogWin, CancelledSaveDialogClearsTheFileName) {
    // An explorer dialog's hook sits on a child: cancel goes to the frame.
    class FrameCanceller : public PressingOwner {
      public:
        FrameCanceller() : PressingOwner(IDCANCEL) {}
        std::intptr_t InitDialog(std::uintptr_t dialog) override {
            ++inits;
            ::PostMessageA(::GetParent(reinterpret_cast<HWND>(dialog)), WM_COMMAND,
                           MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            return 0;
        }
    } canceller;
    cCommonDialog dialog("Messages", &canceller);
    dialog.HookDialog = true;
    dialog.FileName = "C:\\Lists\\Words.lst";
    dialog.FileTitle = "Words.lst";
    EXPECT_FALSE(dialog.ShowSave());
    EXPECT_EQ(canceller.inits, 1);
    EXPECT_EQ(dialog.FileName, "");
    EXPECT_EQ(dialog.FileTitle, "");
    EXPECT_EQ(LastHelperError().number, 0);
}

// Works a dialog from another thread as a user would from outside: waits for the dialog of
// the test's thread to show, then hands it to `work` once.
class DialogWatcher {
  public:
    explicit DialogWatcher(std::function<void(HWND)> work)
        : dialogThread_(::GetCurrentThreadId()), thread_([this, work] {
              for (int i = 0; i < 200 && !done_; ++i) {
                  if (HWND dialog = ShownDialog()) {
                      ::Sleep(200);  // let it finish its own start-up
                      work(dialog);
                      worked_ = true;
                      return;
                  }
                  ::Sleep(50);
              }
          }) {}
    ~DialogWatcher() { Stop(); }
    void Stop() {
        done_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    bool Worked() const { return worked_; }

  private:
    HWND ShownDialog() const {
        HWND found = nullptr;
        ::EnumThreadWindows(
            dialogThread_,
            [](HWND window, LPARAM data) -> BOOL {
                char name[16] = {};
                ::GetClassNameA(window, name, sizeof name);
                if (std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(window)) {
                    *reinterpret_cast<HWND*>(data) = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    DWORD dialogThread_;
    std::atomic<bool> done_{false};
    std::atomic<bool> worked_{false};
    std::thread thread_;
};

TEST(CommonDialogWin, OpenDialogFilledAndConfirmedByTheUser) {
    test_support::TestFolder temp;
    const auto folder = temp.path() / L"Listes d'\u00e9t\u00e9";
    std::filesystem::create_directories(folder);
    murmurex::testing::WriteBytes(folder / "Calm and Quiet.LST", "1I am calm");
    murmurex::testing::WriteBytes(folder / "Work.lst", "1Never");
    DialogWatcher watcher([](HWND dialog) {
        // The file-name box of the explorer dialog (a combo box), or of the older one.
        HWND name = ::GetDlgItem(dialog, 0x480);
        if (name == nullptr || !::IsWindowVisible(name)) {
            name = ::GetDlgItem(dialog, 0x47C);
        }
        ::SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Calm and Quiet.LST"));
        ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    cCommonDialog dialog("Messages");
    dialog.Filter = "Phrase lists (*.lst)|*.lst|All files (*.*)|*.*";
    dialog.FilterIndex = 1;
    // The wrapper speaks ANSI (code page 1252 here); the temporary folder's own name is ASCII.
    const std::string ansiFolder = temp.path().string() + "\\Listes d'\xE9t\xE9";
    dialog.InitDir = ansiFolder;
    ASSERT_NE(::GetFileAttributesA(dialog.InitDir.c_str()), INVALID_FILE_ATTRIBUTES)
        << dialog.InitDir;
    dialog.DialogTitle = "Choose a list";
    const bool chosen = dialog.ShowOpen();
    watcher.Stop();
    ASSERT_TRUE(watcher.Worked()) << "no dialog showed";
    ASSERT_TRUE(chosen) << "error " << LastHelperError().number;
    EXPECT_EQ(dialog.FileName, ansiFolder + "\\Calm and Quiet.LST");
    EXPECT_EQ(dialog.FileTitle, "Calm and Quiet.LST");
    EXPECT_EQ(dialog.FilterIndex, 1);
    EXPECT_EQ(LastHelperError().number, 0);
}

TEST(CommonDialogWin, ColourDialogFilledAndConfirmedByTheUser) {
    DialogWatcher watcher([](HWND dialog) {
        // The red, green and blue boxes.
        const std::pair<int, const char*> values[] = {{706, "18"}, {707, "52"}, {708, "86"}};
        for (const auto& [id, text] : values) {
            ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        }
        ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    cCommonDialog dialog("Messages");
    dialog.Color = 0x000000FF;
    const bool chosen = dialog.ShowColor();
    watcher.Stop();
    ASSERT_TRUE(watcher.Worked()) << "no dialog showed";
    ASSERT_TRUE(chosen);
    EXPECT_EQ(dialog.Color, RGB(18, 52, 86));
    EXPECT_EQ(LastHelperError().number, 0);
}

TEST(MemoryWin, AllocatesLocksAndHandsOverABlock) {
    cMemory memory;
    EXPECT_EQ(memory.Size(), 0u);
    EXPECT_EQ(memory.Pointer(), nullptr);
    ASSERT_TRUE(memory.AllocateMemory(26, GMEM_MOVEABLE | GMEM_ZEROINIT));
    EXPECT_GE(memory.Size(), 26u);
    ASSERT_TRUE(memory.LockMemory());
    auto* bytes = static_cast<unsigned char*>(memory.Pointer());
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes[25], 0);
    std::memcpy(bytes, "murmur", 6);
    memory.UnlockMemory();
    EXPECT_EQ(std::memcmp(memory.Pointer(), "murmur", 6), 0);

    const HGLOBAL taken = memory.Handle();
    memory.ReleaseDontFreeMemory();
    EXPECT_EQ(memory.Handle(), nullptr);
    EXPECT_GE(::GlobalSize(taken), 26u);  // still alive: the taker owns it
    memory.Handle(taken);
    EXPECT_EQ(memory.Handle(), taken);
    memory.FreeMemory();
    EXPECT_EQ(memory.Size(), 0u);
}

}  // namespace
}  // namespace murmurex::dialogs
