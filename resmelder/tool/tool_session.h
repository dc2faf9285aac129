#pragma once
// What every command of the tool shares: the log, the two output streams, loading an
// executable, reading a small input file, writing an edited executable, and reporting a
// failure as one plain line (the whole log after it with --verbose).

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "image/exe_image.h"
#include "support/log.h"
#include "tool/tool_help.h"

namespace resmelder {

class ToolSession {
  public:
    ToolSession(std::ostream& out, std::ostream& err, bool verbose)
        : out_(out), err_(err), verbose_(verbose) {}

    std::ostream& Out() { return out_; }
    Logger& Log() { return log_; }
    /// How EditAndWrite writes (--keep-overlay).
    void SetWriteOptions(const WriteOptions& options) { writeOptions_ = options; }

    /// Loads the executable `file`; null, logged, when it cannot be read or is not one.
    std::unique_ptr<ExeImage> Open(const std::string& file);
    /// Reads the whole file `file` (a regular file of at most `maxBytes`) into `bytes`;
    /// false, logged, when it cannot.
    bool ReadSmallFile(const std::string& file, std::size_t maxBytes,
                       std::vector<std::uint8_t>& bytes);

    /// An edit of a loaded image: false, logged, when it cannot be made; `doing` then says
    /// what was attempted ("cannot add ICON/#1/0").
    using Edit = std::function<bool(ExeImage& image, std::string& doing)>;
    /// Loads `in`, makes the edit, and writes `out` (which may be `in`: it is replaced only
    /// when the new file is complete). Says on standard error when the overlay moved.
    /// Answers the exit status.
    int EditAndWrite(const std::string& in, const std::string& out, const Edit& edit);

    /// Reports a failure on standard error and answers 1: one plain line saying what failed
    /// and why, then, with --verbose, the whole log.
    int Fail(const std::string& doing, const std::string& file);
    /// Answers 0; warnings the log took on the way (a signature that no longer matches,
    /// malformed parts of the source that were skipped) go to standard error.
    int Succeed();
    /// A command line that cannot be run: the problem and the command's usage; answers 2.
    int Usage(const std::string& problem, const CommandHelp& help);

  private:
    void TellOverlayMoved(const WriteOutcome& outcome);

    std::ostream& out_;
    std::ostream& err_;
    bool verbose_;
    WriteOptions writeOptions_;
    Logger log_;
};

/// Whether the executable is a DLL (its file header says so).
bool IsDll(const ExeImage& image);

}  // namespace resmelder
