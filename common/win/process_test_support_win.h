#pragma once
// Starting other programs from the Windows tests and benchmarks: by a command line, from a
// chosen folder, with their output in a file (never a pipe: Wine's own processes would inherit
// it and hold it open), waited for while this thread keeps answering messages, and ended by
// force when they do not end by themselves. For tests and benchmarks only.

#include <windows.h>

#include <filesystem>
#include <string>

#include "testing/stopwatch.h"
#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace win::test {

/// The folder of the running test program or benchmark.
inline std::filesystem::path ThisProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

/// `text` in double quotes, as one argument of a command line.
inline std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

struct ProcessOptions {
    /// The program's current folder; the caller's when empty.
    std::filesystem::path folder;
    /// Where its standard output and error go, made afresh; the caller's own when empty.
    std::filesystem::path outputFile;
};

/// A started program. The handle closes with this object; the program runs on.
struct StartedProcess {
    UniqueKernelHandle process;
    DWORD id = 0;

    explicit operator bool() const noexcept { return static_cast<bool>(process); }
};

/// Starts `commandLine`; an empty result when the system refused.
inline StartedProcess StartProcess(const std::wstring& commandLine,
                                   const ProcessOptions& options = {}) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    UniqueFile output;
    if (!options.outputFile.empty()) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        output.reset(::CreateFileW(options.outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output.get();
        startup.hStdError = output.get();
    }
    PROCESS_INFORMATION info{};
    std::wstring mutableLine = commandLine;
    const wchar_t* folder = options.folder.empty() ? nullptr : options.folder.c_str();
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, output ? TRUE : FALSE, 0,
                          nullptr, folder, &startup, &info)) {
        return {};
    }
    UniqueKernelHandle thread(info.hThread);  // not needed: closed at once
    return StartedProcess{UniqueKernelHandle(info.hProcess), info.dwProcessId};
}

/// Waits up to `milliseconds` for `process` to end while this thread answers messages (an
/// ending program's windows may send to this thread's windows, and would wait for each send
/// to time out); its exit code, or STILL_ACTIVE while it runs on.
inline DWORD WaitForExit(HANDLE process, double milliseconds) {
    const double end = test_support::NowMs() + milliseconds;
    while (::WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
        if (test_support::NowMs() >= end) {
            return STILL_ACTIVE;
        }
        PumpMessages(20);
    }
    DWORD exitCode = STILL_ACTIVE;
    ::GetExitCodeProcess(process, &exitCode);
    return exitCode;
}

/// Ends a started program: asks `window` to close when there is one, gives it `closeMs` to end,
/// then ends it by force.
inline void EndProcess(HANDLE process, HWND window, double closeMs) {
    if (process == nullptr) {
        return;
    }
    if (window != nullptr) {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForExit(process, closeMs) == STILL_ACTIVE) {
        ::TerminateProcess(process, 99);
        ::WaitForSingleObject(process, 5000);
    }
}

/// Runs `commandLine` to its end as `options` say; its exit status, or -1 when it did not
/// start. One that is still running after `timeoutMs` is ended by force.
inline int RunProcessWith(const std::wstring& commandLine, const ProcessOptions& options,
                          DWORD timeoutMs = 60000) {
    const StartedProcess started = StartProcess(commandLine, options);
    if (!started) {
        return -1;
    }
    if (::WaitForSingleObject(started.process.get(), timeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(started.process.get(), STILL_ACTIVE);
        ::WaitForSingleObject(started.process.get(), 5000);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(started.process.get(), &code);
    return static_cast<int>(code);
}

/// Runs `commandLine` to its end with its output in `outputFile`.
inline int RunProcess(const std::wstring& commandLine, const std::filesystem::path& outputFile,
                      DWORD timeoutMs = 60000) {
    ProcessOptions options;
    options.outputFile = outputFile;
    return RunProcessWith(commandLine, options, timeoutMs);
}

}  // namespace win::test
