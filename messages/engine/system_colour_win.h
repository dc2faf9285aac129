#pragma once
// The platform's answer for a system colour, as the settings file's colours need it.

#include <cstdint>
#include <optional>

namespace murmurex {

/// GetSysColor for a system colour index (the low bits of a colour with the high bit set);
/// nothing for an index the platform does not have. Fits SystemColourLookup.
std::optional<std::uint32_t> PlatformSystemColour(std::uint32_t index);

}  // namespace murmurex
