#include "tool/tool_session.h"

#include "image/pe_format.h"
#include "image/pending_output.h"
#include "support/file_sys.h"
#include "support/xstring.h"
#include "tool/tool_failure.h"

namespace resmelder {
namespace {

// How long an edit in place waits for another edit of the same file to finish.
constexpr std::uint32_t kEditLockTimeoutMs = 60000;
// Warnings shown one a line before the rest is left to --verbose.
constexpr std::size_t kMaxWarningLines = 5;
constexpr std::uint16_t kFileDll = 0x2000;
constexpr std::size_t kCharacteristicsOffset = pe::kFileHeaderOffset + 18;

}  // namespace

std::unique_ptr<ExeImage> ToolSession::Open(const std::string& file) {
    const XString name = XString::FromUtf8(file);
    if (!FileSys::FileCanOpen(name, &log_)) {
        return nullptr;
    }
    auto image = ExeImage::Load(name, &log_);
    if (!image) {
        log_.LogError(tool_texts::kLoadFailed);
    }
    return image;
}

bool ToolSession::ReadSmallFile(const std::string& file, std::size_t maxBytes,
                                std::vector<std::uint8_t>& bytes) {
    const XString name = XString::FromUtf8(file);
    if (!FileSys::CheckRegularOrMissing(name, &log_)) {
        return false;
    }
    File opened = FileSys::OpenForRead(name, &log_);
    if (!opened.IsOpen()) {
        return false;
    }
    // Read to the end (never trusting a size asked beforehand), stopping one byte past the
    // limit: a longer file is refused, not cut.
    bytes.clear();
    std::uint8_t chunk[4096];
    while (bytes.size() <= maxBytes) {
        const std::size_t got = opened.Read(chunk);
        if (got == 0) {
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (bytes.size() > maxBytes) {
        log_.LogError(tool_texts::kFileTooLarge);
        log_.LogData("filename", file.c_str());
        log_.LogDataLong("maximum", static_cast<std::int32_t>(maxBytes));
        return false;
    }
    return true;
}

int ToolSession::EditAndWrite(const std::string& in, const std::string& out, const Edit& edit) {
    // An edit in place holds the file locked from before it is read until it is replaced,
    // so a second edit at the same time waits and then applies to this one's result.
    const XString inName = XString::FromUtf8(in);
    const auto inIdentity = FileSys::IdentityOf(inName);
    File lock;
    if (inIdentity && inIdentity == FileSys::IdentityOf(XString::FromUtf8(out)) &&
        !FileSys::LockForEdit(inName, kEditLockTimeoutMs, lock, &log_)) {
        return Fail("cannot edit " + in, in);
    }
    auto image = Open(in);
    if (!image) {
        return Fail("cannot load " + in, in);
    }
    std::string doing = "cannot edit " + in;
    if (!edit(*image, doing)) {
        return Fail(doing, in);
    }
    const XString target = XString::FromUtf8(out);
    std::unique_ptr<PendingOutput> pending;
    WriteOutcome outcome;
    {
        LogContext context(&log_, "WriteExe");
        pending = image->WriteBeside(target, &log_, writeOptions_, &outcome);
        // The source is released before the target is replaced, so OUT may be IN.
        image.reset();
        if (pending && !pending->Commit(&log_)) {
            pending.reset();
        }
    }
    if (!pending) {
        return Fail("cannot write " + out, in);
    }
    TellOverlayMoved(outcome);
    return Succeed();
}

// Programs that find a payload at an offset they recorded (installers, self-extracting
// archives) stop working when it moves: the user hears of it and of the way to avoid it. A
// signed file's overlay is its signature, which moves with its entry in the headers (and the
// warning that the signature no longer matches says what matters there).
void ToolSession::TellOverlayMoved(const WriteOutcome& outcome) {
    if (outcome.overlaySize != 0 && outcome.overlayMovedBy != 0 && !outcome.signedFile) {
        err_ << "resmelder: the overlay (" + std::to_string(outcome.overlaySize) +
                    " bytes) moved by " + std::to_string(outcome.overlayMovedBy) +
                    " bytes; use --keep-overlay to keep it in place\n";
    }
}

int ToolSession::Fail(const std::string& doing, const std::string& file) {
    err_ << "resmelder: " << DescribeFailure(log_.Tree().Root(), doing, file) << '\n';
    if (verbose_) {
        StringBuffer text;
        log_.GetLogText(text);
        err_ << text.View();
    }
    return 1;
}

int ToolSession::Succeed() {
    const auto messages = LogMessages(log_.Tree().Root());
    for (std::size_t i = 0; i < messages.size() && i < kMaxWarningLines; ++i) {
        err_ << "resmelder: warning: " << messages[i] << '\n';
    }
    if (messages.size() > kMaxWarningLines && !verbose_) {
        err_ << "resmelder: " << messages.size() - kMaxWarningLines
             << " more warnings (--verbose shows them)\n";
    }
    if (verbose_ && !messages.empty()) {
        StringBuffer text;
        log_.GetLogText(text);
        err_ << text.View();
    }
    return 0;
}

int ToolSession::Usage(const std::string& problem, const CommandHelp& help) {
    err_ << "resmelder: " << problem << '\n';
    PrintCommandHelp(help, err_);
    return 2;
}

bool IsDll(const ExeImage& image) {
    const auto characteristics = image.NtHeaders().U16(kCharacteristicsOffset);
    return characteristics && (*characteristics & kFileDll) != 0;
}

}  // namespace resmelder
