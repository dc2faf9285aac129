// Every committed fuzz input (the seeds, and each crash or slow unit ever found) runs through
// the core again, each in a child process bounded in time, memory and output size: a unit
// that would run for minutes, take gigabytes or write a huge file fails its check at the
// bound instead of stalling the suite. Under the sanitizer build a memory error fails loudly.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/bounded_run.h"
#include "fuzz/fuzz_target.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

// Each input takes milliseconds even under the sanitizers; the bounds leave room for a busy
// machine. The slow units found so far took tens of seconds there and wrote gigabytes.
fuzz::RunLimits Limits() {
    fuzz::RunLimits limits;
    limits.time = std::chrono::seconds(5);
    limits.residentBytes = 1ull << 30;
    limits.fileBytes = 64ull << 20;
    return limits;
}

std::vector<fs::path> CommittedInputs() {
    std::vector<fs::path> inputs;
    for (const char* folder : {"corpus", "crashes"}) {
        for (const auto& entry : fs::directory_iterator(fs::path(RESMELDER_FUZZ_DIR) / folder)) {
            if (entry.is_regular_file() && entry.path().filename() != ".keep") {
                inputs.push_back(entry.path());
            }
        }
    }
    return inputs;
}

TEST(FuzzRegressionTest, CommittedInputsRunWithinBounds) {
    const auto inputs = CommittedInputs();
    EXPECT_GE(inputs.size(), 3u) << "the seed corpus is missing";
    for (const fs::path& path : inputs) {
        SCOPED_TRACE(path.string());
        std::ifstream in(path, std::ios::binary);
        const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        const auto outcome = fuzz::RunBounded(
            [&](int report) {
                fuzz::WriteReport(report, std::to_string(FuzzOneInput(bytes.data(), bytes.size())));
            },
            Limits());
        EXPECT_TRUE(outcome.finished) << outcome.Describe();
        if (outcome.finished) {
            EXPECT_LE(std::stoull(outcome.report), Limits().fileBytes) << "bytes written";
        }
    }
    // A child stopped at a bound leaves its partial output behind.
    RemoveFuzzScratchOfEndedProcesses();
}

// The harness reads its input without a named file and removes its output folder.
TEST(FuzzRegressionTest, LeavesNothingInTheTemporaryFolder) {
    const auto inputs = CommittedInputs();
    ASSERT_FALSE(inputs.empty());
    std::ifstream in(inputs.front(), std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    FuzzOneInput(bytes.data(), bytes.size());
    const std::string mine = "resmelder_fuzz_" + std::to_string(::getpid());
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
        const std::string name = entry.path().filename().string();
        // This process's folder, or a file named after it (the old "resmelder_fuzz_PID.in").
        const bool ours = name == mine || name.rfind(mine + ".", 0) == 0;
        EXPECT_FALSE(ours) << name << " was left behind";
    }
}

}  // namespace
}  // namespace resmelder
