#include "styled_button.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "button_texts.h"
#include "canvas_pixels.h"

namespace murmurex {
namespace {

// Stands in for the window: records what the button asks of it, and can hold a pointer-leave
// that the platform has queued but not yet delivered.
class FakeView : public ButtonView {
  public:
    StyledButton* button = nullptr;
    bool leaveTracking = true;
    bool designMode = false;
    bool leavePending = false;
    std::vector<ButtonState> paintedStates;
    int relayouts = 0;
    int leaveRequests = 0;
    std::vector<bool> focusMoves;
    std::vector<ToolTipLook> toolTips;
    int toolTipRemovals = 0;
    bool hostEnabled = true;
    std::int16_t pointer = -1;

    void Repaint() override { paintedStates.push_back(button->PaintState()); }
    void Relayout() override {
        ++relayouts;
        Repaint();
    }
    void RequestLeaveNotification() override { ++leaveRequests; }
    void ProcessPendingLeave() override {
        if (leavePending) {
            leavePending = false;
            button->PointerLeft();
        }
    }
    void MoveFocus(bool forward) override { focusMoves.push_back(forward); }
    void ShowToolTip(const ToolTipLook& look) override { toolTips.push_back(look); }
    void RemoveToolTip() override { ++toolTipRemovals; }
    void ApplyMousePointer(std::int16_t shape) override { pointer = shape; }
    void SetHostEnabled(bool enabled) override { hostEnabled = enabled; }
    bool HasLeaveTracking() override { return leaveTracking; }
    bool DesignMode() const override { return designMode; }
};

SystemColours TestColours() {
    SystemColours colours;
    colours.buttonFace = Rgb(236, 233, 216);
    colours.highlight = Rgb(49, 106, 197);
    colours.buttonText = Rgb(1, 1, 1);
    colours.infoBackground = Rgb(255, 255, 225);
    colours.infoText = Rgb(2, 2, 2);
    colours.grayText = Rgb(172, 168, 153);
    return colours;
}

class ButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.button = &button;
        button.SetEvents({[this] { events.push_back("Click"); },
                          [this] { events.push_back("MouseEnter"); },
                          [this] { events.push_back("MouseLeave"); }});
    }
    void Load(const MemoryPropertyBag& bag = {}) { button.ReadProperties(bag); }
    void LeftClickInside() {
        button.MouseDown(1);
        button.MouseUp(1);
        button.HostClick();
    }
    long Count(ButtonState state) const {
        return std::count(view.paintedStates.begin(), view.paintedStates.end(), state);
    }

