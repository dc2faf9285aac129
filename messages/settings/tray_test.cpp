#include "tray.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace murmurex {
namespace {

class RecordingShell : public TrayShell {
  public:
    std::uint32_t RecordSize() const override { return 488; }
    bool Notify(TrayCommand command, const TrayRecord& record) override {
        calls.emplace_back(command, record);
        return answer;
    }
    const TrayRecord& Last() const { return calls.back().second; }

    bool answer = true;
    std::vector<std::pair<TrayCommand, TrayRecord>> calls;
};

class FakeOwner : public TrayOwner {
  public:
    std::uintptr_t WindowHandle() const override { return 0x1234; }
    std::uintptr_t IconHandle() const override { return icon; }
    std::string Tag() const override { return tag; }
    bool Visible() const override { return visible; }
    void Show() override {
        ++shows;
        visible = true;
    }

    std::uintptr_t icon = 0x50;
    std::string tag = "Murmurex";
    bool visible = false;
    int shows = 0;
};

class TrayTest : public ::testing::Test {
  protected:
    RecordingShell shell;
    FakeOwner owner;
    clsTray tray{shell};
};

std::string Blanks(std::size_t count) {
    return std::string(count, ' ');
}

std::string Field(const TrayRecord& record) {
    return std::string(record.tip.begin(), record.tip.end());
}

TEST_F(TrayTest, ShowIconWithAnEmptyTipShowsTheOwnersTag) {
    std::string tip;
    tray.ShowIcon(owner, tip);
    EXPECT_EQ(tip, "Murmurex");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].first, TrayCommand::Add);
    const TrayRecord& sent = shell.Last();
    EXPECT_EQ(sent.size, 488u);
    EXPECT_EQ(sent.window, 0x1234u);
    EXPECT_EQ(sent.id, 1u);
    EXPECT_EQ(sent.flags, 7u);
    EXPECT_EQ(sent.callbackMessage, 0x200u);
    EXPECT_EQ(sent.icon, 0x50u);
    EXPECT_EQ(Field(sent), "Murmurex" + std::string(1, '\0') + Blanks(119));
    // A fresh record: the stored one and the flag are untouched.
    EXPECT_EQ(tray.StoredRecord(), TrayRecord{});
    EXPECT_FALSE(tray.bRunningInTray);
}

TEST_F(TrayTest, TipsAreCutSoTheFieldKeepsItsNul) {
    const struct {
        std::size_t length;
        std::size_t reaches;
    } cases[] = {{0, 0}, {1, 1}, {127, 127}, {128, 127}, {300, 127}};
    for (const auto& c : cases) {
        std::string tip(c.length, 'x');
        tray.ChangeToolTip(owner, tip);
        const TrayRecord& sent = shell.Last();
        EXPECT_EQ(sent.TipText(), std::string(c.reaches, 'x')) << c.length;
        EXPECT_EQ(sent.tip[c.reaches], '\0') << c.length;
        EXPECT_EQ(Field(sent).substr(c.reaches + 1), Blanks(127 - c.reaches)) << c.length;
    }
    // ShowIcon leaves a non-empty tip of the caller as it was, however long.
    std::string longTip(200, 'y');
    tray.ShowIcon(owner, longTip);
    EXPECT_EQ(longTip.size(), 200u);
    EXPECT_EQ(shell.Last().TipText(), std::string(127, 'y'));
}

TEST_F(TrayTest, EachOperationWritesItsOwnFieldsOfTheStoredRecord) {
    // A new object: ChangeIcon sends the zero fields it does not write, with the icon valid.
    tray.ChangeIcon(owner, 0x77);
    EXPECT_EQ(shell.calls.back().first, TrayCommand::Modify);
    TrayRecord expected;
    expected.size = 488;
    expected.window = 0x1234;
    expected.id = 1;
    expected.flags = kTrayIconValid;
    expected.icon = 0x77;
    EXPECT_EQ(shell.Last(), expected);

    tray.ChangeToolTip(owner, "Subliminal Message are ON.");
    expected.flags = 7;
    expected.callbackMessage = 0x200;
    expected.icon = 0x50;
    SetTrayTip(expected.tip, "Subliminal Message are ON.");
    EXPECT_EQ(shell.Last(), expected);

    // Flags, callback and tip are those ChangeToolTip left.
    tray.ChangeIcon(owner, 0x88);
    expected.icon = 0x88;
    EXPECT_EQ(shell.Last(), expected);

    tray.RemoveIcon(owner);
    EXPECT_EQ(shell.calls.back().first, TrayCommand::Delete);
    expected.callbackMessage = 1;
    expected.icon = 0x50;
    SetTrayTip(expected.tip, "");
    EXPECT_EQ(shell.Last(), expected);
    EXPECT_EQ(tray.StoredRecord(), expected);

    tray.ChangeIcon(owner, 0x99);
    expected.icon = 0x99;
    EXPECT_EQ(shell.Last(), expected);
}

TEST_F(TrayTest, ChangeToolTipSendsTheOwnersCurrentIcon) {
    std::string tip = "Click for menu options.";
    tray.ShowIcon(owner, tip);
    owner.icon = 0x51;
    tray.ChangeToolTip(owner, "Subliminal Message are OFF.");
    EXPECT_EQ(shell.Last().icon, 0x51u);
    EXPECT_EQ(shell.Last().TipText(), "Subliminal Message are OFF.");
}

TEST_F(TrayTest, RemoveIconShowsAHiddenOwnerAndClearsTheFlag) {
    tray.bRunningInTray = true;
    tray.RemoveIcon(owner);
    EXPECT_EQ(owner.shows, 1);
    EXPECT_FALSE(tray.bRunningInTray);

    // Visible already: only the icon goes. Without an icon the shell's refusal is ignored.
    shell.answer = false;
    tray.bRunningInTray = true;
    tray.RemoveIcon(owner);
    EXPECT_EQ(owner.shows, 1);
    EXPECT_FALSE(tray.bRunningInTray);
    EXPECT_EQ(shell.calls.size(), 2u);
}

TEST_F(TrayTest, RestoreAddsTheIconAsLastShown) {
    EXPECT_FALSE(tray.Restore());
    EXPECT_TRUE(shell.calls.empty());

    std::string tip = "Click for menu options.";
    tray.ShowIcon(owner, tip);
    tray.ChangeToolTip(owner, "Subliminal Message are ON.");
    tray.ChangeIcon(owner, 0x61);
    shell.calls.clear();

    ASSERT_TRUE(tray.Restore());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].first, TrayCommand::Add);
    const TrayRecord& again = shell.Last();
    EXPECT_EQ(again.flags, 7u);
    EXPECT_EQ(again.callbackMessage, 0x200u);
    EXPECT_EQ(again.icon, 0x61u);
    EXPECT_EQ(again.TipText(), "Subliminal Message are ON.");

    tray.RemoveIcon(owner);
    shell.calls.clear();
    EXPECT_FALSE(tray.Restore());
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayTest, AnIconAddedBeforeTheShellRanComesBackWhenItStarts) {
    shell.answer = false;
    std::string tip = "Click for menu options.";
    tray.ShowIcon(owner, tip);
    shell.answer = true;
    ASSERT_TRUE(tray.Restore());
    EXPECT_EQ(shell.Last().TipText(), "Click for menu options.");
}

}  // namespace
}  // namespace murmurex
