// The file layer on the POSIX objects that are not regular files (FIFOs, devices, links) and
// its lock for edits in place.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "support/file_sys.h"
#include "support/file_sys_test_folder.h"
#include "support/log.h"
#include "testing/stopwatch.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

class FileSysPosixTest : public FileSysFolderTest {
  protected:
    FileSysPosixTest() : FileSysFolderTest("resmelder_fsposix_") {}

    void SetUp() override {
        FileSysFolderTest::SetUp();
        std::ofstream(dir_ / "plain.bin") << "plain";
        ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    }
};

// A FIFO with no writer would block an ordinary open for ever, and a device never ends: the
// reader refuses both at once (the test would hang otherwise).
TEST_F(FileSysPosixTest, ReadingRefusesFifosAndDevices) {
    Logger log;
    EXPECT_FALSE(FileSys::OpenForRead(Name("fifo"), &log).IsOpen());
    EXPECT_NE(Text(log).find("Failed to open file (2)\r\n  filename: " + Name("fifo").Utf8()),
              std::string::npos)
        << Text(log);
    EXPECT_FALSE(FileSys::FileCanOpen(XString::FromUtf8("/dev/zero"), nullptr));
    EXPECT_FALSE(FileSys::FileSize(Name("fifo"), nullptr).found);
    EXPECT_FALSE(FileSys::OpenForRead(XString::FromUtf8(dir_.string()), nullptr).IsOpen());
    EXPECT_TRUE(FileSys::FileCanOpen(Name("plain.bin"), nullptr));
}

TEST_F(FileSysPosixTest, KindsAndTheChecksThatUseThem) {
    fs::create_symlink(dir_ / "fifo", dir_ / "link-to-fifo");
    fs::create_symlink(dir_ / "plain.bin", dir_ / "link-to-plain");
    EXPECT_EQ(FileSys::KindOf(Name("plain.bin"), false), FileKind::kRegular);
    EXPECT_EQ(FileSys::KindOf(Name("none"), true), FileKind::kMissing);
    EXPECT_EQ(FileSys::KindOf(Name("fifo"), true), FileKind::kOther);
    EXPECT_EQ(FileSys::KindOf(Name("link-to-fifo"), false), FileKind::kSymbolicLink);
    EXPECT_EQ(FileSys::KindOf(Name("link-to-fifo"), true), FileKind::kOther);

    // Read through: what the link leads to counts.
    EXPECT_TRUE(FileSys::CheckRegularOrMissing(Name("link-to-plain"), nullptr));
    EXPECT_TRUE(FileSys::CheckRegularOrMissing(Name("none"), nullptr));
    Logger log;
    EXPECT_FALSE(FileSys::CheckRegularOrMissing(Name("link-to-fifo"), &log));
    EXPECT_EQ(Text(log), "VantrixLog:\r\n  Not a regular file\r\n  filename: " +
                             Name("link-to-fifo").Utf8() + "\r\n");
    EXPECT_FALSE(FileSys::CheckRegularOrMissing(XString::FromUtf8("/dev/null"), nullptr));

    // Replaced: a link is replaced itself, so only the name's own kind counts.
    EXPECT_TRUE(FileSys::CheckReplaceable(Name("link-to-fifo"), nullptr));
    EXPECT_FALSE(FileSys::CheckReplaceable(Name("fifo"), nullptr));
    EXPECT_FALSE(FileSys::CheckReplaceable(XString::FromUtf8("/dev/null"), nullptr));
    EXPECT_FALSE(FileSys::CheckReplaceable(XString::FromUtf8(dir_.string()), nullptr));
}

TEST_F(FileSysPosixTest, IdentityFollowsLinksAndSeparatesFiles) {
    std::ofstream(dir_ / "other.bin") << "plain";
    fs::create_hard_link(dir_ / "plain.bin", dir_ / "hard");
    fs::create_symlink("plain.bin", dir_ / "soft");
    const auto plain = FileSys::IdentityOf(Name("plain.bin"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(FileSys::IdentityOf(Name("hard")), plain);
    EXPECT_EQ(FileSys::IdentityOf(Name("soft")), plain);
    EXPECT_NE(FileSys::IdentityOf(Name("other.bin")), plain);
    EXPECT_FALSE(FileSys::IdentityOf(Name("none")));
    EXPECT_EQ(FileSys::OpenForRead(Name("hard"), nullptr).Identity(), plain);
}

// The lock belongs to the open file, so a second open in this process contends as another
// process would; the second waits its bounded time and fails with a clear line.
TEST_F(FileSysPosixTest, EditLockWaitsBoundedAndFollowsAReplacedFile) {
    File first;
    ASSERT_TRUE(FileSys::LockForEdit(Name("plain.bin"), 0, first, nullptr));
    ASSERT_TRUE(first.IsOpen());
    Logger log;
    File second;
    const test_support::Stopwatch watch;
    EXPECT_FALSE(FileSys::LockForEdit(Name("plain.bin"), 200, second, &log));
    const auto waited = watch.Elapsed();
    EXPECT_GE(waited, std::chrono::milliseconds(200));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(Text(log),
              "VantrixLog:\r\n  File is being edited by another process\r\n  filename: " +
                  Name("plain.bin").Utf8() + "\r\n");

    // The holder replaces the file and lets go: the lock taken then is on the new file.
    std::ofstream(dir_ / "new.bin") << "new";
    fs::rename(dir_ / "new.bin", dir_ / "plain.bin");
    const auto replaced = FileSys::IdentityOf(Name("plain.bin"));
    EXPECT_NE(first.Identity(), replaced);
    EXPECT_TRUE(FileSys::LockForEdit(Name("plain.bin"), 0, second, nullptr));
    EXPECT_EQ(second.Identity(), replaced);
    first.Close();
}

TEST_F(FileSysPosixTest, ReadAtReadsWithoutMovingAndStopsAtTheEnd) {
    File file = FileSys::OpenForRead(Name("plain.bin"), nullptr);
    std::uint8_t buffer[8] = {};
    EXPECT_EQ(file.ReadAt(2, {buffer, 3}), 3u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "ain");
    EXPECT_EQ(file.ReadAt(3, buffer), 2u);  // "in", then the end
    EXPECT_EQ(file.ReadAt(9, buffer), 0u);
    EXPECT_EQ(file.Read({buffer, 5}), 5u);  // the position is still at the start
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "plain");
}

}  // namespace
}  // namespace resmelder
