#include "window_timers_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "testing/stopwatch.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"
#include "win/window_procedure.h"

namespace murmurex {
namespace {

constexpr UINT kTick = WM_APP + 7;
constexpr WPARAM kId = 3;

using test_support::NowMs;
using win::test::PumpMessages;

// A message-only window whose procedure hands the timer's posts to Dispatch and records
// when each event ran.
class TimerWindow {
  public:
    explicit TimerWindow(WindowTimer& timer) : timer_(timer) {
        win::RegisterWindowClass("MurmurexTimerTest",
                                 win::WindowProcedure<TimerWindow, &TimerWindow::HandleMessage>);
        window_.reset(::CreateWindowExA(0, "MurmurexTimerTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, ::GetModuleHandleA(nullptr), this));
    }

    HWND get() const { return window_.get(); }

    std::vector<double> ticks;
    bool stopInHandler = false;

  private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kTick && wParam == kId) {
            timer_.Dispatch(lParam, [this] {
                ticks.push_back(NowMs());
                if (stopInHandler) {
                    timer_.SetEnabled(false);
                }
            });
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    WindowTimer& timer_;
    win::UniqueWindow window_;
};

TEST(WindowTimerTest, IntervalsAreClampedToTheirRange) {
    WindowTimer seconds{{1000, 1, 30}, 0};
    EXPECT_EQ(seconds.Interval(), 1u);
    seconds.SetInterval(31);
    EXPECT_EQ(seconds.Interval(), 30u);
    WindowTimer milliseconds{{1, 1, 1000}, 2};
    EXPECT_EQ(milliseconds.Interval(), 2u);
    milliseconds.SetInterval(0);
    EXPECT_EQ(milliseconds.Interval(), 1u);
    milliseconds.SetInterval(5000);
    EXPECT_EQ(milliseconds.Interval(), 1000u);
}

TEST(WindowTimerTest, RepeatsUntilStoppedButNeverFasterThanFourTimesASecond) {
    WindowTimer timer{{1, 1, 1000}, 300};
    TimerWindow window(timer);
    ASSERT_TRUE(timer.Attach(window.get(), kTick, kId));
    double start = NowMs();
    timer.SetEnabled(true);
    PumpMessages(1050);
    timer.SetEnabled(false);
    ASSERT_EQ(window.ticks.size(), 3u);
    // Never early; late only by what a busy machine adds. 250 or 16 ms steps fall outside.
    EXPECT_NEAR(window.ticks[0] - start, 320.0, 25.0);
    EXPECT_NEAR(window.ticks[1] - window.ticks[0], 320.0, 25.0);
    EXPECT_NEAR(window.ticks[2] - window.ticks[1], 320.0, 25.0);
    PumpMessages(350);
    EXPECT_EQ(window.ticks.size(), 3u);

    // A 1 ms timer left running (as a paused cycle leaves it) repeats every 250 ms.
    window.ticks.clear();
    timer.SetInterval(1);
    start = NowMs();
    timer.SetEnabled(true);
    PumpMessages(600);
    timer.SetEnabled(false);
    ASSERT_EQ(window.ticks.size(), 3u);
    EXPECT_LT(window.ticks[0] - start, 10.0);
    EXPECT_NEAR(window.ticks[1] - window.ticks[0], 265.0, 20.0);
}

TEST(WindowTimerTest, PostsOfAStoppedOrRestartedCountdownAreDropped) {
    WindowTimer timer{{1, 1, 1000}, 1};
    TimerWindow window(timer);
    ASSERT_TRUE(timer.Attach(window.get(), kTick, kId));

    // The post arrives while nobody pumps; stopping before it is handled must win.
    timer.SetEnabled(true);
    ::Sleep(30);
    timer.SetEnabled(false);
    PumpMessages(30);
    EXPECT_TRUE(window.ticks.empty());

    // A restart begins a full new countdown: the old one's post must not fire it early.
    timer.SetInterval(100);
    timer.SetEnabled(true);
    ::Sleep(105);  // the first countdown's post is now queued
    timer.SetEnabled(false);
    const double restart = NowMs();
    timer.SetEnabled(true);
    window.stopInHandler = true;
    PumpMessages(160);
    ASSERT_EQ(window.ticks.size(), 1u);
    EXPECT_GE(window.ticks[0] - restart, 99.5);
}

TEST(WindowTimerTest, SwitchingOnARunningTimerKeepsItsCountdown) {
    WindowTimer timer{{1, 1, 1000}, 100};
    TimerWindow window(timer);
    ASSERT_TRUE(timer.Attach(window.get(), kTick, kId));
    window.stopInHandler = true;
    const double start = NowMs();
    timer.SetEnabled(true);
    PumpMessages(60);
    timer.SetEnabled(true);
    PumpMessages(100);
    ASSERT_EQ(window.ticks.size(), 1u);
    EXPECT_NEAR(window.ticks[0] - start, 100.0, 15.0);
}

TEST(WindowTimerTest, LongIntervalIsOnTimeAndRaisesTheResolutionOnlyNearTheEnd) {
    WindowTimer timer{{1000, 1, 30}, 1};
    TimerWindow window(timer);
    ASSERT_TRUE(timer.Attach(window.get(), kTick, kId));
    window.stopInHandler = true;
    const double start = NowMs();
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.FineStage());
    PumpMessages(900);
    EXPECT_FALSE(timer.FineStage());
    PumpMessages(80);
    EXPECT_TRUE(timer.FineStage());
    PumpMessages(100);
    ASSERT_EQ(window.ticks.size(), 1u);
    EXPECT_GE(window.ticks[0] - start, 999.5);
    EXPECT_LE(window.ticks[0] - start, 1030.0);
    EXPECT_FALSE(timer.FineStage());
}

}  // namespace
}  // namespace murmurex
