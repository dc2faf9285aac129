#include "window_timers_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "win/unique_handle.h"

namespace murmurex {
namespace {

constexpr UINT kTick = WM_APP + 7;
constexpr WPARAM kId = 3;

double NowMs() {
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A message-only window whose procedure hands the timer's posts to Dispatch and records
// when each event ran.
class TimerWindow {
  public:
    explicit TimerWindow(WindowTimer& timer) : timer_(timer) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &TimerWindow::Procedure;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "MurmurexTimerTest";
        ::RegisterClassExA(&windowClass);
        window_.reset(::CreateWindowExA(0, "MurmurexTimerTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, windowClass.hInstance, nullptr));
        ::SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    HWND get() const { return window_.get(); }

    // Runs the message loop for `milliseconds`.
    void Pump(double milliseconds) {
        const double end = NowMs() + milliseconds;
        for (double now = NowMs(); now < end; now = NowMs()) {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now) + 1,
                                        QS_ALLINPUT);
            MSG message;
            while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::DispatchMessageA(&message);
            }
        }
    }

    std::vector<double> ticks;
    bool stopInHandler = false;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TimerWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr && message == kTick && wParam == kId) {
            self->timer_.Dispatch(lParam, [self] {
                self->ticks.push_back(NowMs());
                if (self->stopInHandler) {
                    self->timer_.SetEnabled(false);
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
    window.Pump(950);
    timer.SetEnabled(false);
    ASSERT_EQ(window.ticks.size(), 3u);
    // Loose bounds for a busy machine; 250 or 16 ms steps would still fall far outside.
    EXPECT_NEAR(window.ticks[0] - start, 300.0, 10.0);
    EXPECT_NEAR(window.ticks[1] - window.ticks[0], 300.0, 10.0);
    EXPECT_NEAR(window.ticks[2] - window.ticks[1], 300.0, 10.0);
    window.Pump(350);
    EXPECT_EQ(window.ticks.size(), 3u);

    // A 1 ms timer left running (as a paused cycle leaves it) repeats every 250 ms.
    window.ticks.clear();
    timer.SetInterval(1);
    start = NowMs();
    timer.SetEnabled(true);
    window.Pump(600);
    timer.SetEnabled(false);
    ASSERT_EQ(window.ticks.size(), 3u);
    EXPECT_LT(window.ticks[0] - start, 10.0);
    EXPECT_NEAR(window.ticks[1] - window.ticks[0], 250.0, 10.0);
}

TEST(WindowTimerTest, PostsOfAStoppedOrRestartedCountdownAreDropped) {
    WindowTimer timer{{1, 1, 1000}, 1};
    TimerWindow window(timer);
    ASSERT_TRUE(timer.Attach(window.get(), kTick, kId));

    // The post arrives while nobody pumps; stopping before it is handled must win.
    timer.SetEnabled(true);
    ::Sleep(30);
    timer.SetEnabled(false);
    window.Pump(30);
    EXPECT_TRUE(window.ticks.empty());

    // A restart begins a full new countdown: the old one's post must not fire it early.
    timer.SetInterval(100);
    timer.SetEnabled(true);
    ::Sleep(105);  // the first countdown's post is now queued
    timer.SetEnabled(false);
    const double restart = NowMs();
    timer.SetEnabled(true);
    window.stopInHandler = true;
    window.Pump(160);
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
    window.Pump(60);
    timer.SetEnabled(true);
    window.Pump(100);
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
    window.Pump(900);
    EXPECT_FALSE(timer.FineStage());
    window.Pump(80);
    EXPECT_TRUE(timer.FineStage());
    window.Pump(100);
    ASSERT_EQ(window.ticks.size(), 1u);
    EXPECT_GE(window.ticks[0] - start, 999.5);
    EXPECT_LE(window.ticks[0] - start, 1030.0);
    EXPECT_FALSE(timer.FineStage());
}

}  // namespace
}  // namespace murmurex
