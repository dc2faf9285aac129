#include <windows.h>

#include "support/windows_version.h"

namespace resmelder {

WindowsVersion WindowsVersion::Current() {
    // Every system this build runs on is NT-based; GetVersion's high bit marks the 9x line.
    const DWORD v = ::GetVersion();
    WindowsVersion result;
    result.platformId = (v & 0x80000000u) != 0 ? 1 : 2;
    result.major = v & 0xFF;
    result.minor = (v >> 8) & 0xFF;
    return result;
}

}  // namespace resmelder
