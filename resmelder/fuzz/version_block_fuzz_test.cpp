// Every committed input of the version block fuzz target (its seeds, and each finding ever
// saved) runs through the harness again, in a child process bounded in time and memory:
// a crash, an abort on a failed round trip or a slow input fails here.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/bounded_run.h"
#include "fuzz/version_block_fuzz.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string RunInChild(const std::vector<std::uint8_t>& bytes, fuzz::RunOutcome& outcome) {
    fuzz::RunLimits limits;
    limits.time = std::chrono::seconds(5);
    limits.residentBytes = 1ull << 30;
    limits.fileBytes = 1ull << 20;
    outcome = fuzz::RunBounded(
        [&](int report) {
            fuzz::WriteReport(
                report, FuzzVersionBlockInput(bytes.data(), bytes.size()) ? "read" : "refused");
        },
        limits);
    return outcome.report;
}

TEST(VersionBlockFuzzTest, CommittedInputsRunWithinBounds) {
    int seeds = 0;
    for (const char* folder : {"version_corpus", "version_crashes"}) {
        const fs::path path = fs::path(RESMELDER_FUZZ_DIR) / folder;
        if (!fs::is_directory(path)) {
            continue;  // no finding saved yet
        }
        const bool isSeed = std::string(folder) == "version_corpus";
        for (const auto& entry : fs::directory_iterator(path)) {
            SCOPED_TRACE(entry.path().string());
            fuzz::RunOutcome outcome;
            const std::string answer = RunInChild(ReadAll(entry.path()), outcome);
            EXPECT_TRUE(outcome.finished) << outcome.Describe();
            if (isSeed) {
                // Seeds are real blocks: each is read and survives the round trip.
                EXPECT_EQ(answer, "read");
                ++seeds;
            }
        }
    }
    EXPECT_GE(seeds, 3);
}

// The harness's own check fails loudly: a block whose edit cannot be written back is a
// finding, so the harness must tell a refused input from a read one.
TEST(VersionBlockFuzzTest, TellsRefusedInputsFromReadOnes) {
    const std::vector<std::uint8_t> garbage(64, 0xEE);
    fuzz::RunOutcome outcome;
    EXPECT_EQ(RunInChild(garbage, outcome), "refused") << outcome.Describe();
    EXPECT_TRUE(outcome.finished);
}

}  // namespace
}  // namespace resmelder
