// The library's text files: a file whose text fits the code page stays in it, byte for byte;
// only a file with a character the code page lacks becomes UTF-8 after a byte-order mark.
#include "text_file_encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "unicode_text.h"

namespace murmurex {
namespace {

TEST(TextFileEncoding, TextThatFitsStaysInTheCodePageElseUtf8WithAMark) {
    const AnsiCodePage& western = WesternCodePage();
    EXPECT_EQ(EncodeTextFile("1I am calm\r\n0Rest", western), "1I am calm\r\n0Rest");
    EXPECT_EQ(EncodeTextFile("1Caf\u00e9 \u20ac5 \u0153", western),
              "1Caf\xE9 \x80"
              "5 \x9C");
    // One Greek letter anywhere makes the whole file UTF-8.
    EXPECT_EQ(EncodeTextFile("1Caf\u00e9\r\n1\u03b1", western),
              "\xEF\xBB\xBF"
              "1Caf\u00e9\r\n1\u03b1");
    EXPECT_EQ(EncodeTextFile("1\u3053\u3093\u306b\u3061\u306f\u4e16\u754c", western),
              "\xEF\xBB\xBF"
              "1\u3053\u3093\u306b\u3061\u306f\u4e16\u754c");
    // No best fit: an A with a macron is no plain A, a full-width A no A.
    EXPECT_FALSE(western.FromUtf8("\u0100").has_value());
    EXPECT_FALSE(western.FromUtf8("\uff21").has_value());
    EXPECT_FALSE(western.FromUtf8("\xC3").has_value());  // cut short
}

TEST(TextFileEncoding, ReadingTakesBothAndDropsTheMark) {
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF"
                             "1\u0393\u03b5\u03b9\u03ac",
                             WesternCodePage()),
              "1\u0393\u03b5\u03b9\u03ac");
    EXPECT_EQ(DecodeTextFile("1Caf\xE9\r\n0\x80", WesternCodePage()), "1Caf\u00e9\r\n0\u20ac");
    // Without the mark, UTF-8 bytes are code page characters like any others.
    EXPECT_EQ(DecodeTextFile("\xC3\xA9", WesternCodePage()), "\u00c3\u00a9");
    EXPECT_EQ(DecodeTextFile("\xEF\xBB\xBF", WesternCodePage()), "");
}

// Runs natively against the Western code page and, under Windows, against the system's.
TEST(TextFileEncoding, EveryByteTheCodePageMapsComesBackAsItWas) {
    const AnsiCodePage& system = SystemCodePage();
    int mapped = 0;
    std::string all;
    for (int value = 0; value < 256; ++value) {
        const std::string byte(1, static_cast<char>(value));
        const std::string text = DecodeTextFile(byte, system);
        if (text.empty() || text == "\uFFFD" || (text == "?" && value != '?')) {
            continue;  // a lead byte, or one the code page has no character for
        }
        EXPECT_EQ(EncodeTextFile(text, system), byte) << "byte " << value;
        all += byte;
        ++mapped;
    }
    EXPECT_EQ(EncodeTextFile(DecodeTextFile(all, system), system), all);
    // The Western code page, natively and on this project's Windows, maps every byte.
    EXPECT_EQ(mapped, 256);
}

TEST(UnicodeText, CaseBlindInEveryScriptAsThePlatformUpperCases) {
    EXPECT_TRUE(TextEqualNoCase("\u0391\u039b\u03a6\u0391", "\u03b1\u03bb\u03c6\u03b1"));
    EXPECT_TRUE(TextEqualNoCase("Caf\u00c9 \u0160", "cAF\u00e9 \u0161"));
    EXPECT_TRUE(TextEqualNoCase("\u041c\u0438\u0440", "\u043c\u0418\u0420"));
    // Upper and lower case of different lengths in UTF-8.
    EXPECT_TRUE(TextEqualNoCase("\u0250x", "\u2c6fX"));
    EXPECT_EQ(TextNoCaseHash("\u0250x"), TextNoCaseHash("\u2c6fX"));
    EXPECT_EQ(TextNoCaseHash("\u0391\u039b\u03a6\u0391"),
              TextNoCaseHash("\u03b1\u03bb\u03c6\u03b1"));
    // Long runs of ASCII around other letters, at every alignment.
    const std::string mixed = "Je suis tr\u00e8s calme, \u03b1\u03bb\u03c6\u03b1 and zebra-quiet ";
    const std::string upper = "JE SUIS TR\u00c8S CALME, \u0391\u039b\u03a6\u0391 AND ZEBRA-QUIET ";
    for (std::size_t cut = 0; cut < 10; ++cut) {
        EXPECT_TRUE(TextEqualNoCase(mixed.substr(cut), upper.substr(cut))) << cut;
        EXPECT_EQ(TextNoCaseHash(mixed.substr(cut)), TextNoCaseHash(upper.substr(cut))) << cut;
        EXPECT_FALSE(TextEqualNoCase(mixed.substr(cut), upper.substr(cut, upper.size() - cut - 1)));
    }
    EXPECT_FALSE(TextEqualNoCase("zebra-quiet [", "ZEBRA-QUIET {"));  // [ and { are no pair
    EXPECT_FALSE(TextEqualNoCase("\u00d7", "\u00f7"));
    EXPECT_FALSE(TextEqualNoCase("\u03c3", "\u03c2"));  // final sigma is a letter of its own
    EXPECT_FALSE(TextEqualNoCase("Calm", "Calm "));
    EXPECT_FALSE(TextEqualNoCase("\xE9", "\xC9"));  // stray bytes compare exactly
    EXPECT_NE(TextNoCaseHash(""), TextNoCaseHash(" "));
}

}  // namespace
}  // namespace murmurex
