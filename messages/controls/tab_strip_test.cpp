#include "tab_strip.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace murmurex {
namespace {

// Records what a view would be told, and the events the host sees.
class RecordingView : public TabMenuView {
  public:
    void ElementCreated(TabKind kind, int index) override { created.emplace_back(kind, index); }
    void ElementChanged(TabKind kind, int index) override { changed.emplace_back(kind, index); }

    std::vector<std::pair<TabKind, int>> created;
    std::vector<std::pair<TabKind, int>> changed;
};

class TabMenuTest : public ::testing::Test {
  protected:
    TabMenuTest() {
        strip.ItemClick = [this] { events.push_back("ItemClick:" + strip.ClickedItem); };
        strip.ItemMenuClick = [this] { events.push_back("ItemMenuClick:" + strip.ClickedItem); };
    }

    // The settings window's strip: three tabs.
    void AddSettingsTabs() {
        ASSERT_EQ(strip.AddButton(1, "Messages"), TabStatus::Ok);
        ASSERT_EQ(strip.AddButton(1, "Help"), TabStatus::Ok);
        ASSERT_EQ(strip.AddButton(1, "About"), TabStatus::Ok);
    }

    // The n-th added tab / menu button (1 = first added).
    TabButton& AddedTab(int n) { return *strip.Tab(n + 1); }
    TabButtonMenu& AddedMenu(int n) { return *strip.Menu(n + 1); }

    RecordingView view;
    TabMenu strip{&view};
    std::vector<std::string> events;
};

TEST(TabLayout, SixteenBitStepsReportOverflow) {
    EXPECT_EQ(Mul16(31, 1050), 32550);
    EXPECT_EQ(Mul16(32, 1050), std::nullopt);
    EXPECT_EQ(Add16(32767, 1), std::nullopt);
    EXPECT_EQ(Sub16(-32768, 1), std::nullopt);
    EXPECT_EQ(Sub16(-32767, 1), -32768);
    // The 30th tab (element 31) is the last whose product fits.
    EXPECT_EQ(NewTabLeft(31, 1), 29 * 1050);
    EXPECT_EQ(NewTabLeft(32, 1), std::nullopt);
    // The sum overflows although each part fits.
    EXPECT_EQ(NewMenuButtonLeft(31, 5), 30 * 1050 + 3 * 405);
    EXPECT_EQ(NewMenuButtonLeft(31, 6), std::nullopt);
}

TEST_F(TabMenuTest, ButtonsLineUpInTheOrderAdded) {
    ASSERT_EQ(strip.AddButton(1, "One"), TabStatus::Ok);
    ASSERT_EQ(strip.AddButton(1, "Two"), TabStatus::Ok);
    ASSERT_EQ(strip.AddButton(2, "ignored"), TabStatus::Ok);
    ASSERT_EQ(strip.AddButton(1, "Three"), TabStatus::Ok);
    ASSERT_EQ(strip.AddButton(2, ""), TabStatus::Ok);

    EXPECT_EQ(AddedTab(1).Left(), 0);
    EXPECT_EQ(AddedTab(2).Left(), 1050);
    EXPECT_EQ(AddedMenu(1).Left(), 2100);
    EXPECT_EQ(AddedTab(3).Left(), 2505);
    EXPECT_EQ(AddedMenu(2).Left(), 3555);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_TRUE(AddedTab(n).Visible());
        EXPECT_EQ(AddedTab(n).Top(), 0);
        EXPECT_EQ(AddedTab(n).Picture(), TabPicture::Normal);
        EXPECT_EQ(AddedTab(n).CaptionColour(), kTabCaptionColour);
    }
    EXPECT_EQ(AddedTab(3).Text, "Three");
    EXPECT_EQ(AddedTab(3).Caption(), "Three");
    // The templates are there and stay hidden.
    EXPECT_FALSE(strip.Tab(1)->Visible());
    EXPECT_FALSE(strip.Menu(1)->Visible());
    EXPECT_EQ(view.created.front(), std::make_pair(TabKind::Tab, 1));
    EXPECT_EQ(view.created.back(), std::make_pair(TabKind::Menu, 3));
}

TEST_F(TabMenuTest, UnknownKindAddsNothing) {
    for (int kind : {0, 3, -1}) {
        EXPECT_EQ(strip.AddButton(static_cast<std::int16_t>(kind), "x"), TabStatus::Ok);
    }
    EXPECT_EQ(strip.TabCount(), 1);
    EXPECT_EQ(strip.MenuCount(), 1);
}

