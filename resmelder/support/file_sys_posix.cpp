// POSIX file layer: there are no sharing modes, so the only "sharing violation" is writing an
// executable that is running (ETXTBSY). Names are passed to the system in UTF-8.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

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

File::File() = default;
File::File(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;
File::~File() = default;

bool File::IsOpen() const {
    return impl_ != nullptr;
}

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
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(impl_->fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
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

void File::Close() {
    impl_.reset();
}

struct FileMapping::Impl {
    Impl(void* a, std::size_t n) : address(a), size(n) {}
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;
    ~Impl() { ::munmap(address, size); }
    void* address;
    std::size_t size;
};

FileMapping::FileMapping() = default;
FileMapping::FileMapping(FileMapping&&) noexcept = default;
FileMapping& FileMapping::operator=(FileMapping&&) noexcept = default;
FileMapping::~FileMapping() = default;

FileMapping::Status FileMapping::Map(const File& file, std::uint64_t size) {
    impl_.reset();
    if (!file.IsOpen() || size == 0 || size > SIZE_MAX) {
        errno = EINVAL;
        return Status::kMappingFailed;
    }
    void* address = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED,
                           file.NativeImpl()->fd, 0);
    if (address == MAP_FAILED) {
        return Status::kViewFailed;
    }
    impl_ = std::make_unique<Impl>(address, static_cast<std::size_t>(size));
    return Status::kOk;
}

std::span<const std::uint8_t> FileMapping::Bytes() const {
    if (!impl_) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(impl_->address), impl_->size};
}

void FileMapping::Unmap() {
    impl_.reset();
}

namespace file_backend {

bool HasWideRoute() {
    return false;
}

const std::string& NarrowName(const XString& name) {
    return name.Utf8();
}

File Open(const XString& name, Route /*route*/, Mode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::kRead:
            flags |= O_RDONLY;
            break;
        case Mode::kWriteTruncate:
            flags |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Mode::kWriteExisting:
            flags |= O_WRONLY;
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
    return File(std::make_unique<File::Impl>(fd));
}

bool IsSharingViolation(std::uint32_t osError) {
    return osError == ETXTBSY;
}

bool Exists(const XString& name) {
    struct stat st {};
    return !name.IsEmpty() && ::stat(name.Utf8().c_str(), &st) == 0;
}

bool Rename(const XString& from, const XString& to) {
    // An existing target keeps its permissions (an executable stays executable).
    struct stat st {};
    if (::stat(to.Utf8().c_str(), &st) == 0) {
        ::chmod(from.Utf8().c_str(), st.st_mode & 07777);
    }
    return std::rename(from.Utf8().c_str(), to.Utf8().c_str()) == 0;
}

bool Remove(const XString& name) {
    return ::unlink(name.Utf8().c_str()) == 0;
}

}  // namespace file_backend
}  // namespace resmelder
