#include "message_cycle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <limits>
#include <string>
#include <vector>

namespace murmurex {
namespace {

constexpr float kTwipsPerPixel = 15.0f;

// Every call lands in one shared log, so the order of a step can be checked as a whole.
using Log = std::vector<std::string>;

// A label 10 pixels wide per character and 13 pixels high, at 15 twips per pixel.
class FakeView : public MessageView {
  public:
    explicit FakeView(Log& log) : log_(log) {}

    void SetLabelText(const std::string& text) override {
        text_ = text;
        log_.push_back("text " + text);
    }
    float LabelWidth() const override {
        return static_cast<float>(text_.size()) * charWidthPixels * kTwipsPerPixel;
    }
    float LabelHeight() const override { return 13.0f * kTwipsPerPixel; }
    float LabelLeft() const override { return 60.0f; }
    float LabelTop() const override { return 120.0f; }
    void SetLabelVisible(bool visible) override {
        labelVisible = visible;
        log_.push_back(visible ? "show" : "hide");
    }
    void SetWindowHeight(float twips) override {
        height = twips;
        log_.push_back("height");
    }
    void SetWindowWidth(float twips) override {
        width = twips;
        log_.push_back("width");
    }
    void SetWindowLeft(float twips) override {
        left = twips;
        log_.push_back("left");
    }
    void SetWindowTop(float twips) override {
        top = twips;
        log_.push_back("top");
    }
    void MakeTopmost() override { log_.push_back("topmost"); }
    void Repaint() override { log_.push_back("repaint"); }
    float TwipsPerPixelX() const override { return kTwipsPerPixel; }
    float TwipsPerPixelY() const override { return kTwipsPerPixel; }

    const std::string& text() const { return text_; }
    // Where the label lands on the screen, in pixels.
    float labelX() const { return (left + LabelLeft()) / kTwipsPerPixel; }
    float labelY() const { return (top + LabelTop()) / kTwipsPerPixel; }

    float charWidthPixels = 10.0f;
    bool labelVisible = false;
    float left = 0, top = 0, width = 0, height = 0;

  private:
    Log& log_;
    std::string text_;
};

class FakeTimers : public CycleTimers {
  public:
    explicit FakeTimers(Log& log) : log_(log) {}

    void Start(CycleTimer timer) override {
        on(timer) = true;
        bothEverOn = bothEverOn || (frequency && display);
        log_.push_back(timer == CycleTimer::Frequency ? "start frequency" : "start display");
    }
    void Stop(CycleTimer timer) override {
        on(timer) = false;
        log_.push_back(timer == CycleTimer::Frequency ? "stop frequency" : "stop display");
    }

    bool frequency = false;
    bool display = false;
    bool bothEverOn = false;

  private:
    bool& on(CycleTimer timer) { return timer == CycleTimer::Frequency ? frequency : display; }
    Log& log_;
};

// Answers the given values in turn, then 0.5 for ever.
class FakeRandom : public RandomSource {
  public:
    void Seed(double seed) override { seeds.push_back(seed); }
    float Next() override {
        if (values.empty()) {
            return 0.5f;
        }
        const float value = values.front();
        values.pop_front();
        return value;
    }

    std::deque<float> values;
    std::vector<double> seeds;
};

class FakeVisibility : public SettingsVisibility {
  public:
    bool SettingsWindowVisible() const override { return settings; }
    bool TrayMenuVisible() const override { return menu; }

    bool settings = false;
    bool menu = false;
};

class MessageCycleTest : public ::testing::Test {
  protected:
    MessageCycleTest() {
        cycle.Load(36000.25);
        cycle.SetScreenSize(1280.0f, 800.0f);
        cycle.Paused = false;
        log.clear();
    }

    // Runs `steps` full cycles, firing whichever timer is on, and collects the texts shown.
    std::vector<std::string> RunSteps(int steps) {
        std::vector<std::string> shown;
        cycle.Begin();
        for (int i = 0; i < steps; ++i) {
            EXPECT_TRUE(timers.frequency);
            cycle.TimerFrequency_Timer();
            shown.push_back(view.text());
            EXPECT_TRUE(timers.display);
            cycle.TimerDisplayLength_Timer();
        }
        return shown;
    }

    std::vector<std::string> Expect(const std::vector<std::string>& pool,
                                    std::initializer_list<int> indices) {
        std::vector<std::string> texts;
        for (int index : indices) {
            texts.push_back(pool[static_cast<std::size_t>(index)]);
        }
        return texts;
    }

