#pragma once
// A window timer accurate to about a millisecond whose events still arrive through the
// window's message queue, so they run on the UI thread, never overlap a handler and keep
// working inside modal loops.
//
// A thread-pool timer posts a private message carrying the timer's generation; the window
// procedure hands it to Dispatch, which drops posts from a stopped or restarted timer and
// re-arms posts that came early. Far deadlines are armed coarsely up to a short lead-in and
// only then finely, with the system timer resolution raised just for that short stretch.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <utility>

#include "win/unique_handle.h"

namespace murmurex {

struct PoolTimerTraits {
    using handle_type = PTP_TIMER;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type timer) const noexcept;
};
using UniquePoolTimer = win::UniqueHandle<PoolTimerTraits>;

/// Raises the system timer resolution to 1 ms while held.
class TimerResolutionHold {
  public:
    TimerResolutionHold() noexcept = default;
    TimerResolutionHold(const TimerResolutionHold&) = delete;
    TimerResolutionHold& operator=(const TimerResolutionHold&) = delete;
    ~TimerResolutionHold() { Release(); }
    void Acquire() noexcept;
    void Release() noexcept;
    bool Held() const noexcept { return held_; }

  private:
    bool held_ = false;
};

class WindowTimer {
  public:
    /// Interval unit in milliseconds and the allowed interval range, in units.
    struct Units {
        std::uint32_t milliseconds;
        std::uint32_t minimum;
        std::uint32_t maximum;
    };

    WindowTimer(Units units, std::uint32_t interval) noexcept;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    ~WindowTimer();

    /// Binds the timer to the window that receives `message` with `id` as wParam. Answers
    /// false when the system has no timer to give.
    bool Attach(HWND target, UINT message, WPARAM id) noexcept;

    bool Enabled() const noexcept { return enabled_; }
    /// Switching on starts a fresh countdown; switching on a running timer changes nothing.
    void SetEnabled(bool enabled) noexcept;
    std::uint32_t Interval() const noexcept { return interval_; }
    /// Clamped to the allowed range; a running timer starts a fresh countdown.
    void SetInterval(std::uint32_t interval) noexcept;

    /// True while the fine stage (raised resolution) is armed; for tests and measurements.
    bool FineStage() const noexcept { return resolution_.Held(); }

    /// For the window procedure: runs `handler` when the post with `generation` is this
    /// timer's due event, then keeps the timer periodic unless the handler stopped it (a
    /// repeat comes 250 ms after the last event at the soonest).
    template <typename Handler>
    void Dispatch(LPARAM generation, Handler&& handler) {
        if (!TakeTick(generation)) {
            return;
        }
        const std::uint64_t firing = generation_;
        std::forward<Handler>(handler)();
        if (enabled_ && generation_ == firing) {
            ArmNextPeriod();
        }
    }

  private:
    static VOID CALLBACK OnPoolTimer(PTP_CALLBACK_INSTANCE, PVOID context, PTP_TIMER);
    bool TakeTick(LPARAM generation) noexcept;
    void ArmFromNow() noexcept;
    void ArmNextPeriod() noexcept;
    void Arm() noexcept;
    void Disarm() noexcept;
    std::int64_t PeriodTicks() const noexcept;

    Units units_;
    std::uint32_t interval_;
    bool enabled_ = false;
    std::int64_t deadline_ = 0;  // performance-counter ticks
    std::int64_t frequency_ = 1;
    // Written on the UI thread, read by the pool callback when it posts.
    std::atomic<std::uint64_t> generation_{0};
    TimerResolutionHold resolution_;

    HWND target_ = nullptr;
    UINT message_ = 0;
    WPARAM id_ = 0;
    // Last member: released first, so no callback outlives what it reads.
    UniquePoolTimer poolTimer_;
};

}  // namespace murmurex
