#pragma once
// Byte-count progress with an optional receiver that may ask to abort.

#include <cstdint>

#include "support/vantrix_object.h"

namespace resmelder {

class ProgressReceiver {
  public:
    virtual ~ProgressReceiver() = default;
    /// The percentage rose; set `abort` to stop the operation.
    virtual void PercentDone(std::uint32_t percent, bool& abort) = 0;
    /// Nothing visible changed for more than 300 ms.
    virtual void Heartbeat(bool& abort) = 0;
};

class ProgressMonitor : public VantrixObject {
  public:
    static constexpr std::uint32_t kHeartbeatMs = 300;

    ProgressMonitor(std::uint64_t total, ProgressReceiver* receiver);

    /// Adds a byte count (never beyond the total).
    void Consumed(std::uint64_t bytes);
    /// Reports the remainder up to the total.
    void Finish();
    std::uint32_t Percent() const;
    bool Aborted() const { return aborted_; }
    std::uint64_t Current() const { return current_; }

  private:
    std::uint64_t total_;
    std::uint64_t current_ = 0;
    ProgressReceiver* receiver_;
    bool aborted_ = false;
    std::uint32_t lastReportTick_;
    std::uint32_t lastPercent_ = 0;
};

}  // namespace resmelder
