#include "settings_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace murmurex {
namespace {

TEST(SettingInteger, DecimalsWithBlanksSignsAndRoundedFractions) {
    EXPECT_EQ(ParseSettingInteger("12"), 12);
    EXPECT_EQ(ParseSettingInteger("  40 "), 40);
    EXPECT_EQ(ParseSettingInteger("-7"), -7);
    EXPECT_EQ(ParseSettingInteger("+5"), 5);
    EXPECT_EQ(ParseSettingInteger("2.5"), 2);
    EXPECT_EQ(ParseSettingInteger("3.5"), 4);
    EXPECT_EQ(ParseSettingInteger(".6"), 1);
    EXPECT_EQ(ParseSettingInteger("2147483647"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(ParseSettingInteger("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(SettingInteger, AnythingElseIsNoValue) {
    for (const char* line : {"", " ", "abc", "12px", "1 2", "--1", "-", ".", "0x10", "1e3",
                             "2147483648", "-2147483649", "99999999999999999999999"}) {
        EXPECT_EQ(ParseSettingInteger(line), std::nullopt) << '"' << line << '"';
    }
}

TEST(SettingBoolean, WordsInAnyCaseAndNumbers) {
    EXPECT_EQ(ParseSettingBoolean("True"), true);
    EXPECT_EQ(ParseSettingBoolean("FALSE"), false);
    EXPECT_EQ(ParseSettingBoolean("tRuE"), true);
    EXPECT_EQ(ParseSettingBoolean("0"), false);
    EXPECT_EQ(ParseSettingBoolean("-1"), true);
    EXPECT_EQ(ParseSettingBoolean("0.0"), false);
    EXPECT_EQ(ParseSettingBoolean("0.25"), true);
    EXPECT_EQ(ParseSettingBoolean(""), std::nullopt);
    EXPECT_EQ(ParseSettingBoolean("yes"), std::nullopt);
    EXPECT_EQ(ParseSettingBoolean("Truee"), std::nullopt);
}

TEST(SettingsText, TheVerdanaFileParsesIntoEveryElement) {
    const SettingValues values = ParseSettings("Verdana\r\n14\r\nTrue\r\nFalse\r\n255\r\n40\r\n5");
    EXPECT_EQ(values.fontName, "Verdana");
    EXPECT_EQ(values.fontSize, 14);
    EXPECT_EQ(values.bold, true);
    EXPECT_EQ(values.italic, false);
    EXPECT_EQ(values.colour, 255);
    EXPECT_EQ(values.duration, 40);
    EXPECT_EQ(values.frequency, 5);
}

TEST(SettingsText, MissingAndDamagedLinesLeaveOnlyTheirOwnElementEmpty) {
    const SettingValues three = ParseSettings("Times New Roman\r\n9\r\nfalse");
    EXPECT_EQ(three.fontName, "Times New Roman");
    EXPECT_EQ(three.fontSize, 9);
    EXPECT_EQ(three.bold, false);
    EXPECT_FALSE(three.italic);
    EXPECT_FALSE(three.colour);
    EXPECT_FALSE(three.duration);
    EXPECT_FALSE(three.frequency);

    const SettingValues damaged = ParseSettings("Arial\r\nbig\r\nmaybe\r\nTrue\r\n\r\n40\r\n5");
    EXPECT_EQ(damaged.fontName, "Arial");
    EXPECT_FALSE(damaged.fontSize);
    EXPECT_FALSE(damaged.bold);
    EXPECT_EQ(damaged.italic, true);
    EXPECT_FALSE(damaged.colour);
    EXPECT_EQ(damaged.duration, 40);
    EXPECT_EQ(damaged.frequency, 5);

    EXPECT_EQ(ParseSettings(""), SettingValues{});
}

TEST(SettingsText, WrittenAsSevenLinesWithEmptyLinesForEmptyElements) {
    EXPECT_EQ(FormatSettings(SettingValues{}), "\r\n\r\n\r\n\r\n\r\n\r\n");
    SettingValues values;
    values.fontName = "Verdana";
    values.fontSize = 14;
    values.bold = true;
    values.italic = false;
    values.colour = 255;
    values.duration = 40;
    values.frequency = 5;
    EXPECT_EQ(FormatSettings(values), "Verdana\r\n14\r\nTrue\r\nFalse\r\n255\r\n40\r\n5");
    SettingValues negative;
    negative.colour = -2147483647 - 1;
    negative.frequency = 30;
    EXPECT_EQ(FormatSettings(negative), "\r\n\r\n\r\n\r\n-2147483648\r\n\r\n30");
}

TEST(SettingsText, AWrittenFileReadsBackTheSame) {
    SettingValues values;
    values.fontName = "Comic Sans MS";
    values.fontSize = 1000;
    values.italic = true;
    values.colour = 16777214;
    values.frequency = 1;
    EXPECT_EQ(ParseSettings(FormatSettings(values)), values);
}

}  // namespace
}  // namespace murmurex
