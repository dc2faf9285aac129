// Win32 file layer: CreateFileA with the ANSI name or CreateFileW with the UTF-16 name.

#include <windows.h>

#include <algorithm>

#include "support/file_sys.h"
#include "win/unique_handle.h"

namespace resmelder {

struct File::Impl {
    win::UniqueFile handle;
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

void File::Close() {
    impl_.reset();
}

struct FileMapping::Impl {
    win::UniqueFileMapping mapping;
    win::UniqueMappedView view;
    std::size_t size = 0;
};

FileMapping::FileMapping() = default;
FileMapping::FileMapping(FileMapping&&) noexcept = default;
FileMapping& FileMapping::operator=(FileMapping&&) noexcept = default;
FileMapping::~FileMapping() = default;

FileMapping::Status FileMapping::Map(const File& file, std::uint64_t size) {
    impl_.reset();
    if (!file.IsOpen() || size == 0 || size > SIZE_MAX) {
        ::SetLastError(ERROR_FILE_INVALID);
        return Status::kMappingFailed;
    }
    auto impl = std::make_unique<Impl>();
    impl->mapping.reset(::CreateFileMappingW(file.NativeImpl()->handle.get(), nullptr,
                                             PAGE_READONLY, 0, 0, nullptr));
    if (!impl->mapping) {
        return Status::kMappingFailed;
    }
    impl->view.reset(
        ::MapViewOfFile(impl->mapping.get(), FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size)));
    if (!impl->view) {
        return Status::kViewFailed;
    }
    impl->size = static_cast<std::size_t>(size);
    impl_ = std::move(impl);
    return Status::kOk;
}

std::span<const std::uint8_t> FileMapping::Bytes() const {
    if (!impl_) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(impl_->view.get()), impl_->size};
}

void FileMapping::Unmap() {
    impl_.reset();
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
    auto impl = std::make_unique<File::Impl>();
    impl->handle = std::move(handle);
    return File(std::move(impl));
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
    return ::MoveFileExW(reinterpret_cast<const wchar_t*>(from.Utf16().c_str()),
                         reinterpret_cast<const wchar_t*>(to.Utf16().c_str()),
                         MOVEFILE_REPLACE_EXISTING) != 0;
}

bool Remove(const XString& name) {
    return ::DeleteFileW(reinterpret_cast<const wchar_t*>(name.Utf16().c_str())) != 0;
}

}  // namespace file_backend
}  // namespace resmelder
