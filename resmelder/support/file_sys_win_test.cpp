// The Win32 file layer's retry on a sharing violation, against a file held open unshared.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/file_sys.h"
#include "support/log.h"
#include "win/unique_handle.h"

namespace resmelder {
namespace {

std::string TempPath(const char* leaf) {
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + leaf;
}

TEST(FileSysWinTest, SharingViolationIsRetriedFourTimesThenLogged) {
    const std::string path = TempPath("resmelder_locked.bin");
    win::UniqueFile holder(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);

    Logger log;
    const auto start = std::chrono::steady_clock::now();
    File file = FileSys::OpenForRead(XString::FromUtf8(path), &log);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(file.IsOpen());
    // Three waits of 50 ms between four attempts.
    EXPECT_GE(elapsed, std::chrono::milliseconds(145));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2000));

    StringBuffer text;
    log.GetLogText(text);
    const std::string expected =
        "VantrixLog:\r\n  Failed to open file (2)\r\n  filename: " + path + "\r\n  osErrorInfo: ";
    EXPECT_EQ(std::string(text.View()).substr(0, expected.size()), expected) << text.View();
    EXPECT_GT(text.Length(), expected.size() + 2);  // the system's message follows

    // Writing is refused the same way; the wide route names the file by its UTF-8 form when
    // it has no ANSI form.
    Logger wlog;
    EXPECT_FALSE(FileSys::WriteWholeFile(XString::FromUtf8(path), {}, &wlog));
    text.Clear();
    wlog.GetLogText(text);
    EXPECT_NE(std::string(text.View()).find("Failed to write complete file (7)"),
              std::string::npos);
    holder.reset();
    ::DeleteFileA(path.c_str());
}

TEST(FileSysWinTest, NamesWithoutAnAnsiFormTakeTheWideRoute) {
    const XString name = XString::FromUtf16(std::u16string(u"resmelder_\u65E5\u672C.bin"));
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    XString full = XString::FromUtf8(std::string(dir) + name.Utf8());
    ASSERT_FALSE(full.IsRepresentableInAnsi());
    const std::uint8_t bytes[] = {1, 2, 3};
    Logger log;
    ASSERT_TRUE(FileSys::WriteWholeFile(full, bytes, &log));
    EXPECT_EQ(FileSys::FileSize(full, &log).size, 3u);
    EXPECT_TRUE(FileSys::Remove(full));
    EXPECT_FALSE(FileSys::FileCanOpen(full, &log));
    StringBuffer text;
    log.GetLogText(text);
    EXPECT_NE(
        std::string(text.View()).find("Failed to open file (3)\r\n  utf8Filename: " + full.Utf8()),
        std::string::npos)
        << text.View();
}

}  // namespace
}  // namespace resmelder