    FakeView view;
    StyledButton button{view, TestColours()};
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

TEST_F(ButtonTest, EnterPressReleaseInsideClicksOnceAndEndsHot) {
    Load();
    button.PointerMoved();
    button.PointerMoved();  // later moves inside change nothing
    EXPECT_EQ(button.State(), ButtonState::Hot);
    EXPECT_EQ(view.leaveRequests, 1);
    button.MouseDown(1);
    EXPECT_EQ(button.State(), ButtonState::Pressed);
    button.MouseUp(1);
    button.HostClick();
    EXPECT_EQ(events, (Events{"MouseEnter", "Click"}));
    EXPECT_EQ(button.State(), ButtonState::Hot);
    EXPECT_EQ(view.leaveRequests, 2);  // asked again after the release
    button.PointerLeft();
    EXPECT_EQ(button.State(), ButtonState::Normal);
    EXPECT_EQ(events.back(), "MouseLeave");
}

TEST_F(ButtonTest, PressLeaveReleaseRaisesNoClick) {
    Load();
    button.PointerMoved();
    button.MouseDown(1);
    view.leavePending = true;  // the pointer left; the platform's message is still queued
    button.MouseUp(1);
    EXPECT_EQ(events, (Events{"MouseEnter", "MouseLeave"}));
    EXPECT_FALSE(button.MouseInside());
    EXPECT_EQ(button.State(), ButtonState::Normal);

    // The leave already delivered before the release: the release still shows hot until the
    // leave it asks for arrives, which clears the look without a second event.
    events.clear();
    button.PointerMoved();
    button.MouseDown(1);
    button.PointerLeft();
    button.MouseUp(1);
    EXPECT_EQ(button.State(), ButtonState::Hot);
    button.PointerLeft();
    EXPECT_EQ(button.State(), ButtonState::Normal);
    EXPECT_EQ(events, (Events{"MouseEnter", "MouseLeave"}));
}

TEST_F(ButtonTest, SpaceDownUpShowsPressedThenClicksOnceAndEndsNormal) {
    Load();
    button.FocusChanged(true);
    button.KeyDown(ButtonKey::Space);
    EXPECT_EQ(view.paintedStates.back(), ButtonState::Pressed);
    button.KeyUp(ButtonKey::Space);
    EXPECT_EQ(events, (Events{"Click"}));
    EXPECT_EQ(button.State(), ButtonState::Normal);
}

TEST_F(ButtonTest, DoubleClickShowsTwoPressedLooksAndClicksTwice) {
    Load();
    button.PointerMoved();
    view.paintedStates.clear();
    button.MouseDown(1);
    button.MouseUp(1);
    button.HostClick();
    button.DoubleClick();  // the second press arrives as a double click
    button.MouseUp(1);
    EXPECT_EQ(Count(ButtonState::Pressed), 2);
    EXPECT_EQ(events, (Events{"MouseEnter", "Click", "Click"}));
}

TEST_F(ButtonTest, CheckButtonClicksOnBothTransitionsAfterTheToggle) {
    Load();
    button.SetButtonType(1);
    std::vector<bool> valueAtClick;
    button.SetEvents({[&] { valueAtClick.push_back(button.Properties().value); }, {}, {}});
    button.PointerMoved();

    LeftClickInside();
    EXPECT_TRUE(button.Properties().value);
    EXPECT_EQ(button.PaintState(), ButtonState::Pressed);  // stays pressed
    EXPECT_EQ(view.paintedStates.back(), ButtonState::Pressed);

    LeftClickInside();
    EXPECT_FALSE(button.Properties().value);
    EXPECT_EQ(button.PaintState(), ButtonState::Hot);
    EXPECT_EQ(valueAtClick, (std::vector<bool>{true, false}));

    button.KeyDown(ButtonKey::Space);
    button.KeyUp(ButtonKey::Space);
    EXPECT_TRUE(button.Properties().value);
    EXPECT_EQ(valueAtClick.size(), 3u);
}

TEST_F(ButtonTest, SpaceTogglesACheckButtonEvenAfterARightClick) {
    Load();
    button.SetButtonType(1);
    button.MouseUp(2);
    button.KeyDown(ButtonKey::Space);
    button.KeyUp(ButtonKey::Space);
    EXPECT_TRUE(button.Properties().value);
    EXPECT_EQ(events, (Events{"Click"}));
}

TEST_F(ButtonTest, KeysMoveTheFocusAndTabRaisesMouseLeave) {
    Load();
    button.PointerMoved();
    for (ButtonKey key : {ButtonKey::Right, ButtonKey::Down, ButtonKey::Left, ButtonKey::Up,
                          ButtonKey::Tab, ButtonKey::ShiftTab, ButtonKey::Other}) {
        button.KeyDown(key);
    }
    EXPECT_EQ(view.focusMoves, (std::vector<bool>{true, true, false, false, true, false}));
    EXPECT_EQ(events, (Events{"MouseEnter", "MouseLeave", "MouseLeave"}));
    EXPECT_TRUE(button.MouseInside());  // the pointer may still be over the button
}

TEST_F(ButtonTest, AccessKeyClicksTogglesAndEndsNormal) {
    Load();
    button.SetButtonType(1);
    button.PointerMoved();
    button.AccessKey();
    EXPECT_TRUE(button.Properties().value);
    EXPECT_EQ(button.State(), ButtonState::Normal);
    EXPECT_EQ(events, (Events{"MouseEnter", "Click"}));
}

TEST_F(ButtonTest, WithoutLeaveTrackingOnlyTheKeyboardClicks) {
    view.leaveTracking = false;
    Load();
    button.PointerMoved();
    LeftClickInside();
    EXPECT_EQ(button.State(), ButtonState::Hot);  // from the host's click notification
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(view.toolTips.empty());
    button.KeyDown(ButtonKey::Space);
    button.KeyUp(ButtonKey::Space);
    EXPECT_EQ(events, (Events{"Click"}));
}

TEST_F(ButtonTest, DesignModeInstallsNoTrackingAndPaintsHot) {
    view.designMode = true;
    Load();
    EXPECT_FALSE(button.HoverTracking());
    EXPECT_EQ(button.PaintState(), ButtonState::Hot);
    button.SetStyle(5);
    EXPECT_EQ(button.PaintState(), ButtonState::Normal);
}

TEST_F(ButtonTest, DisabledPaintsStateFourAndIgnoresInput) {
    Load();
    button.SetEnabled(false);
    EXPECT_FALSE(view.hostEnabled);
    EXPECT_EQ(button.PaintState(), ButtonState::Disabled);
    button.MouseDown(1);
    button.KeyDown(ButtonKey::Space);
    button.KeyUp(ButtonKey::Space);
    button.AccessKey();
    EXPECT_TRUE(events.empty());
    button.SetEnabled(true);
    EXPECT_TRUE(view.hostEnabled);
    EXPECT_EQ(button.State(), ButtonState::Normal);
}

TEST_F(ButtonTest, TooltipTakesTheHostTextAndGivesItBack) {
    MemoryPropertyBag bag;
    bag.Write("ToolTipText", std::string("Adds a category"));
    bag.Write("Tooltiptitle", std::string("Add"));
    bag.Write("ToolTipType", std::int32_t{0});
    bag.Write("ttForeColor", std::int32_t{0});
    bag.Write("ttBackColor", static_cast<std::int32_t>(Rgb(200, 220, 240)));
    Load(bag);
    EXPECT_EQ(button.HostToolTipText(), "Adds a category");

    button.PointerMoved();
    EXPECT_EQ(button.HostToolTipText(), "");  // the host shows nothing of its own
    ASSERT_EQ(view.toolTips.size(), 1u);
    const ToolTipLook& tip = view.toolTips[0];
    EXPECT_EQ(tip.text, "Adds a category");
    EXPECT_FALSE(tip.balloon);
    EXPECT_TRUE(tip.setTitle);
    EXPECT_EQ(tip.title, "Add");
    EXPECT_FALSE(tip.setTextColour);  // black means the platform's default
    EXPECT_TRUE(tip.setBackColour);
    EXPECT_EQ(tip.backColour, Rgb(200, 220, 240));

    button.PointerLeft();
    EXPECT_EQ(button.HostToolTipText(), "Adds a category");
    EXPECT_EQ(view.toolTipRemovals, 1);
}

TEST_F(ButtonTest, SettingTheTooltipTextKeepsIt) {
    Load();
    button.SetHostToolTipText("old");
    button.SetToolTipText("new");
    EXPECT_TRUE(view.toolTips.empty());  // no tip window while the pointer is away
    EXPECT_EQ(button.HostToolTipText(), "new");
    button.PointerMoved();
    button.SetToolTipText("newer");
    EXPECT_EQ(view.toolTips.back().text, "newer");
    EXPECT_EQ(button.ToolTipText(), "newer");
    button.PointerLeft();
    EXPECT_EQ(button.HostToolTipText(), "newer");
}

TEST_F(ButtonTest, HidingGivesTheTooltipBackOnlyWhenTaken) {
    Load();
    button.Shown();
    button.SetHostToolTipText("tip");
    button.Hidden();
    EXPECT_EQ(button.HostToolTipText(), "tip");
    button.Shown();
    button.PointerMoved();
    button.Hidden();
    EXPECT_EQ(button.HostToolTipText(), "tip");
    EXPECT_FALSE(button.HasToolTip());
}

TEST_F(ButtonTest, ReadDefaultsForAnEmptyBag) {
    Load();
    const StyledButtonProperties& p = button.Properties();
    const SystemColours colours = TestColours();
    EXPECT_EQ(p.style, 3);
    EXPECT_EQ(p.caption, "StyledButton");
    EXPECT_EQ(p.iconAlign, 1);
    EXPECT_EQ(p.iconSize, 16);
    EXPECT_EQ(p.nonThemeStyle, 5);
    EXPECT_TRUE(p.enabled);
    EXPECT_EQ(p.backColor, colours.buttonFace);
    EXPECT_EQ(p.highlightColor, colours.highlight);
    EXPECT_EQ(p.fontHighlightColor, colours.buttonText);
    EXPECT_EQ(p.toolTipType, 1);
    EXPECT_EQ(p.toolTipBackColor, colours.infoBackground);
    EXPECT_EQ(p.toolTipForeColor, colours.infoText);
    EXPECT_EQ(p.font, ButtonFont{});
    EXPECT_EQ(p.maskColor, 0xC0C0C0u);
    EXPECT_TRUE(p.roundedBordersByTheme);
    EXPECT_EQ(button.State(), ButtonState::Normal);
    EXPECT_EQ(view.pointer, 0);
    EXPECT_TRUE(button.HoverTracking());
}

TEST_F(ButtonTest, NewControlValuesDifferFromReadDefaults) {
    button.InitProperties("cmdAdd");
    const StyledButtonProperties& p = button.Properties();
    EXPECT_EQ(p.caption, "cmdAdd");
    EXPECT_EQ(p.style, 0);
    EXPECT_EQ(p.nonThemeStyle, 0);
    EXPECT_EQ(p.toolTipBackColor, 0u);
    EXPECT_EQ(p.maskColor, 0u);
    EXPECT_FALSE(p.roundedBordersByTheme);
    EXPECT_EQ(button.TextMargin(), 4);
    EXPECT_TRUE(button.HoverTracking());
}

TEST_F(ButtonTest, WritingDefaultsLeavesOnlyTheAlwaysWrittenKeys) {
    Load();
    button.SetCaption("");  // the caption's read default is not its write default
    MemoryPropertyBag out;
    out.Write("Style", std::int32_t{7});  // a stale value is dropped, not kept
    button.WriteProperties(out);
    EXPECT_EQ(out.Find("Style"), nullptr);
    for (const char* key : {"Icon", "Tooltiptitle", "ToolTipIcon", "ToolTipType", "Font"}) {
        EXPECT_NE(out.Find(key), nullptr) << key;
    }
    std::vector<std::string> written;
    for (const char* key : {"Style",
                            "Caption",
                            "IconAlign",
                            "IconSize",
                            "CaptionAlign",
                            "iNonThemeStyle",
                            "Enabled",
                            "ShowFocus",
                            "USeCustomColors",
                            "BackColor",
                            "HighlightColor",
                            "FontColor",
                            "FontHighlightColor",
                            "ToolTipText",
                            "ttBackColor",
                            "ttForeColor",
                            "ButtonType",
                            "MousePointer",
                            "Value",
                            "MaskColor",
                            "UseMaskColor",
                            "RoundedBordersByTheme",
                            "bRTLText"}) {
        if (out.Find(key) != nullptr) {
            written.push_back(key);
        }
    }
    EXPECT_TRUE(written.empty()) << written.front();
}

TEST_F(ButtonTest, AnEmptyCaptionReadsBackAsStyledButton) {
    Load();
    button.SetCaption("");
    MemoryPropertyBag out;
    button.WriteProperties(out);
    FakeView otherView;
    StyledButton other(otherView, TestColours());
    otherView.button = &other;
    other.ReadProperties(out);
    EXPECT_EQ(other.Properties().caption, "StyledButton");
}

TEST_F(ButtonTest, PropertiesSurviveARoundTripWithKeysInAnyCase) {
    MemoryPropertyBag in;
    in.Write("STYLE", std::int32_t{10});
    in.Write("caption", std::string("E&xit"));
    in.Write("usecustomcolors", true);
    in.Write("BackColor", static_cast<std::int32_t>(Rgb(1, 2, 3)));
    in.Write("ToolTipText", std::string("Ends the program"));
    in.Write("Font", ButtonFont{"Tahoma", 9.0f, true, false, false, false});
    in.Write("ButtonType", std::int32_t{1});
    in.Write("Value", true);
    in.Write("bRTLText", true);
    in.Write("Icon", ButtonPicture{{0, 0, 1, 0}});
    in.Write("MousePointer", std::int32_t{11});
    in.Write("Enabled", false);
    Load(in);
    EXPECT_EQ(view.pointer, 11);
    EXPECT_FALSE(view.hostEnabled);

    MemoryPropertyBag out;
    button.WriteProperties(out);
    FakeView otherView;
    StyledButton other(otherView, TestColours());
    otherView.button = &other;
    other.ReadProperties(out);
    const StyledButtonProperties& p = other.Properties();
    EXPECT_EQ(p.style, 10);
    EXPECT_EQ(p.caption, "E&xit");
    EXPECT_TRUE(p.useCustomColors);
    EXPECT_EQ(p.backColor, Rgb(1, 2, 3));
    EXPECT_EQ(other.ToolTipText(), "Ends the program");
    EXPECT_EQ(p.font.name, "Tahoma");
    EXPECT_TRUE(p.font.bold);
    EXPECT_EQ(p.buttonType, 1);
    EXPECT_TRUE(p.value);
    EXPECT_TRUE(p.rightToLeft);
    EXPECT_EQ(p.icon.bytes.size(), 4u);
    EXPECT_EQ(p.mousePointer, 11);
    EXPECT_FALSE(p.enabled);
}

TEST_F(ButtonTest, CaptionColourFollowsStateAndCustomColours) {
    const SystemColours colours = TestColours();
    Load();
    button.Shown();
    button.SetFontColor(Rgb(10, 0, 0));
    button.SetFontHighlightColor(Rgb(0, 10, 0));
    const auto captionColour = [&] {
        PixelCanvas canvas(100, 30, 0);
        button.Paint(canvas, 100, 30);
        return canvas.Texts().at(0).colour;
    };
    EXPECT_EQ(captionColour(), colours.buttonText);
    button.SetUseCustomColors(true);
    EXPECT_EQ(captionColour(), Rgb(10, 0, 0));
    button.PointerMoved();
    EXPECT_EQ(captionColour(), Rgb(0, 10, 0));
    button.SetEnabled(false);
    EXPECT_EQ(captionColour(), colours.grayText);
}

TEST_F(ButtonTest, PaintDrawsStyleTenLooksAndTheCaption) {
    Load();
    button.SetStyle(10);
    button.SetCaption("&Start");
    button.ApplyLayout(100, 30, PixelRect{4, 4, 44, 17});
    PixelCanvas hidden(100, 30, 0);
    button.Paint(hidden, 100, 30);
    EXPECT_EQ(hidden.At(50, 15), TestColours().buttonFace);  // cleared only
    EXPECT_TRUE(hidden.Texts().empty());

    button.Shown();
    const auto centre = [&] {
        PixelCanvas canvas(100, 30, 0);
        button.Paint(canvas, 100, 30);
        return canvas.At(50, 15);
    };
    EXPECT_EQ(centre(), Rgb(232, 231, 234));
    button.FocusChanged(true);  // focused, pointer outside: hot
    EXPECT_EQ(centre(), Rgb(106, 166, 226));
    button.MouseDown(1);
    EXPECT_EQ(centre(), Rgb(106, 155, 204));
    button.FocusChanged(false);
    button.SetEnabled(false);
    EXPECT_EQ(centre(), Rgb(232, 231, 234));  // disabled without focus: normal
    EXPECT_EQ(button.TextMargin(), 7);

    PixelCanvas canvas(100, 30, 0);
    button.Paint(canvas, 100, 30);
    ASSERT_EQ(canvas.Texts().size(), 1u);
    EXPECT_EQ(canvas.Texts()[0].text, "&Start");
    EXPECT_EQ(canvas.Texts()[0].format, 21u);
}

TEST_F(ButtonTest, LayoutUsesTheMarginLeftByThePreviousPaint) {
    Load();
    EXPECT_EQ(button.TextMargin(), 0);  // loaded from a form
    button.SetCaptionAlign(1);
    button.ApplyLayout(100, 30, PixelRect{4, 4, 44, 17});
    EXPECT_EQ(button.CaptionRect().left, 0);
    button.Shown();
    PixelCanvas canvas(100, 30, 0);
    button.Paint(canvas, 100, 30);
    button.ApplyLayout(100, 30, PixelRect{4, 4, 44, 17});
    // A loaded control is style 3, whose paint leaves the margin at 3.
    EXPECT_EQ(button.CaptionRect(), (PixelRect{3, 8, 47, 22}));
    EXPECT_EQ(button.ClientRect(), (PixelRect{0, 0, 100, 30}));
}

TEST_F(ButtonTest, IconIsPlacedByAlignmentAndMovesWhenPressed) {
    Load();
    button.SetIcon(ButtonPicture{{1, 2, 3}});
    button.Shown();
    PixelCanvas normal(100, 30, 0);
    button.Paint(normal, 100, 30);
    ASSERT_EQ(normal.Icons().size(), 1u);
    EXPECT_EQ(normal.Icons()[0].x, 3);  // left, at style 3's margin
    EXPECT_EQ(normal.Icons()[0].y, 7);
    button.MouseDown(1);
    PixelCanvas pressed(100, 30, 0);
    button.Paint(pressed, 100, 30);
    EXPECT_EQ(pressed.Icons()[0].x, 4);
    EXPECT_EQ(pressed.Icons()[0].y, 8);
}

TEST(AccessKey, LetterAfterASingleAmpersand) {
    EXPECT_EQ(AccessKeyOf("&Start"), 'S');
    EXPECT_EQ(AccessKeyOf("E&xit"), 'X');
    EXPECT_EQ(AccessKeyOf("Salt && &Pepper"), 'P');
    EXPECT_EQ(AccessKeyOf("A && B"), 0);
    EXPECT_EQ(AccessKeyOf("Edit&"), 0);
    EXPECT_EQ(AccessKeyOf(""), 0);
}

}  // namespace
}  // namespace murmurex
