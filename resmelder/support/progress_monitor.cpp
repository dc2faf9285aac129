#include "support/progress_monitor.h"

#include <algorithm>

#include "support/platform.h"

namespace resmelder {

ProgressMonitor::ProgressMonitor(std::uint64_t total, ProgressReceiver* receiver)
    : total_(total), receiver_(receiver), lastReportTick_(platform::TickCount()) {}

std::uint32_t ProgressMonitor::Percent() const {
    std::uint64_t total = total_;
    std::uint64_t current = current_;
    while (total > 1000000) {
        total /= 10;
        current /= 10;
    }
    if (total == 0) {
        return 100;
    }
    return static_cast<std::uint32_t>(current * 100 / total);
}

void ProgressMonitor::Consumed(std::uint64_t bytes) {
    current_ = std::min(total_, current_ + std::min(bytes, total_));
    if (receiver_ == nullptr) {
        return;
    }
    const std::uint32_t percent = Percent();
    const std::uint32_t now = platform::TickCount();
    if (percent > lastPercent_) {
        lastPercent_ = percent;
        lastReportTick_ = now;
        receiver_->PercentDone(percent, aborted_);
    } else if (now - lastReportTick_ > kHeartbeatMs) {
        lastReportTick_ = now;
        receiver_->Heartbeat(aborted_);
    }
}

void ProgressMonitor::Finish() {
    if (current_ < total_) {
        Consumed(total_ - current_);
    }
}

}  // namespace resmelder
