#pragma once
// Test support: byte-exact file helpers for the phrase files, and the folder a test makes
// them in (test_support::TestFolder).

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "testing/test_files.h"
#include "testing/test_folder.h"

namespace murmurex::testing {

/// Writes `bytes` as the whole of `path`, making its folders first.
inline void WriteBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::create_directories(path.parent_path());
    test_support::WriteFileBytes(path, bytes);
}

inline std::string ReadBytes(const std::filesystem::path& path) {
    return test_support::ReadFileBytes(path);
}

inline std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

inline void MakeReadOnly(const std::filesystem::path& path) {
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
}

}  // namespace murmurex::testing
