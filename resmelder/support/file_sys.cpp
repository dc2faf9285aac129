#include "support/file_sys.h"

#include <atomic>

#include "support/log.h"
#include "support/platform.h"
#include "support/string_buffer.h"
#include "support/windows_version.h"

namespace resmelder {

// What File does the same on every platform; the twins hold the platform calls.

File::File() = default;
File::File(ImplPtr impl) : impl_(std::move(impl)) {}
File::File(File&&) noexcept = default;
File& File::operator=(File&&) noexcept = default;
File::~File() = default;

bool File::IsOpen() const {
    return impl_ != nullptr;
}

void File::Close() {
    impl_.reset();
}

namespace file_test_seam {
namespace {

std::atomic<BeforeRead> beforeRead{nullptr};

}  // namespace

void SetBeforeRead(BeforeRead hook) {
    beforeRead = hook;
}

void RunBeforeRead(const File& file, std::uint64_t offset) {
    if (const BeforeRead hook = beforeRead.load(std::memory_order_relaxed)) {
        hook(file, offset);
    }
}

}  // namespace file_test_seam

namespace {

constexpr int kOpenAttempts = 4;  // the first try and three retries
constexpr std::uint32_t kRetryDelayMs = 50;

using file_backend::Mode;
using file_backend::Route;

Route ChooseRoute(const XString& name) {
    if (!file_backend::HasWideRoute() || name.IsRepresentableInAnsi() ||
        WindowsVersion::Current().IsWin9x()) {
        return Route::kNarrow;
    }
    return Route::kWide;
}

void LogOsError(LogBase* log, const char* tag, std::uint32_t osError) {
    StringBuffer text;
    text.AppendOsErrorText(osError);
    log->LogData(tag, text.CStr());
}

// The open messages: which API failed decides the message number and how the name is given.
void LogOpenMessages(const XString& name, Route route, std::uint32_t error, LogBase* log) {
    if (log == nullptr) {
        return;
    }
    if (route == Route::kNarrow) {
        log->LogError("Failed to open file (2)");
        log->LogData("filename", file_backend::NarrowName(name).c_str());
    } else {
        log->LogError("Failed to open file (3)");
        if (name.IsRepresentableInAnsi()) {
            log->LogData("filename", name.Ansi().c_str());
        } else {
            log->LogData("utf8Filename", name.Utf8().c_str());
        }
    }
    LogOsError(log, "osErrorInfo", error);
}

// One route with the sharing-violation retry; logs the open messages on failure.
File OpenWithRetry(const XString& name, Route route, Mode mode, LogBase* log) {
    std::uint32_t error = 0;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (attempt != 0) {
            platform::SleepMs(kRetryDelayMs);
        }
        File file = file_backend::Open(name, route, mode);
        if (file.IsOpen()) {
            return file;
        }
        error = platform::LastOsError();
        if (!file_backend::IsSharingViolation(error)) {
            break;
        }
    }
    LogOpenMessages(name, route, error, log);
    platform::SetLastOsError(error);
    return File();
}

}  // namespace

File FileSys::OpenForRead(const XString& name, LogBase* log) {
    if (name.IsEmpty()) {
        if (log != nullptr) {
            log->LogError("Cannot open file, filename is empty.");
        }
        return File();
    }
    return OpenWithRetry(name, ChooseRoute(name), Mode::kRead, log);
}

File FileSys::OpenForWrite(const XString& name, LogBase* log) {
    if (name.IsEmpty()) {
        return File();
    }
    return OpenWithRetry(name, ChooseRoute(name), Mode::kWriteTruncate, log);
}

FileSizeResult FileSys::FileSize(const XString& name, LogBase* log) {
    if (name.IsEmpty()) {
        return {};
    }
    File file = OpenForRead(name, log);
    if (!file.IsOpen()) {
        return {};
    }
    const auto size = file.Size();
    if (!size) {
        if (log != nullptr) {
            StringBuffer text;
            text.AppendOsErrorText();
            log->LogError(text.CStr());
            log->LogData("filename", name.Utf8().c_str());
            log->LogError("Failed to get file size");
        }
        return {};
    }
    return {*size, true};
}

