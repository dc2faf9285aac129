#pragma once
// The operating-system version record; its one question is whether the wide-character file
// functions exist.

#include <cstdint>

namespace resmelder {

struct WindowsVersion {
    std::uint32_t platformId = 2;  // 1: Windows 95/98/Me, 2: NT; POSIX reports 2
    std::uint32_t major = 0;
    std::uint32_t minor = 0;

    /// The running system's version.
    static WindowsVersion Current();
    /// Windows 95, 98 or Me, which lack the wide file functions.
    bool IsWin9x() const { return platformId == 1 && (minor == 0 || minor == 10 || minor == 90); }
};

}  // namespace resmelder
