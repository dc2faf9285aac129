#include "window_timers_win.h"

#include <mmsystem.h>

#include <algorithm>

#include "win/system_library.h"

namespace murmurex {

namespace {

// winmm, from the system folder when the first timer needs the fine clock; without it the
// timers keep the default resolution.
struct TimerPeriodFunctions {
    win::SystemLibrary library{L"winmm.dll"};
    decltype(::timeBeginPeriod)* begin =
        library.Find<decltype(::timeBeginPeriod)>("timeBeginPeriod");
    decltype(::timeEndPeriod)* end = library.Find<decltype(::timeEndPeriod)>("timeEndPeriod");
};

const TimerPeriodFunctions& TimerPeriod() noexcept {
    static const TimerPeriodFunctions functions;
    return functions;
}

// The coarse stage ends this long before the deadline: more than one default system tick
// (15.6 ms) plus the coalescing window, so the fine stage always has time left to run.
constexpr std::int64_t kLeadInMilliseconds = 50;
constexpr DWORD kCoarseWindowMilliseconds = 10;
// Repeats (a timer its handler left running) come at most four times a second: a paused
// cycle, whose handlers return without stopping their timer, must not wake the program
// hundreds of times a second for nothing.
constexpr std::int64_t kMinimumRepeatMilliseconds = 250;
// A post this close to its deadline counts as due; anything earlier is re-armed.
constexpr std::int64_t kEarlyToleranceMicroseconds = 200;

std::int64_t Now() noexcept {
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

}  // namespace

void TimerResolutionHold::Acquire() noexcept {
    const TimerPeriodFunctions& period = TimerPeriod();
    if (!held_ && period.begin != nullptr && period.end != nullptr &&
        period.begin(1) == TIMERR_NOERROR) {
        held_ = true;
    }
}

void TimerResolutionHold::Release() noexcept {
    if (held_) {
        TimerPeriod().end(1);
        held_ = false;
    }
}

void PoolTimerTraits::close(handle_type timer) const noexcept {
    // No callback may run once the owner is gone: cancel, wait, then close.
    ::SetThreadpoolTimer(timer, nullptr, 0, 0);
    ::WaitForThreadpoolTimerCallbacks(timer, TRUE);
    ::CloseThreadpoolTimer(timer);
}

WindowTimer::WindowTimer(Units units, std::uint32_t interval) noexcept
    : units_(units), interval_(std::clamp(interval, units.minimum, units.maximum)) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    frequency_ = frequency.QuadPart;
}

WindowTimer::~WindowTimer() {
    // The pool timer must be gone before the members its callback reads.
    poolTimer_.reset();
}

bool WindowTimer::Attach(HWND target, UINT message, WPARAM id) noexcept {
    target_ = target;
    message_ = message;
    id_ = id;
    poolTimer_.reset(::CreateThreadpoolTimer(&WindowTimer::OnPoolTimer, this, nullptr));
    return static_cast<bool>(poolTimer_);
}

VOID CALLBACK WindowTimer::OnPoolTimer(PTP_CALLBACK_INSTANCE, PVOID context, PTP_TIMER) {
    const auto* self = static_cast<const WindowTimer*>(context);
    ::PostMessageA(self->target_, self->message_, self->id_,
                   static_cast<LPARAM>(self->generation_.load(std::memory_order_acquire)));
}

void WindowTimer::SetEnabled(bool enabled) noexcept {
    if (enabled == enabled_) {
        return;
    }
    enabled_ = enabled;
    // A new generation makes every post already on its way from the old countdown stale.
    generation_.fetch_add(1, std::memory_order_release);
    if (enabled) {
        // The fine clock's library loads as the first countdown starts: loaded when it nears
        // its end, it would make that tick late by the time the load takes; loaded when the
        // timer is attached, it would hold back the program's first window.
        static_cast<void>(TimerPeriod());
        ArmFromNow();
    } else {
        Disarm();
    }
}

void WindowTimer::SetInterval(std::uint32_t interval) noexcept {
    interval_ = std::clamp(interval, units_.minimum, units_.maximum);
    if (enabled_) {
        generation_.fetch_add(1, std::memory_order_release);
        ArmFromNow();
    }
}

bool WindowTimer::TakeTick(LPARAM generation) noexcept {
    if (!enabled_ || static_cast<std::uint64_t>(generation) != generation_.load()) {
        return false;
    }
    const std::int64_t tolerance = kEarlyToleranceMicroseconds * frequency_ / 1000000;
    if (deadline_ - Now() > tolerance) {
        // The coarse stage's post, or a late callback of an earlier countdown.
        Arm();
        return false;
    }
    return true;
}

std::int64_t WindowTimer::PeriodTicks() const noexcept {
    const auto milliseconds = static_cast<std::int64_t>(interval_) * units_.milliseconds;
    return milliseconds * frequency_ / 1000;
}

void WindowTimer::ArmFromNow() noexcept {
    deadline_ = Now() + PeriodTicks();
    Arm();
}

void WindowTimer::ArmNextPeriod() noexcept {
    // Periodic without drift, but a handler that overran does not cause a burst of ticks.
    const std::int64_t period =
        std::max(PeriodTicks(), kMinimumRepeatMilliseconds * frequency_ / 1000);
    deadline_ += period;
    const std::int64_t now = Now();
    if (deadline_ <= now) {
        deadline_ = now + period;
    }
    Arm();
}

void WindowTimer::Arm() noexcept {
    if (!poolTimer_) {
        return;
    }
    const std::int64_t leadIn = kLeadInMilliseconds * frequency_ / 1000;
    std::int64_t due = deadline_ - Now();
    DWORD window = 0;
    if (due > leadIn) {
        resolution_.Release();
        due -= leadIn;
        window = kCoarseWindowMilliseconds;
    } else {
        resolution_.Acquire();
    }
    // Relative due times are negative, in 100 ns units; never zero, which would be absolute.
    const std::int64_t hundredNanoseconds =
        std::max<std::int64_t>(1, static_cast<std::int64_t>(static_cast<double>(due) * 1e7 /
                                                            static_cast<double>(frequency_)));
    ULARGE_INTEGER relative;
    relative.QuadPart = static_cast<ULONGLONG>(-hundredNanoseconds);
    FILETIME dueTime{relative.LowPart, relative.HighPart};
    ::SetThreadpoolTimer(poolTimer_.get(), &dueTime, 0, window);
}

void WindowTimer::Disarm() noexcept {
    if (poolTimer_) {
        ::SetThreadpoolTimer(poolTimer_.get(), nullptr, 0, 0);
    }
    resolution_.Release();
}

}  // namespace murmurex
