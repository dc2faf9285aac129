#include "dialog_hook_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace murmurex::dialogs {
namespace {

class RecordingOwner : public DialogNotifications {
  public:
    std::vector<std::string> calls;
    bool confirm = true;
    std::intptr_t InitDialog(std::uintptr_t d) override { return Note("init", d); }
    std::intptr_t FileChange(std::uintptr_t d) override { return Note("file", d); }
    std::intptr_t FolderChange(std::uintptr_t d) override { return Note("folder", d); }
    std::intptr_t TypeChange(std::uintptr_t d) override { return Note("type", d); }
    bool ConfirmOK() override {
        calls.push_back("ok");
        return confirm;
    }
    void DialogClose() override { calls.push_back("close"); }
    void WMCommand(std::uintptr_t d, std::uintptr_t c, std::intptr_t p) override {
        calls.push_back("command " + std::to_string(d) + " " + std::to_string(c) + " " +
                        std::to_string(p));
    }

  private:
    std::intptr_t Note(const char* what, std::uintptr_t dialog) {
        calls.push_back(std::string(what) + " " + std::to_string(dialog));
        return 0;
    }
};

TEST(DialogHook, EachMessageRaisesItsNotification) {
    RecordingOwner owner;
    EXPECT_EQ(RouteHookMessage(&owner, 5, 272, 0, 0, 0).answer, 0);
    RouteHookMessage(&owner, 5, 78, 0, 0, -607);
    RouteHookMessage(&owner, 5, 78, 0, 0, -603);
    RouteHookMessage(&owner, 5, 78, 0, 0, -602);
    RouteHookMessage(&owner, 5, 273, 1, -9, 0);
    RouteHookMessage(&owner, 5, 2, 0, 0, 0);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"init 5", "type 5", "folder 5", "file 5",
                                                     "command 5 1 -9", "close"}));
}

TEST(DialogHook, RefusedOkKeepsTheDialogOpen) {
    RecordingOwner owner;
    owner.confirm = false;
    const HookAnswer refused = RouteHookMessage(&owner, 5, 78, 0, 0, -606);
    EXPECT_EQ(refused.answer, 1);
    EXPECT_EQ(refused.messageResult, 1);
    owner.confirm = true;
    const HookAnswer accepted = RouteHookMessage(&owner, 5, 78, 0, 0, -606);
    EXPECT_EQ(accepted.answer, 0);
    EXPECT_EQ(accepted.messageResult, 0);
}

TEST(DialogHook, OtherMessagesAndNoTargetRaiseNothing) {
    RecordingOwner owner;
    EXPECT_EQ(RouteHookMessage(&owner, 5, 15, 0, 0, 0).answer, 0);
    EXPECT_EQ(RouteHookMessage(&owner, 5, 78, 0, 0, -601).answer, 0);
    // A code of another message is not a notification.
    RouteHookMessage(&owner, 5, 273, 0, 0, -606);
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"command 5 0 0"}));
    EXPECT_EQ(RouteHookMessage(nullptr, 5, 272, 0, 0, 0).answer, 0);
}

}  // namespace
}  // namespace murmurex::dialogs