TEST_F(TabMenuTest, ThirtyFirstTabOverflowsAfterItWasCreated) {
    for (int n = 1; n <= 30; ++n) {
        ASSERT_EQ(strip.AddButton(1, "T" + std::to_string(n)), TabStatus::Ok) << n;
    }
    EXPECT_EQ(AddedTab(30).Left(), 29 * 1050);

    EXPECT_EQ(strip.AddButton(1, "T31"), TabStatus::Overflow);
    ASSERT_EQ(strip.TabCount(), 32);
    const TabButton& overflowed = AddedTab(31);
    EXPECT_FALSE(overflowed.Visible());
    EXPECT_EQ(overflowed.Left(), 0);
    EXPECT_EQ(overflowed.Text, "");
    // The element stays, so every later tab overflows as well.
    EXPECT_EQ(strip.AddButton(1, "T32"), TabStatus::Overflow);
    EXPECT_EQ(strip.TabCount(), 33);
}

TEST_F(TabMenuTest, MenuButtonsOverflowWhenTheSumLeavesSixteenBits) {
    for (int n = 1; n <= 30; ++n) {
        ASSERT_EQ(strip.AddButton(1, "T"), TabStatus::Ok);
    }
    for (int n = 1; n <= 4; ++n) {
        ASSERT_EQ(strip.AddButton(2, ""), TabStatus::Ok) << n;
    }
    EXPECT_EQ(AddedMenu(4).Left(), 30 * 1050 + 3 * 405);
    EXPECT_EQ(strip.AddButton(2, ""), TabStatus::Overflow);
    EXPECT_FALSE(AddedMenu(5).Visible());
}

TEST_F(TabMenuTest, SetTabFocusSelectsLikeAClick) {
    AddSettingsTabs();
    bool focusDuringEvent = true;
    bool othersClearedDuringEvent = false;
    strip.ItemClick = [&] {
        events.push_back("ItemClick:" + strip.ClickedItem);
        // The host runs before the tab takes the selection, after the others lost it.
        focusDuringEvent = AddedTab(1).HasFocus;
        othersClearedDuringEvent = !AddedTab(2).HasFocus;
    };
    AddedTab(2).SetFocus();

    ASSERT_EQ(strip.SetTabFocus(1), TabStatus::Ok);
    EXPECT_EQ(events, std::vector<std::string>{"ItemClick:Messages"});
    EXPECT_EQ(strip.ClickedItem, "Messages");
    EXPECT_FALSE(focusDuringEvent);
    EXPECT_TRUE(othersClearedDuringEvent);

    EXPECT_TRUE(AddedTab(1).HasFocus);
    EXPECT_EQ(AddedTab(1).Picture(), TabPicture::Down);
    EXPECT_EQ(AddedTab(1).CaptionColour(), kTabSelectedCaptionColour);
    for (int n : {2, 3}) {
        EXPECT_FALSE(AddedTab(n).HasFocus);
        EXPECT_EQ(AddedTab(n).Picture(), TabPicture::Normal);
        EXPECT_EQ(AddedTab(n).CaptionColour(), kTabCaptionColour);
    }
}

TEST_F(TabMenuTest, SetTabFocusOnAMissingTabIsAnErrorWithoutEvents) {
    AddSettingsTabs();
    EXPECT_EQ(strip.SetTabFocus(4), TabStatus::NoSuchElement);
    // 0 would name the hidden template: not a tab the host added.
    EXPECT_EQ(strip.SetTabFocus(0), TabStatus::NoSuchElement);
    EXPECT_EQ(strip.SetTabFocus(-5), TabStatus::NoSuchElement);
    EXPECT_EQ(strip.SetTabFocus(32767), TabStatus::NoSuchElement);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(strip.ClickedItem, "");
}

TEST_F(TabMenuTest, ClickingTheSelectedTabRaisesItemClickAgain) {
    AddSettingsTabs();
    AddedTab(2).Clicked();
    AddedTab(2).Clicked();
    EXPECT_EQ(events, (std::vector<std::string>{"ItemClick:Help", "ItemClick:Help"}));
    EXPECT_TRUE(AddedTab(2).HasFocus);
    EXPECT_EQ(AddedTab(2).Picture(), TabPicture::Down);

    AddedTab(3).Clicked();
    EXPECT_FALSE(AddedTab(2).HasFocus);
    EXPECT_EQ(AddedTab(2).Picture(), TabPicture::Normal);
    EXPECT_EQ(strip.ClickedItem, "About");
}

TEST_F(TabMenuTest, MenuButtonClickReportsItsOrdinalAndLeavesTheSelection) {
    AddSettingsTabs();
    ASSERT_EQ(strip.AddButton(2, ""), TabStatus::Ok);
    ASSERT_EQ(strip.AddButton(2, ""), TabStatus::Ok);
    ASSERT_EQ(strip.SetTabFocus(3), TabStatus::Ok);
    events.clear();

    AddedMenu(1).ButtonPressed();
    EXPECT_EQ(AddedMenu(1).Picture(), TabPicture::Down);
    AddedMenu(1).Clicked();
    EXPECT_EQ(AddedMenu(1).Picture(), TabPicture::Down);
    AddedMenu(2).Clicked();
    EXPECT_EQ(events, (std::vector<std::string>{"ItemMenuClick:1", "ItemMenuClick:2"}));
    EXPECT_TRUE(AddedTab(3).HasFocus);
    EXPECT_FALSE(AddedTab(1).HasFocus);
}

