#include "common_functions_win.h"

#include <shellapi.h>

#include <utility>

#include "helper_error.h"
#include "make_dir.h"
#include "shell_rules.h"
#include "win/unique_handle.h"

namespace murmurex::dialogs {
namespace {

struct FindHandleTraits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void close(handle_type h) const noexcept { ::FindClose(h); }
};

// A text ending in "\" lists the folder's contents, the way the run-time's listing does.
std::string ListingPattern(const std::string& path) {
    if (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        return path + "*";
    }
    return path;
}

// One directory listing: the first entry at construction, the others through Next.
class DirectoryListing {
  public:
    explicit DirectoryListing(const std::string& pattern)
        : handle_(::FindFirstFileA(pattern.c_str(), &data_)) {}
    bool Valid() const { return static_cast<bool>(handle_); }
    const WIN32_FIND_DATAA& Data() const { return data_; }
    bool Next() { return ::FindNextFileA(handle_.get(), &data_) != FALSE; }

  private:
    WIN32_FIND_DATAA data_{};
    win::UniqueHandle<FindHandleTraits> handle_;
};

class PlatformFolders : public FolderSystem {
  public:
    explicit PlatformFolders(const cCommonFunctions::Notice& notice) : notice_(notice) {}

    Listing List(const std::string& probe) override {
        DirectoryListing find(ListingPattern(probe));
        if (find.Valid()) {
            return Listing::Found;
        }
        switch (::GetLastError()) {
            case ERROR_INVALID_DRIVE:
            case ERROR_NOT_READY:
            case ERROR_INVALID_NAME:
            case ERROR_BAD_NETPATH:
            case ERROR_BAD_PATHNAME:
                return Listing::Failed;
            default:
                return Listing::Nothing;
        }
    }
    bool CreateFolder(const std::string& folder) override {
        return ::CreateDirectoryA(folder.c_str(), nullptr) != FALSE;
    }
    void PumpMessages() override {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    void ShowFailure(std::string_view message) override { notice_(message); }

  private:
    const cCommonFunctions::Notice& notice_;
};

class PlatformShell : public ShellService {
  public:
    std::int64_t Execute(const ShellRequest& request) override {
        // Empty parameters and folder are passed as none, which the shell reads as "use the
        // defaults".
        const HINSTANCE answer = ::ShellExecuteA(
            reinterpret_cast<HWND>(request.owner), request.verb.c_str(), request.file.c_str(),
            request.parameters.empty() ? nullptr : request.parameters.c_str(),
            request.directory.empty() ? nullptr : request.directory.c_str(), request.show);
        return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(answer));
    }
};

}  // namespace

cCommonFunctions::cCommonFunctions(HWND owner, std::string title, Notice notice)
    : owner_(owner), title_(std::move(title)), notice_(std::move(notice)) {
    if (!notice_) {
        notice_ = [title = title_](std::string_view message) {
            ::MessageBoxA(nullptr, std::string(message).c_str(), title.c_str(),
                          MB_OK | MB_ICONEXCLAMATION);
        };
    }
}

bool cCommonFunctions::FileExist(const std::string& path) const {
    constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE;
    if (path.empty()) {
        return false;
    }
    DirectoryListing find(ListingPattern(path));
    if (!find.Valid()) {
        return false;
    }
    do {
        if ((find.Data().dwFileAttributes & kNotNormal) == 0) {
            return true;
        }
    } while (find.Next());
    return false;
}

bool cCommonFunctions::MakeDir(std::string& path) const {
    PlatformFolders folders(notice_);
    return dialogs::MakeDir(folders, path);
}

std::optional<std::int32_t> cCommonFunctions::Launch(const std::string& target,
                                                     std::int32_t kind) const {
    PlatformShell shell;
    return dialogs::Launch(shell, reinterpret_cast<std::uintptr_t>(owner_), target, kind);
}

bool cCommonFunctions::ShellEx(const std::string& file, std::int32_t show,
                               const std::string& parameters, const std::string& directory,
                               std::string& verb, HWND& owner) const {
    PlatformShell shell;
    return dialogs::ShellEx(shell, title_, file, show, parameters, directory, verb,
                            reinterpret_cast<std::uintptr_t>(owner), LastHelperError());
}

bool cCommonFunctions::WriteINI(std::string& section, std::string& key, std::string& value,
                                const std::string& file) const {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                        file.c_str()) != FALSE;
}

std::string cCommonFunctions::ReadINI(const std::string& section, const std::string& key,
                                      std::string& file) const {
    constexpr DWORD kBufferLength = 255;
    std::string buffer(kBufferLength, '\0');
    const DWORD count = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer.data(),
                                                   kBufferLength, file.c_str());
    buffer.resize(count < kBufferLength ? count : kBufferLength - 1);
    return buffer;
}

}  // namespace murmurex::dialogs
