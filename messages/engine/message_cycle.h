#pragma once
// The flashing cycle of the message window, free of any platform: two one-shot timers hand
// over to each other (frequency: show the next phrase somewhere on the screen; display
// length: hide it again). The window, the timers, the random numbers and the settings
// window's visibility come in through the small interfaces below, so the cycle runs the
// same against the real window and against fakes.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "phrase_pool.h"

namespace murmurex {

/// What the cycle does to the window and its label. Lengths are twips (see portable/twips.h).
class MessageView {
  public:
    virtual ~MessageView() = default;
    /// Replaces the label's text; the label resizes itself to fit it on one line.
    virtual void SetLabelText(const std::string& text) = 0;
    virtual float LabelWidth() const = 0;
    virtual float LabelHeight() const = 0;
    /// The label's fixed place inside the window.
    virtual float LabelLeft() const = 0;
    virtual float LabelTop() const = 0;
    virtual void SetLabelVisible(bool visible) = 0;
    virtual void SetWindowHeight(float twips) = 0;
    virtual void SetWindowWidth(float twips) = 0;
    virtual void SetWindowLeft(float twips) = 0;
    virtual void SetWindowTop(float twips) = 0;
    /// Puts the window above all non-topmost windows; a failure is ignored.
    virtual void MakeTopmost() = 0;
    /// Paints the window now.
    virtual void Repaint() = 0;
    /// Twips per pixel along each axis, the factor the window layout uses.
    virtual float TwipsPerPixelX() const = 0;
    virtual float TwipsPerPixelY() const = 0;
};

enum class CycleTimer { Frequency, DisplayLength };

/// The window's two timers. Starting a timer that runs already keeps its countdown.
class CycleTimers {
  public:
    virtual ~CycleTimers() = default;
    virtual void Start(CycleTimer timer) = 0;
    virtual void Stop(CycleTimer timer) = 0;
};

/// Uniform single-precision numbers in [0, 1).
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual void Seed(double seed) = 0;
    virtual float Next() = 0;
};

/// The default generator: 24 random bits per number, so every value is exact in a float
/// and 1.0 can never come out.
class UniformRandom final : public RandomSource {
  public:
    explicit UniformRandom(std::uint64_t seed = 0) : engine_(seed) {}
    void Seed(double seed) override;
    float Next() override;

  private:
    std::mt19937_64 engine_;
};

/// Whether the settings window or its tray menu is on screen: either one halts the cycle
/// after the phrase it just showed.
class SettingsVisibility {
  public:
    virtual ~SettingsVisibility() = default;
    virtual bool SettingsWindowVisible() const = 0;
    virtual bool TrayMenuVisible() const = 0;
};

class MessageCycle {
  public:
    MessageCycle(MessageView& view, CycleTimers& timers, RandomSource& random) noexcept
        : view_(view), timers_(timers), random_(random) {}

    /// The phrase pool; may be replaced at any time, the index is kept and wraps later.
    PhrasePool Phrases;
    /// While true both timer handlers return at once.
    bool Paused = false;

    /// The pool the window starts with, until it is handed a real one.
    static const std::vector<std::string>& LoadList();
    /// The pool that replaces an empty one, so a step always has something to show.
    static const std::vector<std::string>& RefillList();

    /// Load steps owned by the cycle: seed the generator from the seconds since midnight,
    /// take the load list and put its phrase at `PhraseIndex` on the (hidden) label.
    void Load(double secondsSinceMidnight);
    /// Takes the screen size in pixels, rounded half to even.
    void SetScreenSize(float widthPixels, float heightPixels);

    /// Starts or restarts the cycle: the same as the display-length timer's event.
    void Begin();
    /// Sets `Max` to `Max` - `Min` and answers a random integer between `Min` and
    /// `Min` + the new `Max`, both ends inclusive (each end half as likely as an inner value).
    std::int32_t RndNum(std::int32_t& Max, std::int32_t Min);

    /// One step: the next phrase at a random place, shown, and the display timer started.
    void TimerFrequency_Timer();
    /// Hides the phrase and starts waiting for the next step.
    void TimerDisplayLength_Timer();

    /// Plugs in the settings window; null means neither it nor its menu exists.
    void SetSettingsVisibility(const SettingsVisibility* visibility) noexcept {
        visibility_ = visibility;
    }

    std::int32_t PhraseIndex() const noexcept { return phraseIndex_; }
    std::int32_t ScreenWidth() const noexcept { return screenWidth_; }
    std::int32_t ScreenHeight() const noexcept { return screenHeight_; }

  private:
    bool SettingsOrMenuVisible() const;

    MessageView& view_;
    CycleTimers& timers_;
    RandomSource& random_;
    const SettingsVisibility* visibility_ = nullptr;

    // PhraseIndex: the pool index of the phrase shown last. ScreenWidth, ScreenHeight: the
    // screen in pixels, taken once at load.
    std::int32_t phraseIndex_ = 0;
    std::int32_t screenWidth_ = 0;
    std::int32_t screenHeight_ = 0;
};

}  // namespace murmurex
