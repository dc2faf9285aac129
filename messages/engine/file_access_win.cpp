// Win32 file access: category names are UTF-8 and go through the wide calls; replace is
// write-temp + flush + MoveFileExW, which swaps the target in one step.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>

#include "file_access.h"
#include "utf16_win.h"
#include "win/unique_handle.h"

namespace murmurex {
namespace {

namespace fs = std::filesystem;

struct FindHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void close(handle_type h) const noexcept { ::FindClose(h); }
};
using UniqueFind = win::UniqueHandle<FindHandleTraits>;

constexpr DWORD kChunk = 64 * 1024;

bool WriteAll(HANDLE file, std::string_view bytes, const WriteProbe& probe) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        if (probe && !probe(written)) {
            return false;
        }
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(kChunk, bytes.size() - written));
        DWORD done = 0;
        if (!::WriteFile(file, bytes.data() + written, chunk, &done, nullptr) || done == 0) {
            return false;
        }
        written += done;
    }
    return true;
}

// A temporary file beside the target, removed again unless it was moved into place.
class TempFile {
  public:
    explicit TempFile(const fs::path& target) {
        static std::atomic<unsigned> counter{0};
        for (int tries = 0; tries < 100 && !file_; ++tries) {
            const std::wstring name = L"~" + target.filename().wstring() + L"." +
                                      std::to_wstring(::GetCurrentProcessId()) + L"." +
                                      std::to_wstring(counter++) + L".tmp";
            path_ = target.parent_path() / name;
            // CREATE_NEW: never reuse someone else's file.
            file_.reset(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file_ && ::GetLastError() != ERROR_FILE_EXISTS) {
                break;
            }
        }
        created_ = static_cast<bool>(file_);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (created_ && !committed_) {
            file_.reset();
            ::DeleteFileW(path_.c_str());
        }
    }
    bool created() const noexcept { return created_; }
    HANDLE handle() const noexcept { return file_.get(); }
    const fs::path& path() const noexcept { return path_; }
    bool Close() noexcept { return ::CloseHandle(file_.release()) != 0; }
    void MarkCommitted() noexcept { committed_ = true; }

  private:
    fs::path path_;
    win::UniqueFile file_;
    bool created_ = false;
    bool committed_ = false;
};

// Compared as the file system compares names.
bool HasSuffixNoCase(std::wstring_view name, std::wstring_view suffix) {
    return name.size() >= suffix.size() &&
           ::CompareStringOrdinal(name.data() + (name.size() - suffix.size()),
                                  static_cast<int>(suffix.size()), suffix.data(),
                                  static_cast<int>(suffix.size()), TRUE) == CSTR_EQUAL;
}

bool SameNameIgnoringCase(const fs::path& a, const fs::path& b) {
    return ::CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The spelling the folder holds for the file at `path`; empty when there is none.
fs::path NameOnDisk(const fs::path& path) {
    WIN32_FIND_DATAW data{};
    UniqueFind find(::FindFirstFileExW(path.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, 0));
    return find ? fs::path(data.cFileName) : fs::path();
}

}  // namespace

std::optional<std::string> ReadWholeFile(const fs::path& path) {
    // Others may keep the file open for reading or writing; a lock that denies reading fails.
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Only disk files: a device name (a console, a pipe) could block the program.
    if (!file || ::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<std::uintmax_t>(size.QuadPart) > kMaxReadableFileSize) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(kChunk, bytes.size() - got));
        DWORD done = 0;
        if (!::ReadFile(file.get(), bytes.data() + got, chunk, &done, nullptr)) {
            return std::nullopt;
        }
        if (done == 0) {
            break;  // the file shrank while we read: take what is there
        }
        got += done;
    }
    bytes.resize(got);
    return bytes;
}

bool ReplaceFileAtomically(const fs::path& path, std::string_view bytes, const WriteProbe& probe) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    TempFile temp(path);
    if (!temp.created()) {
        return false;
    }
    if (!WriteAll(temp.handle(), bytes, probe) || !::FlushFileBuffers(temp.handle()) ||
        !temp.Close()) {
        return false;
    }
    // Fails cleanly (sharing violation, access denied) while another handle holds the target
    // without delete sharing; the temporary file is then removed.
    if (!::MoveFileExW(temp.path().c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    temp.MarkCommitted();
    // The new file is the old one to the user: a hidden or system file stays so.
    constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKeptAttributes) != 0) {
        ::SetFileAttributesW(path.c_str(), attributes & kKeptAttributes);
    }
    return true;
}

bool MoveFileOver(const fs::path& source, const fs::path& target) {
    const DWORD from = ::GetFileAttributesW(source.c_str());
    if (from == INVALID_FILE_ATTRIBUTES || (from & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    const DWORD to = ::GetFileAttributesW(target.c_str());
    if (to != INVALID_FILE_ATTRIBUTES &&
        (to & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    return ::MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool CreateNewEmptyFile(const fs::path& path) {
    // CREATE_NEW fails on any existing name, hidden and system files included.
    win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file);
}

bool RenameFileNoReplace(const fs::path& source, const fs::path& target) {
    const DWORD from = ::GetFileAttributesW(source.c_str());
    if (from == INVALID_FILE_ATTRIBUTES || (from & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    // Without MOVEFILE_REPLACE_EXISTING an existing target fails the move; a target that is
    // the source in other case is the same file, which the move renames.
    if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    if (!SameNameIgnoringCase(source, target) || NameOnDisk(target) == target.filename()) {
        return true;
    }
    // Some file systems answer a change of case with success and keep the old spelling: the
    // file then goes the long way, through a free name of its own, and back if that fails.
    const fs::path aside =
        source.parent_path() / (L"~" + source.filename().wstring() + L"." +
                                std::to_wstring(::GetCurrentProcessId()) + L".renaming");
    if (!::MoveFileExW(source.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return false;
    }
    if (!::MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        ::MoveFileExW(aside.c_str(), source.c_str(), MOVEFILE_WRITE_THROUGH);
        return false;
    }
    return true;
}

bool IsExistingFile(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DeleteFileAt(const fs::path& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
        return false;
    }
    return ::DeleteFileW(path.c_str()) != 0;
}

std::optional<fs::path> PathFromText(std::string_view name) {
    std::optional<std::wstring> wide = ExactWideFromUtf8(name);
    if (!wide) {
        return std::nullopt;
    }
    return fs::path(std::move(*wide));
}

std::vector<std::string> ListFileNames(const fs::path& folder, std::string_view extension) {
    std::vector<std::string> names;
    const std::wstring suffix = L"." + WideFromUtf8(extension);
    // List everything and filter here: the "*.lst" pattern also matches 8.3 short names, so
    // it would return "x.lstx" as well.
    WIN32_FIND_DATAW data{};
    UniqueFind find(::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, 0));
    if (!find) {
        return names;
    }
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        if (!HasSuffixNoCase(data.cFileName, suffix)) {
            continue;
        }
        if (std::optional<std::string> name = ExactUtf8FromWide(data.cFileName)) {
            names.push_back(std::move(*name));
        }
    } while (::FindNextFileW(find.get(), &data));
    return names;
}

}  // namespace murmurex
