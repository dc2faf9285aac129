// Resmelder on hostile resource directories made from Wine's own libraries: directories
// that claim 32,767 entries, subdirectories that lead back to the root, and 32,767 root
// entries that all lead to one subdirectory. Times the tool's list and one added string with
// its write, each in a child process with a cap, so that a variant that would run for
// minutes or eat the machine shows as stopped instead of stopping the benchmark.
// Usage: resmelder_hostile_bench [CAP_SECONDS]   (default 20)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/bounded_run.h"
#include "fuzz/pe_mutator.h"
#include "image/test_pe.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"
#include "tool/tool.h"

namespace fs = std::filesystem;
using namespace resmelder;
using fuzz::Mutation;

namespace {

const fs::path kWineLibraries = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
constexpr double kGoal = 2.0;
constexpr double kLaterGoal = 0.2;

struct Variant {
    const char* label;
    std::optional<Mutation> kind;
};

struct Timing {
    bool finished = false;
    int status = -1;
    double seconds = 0;
    std::string how;  // why it stopped, when it did
};

// One tool command in a child process; its time is measured around the call inside the
// child, so the fork is not counted.
Timing TimeCommand(const std::vector<std::string>& args, const fuzz::RunLimits& limits) {
    const auto outcome = fuzz::RunBounded(
        [&](int report) {
            std::ostringstream out;
            std::ostringstream err;
            const test_support::Stopwatch watch;
            const int status = RunTool(args, out, err);
            const double took = watch.ElapsedSeconds();
            fuzz::WriteReport(report, std::to_string(status) + " " + std::to_string(took));
        },
        limits);
    Timing timing;
    timing.finished = outcome.finished;
    if (outcome.finished) {
        std::istringstream report(outcome.report);
        report >> timing.status >> timing.seconds;
    } else {
        timing.seconds = outcome.seconds;
        timing.how = outcome.timedOut       ? "time cap"
                     : outcome.overMemory   ? "memory cap"
                     : outcome.overFileSize ? "output cap"
                                            : "crashed";
    }
    return timing;
}

std::string Cell(const Timing& t) {
    char text[64];
    if (!t.finished) {
        std::snprintf(text, sizeof text, ">%.1f (%s)", t.seconds, t.how.c_str());
    } else {
        std::snprintf(text, sizeof text, "%.3f%s", t.seconds, t.status == 0 ? "" : " refused");
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const double cap = argc > 1 ? std::atof(argv[1]) : 20.0;
    fuzz::RunLimits limits;
    limits.time = std::chrono::milliseconds(static_cast<long>(cap * 1000));
    limits.residentBytes = 4ull << 30;
    limits.fileBytes = 1ull << 30;

    const test_support::TestFolder folder("resmelder_hostile_bench");
    const fs::path& dir = folder.path();
    const std::vector<std::string> libraries = {"comdlg32", "comctl32", "shell32", "user32"};
    const std::vector<Variant> variants = {
        {"as installed", std::nullopt},
        {"a directory claims 32,767", Mutation::kDirectoryCount32767},
        {"subdirectories to root", Mutation::kSubdirectoriesToRoot},
        {"32,767 roots, one subdir", Mutation::kRootEntriesShareSubdirectory},
    };

    std::printf(
        "Each cell: seconds in the tool's own call (release build); capped at %.0f s,\n"
        "4 GB resident and 1 GB of output.\n\n",
        cap);
    std::printf("%-10s %-27s %20s %20s\n", "library", "variant", "list (s)", "add + write (s)");
    int measured = 0;
    int withinGoal = 0;
    int withinLaterGoal = 0;
    for (const std::string& library : libraries) {
        const fs::path path = kWineLibraries / (library + ".dll");
        if (!fs::exists(path)) {
            std::printf("%-10s (not installed at %s)\n", library.c_str(), path.c_str());
            continue;
        }
        const testpe::Bytes seed = testpe::ReadFile(path);
        for (const Variant& variant : variants) {
            testpe::Bytes bytes = seed;
            if (variant.kind) {
                auto mutant = fuzz::Mutate(seed, *variant.kind, 0);
                if (!mutant) {
                    std::printf("%-10s %-27s (the mutation found no place)\n", library.c_str(),
                                variant.label);
                    continue;
                }
                bytes = std::move(mutant->bytes);
            }
            const fs::path in = dir / "in.dll";
            const fs::path out = dir / "out.dll";
            testpe::WriteFile(in, bytes);
            const Timing list = TimeCommand({"list", in.string()}, limits);
            const Timing add = TimeCommand(
                {"add-string", in.string(), "BENCH", "bench text", "-o", out.string()}, limits);
            // Each variant starts from an empty folder.
            fs::remove_all(dir);
            fs::create_directories(dir);
            std::printf("%-10s %-27s %20s %20s\n", library.c_str(), variant.label,
                        Cell(list).c_str(), Cell(add).c_str());
            std::fflush(stdout);
            if (variant.kind) {
                const double worst =
                    std::max(list.finished ? list.seconds : 1e9, add.finished ? add.seconds : 1e9);
                ++measured;
                withinGoal += worst <= kGoal ? 1 : 0;
                withinLaterGoal += worst <= kLaterGoal ? 1 : 0;
            }
        }
    }
    std::printf("\nhostile variants within %.1f s (goal: all): %d of %d\n", kGoal, withinGoal,
                measured);
    std::printf("hostile variants within %.1f s (next goal: all): %d of %d\n", kLaterGoal,
                withinLaterGoal, measured);
    return 0;
}
