#include <windows.h>

#include "support/platform.h"

namespace resmelder::platform {

std::uint32_t LastOsError() {
    return ::GetLastError();
}

void SetLastOsError(std::uint32_t code) {
    ::SetLastError(code);
}

std::string OsErrorText(std::uint32_t code) {
    char buf[1024] = {};
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, 0x0400, buf, sizeof buf, nullptr);
    return std::string(buf, n);
}

std::uint32_t TickCount() {
    return ::GetTickCount();
}

void SleepMs(std::uint32_t ms) {
    ::Sleep(ms);
}

}  // namespace resmelder::platform
