#include "system_colour_win.h"

#include <windows.h>

namespace murmurex {

std::optional<std::uint32_t> PlatformSystemColour(std::uint32_t index) {
    // GetSysColor answers 0 (black) for an unknown index too: the brush tells them apart.
    if (index > 0xFF || ::GetSysColorBrush(static_cast<int>(index)) == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(::GetSysColor(static_cast<int>(index)));
}

}  // namespace murmurex
