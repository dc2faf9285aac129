// The dialog wrapper against the platform's own dialogs, driven through the hook: the hook
// presses a button the moment the dialog is initialised.
#include "common_dialog_win.h"

#include <gtest/gtest.h>

#include <cstring>

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
    bool slot_filled_while_open = false;
    std::intptr_t InitDialog(std::uintptr_t dialog) override {
        ++inits;
        slot_filled_while_open = mDialogHook::Slot() != nullptr;
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
    EXPECT_TRUE(owner.slot_filled_while_open);
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
    const Rect in_parent = dialog.GetDialogSize(window.get());
    EXPECT_EQ(in_parent.left, 150);
    EXPECT_EQ(in_parent.top, 100);
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
