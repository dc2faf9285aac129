// What one paint of a styled button costs, style by style: a real button window of 100 x 30
// and of 300 x 80 pixels is redrawn synchronously 200 times (the whole paint: the off-screen
// bitmap, the painter, the caption and the copy to the screen) and the median time of one
// paint is printed in microseconds, against the goal of 1 ms. Beside it, the median of the
// button's own drawing alone into a memory bitmap, without the window and the screen copy,
// and the fastest whole paint, which shows how much a busy machine added. Styles without a painter
// of their own show the artwork they borrow; style 6 shows its fallback when visual styles are off,
// which the table says.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "canvas_gdi_win.h"
#include "styled_button_win.h"
#include "testing/stopwatch.h"

namespace {

constexpr int kPaints = 200;
constexpr double kGoalMicroseconds = 1000.0;

void DrainMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

struct Measured {
    double median = 0;
    double fastest = 0;
    double drawingOnly = 0;
    int paintedStyle = 0;
};

// The button's drawing alone: its full paint on a GDI canvas over a memory bitmap.
double MedianDrawingOnly(murmurex::StyledButton& button, int width, int height) {
    const HDC screen = ::GetDC(nullptr);
    win::UniqueOwnedDc memory(::CreateCompatibleDC(screen));
    win::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    if (!memory || !bitmap) {
        return 0;
    }
    win::SelectGuard selected(memory.get(), bitmap.get());
    murmurex::GdiCanvas canvas(memory.get());
    std::vector<double> times;
    times.reserve(kPaints);
    for (int i = 0; i < kPaints; ++i) {
        const test_support::Stopwatch watch;
        button.Paint(canvas, width, height);
        times.push_back(watch.ElapsedMs() * 1000.0);
    }
    return Median(times);
}

Measured MeasureStyle(HWND host, int style, int width, int height) {
    Measured result;
    auto button = murmurex::StyledButtonWindow::Create(
        host, 100 + style, {10, 10, 10 + width, 10 + height}, "cmdBench");
    if (!button) {
        return result;
    }
    button->Button().SetCaption("Paint me");
    button->Button().SetStyle(style);
    DrainMessages();
    // One paint first: it settles what the style paints (style 6 may fall back here).
    ::RedrawWindow(button->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    std::vector<double> times;
    times.reserve(kPaints);
    for (int i = 0; i < kPaints; ++i) {
        const test_support::Stopwatch watch;
        ::RedrawWindow(button->hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        times.push_back(watch.ElapsedMs() * 1000.0);
    }
    DrainMessages();
    result.median = Median(times);
    result.fastest = *std::min_element(times.begin(), times.end());
    result.drawingOnly = MedianDrawingOnly(button->Button(), width, height);
    result.paintedStyle = button->Button().Properties().style;
    return result;
}

}  // namespace

int main() {
    WNDCLASSA hostClass{};
    hostClass.lpfnWndProc = ::DefWindowProcA;
    hostClass.hInstance = ::GetModuleHandleA(nullptr);
    hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    hostClass.lpszClassName = "ButtonPaintBenchHost";
    ::RegisterClassA(&hostClass);
    HWND host =
        ::CreateWindowExA(0, hostClass.lpszClassName, "button paint bench", WS_POPUP | WS_VISIBLE,
                          50, 50, 340, 120, nullptr, nullptr, hostClass.hInstance, nullptr);
    if (host == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    DrainMessages();

    std::printf("Styled button, one paint (median of %d), microseconds; goal %.0f us\n", kPaints,
                kGoalMicroseconds);
    std::printf("%-6s %-9s %10s %10s %10s   %-9s %10s %10s %10s  %s\n", "style", "100 x 30",
                "median", "fastest", "drawing", "300 x 80", "median", "fastest", "drawing", "note");
    bool allWithinGoal = true;
    for (int style = 0; style <= 10; ++style) {
        const Measured small = MeasureStyle(host, style, 100, 30);
        const Measured large = MeasureStyle(host, style, 300, 80);
        allWithinGoal =
            allWithinGoal && small.median <= kGoalMicroseconds && large.median <= kGoalMicroseconds;
        char note[64] = "";
        if (small.paintedStyle != style) {
            std::snprintf(note, sizeof note, "no visual style: paints style %d",
                          small.paintedStyle);
        }
        std::printf("%-6d %-9s %10.1f %10.1f %10.1f   %-9s %10.1f %10.1f %10.1f  %s\n", style, "",
                    small.median, small.fastest, small.drawingOnly, "", large.median, large.fastest,
                    large.drawingOnly, note);
    }
    std::printf("every style within the goal (median of the whole paint): %s\n",
                allWithinGoal ? "yes" : "no");
    ::DestroyWindow(host);
    return 0;
}
