#include "fuzz/bounded_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "testing/stopwatch.h"

namespace resmelder::fuzz {
namespace {

std::uint64_t ResidentBytes(pid_t pid) {
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    std::uint64_t size = 0;
    std::uint64_t resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

void Drain(int fd, std::string& into) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return;  // closed, or nothing more for now
        }
    }
}

}  // namespace

void WriteReport(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

int SanitizerSlowdown() {
#if defined(__SANITIZE_ADDRESS__)
    return 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return 4;
#else
    return 1;
#endif
#else
    return 1;
#endif
}

std::string RunOutcome::Describe() const {
    std::ostringstream text;
    if (finished) {
        text << "finished";
    } else if (timedOut) {
        text << "stopped: over the time bound";
    } else if (overMemory) {
        text << "stopped: over the memory bound";
    } else if (overFileSize) {
        text << "stopped: wrote a file over the size bound";
    } else if (signal != 0) {
        text << "died of signal " << signal;
    } else {
        text << "exited with status " << exitCode;
    }
    char figures[96];
    std::snprintf(figures, sizeof figures, " after %.2f s, peak resident %.0f MB", seconds,
                  static_cast<double>(peakResidentBytes) / 1048576.0);
    text << figures;
    return text.str();
}

RunOutcome RunBounded(const std::function<void(int reportFd)>& work, const RunLimits& limits) {
    RunOutcome outcome;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        outcome.report = "pipe failed";
        return outcome;
    }
    std::fflush(nullptr);  // nothing buffered is written twice
    const test_support::Stopwatch watch;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const rlimit fileLimit{limits.fileBytes, limits.fileBytes};
        ::setrlimit(RLIMIT_FSIZE, &fileLimit);
        work(pipeFds[1]);
        ::close(pipeFds[1]);
        // No exit handlers: they belong to the parent (the test framework, the leak check).
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    if (child < 0) {
        ::close(pipeFds[0]);
        outcome.report = "fork failed";
        return outcome;
    }
    ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    int status = 0;
    for (;;) {
        Drain(pipeFds[0], outcome.report);
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            break;
        }
        outcome.peakResidentBytes = std::max(outcome.peakResidentBytes, ResidentBytes(child));
        if (!outcome.timedOut && !outcome.overMemory) {
            outcome.timedOut = watch.Elapsed() > limits.time;
            outcome.overMemory = outcome.peakResidentBytes > limits.residentBytes;
            if (outcome.timedOut || outcome.overMemory) {
                ::kill(child, SIGKILL);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    outcome.seconds = watch.ElapsedSeconds();
    Drain(pipeFds[0], outcome.report);
    ::close(pipeFds[0]);
    if (WIFEXITED(status)) {
        outcome.exitCode = WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
        outcome.overFileSize = outcome.signal == SIGXFSZ;
    }
    outcome.finished =
        !outcome.timedOut && !outcome.overMemory && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

}  // namespace resmelder::fuzz
