#pragma once
// The fixed texts and numbers the common dialog wrapper raises.

#include <cstdint>
#include <string_view>

namespace murmurex::dialogs::dialog_texts {

/// Appended to the executable's name to name the wrapper as an error's source.
inline constexpr std::string_view kSourceSuffix = ".cCommonDialog";

inline constexpr std::int64_t kInvalidHelpCommandNumber = 13705;
inline constexpr std::string_view kInvalidHelpCommand =
    "Invalid WinHelp Command Passed to ShowHelp function.";

/// Added to a dialog's extended error by a bitwise OR to make the raised number.
inline constexpr std::int64_t kDialogErrorBits = 0x348A;

}  // namespace murmurex::dialogs::dialog_texts
