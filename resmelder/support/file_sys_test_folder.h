#pragma once
// A test fixture for the file layer: a folder of its own per test (test_support::TestFolder,
// named after the test), and the log as text.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/log.h"
#include "support/string_buffer.h"
#include "support/xstring.h"
#include "testing/test_folder.h"

namespace resmelder {

class FileSysFolderTest : public ::testing::Test {
  protected:
    explicit FileSysFolderTest(const std::string& prefix)
        : folder_(prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

    XString Name(const std::string& leaf) const {
        return XString::FromUtf8((dir_ / leaf).string());
    }
    static std::string Text(Logger& log) {
        StringBuffer out;
        log.GetLogText(out);
        return std::string(out.View());
    }

    test_support::TestFolder folder_;
    const std::filesystem::path dir_ = folder_.path();
};

}  // namespace resmelder
