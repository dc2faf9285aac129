#pragma once
// Test helpers that make real failures with POSIX calls.

#include <sys/resource.h>

#include <csignal>

namespace resmelder::testposix {

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

}  // namespace resmelder::testposix
