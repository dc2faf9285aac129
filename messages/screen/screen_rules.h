#pragma once
// The screen object's rules that need no platform: depth mapping, twips maths, the
// resolution table and what a mode change should send and means, the cursor-file check.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "screen_error.h"

namespace murmurex {

/// Depth as the screen object reports it: 1 and 2 give 2; 4, 8, 16, 24, 32 themselves; else 0.
std::int32_t MapBitsPerPixel(std::int32_t deviceBits) noexcept;

/// Twips per pixel from the physical size (mm) and the resolution (pixels), in single
/// precision. No answer when the resolution is not positive: the caller keeps its old value.
std::optional<float> TwipsPerPixel(std::int32_t millimetres, std::int32_t pixels) noexcept;

struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

/// The sizes a resolution index names; no answer for an index outside the table.
std::optional<ScreenSize> ResolutionForIndex(std::int32_t index) noexcept;

/// Display-mode fields and change flags, with the values the platform uses.
inline constexpr std::uint32_t kFieldsWidthHeight = 0x180000;
inline constexpr std::uint32_t kFieldsWidthHeightBits = 0x1C0000;
inline constexpr std::uint32_t kChangeTestOnly = 2;
inline constexpr std::uint32_t kChangeUpdateAndReset = 0x40000001;

struct CurrentMode {
    float width = 0;
    float height = 0;
    std::int32_t bitsPerPixel = 0;  // as mapped by MapBitsPerPixel
};

/// What a resolution change should do.
struct ResolutionPlan {
    bool alreadyCurrent = false;  // answer True at once, call nothing
    std::uint32_t fields = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 0;
    std::uint32_t flags = 0;
};

ResolutionPlan PlanResolutionChange(std::int32_t index, std::int32_t bits, bool testOnly,
                                    const CurrentMode& current) noexcept;

/// How the platform's answer to a mode change reads.
struct ResolutionOutcome {
    bool answer = false;
    bool restartNeeded = false;
    std::int32_t errorNumber = 0;  // 0: nothing to raise
    std::string_view message;
};

ResolutionOutcome InterpretResolutionResult(std::int32_t platformResult) noexcept;

/// The error a refused mode change raises (number 0 when there is nothing to raise).
ScreenError ResolutionError(std::string_view executableName, const ResolutionOutcome& outcome);

/// True when the path ends in .ICO, .CUR or .ANI, whatever the case.
bool IsMouseIconFile(std::string_view path) noexcept;

/// True when the path names an animated or static cursor (.CUR, .ANI) rather than an icon.
bool IsCursorFile(std::string_view path) noexcept;

/// The system cursor ids in the order a class cursor is matched against them.
inline constexpr std::array<std::int32_t, 15> kSystemCursorOrder = {
    32650, 32512, 32515, 32651, 32513, 32641, 32648, 32640,
    32646, 32643, 32645, 32642, 32644, 32516, 32514};

/// The answer for a class cursor that is none of the system cursors.
inline constexpr std::int32_t kCustomCursor = 1;

/// The program's name from its module path: no folders, no extension.
std::string ExecutableNameFromPath(std::string_view modulePath);

}  // namespace murmurex
