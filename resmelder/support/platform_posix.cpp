#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/platform.h"

namespace resmelder::platform {

std::uint32_t LastOsError() {
    return static_cast<std::uint32_t>(errno);
}

void SetLastOsError(std::uint32_t code) {
    errno = static_cast<int>(code);
}

std::string OsErrorText(std::uint32_t code) {
    char buf[256] = {};
    // The GNU strerror_r may answer a static text instead of filling the buffer.
    const char* text = strerror_r(static_cast<int>(code), buf, sizeof buf);
    return text != nullptr ? std::string(text) : std::string();
}

std::uint32_t TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SleepMs(std::uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace resmelder::platform
