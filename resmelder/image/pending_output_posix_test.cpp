// How a new executable replaces its target on POSIX: nothing named beside it until it is
// complete, targets that are not files refused, permissions kept without a foreign set-user
// bit, and a source cut short by another process failing the write instead of the process.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

testpe::Options Program(std::size_t textSize) {
    testpe::Options o;
    o.sections = {{".text", Bytes(textSize, 0xC3), 0, 0x60000020},
                  {".data", Bytes(0x100, 0xDA), 0, 0xC0000040},
                  {".rsrc", {}, 0, 0x40000040, true},
                  {".reloc", Bytes(0x30, 0x11), 0, 0x42000040}};
    o.leaves = {{std::uint16_t{10}, std::u16string(u"BLOB"), 0x409, Bytes(0x3000, 0xB1)}};
    o.checksum = true;
    return o;
}

class PendingOutputPosixTest : public testpe::FolderTest {
  protected:
    PendingOutputPosixTest() : FolderTest("resmelder_pending_") {}

    std::unique_ptr<ExeImage> LoadProgram(std::size_t textSize = 0x400) {
        testpe::WriteFile(dir_ / "in.exe", testpe::Build(Program(textSize)));
        Logger log;
        auto image = ExeImage::Load(Path("in.exe"), &log);
        EXPECT_TRUE(image) << LogText(log);
        return image;
    }
};

#ifdef __linux__
// Until it is complete the new file has no name, so a process killed meanwhile leaves
// nothing beside the target.
TEST_F(PendingOutputPosixTest, OutputHasNoNameUntilCommitted) {
    auto image = LoadProgram();
    ASSERT_TRUE(image);
    testpe::WriteFile(dir_ / "out.exe", Bytes{'o', 'l', 'd'});
    Logger log;
    auto pending = image->WriteBeside(Path("out.exe"), &log);
    ASSERT_TRUE(pending) << LogText(log);
    EXPECT_TRUE(pending->TemporaryName().IsEmpty());
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "out.exe"}));
    EXPECT_EQ(testpe::ReadFile(dir_ / "out.exe"), (Bytes{'o', 'l', 'd'}));
    ASSERT_TRUE(pending->Commit(&log)) << LogText(log);
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "out.exe"}));
    EXPECT_TRUE(ExeImage::Load(Path("out.exe"), &log)) << LogText(log);

    // Discarded without a commit: nothing at all remains.
    {
        auto discarded = image->WriteBeside(Path("other.exe"), &log);
        ASSERT_TRUE(discarded);
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "out.exe"}));
}
#endif

// A FIFO as the target used to hang the commit; a device was replaced by a plain file when
// the process could. Both are refused before anything is written, and stay what they were.
TEST_F(PendingOutputPosixTest, FifoAndDeviceTargetsAreRefused) {
    auto image = LoadProgram();
    ASSERT_TRUE(image);
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    for (const std::string& target : {(dir_ / "fifo").string(), std::string("/dev/null")}) {
        SCOPED_TRACE(target);
        Logger log;
        EXPECT_FALSE(image->Write(XString::FromUtf8(target), &log));
        EXPECT_NE(LogText(log).find("Not a regular file\r\n  filename: " + target),
                  std::string::npos)
            << LogText(log);
    }
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Files(), (std::vector<std::string>{"fifo", "in.exe"}));
}

// A link named as the target is replaced itself; the file it led to is not written through.
TEST_F(PendingOutputPosixTest, LinkAsTargetIsReplacedNotWrittenThrough) {
    auto image = LoadProgram();
    ASSERT_TRUE(image);
    testpe::WriteFile(dir_ / "precious.txt", Bytes{'k', 'e', 'e', 'p'});
    fs::create_symlink(dir_ / "precious.txt", dir_ / "out.exe");
    Logger log;
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    EXPECT_FALSE(fs::is_symlink(dir_ / "out.exe"));
    EXPECT_TRUE(ExeImage::Load(Path("out.exe"), &log));
    EXPECT_EQ(testpe::ReadFile(dir_ / "precious.txt"), (Bytes{'k', 'e', 'e', 'p'}));
}

