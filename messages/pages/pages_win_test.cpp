// RichEdit, as the settings window uses it, loads both pages as rich text.
#include <windows.h>

#include <gtest/gtest.h>
#include <richedit.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "win/unique_handle.h"

namespace {

struct Source {
    std::string bytes;
    std::size_t at = 0;
};

DWORD CALLBACK ReadChunk(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<Source*>(cookie);
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(wanted), source->bytes.size() - source->at);
    std::copy_n(source->bytes.data() + source->at, n, buffer);
    source->at += n;
    *given = static_cast<LONG>(n);
    return 0;
}

// The plain text RichEdit made of the file, or nothing when it refused it as rich text.
std::string LoadAsRichText(const wchar_t* path) {
    const HMODULE library = ::LoadLibraryW(L"msftedit.dll");
    EXPECT_NE(library, nullptr);
    win::UniqueWindow edit(::CreateWindowExW(0, MSFTEDIT_CLASS, L"",
                                             WS_POPUP | ES_MULTILINE | ES_READONLY, 0, 0, 400, 300,
                                             nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(edit);
    if (!edit) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    Source source{{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}, 0};
    EXPECT_FALSE(source.bytes.empty());
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadChunk};
    ::SendMessageW(edit.get(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    EXPECT_EQ(stream.dwError, 0u);
    const int length = ::GetWindowTextLengthA(edit.get());
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    ::GetWindowTextA(edit.get(), text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

TEST(PagesWin, RichEditShowsTheHelpPageAsFormattedText) {
    const std::string text = LoadAsRichText(HELP_RTF);
    EXPECT_EQ(text.rfind("Murmurex Help", 0), 0u) << text.substr(0, 80);
    EXPECT_EQ(text.find("\\rtf1"), std::string::npos) << "loaded as plain text";
    EXPECT_NE(text.find("Exit Application"), std::string::npos);
}

TEST(PagesWin, RichEditShowsTheAboutPageWithTheVersion) {
    const std::string text = LoadAsRichText(ABOUT_RTF);
    EXPECT_EQ(text.rfind("Murmurex", 0), 0u) << text.substr(0, 80);
    EXPECT_NE(text.find(std::string("Version ") + PROJECT_VERSION_TEXT), std::string::npos);
    EXPECT_NE(text.find("Murmurex developers"), std::string::npos);
    EXPECT_EQ(text.find("\\par"), std::string::npos);
}

}  // namespace
