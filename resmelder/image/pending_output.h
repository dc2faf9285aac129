#pragma once
// The one way this component replaces a file: the new content goes to a file of its own
// beside the target (with no name at all, where the system allows), is flushed to the disk,
// and only then takes the target's name in one step. A reader sees the old file or the new
// one, never a part; a failure or a killed process leaves the target as it was.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "support/file_sys.h"
#include "support/xstring.h"

namespace resmelder {

class LogBase;

class PendingOutput {
  public:
    /// A new, empty output for `target`; null (with the cause logged) when the target is not
    /// a file that may be replaced or no output can be made beside it.
    static std::unique_ptr<PendingOutput> Create(const XString& target, LogBase* log);

    struct Token {};  // only Create makes pending outputs
    PendingOutput(Token, File file, XString temporary, XString target)
        : file_(std::move(file)), temporary_(std::move(temporary)), target_(std::move(target)) {}
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;
    /// Without a Commit the output is discarded.
    ~PendingOutput();

    /// Where the new content is written.
    File& Output() { return file_; }
    /// Replaces the target in one step, durably; on failure the target is as it was. The
    /// target's permissions are kept (without the set-user and set-group bits when the
    /// result has another owner).
    bool Commit(LogBase* log);
    /// The temporary name, empty while the output has none.
    const XString& TemporaryName() const { return temporary_; }

  private:
    File file_;
    XString temporary_;
    XString target_;
    bool done_ = false;
};

/// True, with "Output file is the input file" logged, when `target` leads to the file
/// `source` (under its own name or through a link): writing there would destroy the input.
bool IsInputFile(const std::optional<FileIdentity>& source, const XString& target, LogBase* log);

/// Writes `bytes` as the whole new content of `target` through a PendingOutput. Failures
/// are logged with the messages of a whole-file write.
bool ReplaceWholeFile(const XString& target, std::span<const std::uint8_t> bytes, LogBase* log);

}  // namespace resmelder