TEST_F(TabMenuTest, HoverMovesWithThePointerAndSparesTheSelectedTab) {
    AddSettingsTabs();
    ASSERT_EQ(strip.AddButton(2, ""), TabStatus::Ok);
    ASSERT_EQ(strip.SetTabFocus(1), TabStatus::Ok);

    AddedTab(2).PointerMoved();
    EXPECT_EQ(AddedTab(2).Picture(), TabPicture::Over);
    AddedTab(3).PointerMoved();
    EXPECT_EQ(AddedTab(2).Picture(), TabPicture::Normal);
    EXPECT_EQ(AddedTab(3).Picture(), TabPicture::Over);

    // Over the selected tab: the others lose their hover, its own picture stays down.
    AddedTab(1).PointerMoved();
    EXPECT_EQ(AddedTab(3).Picture(), TabPicture::Normal);
    EXPECT_EQ(AddedTab(1).Picture(), TabPicture::Down);

    AddedMenu(1).PointerMoved();
    EXPECT_EQ(AddedMenu(1).Picture(), TabPicture::Over);
    AddedTab(2).PointerMoved();
    EXPECT_EQ(AddedMenu(1).Picture(), TabPicture::Normal);
    EXPECT_EQ(AddedTab(1).Picture(), TabPicture::Down);
}

TEST_F(TabMenuTest, MoveMouseOffSparesTheSameIndexInBothCollections) {
    AddSettingsTabs();
    ASSERT_EQ(strip.AddButton(2, ""), TabStatus::Ok);
    AddedMenu(1).PointerMoved();  // menu element 2
    AddedTab(1).PointerMoved();   // tab element 2: spares menu element 2 as well
    EXPECT_EQ(AddedMenu(1).Picture(), TabPicture::Over);
    EXPECT_EQ(AddedTab(1).Picture(), TabPicture::Over);

    strip.MoveMouseOff(0);
    EXPECT_EQ(AddedMenu(1).Picture(), TabPicture::Normal);
    EXPECT_EQ(AddedTab(1).Picture(), TabPicture::Normal);
}

TEST_F(TabMenuTest, PressAndLeaveFollowTheStateTable) {
    AddSettingsTabs();
    ASSERT_EQ(strip.SetTabFocus(1), TabStatus::Ok);

    // A press shows the down picture even on the selected tab, without selecting.
    AddedTab(2).ButtonPressed();
    EXPECT_EQ(AddedTab(2).Picture(), TabPicture::Down);
    EXPECT_FALSE(AddedTab(2).HasFocus);
    // Released elsewhere: the next move over another button clears it.
    AddedTab(3).PointerMoved();
    EXPECT_EQ(AddedTab(2).Picture(), TabPicture::Normal);

    // Leaving a button drops its hover; the selected tab keeps its picture.
    AddedTab(3).PointerLeft();
    EXPECT_EQ(AddedTab(3).Picture(), TabPicture::Normal);
    AddedTab(1).ButtonPressed();
    AddedTab(1).PointerLeft();
    EXPECT_EQ(AddedTab(1).Picture(), TabPicture::Down);
    EXPECT_TRUE(AddedTab(1).HasFocus);
    EXPECT_TRUE(events.size() == 1);
}

TEST_F(TabMenuTest, ViewHearsOfEveryPictureChange) {
    AddSettingsTabs();
    view.changed.clear();
    AddedTab(2).PointerMoved();
    ASSERT_FALSE(view.changed.empty());
    EXPECT_EQ(view.changed.back(), std::make_pair(TabKind::Tab, 3));
    view.changed.clear();
    AddedTab(2).PointerMoved();  // already showing hover: nothing to redraw
    EXPECT_TRUE(view.changed.empty());
}

TEST_F(TabMenuTest, HostMayAddButtonsFromItsClickHandler) {
    AddSettingsTabs();
    strip.ItemClick = [this] { strip.AddButton(1, "Late " + strip.ClickedItem); };
    AddedTab(1).Clicked();
    ASSERT_EQ(strip.TabCount(), 5);
    EXPECT_TRUE(AddedTab(1).HasFocus);
    EXPECT_EQ(AddedTab(4).Text, "Late Messages");
    EXPECT_EQ(AddedTab(4).Left(), 3150);
}

}  // namespace
}  // namespace murmurex
