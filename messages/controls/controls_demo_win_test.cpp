// Runs controls-demo.exe on the X screen and checks what it shows and logs: the tab strip, the
// three style-10 looks (normal grey, hot blue under the pointer, pressed darker blue for a
// set check button) at known pixels, and the events of a click and an access key.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace murmurex {
namespace {

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

bool WaitFor(const std::string& logPath, const std::string& line, DWORD milliseconds) {
    const DWORD end = ::GetTickCount() + milliseconds;
    while (ReadAll(logPath).find(line + "\n") == std::string::npos) {
        if (static_cast<LONG>(end - ::GetTickCount()) <= 0) {
            return false;
        }
        ::Sleep(50);
    }
    return true;
}

void Input(INPUT input) {
    ::SendInput(1, &input, sizeof input);
    ::Sleep(150);
}

// The cursor is placed directly: from another process, an absolute SendInput move was seen
// to snap back to the X pointer's old place under Wine.
void MoveTo(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    ::Sleep(150);
}

void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    Input(input);
}

void Key(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    Input(input);
}

// The whole screen, read back through the screen's device context.
class ScreenShot {
  public:
    ScreenShot() {
        width_ = ::GetSystemMetrics(SM_CXSCREEN);
        height_ = ::GetSystemMetrics(SM_CYSCREEN);
        const auto screen = win::GetWindowDcOwned(nullptr);
        win::UniqueOwnedDc memory(::CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        win::UniqueBitmap bitmap(
            ::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!bitmap || bits == nullptr) {
            return;
        }
        {
            win::SelectGuard selected(memory.get(), bitmap.get());
            ::BitBlt(memory.get(), 0, 0, width_, height_, screen.get(), 0, 0, SRCCOPY);
            ::GdiFlush();
        }
        const auto* source = static_cast<const std::uint32_t*>(bits);
        pixels_.assign(source, source + static_cast<std::size_t>(width_) * height_);
    }

    /// As COLORREF (red in the low byte).
    COLORREF At(POINT p) const {
        if (p.x < 0 || p.y < 0 || p.x >= width_ || p.y >= height_ || pixels_.empty()) {
            return CLR_INVALID;
        }
        const std::uint32_t bgrx = pixels_[static_cast<std::size_t>(p.y) * width_ + p.x];
        return RGB((bgrx >> 16) & 0xFF, (bgrx >> 8) & 0xFF, bgrx & 0xFF);
    }

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};

POINT At(HWND window, int x, int y) {
    POINT point{x, y};
    ::ClientToScreen(window, &point);
    return point;
}

class DemoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        logPath = std::string(temp) + "controls-demo-test.log";
        ::DeleteFileA(logPath.c_str());
        std::string command =
            "\"" + ProgramFolder() + "controls-demo.exe\" --log \"" + logPath + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                     nullptr, &startup, &started));
        process.reset(started.hProcess);
        win::UniqueKernelHandle thread(started.hThread);
        ASSERT_TRUE(WaitFor(logPath, "Ready", 20000)) << ReadAll(logPath);
        demo = ::FindWindowA("MurmurexControlsDemo", "Murmurex controls demo");
        ASSERT_NE(demo, nullptr);
        // On a fresh display Wine takes the pointer back to where the X pointer was until a
        // move over one of its windows has stuck; place it on the demo's background first.
        const POINT background = At(demo, 300, 140);
        for (int tries = 0; tries < 20; ++tries) {
            MoveTo(background);
            ::Sleep(250);
            POINT now{};
            ::GetCursorPos(&now);
            if (now.x == background.x && now.y == background.y) {
                break;
            }
        }
    }

    void TearDown() override {
        if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) {
            ::PostMessageA(demo, WM_CLOSE, 0, 0);
            if (::WaitForSingleObject(process.get(), 5000) == WAIT_TIMEOUT) {
                ::TerminateProcess(process.get(), 1);
            }
        }
    }

    HWND Button(const char* caption) const {
        return ::FindWindowExA(demo, nullptr, "StyledButton", caption);
    }

    std::string logPath;
    win::UniqueKernelHandle process;
    HWND demo = nullptr;
};

TEST_F(DemoTest, ShowsTheTabStripAndTheThreeLooksAndLogsClicks) {
    const HWND start = Button("&Start");
    const HWND add = Button("Add");
    const HWND ticked = Button("Ticked");
    ASSERT_NE(start, nullptr);
    ASSERT_NE(add, nullptr);
    ASSERT_NE(ticked, nullptr);

    MoveTo(At(start, 50, 15));  // the pointer makes "&Start" hot
    ASSERT_TRUE(WaitFor(logPath, "MouseEnter &Start", 3000)) << ReadAll(logPath);
    ::Sleep(300);
    const ScreenShot shot;

    // Left of each caption (x 20), in the centre block, and the top outline row.
    EXPECT_EQ(shot.At(At(add, 20, 15)), RGB(232, 231, 234));
    EXPECT_EQ(shot.At(At(add, 50, 0)), RGB(106, 105, 103));
    EXPECT_EQ(shot.At(At(add, 50, 28)), RGB(84, 84, 84));
    EXPECT_EQ(shot.At(At(start, 20, 15)), RGB(106, 166, 226));
    EXPECT_EQ(shot.At(At(start, 50, 0)), RGB(8, 6, 69));
    EXPECT_EQ(shot.At(At(ticked, 20, 15)), RGB(106, 155, 204));
    EXPECT_EQ(shot.At(At(ticked, 50, 0)), RGB(10, 9, 60));
    // The window's rounded corner lets the demo's background through.
    EXPECT_EQ(shot.At(At(add, 0, 0)), ::GetSysColor(COLOR_BTNFACE));

#ifdef DEMO_WITH_TAB_STRIP
    const HWND tabs = ::FindWindowExA(demo, nullptr, "MurmurexTabMenu", nullptr);
    ASSERT_NE(tabs, nullptr);
    EXPECT_TRUE(::IsWindowVisible(tabs));
    RECT strip{};
    ::GetClientRect(tabs, &strip);
    EXPECT_GT(strip.bottom, 20);
    // Painted pictures, not an empty band: many colours across the first tab.
    std::vector<COLORREF> colours;
    for (int x = 0; x < 70; ++x) {
        for (int y = 0; y < strip.bottom; y += 3) {
            const COLORREF c = shot.At(At(tabs, x, y));
            if (std::find(colours.begin(), colours.end(), c) == colours.end()) {
                colours.push_back(c);
            }
        }
    }
    EXPECT_GT(colours.size(), 8u);
#else
    ADD_FAILURE() << "controls-demo was built without the tab strip";
#endif

    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitFor(logPath, "Click &Start", 3000)) << ReadAll(logPath);

    // Alt+X clicks "E&xit", which ends the demo.
    Key(VK_MENU, false);
    Key('X', false);
    Key('X', true);
    Key(VK_MENU, true);
    EXPECT_TRUE(WaitFor(logPath, "Click E&xit", 3000)) << ReadAll(logPath);
    EXPECT_EQ(::WaitForSingleObject(process.get(), 5000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace murmurex
