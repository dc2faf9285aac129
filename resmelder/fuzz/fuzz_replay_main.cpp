// Replays fuzz inputs through a harness in an ordinary build and prints how long each took.
// script/fuzz builds it optimized without sanitizers: the release tool's own speed sets the
// fuzzers' time limit, and decides which slow units are slow for users too.
//   resmelder_fuzz_replay [--version-block] [--runs N] FILE...
// One line per file: the fastest of N runs in milliseconds, the size in bytes, the path; a
// unit that ran past the bound (60 s, 4 GB) or ended abnormally shows as "stopped".

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/bounded_run.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/version_block_fuzz.h"

namespace {

using resmelder::fuzz::RunBounded;
using resmelder::fuzz::RunLimits;

struct Options {
    bool versionBlock = false;
    int runs = 1;
    std::vector<std::string> files;
};

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version-block") {
            options.versionBlock = true;
        } else if (arg == "--runs" && i + 1 < argc) {
            options.runs = std::atoi(argv[++i]);
        } else {
            options.files.emplace_back(arg);
        }
    }
    return options.runs >= 1 && options.runs <= 100 && !options.files.empty();
}

// The fastest of the runs: the others measure the machine's other work.
double FastestMilliseconds(const std::vector<std::uint8_t>& bytes, const Options& options) {
    double fastest = 0;
    for (int run = 0; run < options.runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (options.versionBlock) {
            resmelder::FuzzVersionBlockInput(bytes.data(), bytes.size());
        } else {
            resmelder::FuzzOneInput(bytes.data(), bytes.size());
        }
        const double took =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        fastest = run == 0 || took < fastest ? took : fastest;
    }
    return fastest;
}

RunLimits ReplayLimits() {
    RunLimits limits;
    limits.time = std::chrono::seconds(60);
    limits.residentBytes = 4ull << 30;
    limits.fileBytes = 1ull << 30;
    return limits;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: resmelder_fuzz_replay [--version-block] [--runs N] FILE...\n");
        return 2;
    }
    int failures = 0;
    for (const std::string& file : options.files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        const auto outcome = RunBounded(
            [&](int report) {
                resmelder::fuzz::WriteReport(report,
                                             std::to_string(FastestMilliseconds(bytes, options)));
            },
            ReplayLimits());
        if (outcome.finished) {
            std::printf("%.1f\t%zu\t%s\n", std::strtod(outcome.report.c_str(), nullptr),
                        bytes.size(), file.c_str());
        } else {
            std::printf("stopped\t%zu\t%s\t%s\n", bytes.size(), file.c_str(),
                        outcome.Describe().c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
