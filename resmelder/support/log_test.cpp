// The log tree, its tag rules and its three renderings.

#include <gtest/gtest.h>

#include "support/log.h"

namespace resmelder {
namespace {

std::string Text(Logger& log) {
    StringBuffer out;
    log.GetLogText(out);
    return std::string(out.View());
}

TEST(LoggerTest, TextRenderingIndentsContexts) {
    Logger log;
    log.EnterContext("WriteExe", false);
    log.LogError("Failed to open file (2)");
    log.LogData("filename", "C:\\out.exe");
    log.LogInfo("info");
    log.LogLine("line");
    log.EnterContext("Inner", true);
    log.LogDataLong("count", -5);
    log.LeaveContext();
    log.LeaveContext();
    log.LogError("after");
    EXPECT_EQ(Text(log),
              "VantrixLog:\r\n"
              "  WriteExe:\r\n"
              "    Failed to open file (2)\r\n"
              "    filename: C:\\out.exe\r\n"
              "    info\r\n"
              "    line\r\n"
              "    Inner:\r\n"
              "      count: -5\r\n"
              "  after\r\n");
}

TEST(LoggerTest, TagRulesAndNullTexts) {
    Logger log;
    EXPECT_TRUE(log.LogData(" my tag ", "v"));
    EXPECT_FALSE(log.LogData("", "v"));
    EXPECT_FALSE(log.LogData("  ", "v"));
    EXPECT_FALSE(log.LogData("tag", nullptr));
    EXPECT_TRUE(log.LogData("empty", ""));
    EXPECT_TRUE(log.LogError(nullptr));  // nothing added, still true
    EXPECT_TRUE(log.LogTickCount("tick"));
    const auto& root = log.Tree().Root();
    ASSERT_EQ(root.Children().Count(), 3u);
    EXPECT_EQ(root.Children().Get(0)->Tag().View(), "my_tag");
    EXPECT_EQ(root.Children().Get(1)->Text().View(), "");
    const auto tick = root.Children().Get(2)->Text().View();
    EXPECT_EQ(tick.find_first_not_of("0123456789abcdef"), std::string_view::npos);

    // Leaving with no open context keeps the root current.
    log.LeaveContext();
    log.LeaveContext();
    log.LogInfo("still at root");
    EXPECT_EQ(root.Children().Count(), 4u);

    log.ClearLog();
    EXPECT_EQ(Text(log), "VantrixLog:\r\n");
}

TEST(LoggerTest, XmlWrapsSpecialValuesInCdata) {
    Logger log;
    log.LogData("tag", "a<b");
    log.LogData("plain", "x\"y");
    log.LogError("tab\there");
    log.LogInfo("<![CDATA[already]]>");
    log.LogLine("end ]]> inside & out");
    log.EnterContext("Ctx", false);
    log.LogData("multi", "l1\nl2");
    StringBuffer xml;
    log.GetLogXml(xml);
    EXPECT_EQ(xml.View(),
              "<VantrixLog>\r\n"
              "<tag><![CDATA[a<b]]></tag>\r\n"
              "<plain>x\"y</plain>\r\n"
              "<error><![CDATA[tab\there]]></error>\r\n"
              "<info><![CDATA[already]]></info>\r\n"
              "<![CDATA[end ]]]]><![CDATA[> inside & out]]>\r\n"
              "<Ctx>\r\n"
              "<multi><![CDATA[l1\nl2]]></multi>\r\n"
              "</Ctx>\r\n"
              "</VantrixLog>\r\n");
}

TEST(LoggerTest, HtmlEscapesValuesAndTexts) {
    Logger log;
    log.LogData("tag", "a<b");
    log.EnterContext("Ctx", false);
    log.LogError("\"q\" & <r>");
    StringBuffer html;
    log.GetLogHtml(html);
    EXPECT_EQ(html.View(),
              "VantrixLog:<blockquote>\r\n"
              "tag: a&lt;b<br>\r\n"
              "Ctx:<blockquote>\r\n"
              "&quot;q&quot; &amp; &lt;r&gt;<br>\r\n"
              "</blockquote>\r\n"
              "</blockquote>\r\n");
}

}  // namespace
}  // namespace resmelder
