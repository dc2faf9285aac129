#pragma once
// The few operating-system services the portable code needs, one backend per platform.

#include <cstdint>
#include <string>

namespace resmelder::platform {

/// The calling thread's last OS error code (GetLastError / errno).
std::uint32_t LastOsError();
/// Makes `code` the calling thread's last OS error again (after logging may have changed it).
void SetLastOsError(std::uint32_t code);
/// The system's message text for an OS error code, untrimmed.
std::string OsErrorText(std::uint32_t code);
/// Milliseconds since an arbitrary start, wrapping at 32 bits like the system tick count.
std::uint32_t TickCount();
void SleepMs(std::uint32_t ms);

}  // namespace resmelder::platform
