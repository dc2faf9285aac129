// The unpacked package as a user gets it: Messages.exe started from its own folder finds
// its library, flashes phrases, keeps running, and ends when asked to close.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "win/ui_test_support_win.h"
#include "win/unique_handle.h"

namespace {

namespace fs = std::filesystem;

struct FoundWindow {
    DWORD process = 0;
    HWND window = nullptr;
};

HWND FindMessageWindow(DWORD processId) {
    FoundWindow found{processId, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<FoundWindow*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            char className[64] = {};
            ::GetClassNameA(window, className, sizeof className);
            if (owner == wanted->process && std::string(className) == "MurmurexMessageWindow") {
                wanted->window = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found.window;
}

TEST(Package, TheProgramStartsFromTheUnpackedFolderFlashesAndCloses) {
    const fs::path folder(PACKAGE_DIR);
    ASSERT_TRUE(fs::exists(folder / L"Messages.exe")) << "run the package_contents test first";

    // Started from another folder, as a shortcut would: the program finds its files beside
    // itself, not in the current folder.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + (folder / L"Messages.exe").wstring() + L"\"";
    const fs::path elsewhere = folder.parent_path();
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 elsewhere.c_str(), &startup, &info));
    win::UniqueKernelHandle process(info.hProcess);
    ::CloseHandle(info.hThread);

    HWND window = nullptr;
    const double end = win::test::ElapsedMs() + 15000;
    while (window == nullptr && win::test::ElapsedMs() < end) {
        ::Sleep(50);
        window = FindMessageWindow(info.dwProcessId);
    }
    ASSERT_NE(window, nullptr) << "the message window never appeared";
    while (!::IsWindowVisible(window) && win::test::ElapsedMs() < end) {
        ::Sleep(20);
    }

    // The shipped settings flash every 3 seconds (today's program flashes every 2): within a
    // few periods the window has moved to a phrase.
    RECT first{};
    ::GetWindowRect(window, &first);
    bool moved = false;
    const double flashEnd = win::test::ElapsedMs() + 12000;
    while (!moved && win::test::ElapsedMs() < flashEnd) {
        ::Sleep(20);
        RECT now{};
        ::GetWindowRect(window, &now);
        moved = !::EqualRect(&now, &first);
    }
    EXPECT_TRUE(moved) << "no phrase was flashed";

    DWORD exitCode = 0;
    ASSERT_TRUE(::GetExitCodeProcess(process.get(), &exitCode));
    EXPECT_EQ(exitCode, static_cast<DWORD>(STILL_ACTIVE)) << "the program ended by itself";

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = ::WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended);
    if (!ended) {
        ::TerminateProcess(process.get(), 99);
        ::WaitForSingleObject(process.get(), 5000);
    }
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
