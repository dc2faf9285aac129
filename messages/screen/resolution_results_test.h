#pragma once
// What each answer of the platform's mode change must raise; shared by the native and the
// Windows tests.

#include <cstdint>

namespace murmurex::test {

struct ResolutionRefusal {
    std::int32_t result;
    std::int32_t number;
    const char* message;
};

inline constexpr ResolutionRefusal kResolutionRefusals[] = {
    {-5, -5,
     "An invalid parameter was passed in. This can include an invalid flag or combination of "
     "flags."},
    {-4, -4, "An invalid set of flags was passed in."},
    {-3, -3, "Unable to write settings to the registry."},
    {-2, -2, "The graphics mode is not supported."},
    {-1, -1, "The display driver failed the specified graphics mode."},
    {-6, -1, "An unknown error occured while trying to change the screen resolution."},
    {2, -1, "An unknown error occured while trying to change the screen resolution."},
};

}  // namespace murmurex::test
