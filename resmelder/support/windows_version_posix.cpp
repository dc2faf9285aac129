#include "support/windows_version.h"

namespace resmelder {

WindowsVersion WindowsVersion::Current() {
    return WindowsVersion{};
}

}  // namespace resmelder
