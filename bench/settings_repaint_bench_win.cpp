// The settings window repainted whole: every control, the styled buttons among them, drawn
// again at once. The goal is one frame at 60 Hz, 16 ms.
//
//   settings_repaint_bench.exe           (Messages.exe beside it, or MESSAGES_EXE_PATH)
//
// The real Messages.exe starts with "firstrun" in a fresh folder with a small library, so its
// settings window shows. Each repaint is RedrawWindow(RDW_INVALIDATE | RDW_UPDATENOW |
// RDW_ALLCHILDREN) on that window from this process, followed by a WM_NULL sent to it, which
// returns once the program's thread has done all the painting. Printed: the median and the
// 90th percentile of 200 repaints, the WM_NULL round trip alone (what the cross-process call
// itself costs), and the same invalidation without RDW_UPDATENOW, which paints nothing
// synchronously and so shows the figure is made of painting.
//
// The floor: a plain window made by this benchmark on a thread of its own, at the same place,
// holding native controls in the same number and at the same sizes as the settings window's
// (read from its window tree), repainted the same way. Printed: its median, and the ratio of
// the two medians (goal <= 1.5).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "plain_controls_window_win.h"
#include "program_test_support_win.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"
#include "win/process_test_support_win.h"

namespace {

using namespace murmurex::program_test;
using test_support::NowMs;

constexpr int kWarmUp = 10;
constexpr int kRepaints = 200;

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

struct Counts {
    int all = 0;
    int styledButtons = 0;
};

Counts CountControls(HWND window) {
    Counts counts;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Counts*>(data);
            ++c->all;
            char name[64] = {};
            ::GetClassNameA(child, name, sizeof name);
            if (std::string(name) == "StyledButton" && ::IsWindowVisible(child)) {
                ++c->styledButtons;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&counts));
    return counts;
}

struct ClassGroup {
    std::string name;
    std::vector<HWND> windows;
};

// The visible direct children grouped by class, to show where the time of a repaint goes.
std::vector<ClassGroup> GroupChildren(HWND window) {
    std::vector<ClassGroup> groups;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child)) {
            continue;
        }
        char name[64] = {};
        ::GetClassNameA(child, name, sizeof name);
        auto group = std::find_if(groups.begin(), groups.end(),
                                  [&](const ClassGroup& g) { return g.name == name; });
        if (group == groups.end()) {
            groups.push_back(ClassGroup{name, {}});
            group = groups.end() - 1;
        }
        group->windows.push_back(child);
    }
    return groups;
}

bool Synchronise(HWND window) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0;
}

std::vector<double> Time(HWND window, UINT flags) {
    std::vector<double> times;
    for (int i = 0; i < kWarmUp + kRepaints; ++i) {
        const double begin = NowMs();
        if (flags != 0) {
            ::RedrawWindow(window, nullptr, nullptr, flags);
        }
        Synchronise(window);
        if (i >= kWarmUp) {
            times.push_back(NowMs() - begin);
        }
    }
    return times;
}

// The visible controls class by class, each group repainted with its children.
void TimeByClass(HWND settings) {
    std::printf(
        "by class of the visible controls (each repainted with its children), "
        "median of %d, round trip included:\n",
        kRepaints);
    for (const ClassGroup& group : GroupChildren(settings)) {
        std::vector<double> times;
        for (int i = 0; i < kWarmUp + kRepaints; ++i) {
            const double begin = NowMs();
            for (const HWND child : group.windows) {
                ::RedrawWindow(child, nullptr, nullptr,
                               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            }
            Synchronise(settings);
            if (i >= kWarmUp) {
                times.push_back(NowMs() - begin);
            }
        }
        std::printf("  %-24s x%-2zu %7.2f ms\n", group.name.c_str(), group.windows.size(),
                    Percentile(times, 0.5));
    }
}

// The median of the full repaints.
double TimeRepaints(HWND settings) {
    RECT frame{};
    ::GetWindowRect(settings, &frame);
    const Counts counts = CountControls(settings);
    std::printf("settings window %ld x %ld, %d child windows, %d styled buttons visible\n",
                frame.right - frame.left, frame.bottom - frame.top, counts.all,
                counts.styledButtons);
    const std::vector<double> full =
        Time(settings, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const std::vector<double> roundTrip = Time(settings, 0);
    const std::vector<double> invalidateOnly = Time(settings, RDW_INVALIDATE | RDW_ALLCHILDREN);
    std::printf("full repaint: median %.2f ms, 90th percentile %.2f ms, of %d (goal <= 16 ms)\n",
                Percentile(full, 0.5), Percentile(full, 0.9), kRepaints);
    std::printf("WM_NULL round trip alone: median %.3f ms\n", Percentile(roundTrip, 0.5));
    std::printf("invalidation without RDW_UPDATENOW: median %.3f ms\n",
                Percentile(invalidateOnly, 0.5));
    TimeByClass(settings);
    return Percentile(full, 0.5);
}

// The same repaint of the plain copy of the settings window.
void TimeFloor(HWND settings, double settingsMedian) {
    const auto plain = bench::PlainControlsWindow::CopyOf(settings);
    if (!plain) {
        std::printf("the plain window could not be made\n");
        return;
    }
    ::Sleep(500);  // past its own first painting
    const std::vector<double> full =
        Time(plain->hWnd(), RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double plainMedian = Percentile(full, 0.5);
    std::printf(
        "plain window of native controls, %d child windows: full repaint median %.2f ms, "
        "90th percentile %.2f ms\n",
        plain->ChildCount(), plainMedian, Percentile(full, 0.9));
    std::printf("ratio of the medians, settings window to plain window: %.2f (goal <= 1.5)\n",
                plainMedian > 0 ? settingsMedian / plainMedian : -1.0);
}

}  // namespace

int main() {
    const test_support::TestFolder folder("murmurex-repaint-bench");
    InstallProgram(folder.path(), ProgramBesideThisOr(MESSAGES_EXE_PATH));
    WriteFileBytes(folder / "_._", "1Calm\r\n1Focus");
    WriteFileBytes(folder / "Lists" / "Calm.lst", "1I am calm\r\n1I breathe slowly");
    WriteFileBytes(folder / "Lists" / "Focus.lst", "1I see clearly");
    WriteFileBytes(folder / "__.__", "Arial\r\n24\r\nFalse\r\nFalse\r\n255\r\n50\r\n1");

    const win::test::StartedProcess program = StartProgram(folder.path(), L"firstrun");
    if (!program) {
        std::printf("Messages.exe did not start\n");
        return 1;
    }
    HWND settings = nullptr;
    const double giveUp = NowMs() + 20000;
    while (NowMs() < giveUp) {
        settings = FindTopWindow(program.id, kSettingsClass);
        if (settings != nullptr && ::IsWindowVisible(settings)) {
            break;
        }
        ::Sleep(20);
    }
    int status = 0;
    if (settings == nullptr || !::IsWindowVisible(settings)) {
        std::printf("the settings window did not show\n");
        status = 1;
    } else {
        ::Sleep(1000);  // past the start-up's own painting
        TimeFloor(settings, TimeRepaints(settings));
    }
    win::test::EndProcess(program.process.get(), settings, 15000);
    return status;
}
