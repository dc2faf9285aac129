// The unpacked package as a user gets it: Messages.exe started from its own folder finds
// its library, flashes phrases, keeps running, and ends when asked to close.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program_test_support_win.h"
#include "testing/stopwatch.h"
#include "win/process_test_support_win.h"

namespace {

namespace fs = std::filesystem;
using murmurex::program_test::FindTopWindow;
using murmurex::program_test::kMessageClass;

TEST(Package, TheProgramStartsFromTheUnpackedFolderFlashesAndCloses) {
    const fs::path folder(PACKAGE_DIR);
    ASSERT_TRUE(fs::exists(folder / L"Messages.exe")) << "run the package_contents test first";

    // Started from another folder, as a shortcut would: the program finds its files beside
    // itself, not in the current folder.
    win::test::ProcessOptions elsewhere;
    elsewhere.folder = folder.parent_path();
    const win::test::StartedProcess started =
        win::test::StartProcess(win::test::Quoted((folder / L"Messages.exe").wstring()), elsewhere);
    ASSERT_TRUE(started);
    const HANDLE process = started.process.get();

    HWND window = nullptr;
    const double end = test_support::NowMs() + 15000;
    while (window == nullptr && test_support::NowMs() < end) {
        ::Sleep(50);
        window = FindTopWindow(started.id, kMessageClass);
    }
    ASSERT_NE(window, nullptr) << "the message window never appeared";
    while (!::IsWindowVisible(window) && test_support::NowMs() < end) {
        ::Sleep(20);
    }

    // The shipped settings flash every 3 seconds (today's program flashes every 2): within a
    // few periods the window has moved to a phrase.
    RECT first{};
    ::GetWindowRect(window, &first);
    bool moved = false;
    const double flashEnd = test_support::NowMs() + 12000;
    while (!moved && test_support::NowMs() < flashEnd) {
        ::Sleep(20);
        RECT now{};
        ::GetWindowRect(window, &now);
        moved = !::EqualRect(&now, &first);
    }
    EXPECT_TRUE(moved) << "no phrase was flashed";

    DWORD exitCode = 0;
    ASSERT_TRUE(::GetExitCodeProcess(process, &exitCode));
    EXPECT_EQ(exitCode, static_cast<DWORD>(STILL_ACTIVE)) << "the program ended by itself";

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    const bool ended = ::WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    EXPECT_TRUE(ended);
    if (!ended) {
        ::TerminateProcess(process, 99);
        ::WaitForSingleObject(process, 5000);
    }
    ::GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, 0u);
}

}  // namespace
