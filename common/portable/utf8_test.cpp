#include "portable/utf8.h"

#include <gtest/gtest.h>

namespace {

std::size_t LengthAt(std::string_view text, std::size_t at = 0) {
    char32_t character = 0;
    return common::DecodeUtf8(text, at, character);
}

TEST(Utf8, EveryLengthRoundTrips) {
    for (const char32_t character : {U'A', U'\u00e9', U'\u20ac', U'\U0001F600', U'\U0010FFFF'}) {
        std::string text;
        common::AppendUtf8(text, character);
        char32_t read = 0;
        EXPECT_EQ(common::DecodeUtf8(text, 0, read), text.size());
        EXPECT_EQ(read, character);
    }
}

TEST(Utf8, RefusesWhatTheStandardForbids) {
    EXPECT_EQ(LengthAt("\xC0\xAF"), 0u);          // overlong '/'
    EXPECT_EQ(LengthAt("\xE0\x80\xAF"), 0u);      // overlong again
    EXPECT_EQ(LengthAt("\xED\xA0\x80"), 0u);      // a surrogate
    EXPECT_EQ(LengthAt("\xF4\x90\x80\x80"), 0u);  // past U+10FFFF
    EXPECT_EQ(LengthAt("\x80"), 0u);              // a stray continuation byte
    EXPECT_EQ(LengthAt("\xE2\x82"), 0u);          // cut short
    EXPECT_EQ(LengthAt("\xE2\x28\xAC"), 0u);      // a broken continuation
    EXPECT_EQ(LengthAt("ab\xC3\xA9", 2), 2u);     // read from where it is asked
}

}  // namespace
