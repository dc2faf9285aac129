#pragma once
// Start-up steps of the program that need no window: the first-run test on the command line
// and the pending replacement of the data file DATA by DATA01.

#include <filesystem>
#include <functional>
#include <string_view>

namespace murmurex {

inline constexpr std::string_view kFirstRunWord = "firstrun";
inline constexpr std::string_view kDataFileName = "DATA";
inline constexpr std::string_view kPendingDataFileName = "DATA01";

/// True when "firstrun" occurs anywhere in the command line, in exactly that case (also
/// inside a longer argument).
bool IsFirstRun(std::string_view commandLine) noexcept;
bool IsFirstRun(std::wstring_view commandLine) noexcept;

/// Moves a file onto another in one step, replacing it; false leaves both as they were.
using FileMover =
    std::function<bool(const std::filesystem::path& source, const std::filesystem::path& target)>;

enum class DataReplacement {
    NothingPending,  ///< no DATA01: nothing was touched
    Replaced,        ///< DATA now holds what DATA01 held, and DATA01 is gone
    Failed,          ///< the move failed: DATA and DATA01 are as they were, for the next start
};

/// When an ordinary file DATA01 is beside the program, puts it in the place of DATA in one
/// step. A failure loses neither file.
DataReplacement ApplyPendingDataFile(const std::filesystem::path& appPath, const FileMover& move);
/// The same through the file layer's MoveFileOver.
DataReplacement ApplyPendingDataFile(const std::filesystem::path& appPath);

}  // namespace murmurex
