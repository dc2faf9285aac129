#pragma once
// A folder of its own for one test or benchmark: made fresh in the temporary folder under a
// name that no other test, process or earlier run holds, and removed with everything in it
// when the object goes. Portable; for tests and benchmarks only.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace test_support {

/// A token drawn once per process. Process ids are no use: Wine hands out the same ones to
/// programs started one after another.
inline const std::string& ProcessToken() {
    static const std::string token = [] {
        std::random_device device;
        const auto stamp =
            static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
        const std::uint64_t value = (std::uint64_t{device()} << 32 | device()) ^ stamp;
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
        return std::string(text);
    }();
    return token;
}

class TestFolder {
  public:
    /// `label` begins the folder's name and may hold spaces and accents (give it as a wide
    /// or UTF-8 path); this process's token and a number follow it.
    explicit TestFolder(const std::filesystem::path& label = "test") {
        constexpr int kAttempts = 1000;
        static std::atomic<unsigned> serial{0};
        for (int attempt = 0; attempt < kAttempts; ++attempt) {
            std::filesystem::path name = label;
            name += "-" + ProcessToken() + "-" + std::to_string(serial++);
            const auto candidate = std::filesystem::temp_directory_path() / name;
            // Made only when it did not exist: a folder is never shared, whoever asks.
            if (std::filesystem::create_directory(candidate)) {
                path_ = candidate;
                return;
            }
        }
        throw std::filesystem::filesystem_error("no fresh test folder", label,
                                                std::make_error_code(std::errc::file_exists));
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;
    ~TestFolder() {
        LeaveIfCurrent();
        MakeRemovable();
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    const std::filesystem::path& path() const noexcept { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& leaf) const {
        return path_ / leaf;
    }

  private:
    // Windows keeps the current folder of a process (a file dialog moves there) from going.
    void LeaveIfCurrent() const noexcept {
        std::error_code ec;
        const auto current = std::filesystem::current_path(ec);
        const auto inside = current.lexically_relative(path_);
        if (!ec && !inside.empty() && *inside.begin() != "..") {
            std::filesystem::current_path(path_.parent_path(), ec);
        }
    }

    // Read-only files and folders a test left behind would block the removal. Links are
    // left alone: their targets lie outside the folder.
    void MakeRemovable() const noexcept {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code ignored;
            const auto type = it->symlink_status(ignored).type();
            if (type == fs::file_type::directory) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
            } else if (type == fs::file_type::regular) {
                fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
            }
        }
    }

    std::filesystem::path path_;
};

}  // namespace test_support
