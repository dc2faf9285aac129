// The file layer's results and log lines on this platform.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/file_sys.h"
#include "support/file_sys_test_folder.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

class FileSysTest : public FileSysFolderTest {
  protected:
    FileSysTest() : FileSysFolderTest("resmelder_fs_") {}
};

TEST_F(FileSysTest, OpenFailuresLogTheNameAndTheSystemMessage) {
    Logger log;
    EXPECT_FALSE(FileSys::OpenForRead(XString(), &log).IsOpen());
    EXPECT_FALSE(FileSys::OpenForWrite(XString(), &log).IsOpen());
    const XString missing = Name("missing.exe");
    EXPECT_FALSE(FileSys::FileCanOpen(missing, &log));
    EXPECT_FALSE(FileSys::FileCanOpen(XString(), &log));
    const std::string text = Text(log);
    EXPECT_EQ(text.find("VantrixLog:\r\n  Cannot open file, filename is empty.\r\n"
                        "  Failed to open file (2)\r\n  filename: " +
                        missing.Utf8() + "\r\n  osErrorInfo: "),
              0u)
        << text;
    const std::size_t info = text.find("osErrorInfo: ") + 13;
    EXPECT_GT(text.find("\r\n", info), info) << "the system message is empty";
    EXPECT_EQ(log.Tree().Root().Children().Count(), 4u);

    Logger quiet;
    EXPECT_FALSE(FileSys::FileCanOpen(missing, nullptr));
    EXPECT_EQ(quiet.Tree().Root().Children().Count(), 0u);
}

TEST_F(FileSysTest, WholeFileWriteSizeAndRead) {
    Logger log;
    const XString name = Name("data.bin");
    const std::string payload = "hello\0world";
    ASSERT_TRUE(FileSys::WriteWholeFile(
        name, {reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()}, &log));
    const FileSizeResult size = FileSys::FileSize(name, &log);
    EXPECT_TRUE(size.found);
    EXPECT_EQ(size.size, payload.size());
    EXPECT_TRUE(FileSys::FileCanOpen(name, &log));

    {
        File f = FileSys::OpenForRead(name, &log);
        std::uint8_t buf[64];
        EXPECT_EQ(f.Read(buf), payload.size());
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), payload.size()), payload);
    }

    // No bytes: the file is left empty.
    ASSERT_TRUE(FileSys::WriteWholeFile(name, {}, &log));
    EXPECT_EQ(FileSys::FileSize(name, &log).size, 0u);
    EXPECT_TRUE(FileSys::FileSize(name, &log).found);
    EXPECT_FALSE(FileSys::FileSize(Name("nope"), nullptr).found);
    EXPECT_EQ(log.Tree().Root().Children().Count(), 0u);
}

TEST_F(FileSysTest, WholeFileWriteIntoAMissingFolderFails) {
    Logger log;
    const XString name = Name("no/such/folder/out.bin");
    const std::uint8_t byte = 1;
    EXPECT_FALSE(FileSys::WriteWholeFile(name, {&byte, 1}, &log));
    EXPECT_FALSE(FileSys::WriteWholeFile(XString(), {&byte, 1}, &log));
    const std::string text = Text(log);
    EXPECT_NE(text.find("  Failed to open file (2)\r\n  filename: " + name.Utf8() +
                        "\r\n  osErrorInfo: "),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find("  filename: " + name.Utf8() + "\r\n  Failed to write complete file (7)\r\n"),
        std::string::npos)
        << text;
}

TEST_F(FileSysTest, ReplaceIsAtomicAndCreateNewRefusesExistingFiles) {
    const XString target = Name("target.bin");
    const XString temp = Name("target.tmp");
    const std::uint8_t a = 'a';
    const std::uint8_t b = 'b';
    ASSERT_TRUE(FileSys::WriteWholeFile(target, {&a, 1}, nullptr));
    {
        File t = FileSys::CreateNew(temp);
        ASSERT_TRUE(t.IsOpen());
        EXPECT_EQ(t.Write({&b, 1}), 1u);
    }
    EXPECT_FALSE(FileSys::CreateNew(temp).IsOpen());
    EXPECT_TRUE(FileSys::CanReplace(target, nullptr));
    EXPECT_TRUE(FileSys::CanReplace(Name("absent"), nullptr));
    ASSERT_TRUE(FileSys::Replace(temp, target, nullptr));
    EXPECT_FALSE(fs::exists(dir_ / "target.tmp"));
    std::ifstream in(dir_ / "target.bin");
    EXPECT_EQ(in.get(), 'b');

    Logger log;
    EXPECT_FALSE(FileSys::Replace(Name("gone"), target, &log));
    EXPECT_NE(Text(log).find("Failed to replace file"), std::string::npos);
}

// A folder in the way: it cannot be opened for writing, a rename onto it fails, and the file
// meant to replace it is still there for its owner to remove.
TEST_F(FileSysTest, FolderCannotBeReplaced) {
    fs::create_directories(dir_ / "folder" / "child");
    const XString folder = Name("folder");
    const XString temp = Name("new.tmp");
    const std::uint8_t b = 'b';
    ASSERT_TRUE(FileSys::WriteWholeFile(temp, {&b, 1}, nullptr));
    Logger log;
    EXPECT_FALSE(FileSys::CanReplace(folder, &log));
    EXPECT_FALSE(FileSys::Replace(temp, folder, &log));
    EXPECT_EQ(Text(log).find("VantrixLog:\r\n  Failed to open file (2)\r\n  filename: " +
                             folder.Utf8() + "\r\n  osErrorInfo: "),
              0u)
        << Text(log);
    EXPECT_NE(Text(log).find("  Failed to replace file\r\n  filename: " + folder.Utf8() +
                             "\r\n  osErrorInfo: "),
              std::string::npos)
        << Text(log);
    EXPECT_TRUE(fs::is_directory(dir_ / "folder" / "child"));
    EXPECT_TRUE(fs::exists(dir_ / "new.tmp"));
}

// The system's copy of a range lands at the output's position and stops where the source
// ends. Windows copies whole files only: there it copies nothing, and the caller reads and
// writes instead.
TEST_F(FileSysTest, SystemCopyOfARangeStopsAtTheSourceEnd) {
    std::string payload(200000, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<char>(i * 7 + i / 251);
    }
    ASSERT_TRUE(FileSys::WriteWholeFile(
        Name("source.bin"), {reinterpret_cast<const std::uint8_t*>(payload.data()), payload.size()},
        nullptr));
    File source = FileSys::OpenForRead(Name("source.bin"), nullptr);
    File out = FileSys::OpenForWrite(Name("copy.bin"), nullptr);
    ASSERT_EQ(out.Write({reinterpret_cast<const std::uint8_t*>("head"), 4}), 4u);
    const std::uint64_t middle = source.CopyRangeTo(1000, 150000, out);
    const std::uint64_t tail = source.CopyRangeTo(190000, 50000, out);
    out.Close();
    std::ifstream copy(dir_ / "copy.bin", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(copy)), {});
#ifdef __linux__
    EXPECT_EQ(middle, 150000u);
    EXPECT_EQ(tail, 10000u);
    EXPECT_EQ(written, "head" + payload.substr(1000, 150000) + payload.substr(190000));
#else
    EXPECT_EQ(middle + tail, 0u);
    EXPECT_EQ(written, "head");
#endif
}

}  // namespace
}  // namespace resmelder
