#include "start_up.h"

#include <string>

#include "file_access.h"

namespace murmurex {

bool IsFirstRun(std::string_view commandLine) noexcept {
    return commandLine.find(kFirstRunWord) != std::string_view::npos;
}

bool IsFirstRun(std::wstring_view commandLine) noexcept {
    constexpr std::wstring_view kWide = L"firstrun";
    static_assert(kWide.size() == kFirstRunWord.size());
    return commandLine.find(kWide) != std::wstring_view::npos;
}

DataReplacement ApplyPendingDataFile(const std::filesystem::path& appPath, const FileMover& move) {
    const std::filesystem::path pending = appPath / std::string(kPendingDataFileName);
    if (!IsExistingFile(pending)) {
        return DataReplacement::NothingPending;
    }
    // One move instead of delete, copy, delete: a failure can no longer lose both files.
    const std::filesystem::path data = appPath / std::string(kDataFileName);
    if (!move || !move(pending, data)) {
        return DataReplacement::Failed;
    }
    return DataReplacement::Replaced;
}

DataReplacement ApplyPendingDataFile(const std::filesystem::path& appPath) {
    return ApplyPendingDataFile(appPath, MoveFileOver);
}

}  // namespace murmurex
