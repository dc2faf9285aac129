#pragma once
// A test fixture for the file layer: a folder of its own per test and process (test programs
// running side by side never share one), removed when the test ends, and the log as text.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <utility>

#include "support/log.h"
#include "support/string_buffer.h"
#include "support/xstring.h"

namespace resmelder {

class FileSysFolderTest : public ::testing::Test {
  protected:
    explicit FileSysFolderTest(std::string prefix) : prefix_(std::move(prefix)) {}

    void SetUp() override {
        // One token per process: the same test run by two processes at once gets two folders.
        static const std::string token = std::to_string(std::random_device{}());
        dir_ = std::filesystem::temp_directory_path() /
               (prefix_ + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                token);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    XString Name(const std::string& leaf) const {
        return XString::FromUtf8((dir_ / leaf).string());
    }
    static std::string Text(Logger& log) {
        StringBuffer out;
        log.GetLogText(out);
        return std::string(out.View());
    }

    std::filesystem::path dir_;

  private:
    std::string prefix_;
};

}  // namespace resmelder
