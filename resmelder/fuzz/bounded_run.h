#pragma once
// Runs a piece of work in a child process with a bound on its time, its resident memory and
// the size of any file it writes, so that a hostile input that would run for minutes or eat
// the machine fails one test quickly instead of hanging or killing the suite. POSIX only.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace resmelder::fuzz {

struct RunLimits {
    std::chrono::milliseconds time{2000};
    std::uint64_t residentBytes = 1ull << 30;
    std::uint64_t fileBytes = 256ull << 20;  // the largest file the work may write
};

struct RunOutcome {
    bool finished = false;  // the work returned and the child exited normally
    bool timedOut = false;
    bool overMemory = false;
    bool overFileSize = false;
    int signal = 0;    // the signal that ended the child, if one did
    int exitCode = 0;  // its exit status when it exited (a sanitizer report exits with 1)
    double seconds = 0;
    std::uint64_t peakResidentBytes = 0;
    std::string report;  // what the work wrote to its report

    /// One line for a failure message: how the run ended, with its time and memory.
    std::string Describe() const;
};

/// Runs `work` in a forked child. The work writes what the parent should learn as text to
/// the file descriptor it is given (kept short: a few kilobytes at most).
RunOutcome RunBounded(const std::function<void(int reportFd)>& work, const RunLimits& limits);

/// Writes all of `text` to `fd` (a report pipe).
void WriteReport(int fd, const std::string& text);

/// How much slower this build runs than the plain debug build: the sanitizers cost time and
/// memory, and the time bounds of the tests scale by it.
int SanitizerSlowdown();

}  // namespace resmelder::fuzz
