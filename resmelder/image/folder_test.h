#pragma once
// A test fixture that works in a folder of its own (test_support::TestFolder), named after the
// running test.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "image/test_pe.h"
#include "support/platform.h"
#include "support/xstring.h"
#include "testing/test_folder.h"

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
    explicit FolderTest(const std::string& prefix)
        : folder_(prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    XString Path(const std::string& leaf) const {
        return XString::FromUtf8((dir_ / leaf).string());
    }
    std::vector<std::string> Files() const { return FileNames(dir_); }

    test_support::TestFolder folder_;
    const std::filesystem::path dir_ = folder_.path();
};

}  // namespace resmelder::testpe
