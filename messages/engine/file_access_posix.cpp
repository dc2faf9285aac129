// POSIX file access: names are the bytes as they are; replace is write-temp + fsync + rename.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "file_access.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;

class UniqueFd {
  public:
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const noexcept { return fd_; }
    void Reset(int fd) noexcept {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    /// Closes now and reports whether the close succeeded (it can report a late write error).
    bool Close() noexcept { return ::close(std::exchange(fd_, -1)) == 0; }

  private:
    int fd_;
};

constexpr std::size_t kChunk = 64 * 1024;

bool IsReadOnly(const struct stat& st) noexcept {
    return (st.st_mode & S_IWUSR) == 0;
}

bool WriteAll(int fd, std::string_view bytes, const WriteProbe& probe) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        if (probe && !probe(written)) {
            return false;
        }
        const std::size_t chunk = std::min(kChunk, bytes.size() - written);
        const ssize_t n = ::write(fd, bytes.data() + written, chunk);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;  // an error, or a device that takes nothing: never spin
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// A temporary file beside the target, removed again unless it was renamed into place.
class TempFile {
  public:
    explicit TempFile(const fs::path& target) {
        static std::atomic<unsigned> counter{0};
        for (int tries = 0; tries < 100 && !created_; ++tries) {
            const std::string name = "." + target.filename().string() + "." +
                                     std::to_string(::getpid()) + "." + std::to_string(counter++) +
                                     ".tmp";
            path_ = target.parent_path() / name;
            // O_EXCL: never reuse someone else's file; mode 0666 lets the umask decide.
            fd_.Reset(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
            created_ = static_cast<bool>(fd_);
            if (!created_ && errno != EEXIST) {
                break;
            }
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (created_ && !committed_) {
            ::unlink(path_.c_str());
        }
    }
    bool created() const noexcept { return created_; }
    UniqueFd& fd() noexcept { return fd_; }
    const fs::path& path() const noexcept { return path_; }
    void MarkCommitted() noexcept { committed_ = true; }

  private:
    fs::path path_;
    UniqueFd fd_{-1};
    bool created_ = false;
    bool committed_ = false;
};

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    // O_NONBLOCK: a FIFO named like a category file must not hang the program.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uintmax_t>(st.st_size) > kMaxReadableFileSize) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (n == 0) {
            break;  // the file shrank while we read: take what is there
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

bool ReplaceFileAtomically(const fs::path& path, std::string_view bytes, const WriteProbe& probe) {
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (exists && (!S_ISREG(old.st_mode) || IsReadOnly(old))) {
        return false;
    }
    TempFile temp(path);
    if (!temp.created()) {
        return false;
    }
    // The new file keeps the old one's permissions.
    if (exists && ::fchmod(temp.fd().get(), old.st_mode & 07777) != 0) {
        return false;
    }
    if (!WriteAll(temp.fd().get(), bytes, probe) || ::fsync(temp.fd().get()) != 0) {
        return false;
    }
    if (!temp.fd().Close()) {
        return false;
    }
    if (::rename(temp.path().c_str(), path.c_str()) != 0) {
        return false;
    }
    temp.MarkCommitted();
    // Make the rename itself durable; the replace has happened either way.
    UniqueFd dir(::open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) {
        ::fsync(dir.get());
    }
    return true;
}

bool MoveFileOver(const fs::path& source, const fs::path& target) {
    struct stat from {};
    if (::lstat(source.c_str(), &from) != 0 || !S_ISREG(from.st_mode)) {
        return false;
    }
    struct stat to {};
    if (::lstat(target.c_str(), &to) == 0 && (!S_ISREG(to.st_mode) || IsReadOnly(to))) {
        return false;
    }
    if (::rename(source.c_str(), target.c_str()) != 0) {
        return false;
    }
    UniqueFd dir(::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) {
        ::fsync(dir.get());
    }
    return true;
}

bool CreateNewEmptyFile(const fs::path& path) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd) {
        return false;
    }
    return fd.Close();
}

bool RenameFileNoReplace(const fs::path& source, const fs::path& target) {
    struct stat from {};
    if (::lstat(source.c_str(), &from) != 0 || !S_ISREG(from.st_mode)) {
        return false;
    }
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS) {
            return false;
        }
        // A file system without the no-replace rename: a second link fails on an existing
        // target just the same, and the old name goes once the new one is in place.
        if (::link(source.c_str(), target.c_str()) != 0) {
            return false;
        }
        if (::unlink(source.c_str()) != 0) {
            ::unlink(target.c_str());
            return false;
        }
    }
    UniqueFd dir(::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                        O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) {
        ::fsync(dir.get());
    }
    return true;
}

bool IsExistingFile(const fs::path& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

bool DeleteFileAt(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISREG(st.st_mode) || IsReadOnly(st)) {
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

std::optional<fs::path> PathFromText(std::string_view name) {
    return fs::path(std::string(name));
}

std::vector<std::string> ListFileNames(const fs::path& folder, std::string_view extension) {
    std::vector<std::string> names;
    const std::string suffix = "." + std::string(extension);
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) {
            continue;
        }
        std::string name = it->path().filename().string();
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

}  // namespace murmurex
