#include "ansi_text.h"

#include <gtest/gtest.h>

#include <string>

namespace murmurex {
namespace {

char Byte(int value) {
    return static_cast<char>(value);
}

TEST(AnsiText, LowersExactlyTheCodePageCapitals) {
    // The capitals with a small form in code page 1252, and that small form.
    std::string expected(256, '\0');
    for (int c = 0; c < 256; ++c) {
        expected[static_cast<std::size_t>(c)] = Byte(c);
    }
    for (int c = 'A'; c <= 'Z'; ++c) {
        expected[static_cast<std::size_t>(c)] = Byte(c - 'A' + 'a');
    }
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {
            expected[static_cast<std::size_t>(c)] = Byte(c + 0x20);
        }
    }
    expected[0x8A] = Byte(0x9A);  // S caron
    expected[0x8C] = Byte(0x9C);  // OE
    expected[0x8E] = Byte(0x9E);  // Z caron
    expected[0x9F] = Byte(0xFF);  // Y diaeresis

    int changed = 0;
    for (int c = 0; c < 256; ++c) {
        const char lowered = AnsiToLower(Byte(c));
        EXPECT_EQ(lowered, expected[static_cast<std::size_t>(c)]) << "byte " << c;
        changed += lowered != Byte(c) ? 1 : 0;
    }
    EXPECT_EQ(changed, 26 + 30 + 4);
}

TEST(AnsiText, LowerAndCompareWholeTexts) {
    EXPECT_EQ(AnsiLower("I Am CALM \xC9T\xC9 \x8C"), "i am calm \xE9t\xE9 \x9C");
    EXPECT_TRUE(AnsiEqualNoCase("Caf\xC9", "cAF\xE9"));
    EXPECT_TRUE(AnsiEqualNoCase("", ""));
    EXPECT_FALSE(AnsiEqualNoCase("Calm", "Calm "));
    EXPECT_FALSE(AnsiEqualNoCase("\xD7", "\xF7"));
    EXPECT_FALSE(AnsiEqualNoCase("\xDF", "\xFF"));
}

TEST(AnsiText, NoCaseHashAgreesWithNoCaseEquality) {
    EXPECT_EQ(AnsiNoCaseHash("CAF\xC9 \x8A\x9F"), AnsiNoCaseHash("caf\xE9 \x9A\xFF"));
    EXPECT_EQ(AnsiNoCaseHash("I Am Calm"), AnsiNoCaseHash("i am calm"));
    EXPECT_NE(AnsiNoCaseHash("ab"), AnsiNoCaseHash("ba"));
    EXPECT_NE(AnsiNoCaseHash("\xD7"), AnsiNoCaseHash("\xF7"));
    EXPECT_NE(AnsiNoCaseHash(""), AnsiNoCaseHash(" "));
}

}  // namespace
}  // namespace murmurex
