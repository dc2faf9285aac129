#pragma once
// A test fixture that works in a folder of its own, named after the running test (so test
// programs running side by side never share one), removed when the test ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "image/test_pe.h"
#include "support/platform.h"
#include "support/xstring.h"

namespace resmelder::testpe {

/// The system's own words for a file that is not there (code 2 on both platforms), as the
/// tool's one-line reasons quote them.
inline std::string MissingFileReason() {
    std::string text = platform::OsErrorText(2);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

class FolderTest : public ::testing::Test {
  protected:
    explicit FolderTest(std::string prefix) : prefix_(std::move(prefix)) {}

    void SetUp() override {
        dir_ =
            FreshFolder(prefix_ + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    XString Path(const std::string& leaf) const {
        return XString::FromUtf8((dir_ / leaf).string());
    }
    std::vector<std::string> Files() const { return FileNames(dir_); }

    std::filesystem::path dir_;

  private:
    std::string prefix_;
};

}  // namespace resmelder::testpe
