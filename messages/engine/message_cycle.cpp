#include "message_cycle.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "portable/round_half_even.h"

namespace murmurex {

namespace {

// Room the window keeps around its label, in twips.
constexpr float kWindowExtraHeight = 150.0f;
constexpr float kWindowExtraWidth = 50.0f;

}  // namespace

void UniformRandom::Seed(double seed) {
    engine_.seed(std::bit_cast<std::uint64_t>(seed));
}

float UniformRandom::Next() {
    // The top 24 bits fit a float's mantissa exactly: the answer is k / 2^24, never 1.0.
    const auto bits = static_cast<std::uint32_t>(engine_() >> 40);
    return static_cast<float>(bits) / 16777216.0f;
}

const std::vector<std::string>& MessageCycle::LoadList() {
    static const std::vector<std::string> list{"I want to buy this program", "I love this program"};
    return list;
}

const std::vector<std::string>& MessageCycle::RefillList() {
    static const std::vector<std::string> list{"I want to by the subliminal program",
                                               "I love the subliminal program."};
    return list;
}

void MessageCycle::Load(double secondsSinceMidnight) {
    random_.Seed(secondsSinceMidnight);
    Phrases = PhrasePool::FromList(LoadList());
    view_.SetLabelText(Phrases[static_cast<std::size_t>(phraseIndex_)]);
}

void MessageCycle::SetScreenSize(float widthPixels, float heightPixels) {
    screenWidth_ = RoundHalfEven(widthPixels);
    screenHeight_ = RoundHalfEven(heightPixels);
}

void MessageCycle::Begin() {
    TimerDisplayLength_Timer();
}

std::int32_t MessageCycle::RndNum(std::int32_t& Max, std::int32_t Min) {
    // The difference is taken wide and clamped: extreme arguments must not overflow.
    const std::int64_t range = static_cast<std::int64_t>(Max) - Min;
    Max = RoundHalfEven(static_cast<double>(range));
    const double value = static_cast<double>(random_.Next()) * Max + Min;
    return RoundHalfEven(value);
}

void MessageCycle::TimerFrequency_Timer() {
    if (Paused) {
        return;
    }
    // Stopped first, so this step can never be entered again before the next one is due.
    timers_.Stop(CycleTimer::Frequency);

    ++phraseIndex_;
    if (Phrases.IsEmpty()) {
        Phrases = PhrasePool::FromList(RefillList());
    }
    // A pool replaced by a smaller one wraps here rather than being reset on assignment.
    if (phraseIndex_ > Phrases.LastIndex()) {
        phraseIndex_ = 0;
    }
    view_.SetLabelText(Phrases[static_cast<std::size_t>(phraseIndex_)]);
    view_.SetWindowHeight(view_.LabelHeight() + kWindowExtraHeight);
    // The label sits further in than the extra width: the window reaches past its right edge,
    // or the last letter would lose its last column.
    view_.SetWindowWidth(view_.LabelWidth() + std::max(kWindowExtraWidth, view_.LabelLeft()));

    // The label, not the window, must stay on the screen; the window's extra room below it is
    // transparent. A label wider than the screen gives a negative range: partly off to the left.
    const float twipsPerPixelX = view_.TwipsPerPixelX();
    const float twipsPerPixelY = view_.TwipsPerPixelY();
    const float h = view_.LabelHeight() / twipsPerPixelY;
    std::int32_t maxY = RoundHalfEven(static_cast<double>(screenHeight_) - h);
    const std::int32_t y = RndNum(maxY, 0);
    const float w = view_.LabelWidth() / twipsPerPixelX;
    std::int32_t maxX = RoundHalfEven(static_cast<double>(screenWidth_) - w);
    const std::int32_t x = RndNum(maxX, 0);

    // x and y place the label, so the window goes that much further up and left: placed at
    // x and y itself, its label would hang past the right and bottom edges by its offset.
    view_.SetWindowLeft(static_cast<float>(x) * twipsPerPixelX - view_.LabelLeft());
    view_.SetWindowTop(static_cast<float>(y) * twipsPerPixelY - view_.LabelTop());
    view_.SetLabelVisible(true);

    // With the settings window or its menu open the phrase stays and the cycle halts until
    // Begin is called again.
    if (!SettingsOrMenuVisible()) {
        view_.MakeTopmost();
        timers_.Start(CycleTimer::DisplayLength);
    }
    view_.Repaint();
}

void MessageCycle::TimerDisplayLength_Timer() {
    if (Paused) {
        return;
    }
    timers_.Stop(CycleTimer::DisplayLength);
    view_.SetLabelVisible(false);
    timers_.Start(CycleTimer::Frequency);
}

bool MessageCycle::SettingsOrMenuVisible() const {
    return visibility_ != nullptr &&
           (visibility_->SettingsWindowVisible() || visibility_->TrayMenuVisible());
}

}  // namespace murmurex
