#pragma once
// Every fixed text of the shell, folder and profile helpers, exactly as the user sees it.

#include <string_view>

namespace murmurex::dialogs::helper_texts {

inline constexpr std::string_view kFolderFailure = "Could not Create Destination Folder.";

/// Appended to the application title to name where a shell error came from.
inline constexpr std::string_view kShellSourceSuffix = ".GShell";

inline constexpr std::string_view kOutOfMemory = "Out of memory";
inline constexpr std::string_view kFileNotFound = "File not found";
inline constexpr std::string_view kPathNotFound = "Path not found";
inline constexpr std::string_view kAccessError = "Path/file access error";
inline constexpr std::string_view kInvalidExecutable = "The executable file is invalid or corrupt";
inline constexpr std::string_view kSharingViolation = "A sharing violation occurred.";
inline constexpr std::string_view kNoValidAssociation =
    "This file type does not have a valid file association.";
inline constexpr std::string_view kTimeOut =
    "The file could not be opened due to time out.  Please try again in a moment.";
inline constexpr std::string_view kDdeFailed =
    "The file could not be opened because the DDE transaction failed.  Please try again in a "
    "moment.";
inline constexpr std::string_view kTargetBusy =
    "The file could not be opened because the target application is busy.  Please try again "
    "in a moment.";
inline constexpr std::string_view kNoAssociation =
    "No application is associated with this file type.";
inline constexpr std::string_view kDllNotFound =
    "The specified dynamic-link library was not found.";
// The doubled word is the text users have always seen; it stays.
inline constexpr std::string_view kOtherShellError =
    "An error occurred occurred whilst trying to open or print the selected file.";

}  // namespace murmurex::dialogs::helper_texts
