// The pages are rich text a reader accepts: one balanced group that starts as RTF 1, plain
// 8-bit text, and the words a user looks for.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string Read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// True when every brace closes one opened before it (escaped braces do not count) and the
// whole text is one group.
bool IsOneBalancedGroup(const std::string& text) {
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;  // \{ \} \\ are literal characters
            continue;
        }
        if (text[i] == '{') {
            ++depth;
        } else if (text[i] == '}') {
            if (--depth < 0) {
                return false;
            }
            if (depth == 0 && text.find_first_not_of("\r\n", i + 1) != std::string::npos) {
                return false;
            }
        }
    }
    return depth == 0;
}

void ExpectRichText(const std::string& text) {
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.rfind("{\\rtf1", 0), 0u);
    EXPECT_TRUE(IsOneBalancedGroup(text));
    for (const char c : text) {
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "non-ASCII characters need \\'xx";
    }
}

TEST(Pages, HelpExplainsTheControlsTheMenuAndTheFiles) {
    const std::string help = Read(HELP_RTF);
    ExpectRichText(help);
    for (const char* word :
         {"Select Your Categories", "Add/Edit Subliminal Phrases", "Duration", "Frequency",
          "Edit Font", "colour picker", "Font Preview", "Start", "Settings", "Stop",
          "Exit Application", "Lists", "_._", "__.__", "firstrun", "Subliminal Message are ON."}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

TEST(Pages, AboutNamesTheProductItsVersionAndTheLicence) {
    const std::string about = Read(ABOUT_RTF);
    ExpectRichText(about);
    EXPECT_NE(about.find("Murmurex"), std::string::npos);
    EXPECT_NE(about.find(std::string("Version ") + PROJECT_VERSION_TEXT), std::string::npos);
    EXPECT_NE(about.find("Copyright (c) Murmurex developers"), std::string::npos);
    EXPECT_NE(about.find("Permission is hereby granted, free of charge"), std::string::npos);
}

}  // namespace