bool FileSys::WriteWholeFile(const XString& name, std::span<const std::uint8_t> bytes,
                             LogBase* log) {
    if (name.IsEmpty()) {
        return false;
    }
    auto writeRoute = [&](Route route) {
        File file = OpenWithRetry(name, route, Mode::kWriteTruncate, log);
        const bool narrow = route == Route::kNarrow;
        if (!file.IsOpen()) {
            if (log != nullptr) {
                if (narrow) {
                    log->LogData("filename", file_backend::NarrowName(name).c_str());
                    log->LogError("Failed to write complete file (7)");
                } else {
                    log->LogData("utf8Filename", name.Utf8().c_str());
                    log->LogError("Failed to write complete file (6)");
                }
            }
            return false;
        }
        if (!bytes.empty() && file.Write(bytes) != bytes.size()) {
            const std::uint32_t error = platform::LastOsError();
            if (log != nullptr) {
                StringBuffer text;
                text.AppendOsErrorText(error);
                if (narrow) {
                    log->LogData("filename", file_backend::NarrowName(name).c_str());
                    log->LogError(text.CStr());
                    log->LogError("Failed to write complete file (1)");
                } else {
                    log->LogError(text.CStr());
                    log->LogError("Failed to write complete file (3)");
                }
            }
            return false;
        }
        return true;
    };
    if (ChooseRoute(name) == Route::kNarrow) {
        return writeRoute(Route::kNarrow);
    }
    if (writeRoute(Route::kWide)) {
        return true;
    }
    return writeRoute(Route::kNarrow);
}

bool FileSys::FileCanOpen(const XString& name, LogBase* log) {
    if (name.IsEmpty()) {
        return false;
    }
    return OpenForRead(name, log).IsOpen();
}

File FileSys::CreateNew(const XString& name) {
    if (name.IsEmpty()) {
        return File();
    }
    return file_backend::Open(name, ChooseRoute(name), Mode::kCreateNew);
}

void FileSys::LogOpenFailure(const XString& name, std::uint32_t osError, LogBase* log) {
    LogOpenMessages(name, ChooseRoute(name), osError, log);
}

bool FileSys::CanReplace(const XString& name, LogBase* log) {
    if (!file_backend::Exists(name)) {
        return true;
    }
    return OpenWithRetry(name, ChooseRoute(name), Mode::kWriteExisting, log).IsOpen();
}

bool FileSys::Replace(const XString& from, const XString& to, LogBase* log) {
    std::uint32_t error = 0;
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        if (attempt != 0) {
            platform::SleepMs(kRetryDelayMs);
        }
        if (file_backend::Rename(from, to)) {
            return true;
        }
        error = platform::LastOsError();
        if (!file_backend::IsSharingViolation(error)) {
            break;
        }
    }
    if (log != nullptr) {
        log->LogError("Failed to replace file");
        log->LogData("filename", to.Utf8().c_str());
        LogOsError(log, "osErrorInfo", error);
    }
    return false;
}

bool FileSys::Remove(const XString& name) {
    return file_backend::Remove(name);
}

FileKind FileSys::KindOf(const XString& name, bool followLinks) {
    return name.IsEmpty() ? FileKind::kMissing : file_backend::KindOf(name, followLinks);
}

std::optional<FileIdentity> FileSys::IdentityOf(const XString& name) {
    if (name.IsEmpty()) {
        return std::nullopt;
    }
    return file_backend::IdentityOf(name);
}

namespace {

bool RefuseSpecialFile(const XString& name, LogBase* log) {
    if (log != nullptr) {
        log->LogError("Not a regular file");
        log->LogData("filename", name.Utf8().c_str());
    }
    return false;
}

}  // namespace

bool FileSys::CheckRegularOrMissing(const XString& name, LogBase* log) {
    const FileKind kind = KindOf(name, true);
    return kind == FileKind::kRegular || kind == FileKind::kMissing || RefuseSpecialFile(name, log);
}

bool FileSys::CheckReplaceable(const XString& name, LogBase* log) {
    // A symbolic link is replaced itself, never written through, so what it leads to does
    // not matter here.
    const FileKind kind = KindOf(name, false);
    return kind != FileKind::kOther || RefuseSpecialFile(name, log);
}

bool FileSys::LockForEdit(const XString& name, std::uint32_t timeoutMs, File& lock, LogBase* log) {
    constexpr std::uint32_t kPollMs = 20;
    lock.Close();
    if (!file_backend::HasAdvisoryLocks()) {
        return true;
    }
    std::uint32_t waited = 0;
    for (;;) {
        File file = OpenForRead(name, log);
        if (!file.IsOpen()) {
            return false;
        }
        // The holder before us may have replaced the file under this name: the lock counts
        // only while the name still leads to the file that is locked.
        if (file_backend::TryLockExclusive(file) &&
            file.Identity() == file_backend::IdentityOf(name)) {
            lock = std::move(file);
            return true;
        }
        if (waited >= timeoutMs) {
            break;
        }
        file.Close();
        platform::SleepMs(kPollMs);
        waited += kPollMs;
    }
    if (log != nullptr) {
        log->LogError("File is being edited by another process");
        log->LogData("filename", name.Utf8().c_str());
    }
    return false;
}

}  // namespace resmelder
