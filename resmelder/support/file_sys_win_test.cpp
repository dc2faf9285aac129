// The Win32 file layer's retry on a sharing violation, against a file held open unshared.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/file_sys.h"
#include "support/log.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"
#include "win/unique_handle.h"

namespace resmelder {
namespace {

// The files of each test lie in a folder of its own.
class FileSysWinTest : public ::testing::Test {
  protected:
    std::string TempPath(const char* leaf) const { return (folder_ / leaf).string(); }

    test_support::TestFolder folder_{"resmelder_file_sys_win"};
};

TEST_F(FileSysWinTest, SharingViolationIsRetriedFourTimesThenLogged) {
    const std::string path = TempPath("resmelder_locked.bin");
    win::UniqueFile holder(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);

    Logger log;
    const test_support::Stopwatch watch;
    File file = FileSys::OpenForRead(XString::FromUtf8(path), &log);
    const auto elapsed = watch.Elapsed();
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
}

TEST_F(FileSysWinTest, NamesWithoutAnAnsiFormTakeTheWideRoute) {
    const XString name = XString::FromUtf16(std::u16string(u"resmelder_\u65E5\u672C.bin"));
    XString full = XString::FromUtf8(TempPath("") + name.Utf8());
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

// The identity of a file is its volume and file index: two names of one file (a hard link,
// another spelling of the name) share it; another file does not.
TEST_F(FileSysWinTest, IdentityComesFromTheHandleNotTheName) {
    const std::string path = TempPath("resmelder_identity.bin");
    const std::string link = TempPath("resmelder_identity_link.bin");
    const std::string other = TempPath("resmelder_identity_other.bin");
    const std::uint8_t bytes[] = {1};
    ASSERT_TRUE(FileSys::WriteWholeFile(XString::FromUtf8(path), bytes, nullptr));
    ASSERT_TRUE(FileSys::WriteWholeFile(XString::FromUtf8(other), bytes, nullptr));
    ASSERT_TRUE(::CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
    const auto identity = FileSys::IdentityOf(XString::FromUtf8(path));
    ASSERT_TRUE(identity);
    EXPECT_EQ(FileSys::IdentityOf(XString::FromUtf8(link)), identity);
    std::string upper = path;
    for (char& c : upper) {
        c = static_cast<char>(::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(FileSys::IdentityOf(XString::FromUtf8(upper)), identity);
    EXPECT_NE(FileSys::IdentityOf(XString::FromUtf8(other)), identity);
    EXPECT_EQ(FileSys::OpenForRead(XString::FromUtf8(link), nullptr).Identity(), identity);
    EXPECT_FALSE(FileSys::IdentityOf(XString::FromUtf8(TempPath("resmelder_no_such.bin"))));
}

// An edit in place holds its source open for reading, shared for reading only. A second
// edit of the same file can then not replace it: the share mode refuses the writer, so
// there is no lock of our own here, and no edit is lost.
TEST_F(FileSysWinTest, ShareModeRefusesASecondWriterOfAnOpenSource) {
    const std::string path = TempPath("resmelder_source.bin");
    const std::uint8_t bytes[] = {1, 2, 3};
    ASSERT_TRUE(FileSys::WriteWholeFile(XString::FromUtf8(path), bytes, nullptr));
    const XString name = XString::FromUtf8(path);
    File lock;
    ASSERT_TRUE(FileSys::LockForEdit(name, 0, lock, nullptr));
    EXPECT_FALSE(lock.IsOpen());
    {
        File source = FileSys::OpenForRead(name, nullptr);
        ASSERT_TRUE(source.IsOpen());
        Logger log;
        EXPECT_FALSE(FileSys::CanReplace(name, &log));
        StringBuffer text;
        log.GetLogText(text);
        EXPECT_NE(std::string(text.View()).find("Failed to open file (2)\r\n  filename: " + path),
                  std::string::npos)
            << text.View();
    }
    EXPECT_TRUE(FileSys::CanReplace(name, nullptr));
}

// The replace waits for the disk (MOVEFILE_WRITE_THROUGH) and still replaces an existing
// file in one step; the new file is flushed first.
TEST_F(FileSysWinTest, ReplaceWritesThroughOverAnExistingFile) {
    const XString from = XString::FromUtf8(TempPath("resmelder_replace_new.bin"));
    const XString to = XString::FromUtf8(TempPath("resmelder_replace_old.bin"));
    const std::uint8_t oldBytes[] = {'o', 'l', 'd'};
    ASSERT_TRUE(FileSys::WriteWholeFile(to, oldBytes, nullptr));
    {
        File file = FileSys::CreateNew(from);
        ASSERT_TRUE(file.IsOpen());
        const std::uint8_t newBytes[] = {'n', 'e', 'w', '!'};
        ASSERT_EQ(file.Write(newBytes), 4u);
        EXPECT_TRUE(file.Sync());
    }
    Logger log;
    ASSERT_TRUE(FileSys::Replace(from, to, &log));
    EXPECT_EQ(FileSys::FileSize(to, nullptr).size, 4u);
    EXPECT_FALSE(FileSys::FileCanOpen(from, nullptr));
    EXPECT_EQ(FileSys::KindOf(to, true), FileKind::kRegular);
}

// A folder is not a file to read or to replace.
TEST_F(FileSysWinTest, FolderIsNotARegularFile) {
    const XString folder = XString::FromUtf8(folder_.path().string());
    EXPECT_EQ(FileSys::KindOf(folder, true), FileKind::kOther);
    EXPECT_FALSE(FileSys::CheckRegularOrMissing(folder, nullptr));
    EXPECT_FALSE(FileSys::CheckReplaceable(folder, nullptr));
    EXPECT_TRUE(FileSys::CheckReplaceable(XString::FromUtf8(TempPath("resmelder_none")), nullptr));
}

}  // namespace
}  // namespace resmelder
