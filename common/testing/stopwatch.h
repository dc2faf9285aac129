#pragma once
// The one clock of the tests and benchmarks: the monotonic steady clock, read in milliseconds
// (on Windows it runs on the performance counter). Portable; for tests and benchmarks only.

#include <chrono>

namespace test_support {

/// Milliseconds on the monotonic clock; only differences mean anything.
inline double NowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

/// The time since it was made or last restarted.
class Stopwatch {
  public:
    using Clock = std::chrono::steady_clock;

    void Restart() { start_ = Clock::now(); }
    Clock::duration Elapsed() const { return Clock::now() - start_; }
    double ElapsedMs() const {
        return std::chrono::duration<double, std::milli>(Elapsed()).count();
    }
    double ElapsedSeconds() const { return std::chrono::duration<double>(Elapsed()).count(); }

  private:
    Clock::time_point start_ = Clock::now();
};

}  // namespace test_support
