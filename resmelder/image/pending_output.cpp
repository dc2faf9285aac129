#include "image/pending_output.h"

#include <atomic>
#include <charconv>

#include "support/log.h"
#include "support/platform.h"
#include "support/string_buffer.h"

namespace resmelder {
namespace {

constexpr int kNameAttempts = 16;

// "NAME.resmelder-XXXX.tmp" beside the target: the same folder, so the rename is one step,
// and the same route through the file layer (the suffix is ASCII).
XString TemporaryNameFor(const XString& target) {
    static std::atomic<std::uint32_t> counter{0};
    char suffix[16] = {};
    const std::uint32_t n = platform::TickCount() ^ (counter.fetch_add(1) * 2654435761u);
    std::to_chars(suffix, suffix + sizeof suffix - 1, n, 16);
    return XString::FromUtf8(target.Utf8() + ".resmelder-" + suffix + ".tmp");
}

void LogFailure(LogBase* log, const char* text, const XString& name, std::uint32_t error) {
    if (log == nullptr) {
        return;
    }
    log->LogError(text);
    log->LogData("filename", name.Utf8().c_str());
    StringBuffer os;
    os.AppendOsErrorText(error);
    log->LogData("osErrorInfo", os.CStr());
}

}  // namespace

std::unique_ptr<PendingOutput> PendingOutput::Create(const XString& target, LogBase* log) {
    if (target.IsEmpty() || !FileSys::CheckReplaceable(target, log)) {
        return nullptr;
    }
    // Unnamed, a killed write leaves nothing behind.
    File unnamed = file_backend::CreateUnnamedBeside(target);
    if (unnamed.IsOpen()) {
        return std::make_unique<PendingOutput>(Token{}, std::move(unnamed), XString(), target);
    }
    std::uint32_t error = 0;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        XString temporary = TemporaryNameFor(target);
        File file = FileSys::CreateNew(temporary);
        if (file.IsOpen()) {
            return std::make_unique<PendingOutput>(Token{}, std::move(file), std::move(temporary),
                                                   target);
        }
        error = platform::LastOsError();
    }
    // Reported for the target, as the file layer reports an open it could not make.
    FileSys::LogOpenFailure(target, error, log);
    return nullptr;
}

PendingOutput::~PendingOutput() {
    file_.Close();  // closed first: an open file cannot be removed everywhere
    if (!done_ && !temporary_.IsEmpty()) {
        FileSys::Remove(temporary_);
    }
}

bool PendingOutput::Commit(LogBase* log) {
    // The target is asked again: it may have become a FIFO or a device since the output was
    // made. One that cannot be opened for writing (locked, or held open as a source) is
    // reported with the open messages and left alone.
    if (done_ || !file_.IsOpen() || !FileSys::CheckReplaceable(target_, log) ||
        !FileSys::CanReplace(target_, log)) {
        return false;
    }
    // On the disk before it has a name: after a power cut the target is the old file or
    // the whole new one.
    if (!file_backend::KeepPermissions(file_, target_) || !file_.Sync()) {
        LogFailure(log, "Failed to flush file", target_, platform::LastOsError());
        return false;
    }
    if (temporary_.IsEmpty()) {
        std::uint32_t error = 0;
        for (int attempt = 0; attempt < kNameAttempts && temporary_.IsEmpty(); ++attempt) {
            XString name = TemporaryNameFor(target_);
            if (file_backend::NameUnnamed(file_, name)) {
                temporary_ = std::move(name);
            } else {
                error = platform::LastOsError();
            }
        }
        if (temporary_.IsEmpty()) {
            LogFailure(log, "Failed to replace file", target_, error);
            return false;
        }
    }
    file_.Close();
    if (!FileSys::Replace(temporary_, target_, log)) {
        return false;
    }
    done_ = true;
    // The rename itself is made durable; the target is replaced either way.
    file_backend::SyncFolderOf(target_);
    return true;
}

bool IsInputFile(const std::optional<FileIdentity>& source, const XString& target, LogBase* log) {
    if (!source || source != FileSys::IdentityOf(target)) {
        return false;
    }
    if (log != nullptr) {
        log->LogError("Output file is the input file");
        log->LogData("filename", target.Utf8().c_str());
    }
    return true;
}

bool ReplaceWholeFile(const XString& target, std::span<const std::uint8_t> bytes, LogBase* log) {
    auto pending = PendingOutput::Create(target, log);
    if (!pending) {
        return false;
    }
    if (!bytes.empty() && pending->Output().Write(bytes) != bytes.size()) {
        if (log != nullptr) {
            StringBuffer text;
            text.AppendOsErrorText(platform::LastOsError());
            log->LogData("filename", target.Utf8().c_str());
            log->LogError(text.CStr());
            log->LogError("Failed to write complete file (1)");
        }
        return false;
    }
    return pending->Commit(log);
}

}  // namespace resmelder
