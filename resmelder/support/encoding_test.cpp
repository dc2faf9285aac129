// Code-page conversions and the three forms of XString.

#include <gtest/gtest.h>

#include "support/encoding.h"
#include "support/xstring.h"

namespace resmelder {
namespace {

class Cp1252 : public ::testing::Test {
  protected:
    void SetUp() override { EncodingConvert::SetAnsiCodePage(1252); }
    void TearDown() override { EncodingConvert::SetAnsiCodePage(0); }
};

TEST_F(Cp1252, XStringConvertsBetweenItsForms) {
    const XString fromUtf8 = XString::FromUtf8("Gr\xC3\xBC\xC3\x9F\x65 \xE2\x82\xAC");  // "Grüße €"
    EXPECT_EQ(fromUtf8.Ansi(),
              "Gr\xFC\xDF"
              "e \x80");
    EXPECT_TRUE(fromUtf8.IsRepresentableInAnsi());
    EXPECT_EQ(fromUtf8.Utf16(), u"Grüße €");
    EXPECT_EQ(fromUtf8.Length(), 7u);
    EXPECT_EQ(fromUtf8.Utf16().c_str()[7], u'\0');

    const XString fromAnsi = XString::FromAnsi("\x80\x81\xFF");
    EXPECT_EQ(fromAnsi.Utf16(), std::u16string(u"\u20AC\u0081\u00FF"));
    EXPECT_EQ(fromAnsi.Utf8(), "\xE2\x82\xAC\xC2\x81\xC3\xBF");

    // Characters outside the code page become '?' and mark the string unrepresentable.
    const XString wide = XString::FromUtf16(u"a\u65E5b");
    EXPECT_FALSE(wide.IsRepresentableInAnsi());
    EXPECT_EQ(wide.Ansi(), "a?b");
    EXPECT_EQ(XString::FromUtf16(u"a\U0001F600b").Utf8(),
              "a\xF0\x9F\x98\x80"
              "b");
    EXPECT_EQ(XString::FromUtf8("\xF0\x9F\x98\x80").Utf16(), u"\U0001F600");

    XString s = XString::FromUtf8("x");
    s.SetUtf16(u"");
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Ansi(), "");
    s.SetAnsi("abc");
    EXPECT_EQ(s.Utf16(), u"abc");
    s.SetUtf8("d");  // setting one form drops the others
    EXPECT_EQ(s.Ansi(), "d");
}

TEST_F(Cp1252, ConvertReportsLossAndCopiesEqualCodePages) {
    std::string out;
    EXPECT_TRUE(EncodingConvert::Convert(65001, 1252, "caf\xC3\xA9", out));
    EXPECT_EQ(out, "caf\xE9");
    EXPECT_TRUE(EncodingConvert::Convert(1252, 1200, "A\x80", out));
    EXPECT_EQ(out, std::string("A\0\xAC\x20", 4));
    EXPECT_FALSE(EncodingConvert::Convert(65001, 1252, "\xE6\x97\xA5", out));
    EXPECT_EQ(out, "?");
    EXPECT_FALSE(EncodingConvert::Convert(65001, 1200, "\xFF", out));  // invalid UTF-8
    EXPECT_EQ(out, std::string("\xFD\xFF", 2));
    EXPECT_TRUE(EncodingConvert::Convert(1252, 1252, "\x81\x00z", out));
    EXPECT_EQ(out, "\x81");
}

TEST(EncodingTest, OtherAnsiCodePagesUseThePlatformConverter) {
    EncodingConvert::SetAnsiCodePage(1251);
    std::u16string wide;
    EXPECT_TRUE(EncodingConvert::AnsiToUtf16("\xCF\xF0\xE8", wide));
    EXPECT_EQ(wide, u"При");
    std::string back;
    EXPECT_TRUE(EncodingConvert::Utf16ToAnsi(u"При", back));
    EXPECT_EQ(back, "\xCF\xF0\xE8");
    EXPECT_FALSE(EncodingConvert::Utf16ToAnsi(u"\u00E9", back));
    EncodingConvert::SetAnsiCodePage(0);
    EXPECT_EQ(EncodingConvert::AnsiCodePage(), encoding_backend::PlatformAnsiCodePage());
}

}  // namespace
}  // namespace resmelder
