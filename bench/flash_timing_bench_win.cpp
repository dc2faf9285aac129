// How closely the message window keeps its timings, and what cycling costs in CPU.
//
// For each display length: the time from showing a phrase to hiding it, against the request,
// measured twice: when the label's state changes (the cycle's own view) and when the window
// paints the change (what reaches the screen). Then the frequency period (hide to next show)
// at one second, and the process's CPU time while cycling and while waiting, scaled to one
// minute. Prints the figures; `--quick` runs fewer cycles.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "message_window_win.h"
#include "testing/stopwatch.h"

namespace {

using murmurex::frmMessage;

using test_support::NowMs;

// Runs the message loop until `done` holds or `limitMs` passes.
template <typename Done>
void PumpUntil(Done done, double limitMs) {
    const double end = NowMs() + limitMs;
    while (!done() && NowMs() < end) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageA(&message);
        }
    }
}

// Runs a plain blocking message loop for `milliseconds`, as the program's own loop would:
// no polling of ours may show up in the CPU figures.
void RunLoopFor(UINT milliseconds) {
    const UINT_PTR stop = ::SetTimer(nullptr, 0, milliseconds, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr && message.wParam == stop) {
            break;
        }
        ::DispatchMessageA(&message);
    }
    ::KillTimer(nullptr, stop);
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index =
        static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

struct Flashes {
    std::vector<double> shown;
    std::vector<double> hidden;
    std::vector<double> painted;
    std::vector<double> erased;
};

void PrintRow(const char* label, double requestMs, const std::vector<double>& measured) {
    std::vector<double> error;
    for (double value : measured) {
        error.push_back(value - requestMs);
    }
    std::printf("%-14s %7.0f ms  n=%3zu  median %+7.3f ms  p95 %+7.3f ms  max %+7.3f ms\n", label,
                requestMs, measured.size(), Percentile(error, 0.5), Percentile(error, 0.95),
                Percentile(error, 1.0));
}

double CpuMs() {
    FILETIME creation, exit, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user);
    auto toMs = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime) /
               10000.0;
    };
    return toMs(kernel) + toMs(user);
}

// For each display length: the time from showing to hiding the phrase, as the label and as
// the screen see it, and what a step costs before and after its label shows.
void MeasureDisplayLengths(frmMessage& form, Flashes& flashes, int cycles) {
    std::printf("display length: time from showing to hiding the phrase, minus the request\n");
    std::printf("  label  = label shown to label hidden; screen = painted to painted away\n");
    std::vector<double> stepWork;
    std::vector<double> beforeShow;
    for (std::uint32_t request : {1u, 2u, 10u, 16u, 40u, 100u, 1000u}) {
        form.TimerDisplayLength.SetInterval(request);
        std::vector<double> measured;
        std::vector<double> onScreen;
        for (int i = 0; i < cycles; ++i) {
            flashes = {};
            // The step runs as the frequency timer's event would, straight from the loop.
            const double before = NowMs();
            form.Cycle().TimerFrequency_Timer();
            stepWork.push_back(NowMs() - before);
            if (!flashes.shown.empty()) {
                beforeShow.push_back(flashes.shown[0] - before);
            }
            PumpUntil([&] { return !flashes.erased.empty(); }, request + 2000.0);
            form.TimerFrequency.SetEnabled(false);
            if (flashes.shown.size() == 1 && flashes.hidden.size() == 1) {
                measured.push_back(flashes.hidden[0] - flashes.shown[0]);
            }
            if (flashes.painted.size() == 1 && flashes.erased.size() == 1) {
                onScreen.push_back(flashes.erased[0] - flashes.painted[0]);
            }
            PumpUntil([] { return false; }, 15);
        }
        PrintRow("  label", request, measured);
        PrintRow("  screen", request, onScreen);
    }
    std::printf("step work (show step, call to return): median %.3f ms, p95 %.3f ms\n",
                Percentile(stepWork, 0.5), Percentile(stepWork, 0.95));
    // What a step does before its label shows (text, measure, move) delays the phrase past
    // the frequency interval by that much.
    std::printf("step work before the label shows:      median %.3f ms, p95 %.3f ms\n",
                Percentile(beforeShow, 0.5), Percentile(beforeShow, 0.95));
}

// The frequency period: from hiding one phrase to showing the next.
void MeasureFrequency(frmMessage& form, Flashes& flashes, int periods) {
    form.TimerFrequency.SetInterval(1);
    form.TimerDisplayLength.SetInterval(2);
    flashes = {};
    form.Begin();
    PumpUntil([&] { return static_cast<int>(flashes.shown.size()) > periods; },
              (periods + 2) * 1100.0);
    std::vector<double> gaps;
    for (std::size_t i = 1; i < flashes.shown.size() && i - 1 < flashes.hidden.size(); ++i) {
        gaps.push_back(flashes.shown[i] - flashes.hidden[i - 1]);
    }
    std::printf("frequency: time from hiding to showing the next phrase, minus the request\n");
    PrintRow("frequency", 1000.0, gaps);
}

// The process's CPU time over `windowMs` of the program's own loop, scaled to one minute.
void MeasureCpu(const char* label, Flashes& flashes, UINT windowMs) {
    const double cpuBefore = CpuMs();
    const double wallBefore = NowMs();
    flashes = {};
    RunLoopFor(windowMs);
    const double cpu = CpuMs() - cpuBefore;
    const double wall = NowMs() - wallBefore;
    std::printf("cpu %-28s %3zu flashes in %4.1f s: %6.1f ms per minute = %.3f %% of one core\n",
                label, flashes.shown.size(), wall / 1000.0, cpu * 60000.0 / wall,
                cpu * 100.0 / wall);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;

    auto form = frmMessage::Create();
    if (!form) {
        std::fprintf(stderr, "flash_timing_bench: the message window could not be created\n");
        return 1;
    }
    Flashes flashes;
    form->lblMessage.SetVisibilityListener(
        [&flashes](bool shown) { (shown ? flashes.shown : flashes.hidden).push_back(NowMs()); });
    form->SetPaintListener([&flashes](bool onScreen) {
        (onScreen ? flashes.painted : flashes.erased).push_back(NowMs());
    });
    form->Phrases() = murmurex::PhrasePool::FromList(
        {"I am calm", "Every breath slows me down", "I finish what I start", "Focus"});
    form->lblMessage.SetFont({"Arial", 24.0f, true, false});
    form->lblMessage.SetForeColor(0x000000FF);
    form->Paused() = false;
    form->Show();

    MeasureDisplayLengths(*form, flashes, quick ? 5 : 20);
    MeasureFrequency(*form, flashes, quick ? 3 : 8);

    // CPU with the program's default timings (2 s, 2 ms), then paused, scaled to one minute.
    const UINT windowMs = quick ? 10000 : 30000;
    form->TimerFrequency.SetInterval(2);
    form->TimerDisplayLength.SetInterval(2);
    form->Begin();
    MeasureCpu("while cycling (2 s / 2 ms):", flashes, windowMs);
    // Paused in the middle of a flash: the display timer keeps running, doing nothing.
    form->Cycle().TimerFrequency_Timer();
    form->Paused() = true;
    MeasureCpu("paused during a flash:", flashes, windowMs);
    return 0;
}
