// Messages.exe as a user starts it: from a folder holding a phrase library, it shows its
// keyed-out topmost window, flashes phrases, and ends when asked to close.

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

// The program's message window, once its process has created it.
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

class MessagesProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder_ =
            fs::path(temp) / (L"murmurex-program-" + std::to_wstring(::GetCurrentProcessId()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        fs::copy_file(fs::path(MESSAGES_EXE_PATH), folder_ / L"Messages.exe");
    }
    void TearDown() override {
        if (process_) {
            ::TerminateProcess(process_.get(), 99);
            ::WaitForSingleObject(process_.get(), 5000);
        }
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void Start() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::wstring commandLine = L"\"" + (folder_ / L"Messages.exe").wstring() + L"\"";
        ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, folder_.c_str(), &startup, &info));
        process_.reset(info.hProcess);
        ::CloseHandle(info.hThread);
        processId_ = info.dwProcessId;
        const double end = win::test::ElapsedMs() + 15000;
        while (!window_ && win::test::ElapsedMs() < end) {
            ::Sleep(50);
            window_ = FindMessageWindow(processId_);
        }
        ASSERT_NE(window_, nullptr) << "the message window never appeared";
        // Found as soon as it exists: let the program finish its start-up and show it.
        while (!::IsWindowVisible(window_) && win::test::ElapsedMs() < end) {
            ::Sleep(20);
        }
    }

    // Posts a close as taskkill does and waits for the program to end by itself.
    DWORD CloseAndWait() {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
        EXPECT_EQ(::WaitForSingleObject(process_.get(), 10000), WAIT_OBJECT_0);
        DWORD exitCode = STILL_ACTIVE;
        ::GetExitCodeProcess(process_.get(), &exitCode);
        process_.reset();
        return exitCode;
    }

    fs::path folder_;
    win::UniqueKernelHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

TEST_F(MessagesProgramTest, FlashesTheTickedLibraryAndEndsWhenClosed) {
    fs::copy(fs::path(MESSAGES_SAMPLE_LIBRARY), folder_, fs::copy_options::recursive);
    Start();
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window_, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_LAYERED);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_TRUE(::IsWindowVisible(window_));

    // Every flash sizes the window to its phrase and moves it: within a few frequency periods
    // (2 s at this stage) it must have left its first place.
    RECT first{};
    ::GetWindowRect(window_, &first);
    bool moved = false;
    const double end = win::test::ElapsedMs() + 9000;
    while (!moved && win::test::ElapsedMs() < end) {
        ::Sleep(20);
        RECT now{};
        ::GetWindowRect(window_, &now);
        moved = !::EqualRect(&now, &first);
    }
    EXPECT_TRUE(moved) << "no phrase was flashed";

    EXPECT_EQ(CloseAndWait(), 0u);
}

TEST_F(MessagesProgramTest, RunsWithoutAnyLibraryAndStillCloses) {
    Start();
    win::test::PumpMessages(2500);  // past the first frequency tick, with an empty pool
    DWORD exitCode = STILL_ACTIVE;
    ASSERT_TRUE(::GetExitCodeProcess(process_.get(), &exitCode));
    EXPECT_EQ(exitCode, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(CloseAndWait(), 0u);
}

}  // namespace