    Log log;
    FakeView view{log};
    FakeTimers timers{log};
    FakeRandom random;
    MessageCycle cycle{view, timers, random};
};

TEST_F(MessageCycleTest, LoadTakesTheLoadListSeedsAndRoundsTheScreenHalfToEven) {
    EXPECT_EQ(cycle.Phrases.Items(), MessageCycle::LoadList());
    EXPECT_EQ(view.text(), "I want to buy this program");
    EXPECT_FALSE(view.labelVisible);
    EXPECT_EQ(random.seeds, std::vector<double>{36000.25});
    EXPECT_FALSE(timers.frequency || timers.display);

    cycle.SetScreenSize(1280.5f, 799.5f);
    EXPECT_EQ(cycle.ScreenWidth(), 1280);
    EXPECT_EQ(cycle.ScreenHeight(), 800);
}

TEST_F(MessageCycleTest, OnePhrasePoolShowsThatPhraseAtEveryStep) {
    cycle.Phrases = PhrasePool::FromList({"only"});
    EXPECT_EQ(RunSteps(4), (std::vector<std::string>{"only", "only", "only", "only"}));
    EXPECT_EQ(cycle.PhraseIndex(), 0);
}

TEST_F(MessageCycleTest, ThreePhrasePoolStartsAtIndexOneAndWraps) {
    const std::vector<std::string> pool{"zero", "one", "two"};
    cycle.Phrases = PhrasePool::FromList(pool);
    EXPECT_EQ(RunSteps(6), Expect(pool, {1, 2, 0, 1, 2, 0}));
}

TEST_F(MessageCycleTest, SmallerPoolWrapsToItsFirstPhraseAtTheNextStep) {
    cycle.Phrases = PhrasePool::FromList({"a", "b", "c", "d", "e"});
    RunSteps(4);
    ASSERT_EQ(cycle.PhraseIndex(), 4);

    const std::vector<std::string> two{"first", "second"};
    cycle.Phrases = PhrasePool::FromList(two);
    EXPECT_EQ(RunSteps(3), Expect(two, {0, 1, 0}));
}

TEST_F(MessageCycleTest, EmptyPoolIsRefilledAndAStepStillShowsText) {
    cycle.Phrases = PhrasePool{};
    EXPECT_EQ(RunSteps(2), (std::vector<std::string>{"I love the subliminal program.",
                                                     "I want to by the subliminal program"}));
    EXPECT_EQ(cycle.Phrases.Items(), MessageCycle::RefillList());
}

TEST_F(MessageCycleTest, StepRunsItsActionsInOrder) {
    cycle.Phrases = PhrasePool::FromList({"x", "yz"});
    cycle.TimerFrequency_Timer();
    EXPECT_EQ(log, (Log{"stop frequency", "text yz", "height", "width", "left", "top", "show",
                        "topmost", "start display", "repaint"}));
    log.clear();
    cycle.TimerDisplayLength_Timer();
    EXPECT_EQ(log, (Log{"stop display", "hide", "start frequency"}));
}

TEST_F(MessageCycleTest, StepSizesTheWindowAndPlacesTheLabelWithTheRandomNumbers) {
    cycle.Phrases = PhrasePool::FromList({"x", "twelve chars"});  // 120 x 13 pixels
    random.values = {0.25f, 0.75f};                               // first y, then x
    cycle.TimerFrequency_Timer();

    EXPECT_FLOAT_EQ(view.height, 13.0f * 15.0f + 150.0f);
    EXPECT_FLOAT_EQ(view.width, 120.0f * 15.0f + 60.0f);  // to the label's right edge
    // y = 0.25 * (800 - 13) = 196.75 -> 197; x = 0.75 * (1280 - 120) = 870.
    EXPECT_FLOAT_EQ(view.labelY(), 197.0f);
    EXPECT_FLOAT_EQ(view.labelX(), 870.0f);
    EXPECT_FLOAT_EQ(view.top, 197.0f * 15.0f - 120.0f);

    // The largest random number still keeps the label, not just the window, on the screen.
    const float nearlyOne = std::nextafter(1.0f, 0.0f);
    cycle.TimerFrequency_Timer();  // "x"
    random.values = {nearlyOne, nearlyOne};
    cycle.TimerFrequency_Timer();  // the long one again
    EXPECT_LE(view.labelX() + 120.0f, 1280.0f);
    EXPECT_LE(view.labelY() + 13.0f, 800.0f);
    EXPECT_GT(view.labelX() + 120.0f, 1279.0f);
}

TEST_F(MessageCycleTest, PhraseWiderThanTheScreenLandsBetweenItsNegativeOffsetAndZero) {
    cycle.SetScreenSize(100.0f, 800.0f);
    cycle.Phrases = PhrasePool::FromList({"x", std::string(30, 'w')});  // 300 pixels wide
    for (float r : {0.0f, 0.5f, std::nextafter(1.0f, 0.0f)}) {
        random.values = {0.5f, r};
        cycle.TimerFrequency_Timer();
        const float x = view.labelX();
        EXPECT_LE(x, 0.0f);
        EXPECT_GE(x, -200.0f);
        EXPECT_TRUE(view.labelVisible);
        EXPECT_TRUE(timers.display);
        cycle.TimerDisplayLength_Timer();
        cycle.TimerFrequency_Timer();  // skip the short phrase
        cycle.TimerDisplayLength_Timer();
    }
    random.values = {0.5f, 0.5f};
    cycle.TimerFrequency_Timer();
    EXPECT_FLOAT_EQ(view.labelX(), -100.0f);
}

TEST_F(MessageCycleTest, SettingsWindowOrMenuHaltsTheCycleUntilBegin) {
    FakeVisibility visibility;
    cycle.SetSettingsVisibility(&visibility);
    cycle.Phrases = PhrasePool::FromList({"a", "b", "c"});

    for (bool settingsOpen : {true, false}) {
        visibility.settings = settingsOpen;
        visibility.menu = !settingsOpen;
        cycle.Begin();
        log.clear();
        cycle.TimerFrequency_Timer();
        EXPECT_TRUE(view.labelVisible);
        EXPECT_FALSE(timers.frequency);
        EXPECT_FALSE(timers.display);
        EXPECT_EQ(std::count(log.begin(), log.end(), "topmost"), 0);
        EXPECT_EQ(log.back(), "repaint");

        visibility.settings = visibility.menu = false;
        cycle.Begin();
        EXPECT_FALSE(view.labelVisible);
        EXPECT_TRUE(timers.frequency);
        EXPECT_FALSE(timers.display);
    }
}

TEST_F(MessageCycleTest, PausedMakesBothHandlersAndBeginDoNothing) {
    cycle.Phrases = PhrasePool::FromList({"a", "b", "c"});
    cycle.Begin();
    cycle.TimerFrequency_Timer();
    ASSERT_TRUE(view.labelVisible && timers.display);
    const auto indexBefore = cycle.PhraseIndex();

    cycle.Paused = true;
    log.clear();
    cycle.TimerDisplayLength_Timer();
    cycle.TimerFrequency_Timer();
    cycle.Begin();
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(view.labelVisible);
    EXPECT_TRUE(timers.display);
    EXPECT_FALSE(timers.frequency);
    EXPECT_EQ(cycle.PhraseIndex(), indexBefore);

    cycle.Paused = false;
    cycle.TimerDisplayLength_Timer();
    EXPECT_FALSE(view.labelVisible);
}

TEST_F(MessageCycleTest, TimersAlternateAndNeverRunTogether) {
    cycle.Phrases = PhrasePool::FromList({"a", "b", "c"});
    cycle.Begin();
    for (int i = 0; i < 1000; ++i) {
        ASSERT_NE(timers.frequency, timers.display);
        if (timers.frequency) {
            cycle.TimerFrequency_Timer();
            ASSERT_TRUE(timers.display);
            ASSERT_TRUE(view.labelVisible);
        } else {
            cycle.TimerDisplayLength_Timer();
            ASSERT_TRUE(timers.frequency);
            ASSERT_FALSE(view.labelVisible);
        }
    }
    EXPECT_FALSE(timers.bothEverOn);
}

TEST_F(MessageCycleTest, RndNumChangesTheCallersMaxAndRoundsHalfToEven) {
    std::int32_t max = 10;
    random.values = {0.25f};
    EXPECT_EQ(cycle.RndNum(max, 3), 5);  // 0.25 * 7 + 3 = 4.75
    EXPECT_EQ(max, 7);

    // 1.5 -> 2, 2.5 -> 2, 0.5 -> 0: the halves go to the even neighbour.
    const std::array<std::pair<float, int>, 3> cases{{{0.375f, 2}, {0.625f, 2}, {0.125f, 0}}};
    for (const auto& [value, expected] : cases) {
        std::int32_t four = 4;
        random.values = {value};
        EXPECT_EQ(cycle.RndNum(four, 0), expected) << value;
    }

    std::int32_t extreme = std::numeric_limits<std::int32_t>::max();
    random.values = {0.5f};
    cycle.RndNum(extreme, -10);
    EXPECT_EQ(extreme, std::numeric_limits<std::int32_t>::max());
}

TEST(RndNumDistribution, EndsAreHalfAsLikelyAsInnerValues) {
    Log log;
    FakeView view{log};
    FakeTimers timers{log};
    UniformRandom random{20240611};
    MessageCycle cycle{view, timers, random};

    constexpr int kDraws = 200000;  // ten units: 20,000 per inner value, 10,000 per end
    std::array<int, 11> counts{};
    for (int i = 0; i < kDraws; ++i) {
        std::int32_t max = 10;
        const std::int32_t value = cycle.RndNum(max, 0);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 10);
        ASSERT_EQ(max, 10);
        ++counts[static_cast<std::size_t>(value)];
    }
    // Five standard deviations is about 700 for the inner values: a 10 % band is generous
    // but still far from the doubled or equal ends that a wrong rounding would give.
    for (int v = 1; v <= 9; ++v) {
        EXPECT_NEAR(counts[static_cast<std::size_t>(v)], 20000, 2000) << v;
    }
    EXPECT_NEAR(counts[0], 10000, 1000);
    EXPECT_NEAR(counts[10], 10000, 1000);

    // Seeded again with the same value, the generator repeats itself.
    UniformRandom again{0};
    random.Seed(12345.5);
    again.Seed(12345.5);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(random.Next(), again.Next());
    }
}

}  // namespace
}  // namespace murmurex
