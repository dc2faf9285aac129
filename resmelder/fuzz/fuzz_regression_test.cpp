// Every committed fuzz input (the seeds, and each crash ever found) runs through the core
// again; under the sanitizer build a regression fails loudly. Slow units come back as a time
// over the bound, or in any build as an output far beyond what a small input can make.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

// Each input takes milliseconds even under the sanitizers; the bound leaves room for a busy
// machine. The slow units found so far took tens of seconds there and wrote gigabytes.
constexpr auto kTimePerInput = std::chrono::seconds(5);
constexpr std::uint64_t kLargestOutput = 64u << 20;

TEST(FuzzRegressionTest, CommittedInputsRunCleanly) {
    std::size_t count = 0;
    for (const char* folder : {"corpus", "crashes"}) {
        const fs::path dir = fs::path(RESMELDER_FUZZ_DIR) / folder;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (!entry.is_regular_file() || entry.path().filename() == ".keep") {
                continue;
            }
            SCOPED_TRACE(entry.path().string());
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
            const auto start = std::chrono::steady_clock::now();
            const std::uint64_t written = FuzzOneInput(bytes.data(), bytes.size());
            const auto took = std::chrono::steady_clock::now() - start;
            EXPECT_LT(took, kTimePerInput)
                << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
            EXPECT_LE(written, kLargestOutput);
            ++count;
        }
    }
    EXPECT_GE(count, 3u) << "the seed corpus is missing";
}

}  // namespace
}  // namespace resmelder