TEST_F(PendingOutputPosixTest, ReplacedTargetKeepsItsPermissions) {
    auto image = LoadProgram();
    ASSERT_TRUE(image);
    testpe::WriteFile(dir_ / "out.exe", Bytes{'o', 'l', 'd'});
    ASSERT_EQ(::chmod((dir_ / "out.exe").c_str(), 0751), 0);
    Logger log;
    ASSERT_TRUE(image->Write(Path("out.exe"), &log)) << LogText(log);
    struct stat st {};
    ASSERT_EQ(::stat((dir_ / "out.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
}

// Root rewriting another user's set-user program must not make a root-owned one: the new
// file is root's, so the set-user and set-group bits go, as cp drops them.
TEST_F(PendingOutputPosixTest, ForeignSetUserProgramLosesTheBitWhenRewrittenAsRoot) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the target to another user";
    }
    auto image = LoadProgram();
    ASSERT_TRUE(image);
    const fs::path target = dir_ / "in.exe";
    ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(target.c_str(), 06755), 0);
    Logger log;
    auto pending = image->WriteBeside(Path("in.exe"), &log);
    image.reset();
    ASSERT_TRUE(pending && pending->Commit(&log)) << LogText(log);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    EXPECT_EQ(st.st_mode & 07777, 0755u);

    // Root's own set-user program stays one.
    ASSERT_EQ(::chmod(target.c_str(), 04755), 0);
    image = ExeImage::Load(Path("in.exe"), &log);
    ASSERT_TRUE(image);
    pending = image->WriteBeside(Path("in.exe"), &log);
    image.reset();
    ASSERT_TRUE(pending && pending->Commit(&log)) << LogText(log);
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 04755u);
}

// Another process cuts the source short after it was loaded: the write reads the file and
// fails with a line, leaving the target and the folder as they were. Cut in a copied section,
// and in the resource section, whose bytes the tree holds since the load: the write fails in
// the first section copied after it.
TEST_F(PendingOutputPosixTest, SourceCutShortFailsTheWriteWithALine) {
    struct Case {
        const char* cutIn;
        std::uint32_t into;
        const char* failsIn;
    };
    for (const Case c : {Case{".text", 0x100, ".text"}, Case{".rsrc", 0x1000, ".reloc"}}) {
        SCOPED_TRACE(c.cutIn);
        auto image = LoadProgram(0x40000);
        ASSERT_TRUE(image);
        std::uint64_t cut = 0;
        for (std::uint32_t i = 0; i < image->Sections().Count(); ++i) {
            if (image->Sections().Get(i)->Name() == c.cutIn) {
                cut = image->Sections().Get(i)->PointerToRawData() + c.into;
            }
        }
        ASSERT_NE(cut, 0u);
        fs::resize_file(dir_ / "in.exe", cut);
        testpe::WriteFile(dir_ / "out.exe", Bytes{'o', 'l', 'd'});
        Logger log;
        EXPECT_FALSE(image->Write(Path("out.exe"), &log));
        EXPECT_NE(LogText(log).find("Source file changed while the new file was written\r\n"
                                    "  Failed to write section data\r\n  section_name: " +
                                    std::string(c.failsIn)),
                  std::string::npos)
            << LogText(log);
        EXPECT_EQ(testpe::ReadFile(dir_ / "out.exe"), (Bytes{'o', 'l', 'd'}));
        EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "out.exe"}));
    }
}

// The same while the write runs: a thread truncates the source at a varying moment. The
// write either finished first or fails with the line; the process lives either way.
TEST_F(PendingOutputPosixTest, SourceTruncatedDuringTheWriteNeverKillsTheProcess) {
    const Bytes program = testpe::Build(Program(16u << 20));
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        testpe::WriteFile(dir_ / "in.exe", program);
        Logger log;
        auto image = ExeImage::Load(Path("in.exe"), &log);
        ASSERT_TRUE(image) << LogText(log);
        std::thread truncator([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(round * 10));
            fs::resize_file(dir_ / "in.exe", 0x200);
        });
        const bool written = image->Write(Path("out.exe"), &log);
        truncator.join();
        if (!written) {
            EXPECT_NE(LogText(log).find("Source file changed while the new file was written"),
                      std::string::npos)
                << LogText(log);
        }
        const auto files = Files();
        EXPECT_EQ(files.size(), written ? 2u : 1u);
        fs::remove(dir_ / "out.exe");
    }
}

// A data file that became a FIFO after it was added would block the write for ever.
TEST_F(PendingOutputPosixTest, DataFileThatBecameAFifoIsRefusedAtWriteTime) {
    auto image = LoadProgram();
    ASSERT_TRUE(image);
    testpe::WriteFile(dir_ / "data.bin", Bytes{1, 2, 3});
    Logger log;
    ASSERT_TRUE(image->AddFile("DATA", Path("data.bin"), &log));
    fs::remove(dir_ / "data.bin");
    ASSERT_EQ(::mkfifo((dir_ / "data.bin").c_str(), 0600), 0);
    EXPECT_FALSE(image->Write(Path("out.exe"), &log));
    EXPECT_NE(LogText(log).find("Not a regular file\r\n  filename: " + Path("data.bin").Utf8()),
              std::string::npos)
        << LogText(log);
    EXPECT_EQ(Files(), (std::vector<std::string>{"data.bin", "in.exe"}));
}

}  // namespace
}  // namespace resmelder
