// What Refresh costs: the screen object records 10,000 primitives on the real screen, then
// replays the whole display list. Prints the median of five replays for a list of lines only
// and for a mixed list (lines, rectangles, ellipses, pie slices, texts), in milliseconds and
// microseconds per primitive.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cls_screen.h"
#include "testing/stopwatch.h"

namespace {

using murmurex::clsScreen;

constexpr int kPrimitives = 10'000;
constexpr int kRuns = 5;

// Records `kPrimitives` calls; `draw(i)` makes call i and answers whether it was drawn.
template <typename Draw>
bool Record(clsScreen& screen, Draw draw) {
    screen.Clear(true);
    screen.EnableRefresh(true);
    for (int i = 0; i < kPrimitives; ++i) {
        screen.ForeColor_Scr(static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF);
        if (!draw(i)) {
            std::printf("recording stopped at call %d\n", i);
            return false;
        }
    }
    screen.EnableRefresh(false);
    return screen.DisplayListRecords().Size() == static_cast<std::size_t>(kPrimitives);
}

void TimeRefresh(clsScreen& screen, const char* name) {
    std::vector<double> times;
    bool allDrawn = true;
    for (int run = 0; run < kRuns; ++run) {
        const test_support::Stopwatch watch;
        allDrawn = screen.Refresh().value && allDrawn;
        times.push_back(watch.ElapsedMs());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-34s %9.1f ms  %7.1f us/primitive  (min %.1f, max %.1f)%s\n", name, median,
                median * 1000.0 / kPrimitives, times.front(), times.back(),
                allDrawn ? "" : "  REFRESH ANSWERED FALSE");
}

}  // namespace

int main() {
    murmurex::ScreenError raised;
    auto screen = clsScreen::Create(&raised);
    if (!screen) {
        std::printf("no screen object: %s %s\n", raised.source.c_str(), raised.description.c_str());
        return 1;
    }
    std::printf("Refresh of a display list of %d recorded primitives, median of %d replays\n",
                kPrimitives, kRuns);

    if (Record(*screen, [&](int i) {
            const int y = 20 + (i % 500);
            return screen->DrawLine(20, y, 420, y).value;
        })) {
        TimeRefresh(*screen, "10,000 lines");
    }

    if (Record(*screen, [&](int i) {
            const int x = 20 + (i % 40) * 10;
            const int y = 20 + (i / 40 % 50) * 10;
            switch (i % 5) {
                case 0:
                    return screen->DrawLine(x, y, x + 9, y + 9).value;
                case 1:
                    return screen->DrawRectangle(x, y, x + 9, y + 9, true, true).value;
                case 2:
                    return screen->DrawEllipse(x, y, x + 9, y + 9).value;
                case 3:
                    return screen->DrawPie(x, y, x + 9, y + 9, i % 361, false, 0, 0, 0, 0).value;
                default:
                    return screen->drawText("Mm", x, y, false).value;
            }
        })) {
        TimeRefresh(*screen, "10,000 mixed (2,000 of each kind)");
    }
    screen->Clear(true);
    return 0;
}
