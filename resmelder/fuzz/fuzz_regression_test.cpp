// Every committed fuzz input (the seeds, and each crash ever found) runs through the core
// again; under the sanitizer build a regression fails loudly.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

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
            FuzzOneInput(bytes.data(), bytes.size());
            ++count;
        }
    }
    EXPECT_GE(count, 3u) << "the seed corpus is missing";
}

}  // namespace
}  // namespace resmelder
