#pragma once
// Test helpers on POSIX calls: real failures made on purpose, and what other programs print.

#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#include "support/file_sys.h"

namespace resmelder::testposix {

/// What a shell command prints on its standard output, with its exit status in `status` when
/// one is asked for (-1 when it did not start).
inline std::string ShellOutput(const std::string& command, int* status = nullptr) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char chunk[4096];
    while (pipe != nullptr && std::fgets(chunk, sizeof chunk, pipe) != nullptr) {
        out += chunk;
    }
    const int ended = pipe != nullptr ? pclose(pipe) : -1;
    if (status != nullptr) {
        *status = ended;
    }
    return out;
}

// While it lives, no file of this process grows past `bytes`: a write across the limit
// writes what fits and the next fails (EFBIG), the way a full disk cuts a write short.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);  // fail the write instead of the process
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    bool ok() const { return ok_; }

  private:
    rlimit saved_{};
    void (*previous_)(int) = SIG_DFL;
    bool ok_ = false;
};

// While it lives, the first positioned read at or past `offset`, of any file, first cuts the
// file `path` down to `size` bytes: another process truncating the file between its open and
// that read.
class CutShortOnRead {
  public:
    CutShortOnRead(std::filesystem::path path, std::uint64_t offset, std::uint64_t size) {
        State() = {std::move(path), offset, size, false};
        file_test_seam::SetBeforeRead(&Cut);
    }
    CutShortOnRead(const CutShortOnRead&) = delete;
    CutShortOnRead& operator=(const CutShortOnRead&) = delete;
    ~CutShortOnRead() { file_test_seam::SetBeforeRead(nullptr); }
    bool done() const { return State().done; }

  private:
    struct Plan {
        std::filesystem::path path;
        std::uint64_t offset = 0;
        std::uint64_t size = 0;
        bool done = false;
    };
    static Plan& State() {
        static Plan plan;
        return plan;
    }
    static void Cut(const File& /*file*/, std::uint64_t offset) {
        Plan& plan = State();
        if (!plan.done && offset >= plan.offset) {
            plan.done = true;
            std::error_code error;
            std::filesystem::resize_file(plan.path, plan.size, error);
        }
    }
};

}  // namespace resmelder::testposix
