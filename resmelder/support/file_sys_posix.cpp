// POSIX file layer: there are no sharing modes, so the only "sharing violation" is writing an
// executable that is running (ETXTBSY). Names are passed to the system in UTF-8.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>

#include "support/file_sys.h"

namespace resmelder {

struct File::Impl {
    explicit Impl(int descriptor) : fd(descriptor) {}
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    int fd;
};

void File::ImplDeleter::operator()(Impl* impl) const noexcept {
    std::default_delete<Impl>()(impl);
}

namespace {

File FileOfDescriptor(int fd) {
    return File(File::ImplPtr(std::make_unique<File::Impl>(fd).release()));
}

// Calls `step(done)`, a system call that moves up to the rest of `total` bytes, until all are
// moved, a step moves none (the end of the file) or fails; an interrupted step is tried
// again. Answers how many bytes were moved.
template <typename Step>
std::uint64_t MoveInSteps(std::uint64_t total, Step step) {
    std::uint64_t done = 0;
    while (done < total) {
        const ssize_t n = step(done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::uint64_t>(n);
    }
    return done;
}

}  // namespace

std::size_t File::Read(std::span<std::uint8_t> buffer) {
    if (!impl_) {
        return 0;
    }
    for (;;) {
        const ssize_t n = ::read(impl_->fd, buffer.data(), buffer.size());
        if (n >= 0) {
            return static_cast<std::size_t>(n);
        }
        if (errno != EINTR) {
            return 0;
        }
    }
}

std::size_t File::Write(std::span<const std::uint8_t> bytes) {
    if (!impl_) {
        errno = EBADF;
        return 0;
    }
    return static_cast<std::size_t>(MoveInSteps(bytes.size(), [&](std::uint64_t done) {
        const ssize_t n = ::write(impl_->fd, bytes.data() + done, bytes.size() - done);
        if (n == 0) {
            errno = ENOSPC;
        }
        return n;
    }));
}

std::size_t File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    if (!impl_) {
        errno = EBADF;
        return 0;
    }
    file_test_seam::RunBeforeRead(*this, offset);
    return static_cast<std::size_t>(MoveInSteps(buffer.size(), [&](std::uint64_t done) {
        return ::pread(impl_->fd, buffer.data() + done, buffer.size() - done,
                       static_cast<off_t>(offset + done));
    }));
}

std::uint64_t File::CopyRangeTo(std::uint64_t offset, std::uint64_t count, File& to) const {
#ifdef __linux__
    if (!impl_ || !to.impl_) {
        return 0;
    }
    // In steps the kernel takes whole; it answers 0 at the end of this file, and refuses
    // (EXDEV, ENOSYS, EINVAL, EOPNOTSUPP) where it cannot copy between the two.
    constexpr std::uint64_t kStep = std::uint64_t{1} << 30;
    auto from = static_cast<off_t>(offset);
    return MoveInSteps(count, [&](std::uint64_t done) {
        const auto want = static_cast<std::size_t>(std::min(count - done, kStep));
        return ::copy_file_range(impl_->fd, &from, to.impl_->fd, nullptr, want, 0);
    });
#else
    (void)offset;
    (void)count;
    (void)to;
    return 0;
#endif
}

bool File::Sync() {
    if (!impl_) {
        errno = EBADF;
        return false;
    }
    int result = 0;
    do {
        result = ::fsync(impl_->fd);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

std::optional<FileIdentity> File::Identity() const {
    struct stat st {};
    if (!impl_ || ::fstat(impl_->fd, &st) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

bool File::Seek(std::uint64_t offset) {
    return impl_ && ::lseek(impl_->fd, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::optional<std::uint64_t> File::Size() const {
    struct stat st {};
    if (!impl_ || ::fstat(impl_->fd, &st) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

namespace file_backend {

bool HasWideRoute() {
    return false;
}

const std::string& NarrowName(const XString& name) {
    return name.Utf8();
}

File Open(const XString& name, Route /*route*/, Mode mode) {
    // Without O_NONBLOCK, opening a FIFO waits for its other end, for ever.
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::kRead:
            flags |= O_RDONLY | O_NONBLOCK;
            break;
        case Mode::kWriteTruncate:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Mode::kWriteExisting:
            flags |= O_WRONLY | O_NONBLOCK;
            break;
        case Mode::kCreateNew:
            flags |= O_WRONLY | O_CREAT | O_EXCL;
            break;
    }
    int fd = -1;
    do {
        fd = ::open(name.Utf8().c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return File();
    }
    File file = FileOfDescriptor(fd);
    if (mode == Mode::kRead) {
        // Only regular files are read: a device or a FIFO never ends, or blocks.
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            return File();
        }
        if (!S_ISREG(st.st_mode)) {
            errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
            return File();
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    }
    return file;
}

bool IsSharingViolation(std::uint32_t osError) {
    return osError == ETXTBSY;
}

bool Exists(const XString& name) {
    struct stat st {};
    return !name.IsEmpty() && ::stat(name.Utf8().c_str(), &st) == 0;
}

bool Rename(const XString& from, const XString& to) {
    return std::rename(from.Utf8().c_str(), to.Utf8().c_str()) == 0;
}

bool Remove(const XString& name) {
    return ::unlink(name.Utf8().c_str()) == 0;
}

FileKind KindOf(const XString& name, bool followLinks) {
    struct stat st {};
    const int result =
        followLinks ? ::stat(name.Utf8().c_str(), &st) : ::lstat(name.Utf8().c_str(), &st);
    if (result != 0) {
        return FileKind::kMissing;
    }
    if (S_ISREG(st.st_mode)) {
        return FileKind::kRegular;
    }
    return S_ISLNK(st.st_mode) ? FileKind::kSymbolicLink : FileKind::kOther;
}

std::optional<FileIdentity> IdentityOf(const XString& name) {
    struct stat st {};
    if (::stat(name.Utf8().c_str(), &st) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

bool HasAdvisoryLocks() {
    return true;
}

bool TryLockExclusive(File& file) {
    int result = 0;
    do {
        result = ::flock(file.NativeImpl()->fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

namespace {

std::string FolderOf(const std::string& name) {
    const auto slash = name.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : name.substr(0, slash);
}

}  // namespace

File CreateUnnamedBeside(const XString& target) {
#ifdef O_TMPFILE
    // Naming it later goes through /proc; without /proc the named temporary file is used.
    if (::access("/proc/self/fd", X_OK) != 0) {
        return File();
    }
    int fd = -1;
    do {
        fd = ::open(FolderOf(target.Utf8()).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) {
        return FileOfDescriptor(fd);
    }
#else
    (void)target;
#endif
    return File();
}

bool NameUnnamed(File& file, const XString& name) {
    const std::string path = "/proc/self/fd/" + std::to_string(file.NativeImpl()->fd);
    return ::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, name.Utf8().c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool KeepPermissions(File& newFile, const XString& previous) {
    struct stat old {};
    struct stat now {};
    if (::lstat(previous.Utf8().c_str(), &old) != 0 || !S_ISREG(old.st_mode)) {
        return true;  // a new name, or a link that is replaced: the default permissions
    }
    if (::fstat(newFile.NativeImpl()->fd, &now) != 0) {
        return false;
    }
    // As cp does: a set-user (set-group) program of another owner (group) must not become
    // one of ours.
    mode_t mode = old.st_mode & 07777;
    if (now.st_uid != old.st_uid) {
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    }
    if (now.st_gid != old.st_gid) {
        mode &= ~static_cast<mode_t>(S_ISGID);
    }
    return ::fchmod(newFile.NativeImpl()->fd, mode) == 0;
}

bool SyncFolderOf(const XString& name) {
    const int fd = ::open(FolderOf(name.Utf8()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

}  // namespace file_backend
}  // namespace resmelder
