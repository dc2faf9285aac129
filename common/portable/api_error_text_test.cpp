#include "portable/api_error_text.h"

#include <gtest/gtest.h>

namespace murmurex {
namespace {

TEST(ApiErrorText, CutAtTheFirstNulWithoutTheLastLineBreak) {
    EXPECT_EQ(TrimApiErrorText("Access is denied.\r\n"), "Access is denied.");
    EXPECT_EQ(TrimApiErrorText(std::string_view("Bad.\r\n\0junk\r\n", 13)), "Bad.");
    EXPECT_EQ(TrimApiErrorText("Two lines.\r\nSecond.\r\n"), "Two lines.\r\nSecond.");
    EXPECT_EQ(TrimApiErrorText("Only a feed.\n"), "Only a feed.\n");
}

}  // namespace
}  // namespace murmurex
