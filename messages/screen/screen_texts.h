#pragma once
// Every fixed text the screen object shows or raises, and the way its error sources are
// spelled. Kept in one place so the wording never drifts between members.

#include <cstdint>
#include <string>
#include <string_view>

namespace murmurex::screen_texts {

// Message boxes.
inline constexpr std::string_view kNoHwndMessage =
    "Could not get the handle to the screen (hWnd).  This information is critical and this "
    "module can not function propertly without it.";
inline constexpr std::string_view kNoHwndTitle = "  Could Not Get Screen hWnd";
inline constexpr std::string_view kNoDcMessage =
    "Could not get the handle to the screen's Device Context (DC).  This information is "
    "critical and this module can not function propertly without it.";
inline constexpr std::string_view kNoDcTitle = "  Could Not Get Screen hDC";
inline constexpr std::string_view kBadMouseIconMessage =
    "Invalid mouse icon file.  File must be an .ICO, .CUR, or .ANI file.";
inline constexpr std::string_view kBadMouseIconTitle = "  Invalid File Type";

// Raised descriptions.
inline constexpr std::string_view kInvalidDc = "Invalid DC Specified";
inline constexpr std::string_view kInvalidFontName = "Invalid Font Name Specified";
inline constexpr std::string_view kInvalidFontSize = "Invalid Font Size Specified";
inline constexpr std::string_view kInvalidFontHandle = "Invalid Font Handle Specified";
inline constexpr std::string_view kInvalidColor = "Invalid Color Specified";
inline constexpr std::string_view kInvalidPointCount = "Invalid POINT Count Specified";
inline constexpr std::string_view kInvalidParameters = "Invalid Parameters Specified";
inline constexpr std::string_view kNoPicture = "No picture specified to draw.";
inline constexpr std::string_view kPictureNotFound = "Specified picture could not be found.";
inline constexpr std::string_view kInvalidPicture = "Invalid picture variable specified.";
inline constexpr std::string_view kSubscriptOutOfRange = "Subscript out of range";
inline constexpr std::int32_t kSubscriptOutOfRangeNumber = 9;

inline constexpr std::string_view kResolutionInvalidParameter =
    "An invalid parameter was passed in. This can include an invalid flag or combination of "
    "flags.";
inline constexpr std::string_view kResolutionInvalidFlags =
    "An invalid set of flags was passed in.";
inline constexpr std::string_view kResolutionRegistry = "Unable to write settings to the registry.";
inline constexpr std::string_view kResolutionBadMode = "The graphics mode is not supported.";
inline constexpr std::string_view kResolutionFailed =
    "The display driver failed the specified graphics mode.";
inline constexpr std::string_view kResolutionUnknown =
    "An unknown error occured while trying to change the screen resolution.";

/// The executable's name, ".cScreen." and the member (with the failing call in brackets).
inline std::string Source(std::string_view executableName, std::string_view member) {
    std::string text(executableName);
    text += ".cScreen.";
    text += member;
    return text;
}

/// The resolution change spells its source without the dot after the executable's name.
inline std::string ChangeResolutionSource(std::string_view executableName) {
    std::string text(executableName);
    text += "cScreen.ChangeResolution(ChangeDisplaySettings)";
    return text;
}

}  // namespace murmurex::screen_texts
