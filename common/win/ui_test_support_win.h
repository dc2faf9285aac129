#pragma once
// What the Windows GUI tests share: a message loop that runs for a set time, real mouse and
// keyboard input, a copy of the screen's pixels and stand-in window classes. For tests only.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "testing/stopwatch.h"
#include "win/unique_handle.h"
#include "win/window_procedure.h"

namespace win::test {

/// Sees each message before it is translated; true means it was handled and goes no further.
using MessageFilter = std::function<bool(const MSG&)>;

/// Runs this thread's message loop for `milliseconds`; `afterEachMessage` runs once each
/// dispatched message has been handled.
inline void PumpMessages(double milliseconds, const std::function<void()>& afterEachMessage = {},
                         const MessageFilter& filter = {}) {
    const double end = test_support::NowMs() + milliseconds;
    for (;;) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (filter && filter(message)) {
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
            if (afterEachMessage) {
                afterEachMessage();
            }
        }
        const double now = test_support::NowMs();
        if (now >= end) {
            return;
        }
        // Wakes as soon as anything arrives, so timing tests see their events on time.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now) + 1,
                                    QS_ALLINPUT);
    }
}

/// Sends one real mouse event; with MOUSEEVENTF_MOVE the pointer goes to `screen`, in pixels of
/// the primary screen. False when the system refused it.
inline bool SendMouseInput(DWORD flags, POINT screen = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_MOVE) {
        // Absolute coordinates run 0..65535 over the primary screen.
        input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
        input.mi.dx = ::MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = ::MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    return ::SendInput(1, &input, sizeof input) == 1;
}

/// Sends one real mouse event, then runs the message loop for `settleMs` so it is handled.
inline void SendMouse(DWORD flags, POINT screen, double settleMs) {
    SendMouseInput(flags, screen);
    PumpMessages(settleMs);
}

/// Sends one real key press (`up` false) or release for the virtual key `key`.
inline bool SendKeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return ::SendInput(1, &input, sizeof input) == 1;
}

/// What `ScreenCapture::At` answers outside the captured pixels.
inline constexpr std::uint32_t kNoPixel = 0xFFFFFFFFu;

/// The primary screen's pixels as 0x00RRGGBB, rows top-down; no pixels when reading failed.
struct ScreenCapture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool ok() const { return !pixels.empty(); }

    /// The pixel at (x, y) as 0x00RRGGBB, or kNoPixel outside the capture.
    std::uint32_t At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height || pixels.empty()) {
            return kNoPixel;
        }
        const std::size_t index = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(x);
        return pixels[index] & 0x00FFFFFFu;
    }
};

/// Reads the whole primary screen back through its device context, layered windows included.
inline ScreenCapture CaptureScreen() {
    ScreenCapture capture;
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    const auto screen = GetWindowDcOwned(nullptr);
    UniqueOwnedDc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || bits == nullptr || width <= 0 || height <= 0) {
        return capture;
    }
    bool copied = false;
    {
        SelectGuard selected(memory.get(), bitmap.get());
        copied = ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0,
                          SRCCOPY | CAPTUREBLT) != FALSE;
        ::GdiFlush();
    }
    if (!copied) {
        return capture;
    }
    const auto* source = static_cast<const std::uint32_t*>(bits);
    capture.width = width;
    capture.height = height;
    capture.pixels.assign(
        source, source + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return capture;
}

/// The pixels of `window`'s rectangle on the screen, row by row, as the screen shows them.
inline std::vector<std::uint32_t> WindowPixelsOnScreen(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const auto capture = CaptureScreen();
    std::vector<std::uint32_t> pixels;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            pixels.push_back(capture.At(x, y));
        }
    }
    return pixels;
}

/// Writes `capture` as a 24-bit bottom-up .bmp file, for a person to look at; false on failure.
inline bool SaveBitmapFile(const ScreenCapture& capture, const std::filesystem::path& file) {
    if (!capture.ok()) {
        return false;
    }
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(capture.width) * 3u + 3u) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(capture.height);
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fileHeader.bfSize = fileHeader.bfOffBits + imageBytes;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = capture.width;
    info.biHeight = capture.height;  // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    std::vector<char> row(rowBytes, 0);
    for (int y = capture.height - 1; y >= 0; --y) {
        for (int x = 0; x < capture.width; ++x) {
            const std::uint32_t pixel = capture.At(x, y);
            row[static_cast<std::size_t>(x) * 3 + 0] = static_cast<char>(pixel & 0xFF);
            row[static_cast<std::size_t>(x) * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            row[static_cast<std::size_t>(x) * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    return static_cast<bool>(out);
}

/// Registers a class for a test's stand-in windows in this program; a class registered by an
/// earlier test stays and is used again.
inline bool RegisterWindowClass(const char* name, WNDPROC procedure = ::DefWindowProcA,
                                HBRUSH background = nullptr) {
    win::WindowClassOptions options;
    options.background = background;
    return win::RegisterWindowClass(name, procedure, options);
}

}  // namespace win::test
