// The JSON writer: escapes as RFC 8259 asks, text that is not valid kept as escapes, and the
// layout of members.

#include <gtest/gtest.h>

#include <sstream>

#include "tool/json_writer.h"

namespace resmelder {
namespace {

TEST(JsonWriterTest, StringsAreEscapedAndInvalidTextIsNeverLost) {
    EXPECT_EQ(JsonQuote(u"say \"hi\"\\now"), R"("say \"hi\"\\now")");
    EXPECT_EQ(JsonQuote(u"\b\f\n\r\t\x01\x1F\x7F"), R"("\b\f\n\r\t\u0001\u001F)"
                                                    "\x7F\"");
    EXPECT_EQ(JsonQuote(u"Caf\u00E9 \u4E16 \U0001F600"),
              "\"Caf\xC3\xA9 \xE4\xB8\x96 \xF0\x9F\x98\x80\"");
    // Unpaired surrogates, alone, at the end, and in the wrong order.
    EXPECT_EQ(JsonQuote(std::u16string(u"a") + char16_t(0xD800) + u"b"), R"("a\uD800b")");
    EXPECT_EQ(JsonQuote(std::u16string(1, char16_t(0xDBFF))), R"("\uDBFF")");
    EXPECT_EQ(JsonQuote(std::u16string{char16_t(0xDC00), char16_t(0xD800)}), R"("\uDC00\uD800")");
    EXPECT_EQ(JsonQuoteUtf8("caf\xC3\xA9\t"), "\"caf\xC3\xA9\\t\"");
    // Bytes that are not UTF-8: a stray continuation, a cut sequence, an overlong form, an
    // encoded surrogate.
    EXPECT_EQ(JsonQuoteUtf8(".rs\x80\xC3"), R"(".rs\u0080\u00C3")");
    EXPECT_EQ(JsonQuoteUtf8("\xC0\xAF|\xED\xA0\x80"), R"("\u00C0\u00AF|\u00ED\u00A0\u0080")");
    EXPECT_EQ(JsonQuoteUtf8(std::string("a\0b", 3)), R"("a\u0000b")");
}

TEST(JsonWriterTest, ContainersLayOutTheirMembers) {
    std::ostringstream out;
    JsonWriter json(out);
    json.BeginObject();
    json.Key("empty");
    json.BeginArray();
    json.EndArray();
    json.Key("rows");
    json.BeginArray();
    for (int i = 0; i < 2; ++i) {
        json.BeginObject(JsonWriter::Layout::kInline);
        json.Key("id");
        json.Number(i);
        json.Key(u"n\u00E4me");
        json.BeginArray(JsonWriter::Layout::kLines);  // inline inside an inline row
        json.Null();
        json.StringUtf8("x");
        json.EndArray();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    json.Finish();
    EXPECT_EQ(out.str(),
              "{\n"
              "  \"empty\": [],\n"
              "  \"rows\": [\n"
              "    {\"id\": 0, \"n\xC3\xA4me\": [null, \"x\"]},\n"
              "    {\"id\": 1, \"n\xC3\xA4me\": [null, \"x\"]}\n"
              "  ]\n"
              "}\n");
}

}  // namespace
}  // namespace resmelder
