// Win32 file layer: CreateFileA with the ANSI name or CreateFileW with the UTF-16 name.

#include <windows.h>

#include <algorithm>
#include <memory>

#include "support/file_sys.h"
#include "win/unique_handle.h"

namespace resmelder {

struct File::Impl {
    win::UniqueFile handle;
};

void File::ImplDeleter::operator()(Impl* impl) const noexcept {
    std::default_delete<Impl>()(impl);
}

std::size_t File::Read(std::span<std::uint8_t> buffer) {
    if (!impl_) {
        return 0;
    }
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(buffer.size(), 1u << 30));
    DWORD got = 0;
    if (!::ReadFile(impl_->handle.get(), buffer.data(), ask, &got, nullptr)) {
        return 0;
    }
    return got;
}

std::size_t File::Write(std::span<const std::uint8_t> bytes) {
    if (!impl_) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD wrote = 0;
        if (!::WriteFile(impl_->handle.get(), bytes.data() + done, ask, &wrote, nullptr) ||
            wrote == 0) {
            break;
        }
        done += wrote;
    }
    return done;
}

std::size_t File::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
    if (!impl_) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    file_test_seam::RunBeforeRead(*this, offset);
    std::size_t done = 0;
    while (done < buffer.size()) {
        const std::uint64_t at = offset + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, 1u << 30));
        DWORD got = 0;
        if (!::ReadFile(impl_->handle.get(), buffer.data() + done, ask, &got, &where) || got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

// Windows copies whole files only; ranges go through the caller's large reads.
std::uint64_t File::CopyRangeTo(std::uint64_t /*offset*/, std::uint64_t /*count*/,
                                File& /*to*/) const {
    return 0;
}

bool File::Sync() {
    if (!impl_) {
        ::SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return ::FlushFileBuffers(impl_->handle.get()) != 0;
}

namespace {

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info)) {
        return std::nullopt;
    }
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

const wchar_t* Wide(const XString& name) {
    return reinterpret_cast<const wchar_t*>(name.Utf16().c_str());
}

}  // namespace

std::optional<FileIdentity> File::Identity() const {
    if (!impl_) {
        return std::nullopt;
    }
    return IdentityOfHandle(impl_->handle.get());
}

bool File::Seek(std::uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return impl_ && ::SetFilePointerEx(impl_->handle.get(), to, nullptr, FILE_BEGIN);
}

std::optional<std::uint64_t> File::Size() const {
    LARGE_INTEGER size;
    if (!impl_ || !::GetFileSizeEx(impl_->handle.get(), &size)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(size.QuadPart);
}

namespace file_backend {

bool HasWideRoute() {
    return true;
}

const std::string& NarrowName(const XString& name) {
    return name.Ansi();
}

File Open(const XString& name, Route route, Mode mode) {
    DWORD access = GENERIC_WRITE;
    DWORD share = 0;
    DWORD disposition = CREATE_ALWAYS;
    switch (mode) {
        case Mode::kRead:
            access = GENERIC_READ;
            share = FILE_SHARE_READ;
            disposition = OPEN_EXISTING;
            break;
        case Mode::kWriteTruncate:
            break;
        case Mode::kWriteExisting:
            disposition = OPEN_EXISTING;
            break;
        case Mode::kCreateNew:
            disposition = CREATE_NEW;
            break;
    }
    HANDLE h = route == Route::kNarrow
                   ? ::CreateFileA(name.Ansi().c_str(), access, share, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr)
                   : ::CreateFileW(reinterpret_cast<const wchar_t*>(name.Utf16().c_str()), access,
                                   share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    win::UniqueFile handle(h);
    if (!handle) {
        return File();
    }
    if (mode == Mode::kRead && ::GetFileType(handle.get()) != FILE_TYPE_DISK) {
        // Only files on a disk are read: a device or a pipe never ends, or blocks.
        ::SetLastError(ERROR_NOT_SUPPORTED);
        return File();
    }
    auto impl = std::make_unique<File::Impl>();
    impl->handle = std::move(handle);
    return File(File::ImplPtr(impl.release()));
}

bool IsSharingViolation(std::uint32_t osError) {
    return osError == ERROR_SHARING_VIOLATION;
}

bool Exists(const XString& name) {
    return !name.IsEmpty() &&
           ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(name.Utf16().c_str())) !=
               INVALID_FILE_ATTRIBUTES;
}

bool Rename(const XString& from, const XString& to) {
    // Write-through: the call returns only when the rename is on the disk.
    return ::MoveFileExW(Wide(from), Wide(to),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Remove(const XString& name) {
    return ::DeleteFileW(Wide(name)) != 0;
}

FileKind KindOf(const XString& name, bool followLinks) {
    const DWORD attributes = ::GetFileAttributesW(Wide(name));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return FileKind::kMissing;  // the open that follows reports why
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
        return FileKind::kOther;
    }
    if (!followLinks && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return FileKind::kSymbolicLink;
    }
    // Device names ("NUL", "CON") can pass the attribute test: ask the opened object. No
    // data access is asked for, so nothing is read or changed.
    win::UniqueFile probe(::CreateFileW(
        Wide(name), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (probe && ::GetFileType(probe.get()) != FILE_TYPE_DISK) {
        return FileKind::kOther;
    }
    return FileKind::kRegular;
}

std::optional<FileIdentity> IdentityOf(const XString& name) {
    win::UniqueFile probe(::CreateFileW(
        Wide(name), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!probe) {
        return std::nullopt;
    }
    return IdentityOfHandle(probe.get());
}

bool HasAdvisoryLocks() {
    return false;
}

bool TryLockExclusive(File& /*file*/) {
    // The share modes do this work here: a source held open for reading cannot be opened for
    // writing, so a second edit in place is refused rather than lost.
    return true;
}

File CreateUnnamedBeside(const XString& /*target*/) {
    return File();  // no unnamed files: the named temporary file is used
}

bool NameUnnamed(File& /*file*/, const XString& /*name*/) {
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return false;
}

bool KeepPermissions(File& /*newFile*/, const XString& /*previous*/) {
    return true;  // no permission bits; access lists of a new file come from its folder
}

bool SyncFolderOf(const XString& /*name*/) {
    return true;  // MOVEFILE_WRITE_THROUGH already waited for the rename to reach the disk
}

}  // namespace file_backend
}  // namespace resmelder
