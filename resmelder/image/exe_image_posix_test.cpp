// Real failures from the system where POSIX can make them on demand: writes cut short by a
// file size limit, a folder the process may not write into, and a source cut short while it
// is loaded.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/test_pe.h"
#include "image/test_posix.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

class ImagePosixTest : public testpe::FolderTest {
  protected:
    ImagePosixTest() : FolderTest("resmelder_imgposix_") {}

    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        FolderTest::TearDown();
    }
};

// Each case cuts the file inside the part it names, buffered or written straight through.
TEST_F(ImagePosixTest, WriteCutShortFailsAndLeavesTheTargetAlone) {
    struct Case {
        const char* what;
        std::size_t textSize;
        std::size_t added;
        std::size_t overlay;
        rlim_t limit;
        std::string message;
    };
    const Case cases[] = {
        {"in the optional header", 0x200, 0x10, 0, 0x100, "Failed to write optional header"},
        {"in a small copied section", 0x200, 0x10, 0, 0x300,
         "Failed to write section data\r\n  section_name: .text"},
        {"in a large copied section", 0x60000, 0x10, 0, 0x10000,
         "Failed to write section data\r\n  section_name: .text"},
        {"in the resource section", 0x200, 0x60000, 0, 0x10000,
         "Failed to write section data\r\n  section_name: .rsrc"},
        {"in the overlay", 0x200, 0x10, 0x60000, 0x20000, "Failed to write overlay"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testpe::Options o;
        o.sections = {{".text", Bytes(c.textSize, 0xC3), 0, 0x60000020},
                      {".data", Bytes(0x100, 0xDA), 0, 0xC0000040},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(0x30, 0x11), 0, 0x42000040}};
        o.leaves = {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(0x5C, 0x16)}};
        o.overlay = Bytes(c.overlay, 0x0E);
        o.checksum = true;
        testpe::WriteFile(dir_ / "in.exe", testpe::Build(o));
        testpe::WriteFile(dir_ / "target.exe", Bytes{'o', 'l', 'd'});
        Logger log;
        auto image = ExeImage::Load(Path("in.exe"), &log);
        ASSERT_TRUE(image) << LogText(log);
        const std::string added(c.added, 'a');
        ASSERT_TRUE(image->AddBytes(
            "ADDED", {reinterpret_cast<const std::uint8_t*>(added.data()), added.size()}, &log));
        {
            testposix::FileSizeLimit limit(c.limit);
            ASSERT_TRUE(limit.ok());
            EXPECT_FALSE(image->Write(Path("target.exe"), &log));
        }
        EXPECT_NE(LogText(log).find(c.message + "\r\n  filename: " + Path("target.exe").Utf8()),
                  std::string::npos)
            << LogText(log);
        EXPECT_EQ(testpe::ReadFile(dir_ / "target.exe"), (Bytes{'o', 'l', 'd'}));
        EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "target.exe"}));
        // The image stays usable: without the limit the same write succeeds.
        Logger again;
        EXPECT_TRUE(image->Write(Path("target.exe"), &again)) << LogText(again);
        auto written = ExeImage::Load(Path("target.exe"), &again);
        ASSERT_TRUE(written);
        const auto found = written->FindNamed("ADDED", nullptr);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->size, c.added);
    }
}

// A folder without write permission: the temporary file cannot be created, so the write
// fails with the open messages for the target and the target is untouched. A read-only
// target in a writable folder is refused the same way, although a rename would replace it.
TEST_F(ImagePosixTest, ReadOnlyTargetOrFolderIsNotReplaced) {
    testpe::Options o;
    o.sections = {{".text", Bytes(0x200, 0xC3)},
                  {".data", Bytes(0x100, 0xDA)},
                  {".rsrc", {}, 0, 0x40000040, true}};
    o.leaves = {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(0x5C, 0x16)}};
    testpe::WriteFile(dir_ / "in.exe", testpe::Build(o));
    fs::create_directory(dir_ / "locked");
    testpe::WriteFile(dir_ / "locked" / "target.exe", Bytes{'o', 'l', 'd'});
    testpe::WriteFile(dir_ / "readonly.exe", Bytes{'r', 'o'});
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(dir_ / "readonly.exe", fs::perms::owner_read);
    if (::access((dir_ / "locked").c_str(), W_OK) == 0) {
        GTEST_SKIP() << "this process may write anywhere (running as root)";
    }
    Logger loadLog;
    auto image = ExeImage::Load(Path("in.exe"), &loadLog);
    ASSERT_TRUE(image);
    for (const std::string leaf : {"locked/target.exe", "readonly.exe"}) {
        SCOPED_TRACE(leaf);
        const Bytes before = testpe::ReadFile(dir_ / leaf);
        Logger log;
        EXPECT_FALSE(image->Write(Path(leaf), &log));
        EXPECT_NE(LogText(log).find("Failed to open file (2)\r\n  filename: " + Path(leaf).Utf8() +
                                    "\r\n  osErrorInfo: "),
                  std::string::npos)
            << LogText(log);
        EXPECT_EQ(testpe::ReadFile(dir_ / leaf), before);
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "locked", "readonly.exe"}));
    EXPECT_EQ(fs::directory_iterator(dir_ / "locked")->path().filename(), "target.exe");
}

// Another process cuts the file short between its open and a read of the load: before the
// headers are read, and while the resource section is. The load fails with a line (a mapped
// file would have killed the process as the tree was read).
TEST_F(ImagePosixTest, SourceCutShortWhileLoadedFailsTheLoadWithALine) {
    testpe::Options o;
    o.sections = {{".text", Bytes(0x400, 0xC3), 0, 0x60000020},
                  {".data", Bytes(0x100, 0xDA), 0, 0xC0000040},
                  {".rsrc", {}, 0, 0x40000040, true}};
    o.leaves = {{std::uint16_t{10}, std::u16string(u"BLOB"), 0x409, Bytes(0x3000, 0xB1)}};
    const Bytes program = testpe::Build(o);
    testpe::WriteFile(dir_ / "in.exe", program);
    std::uint32_t resources = 0;
    {
        Logger log;
        auto image = ExeImage::Load(Path("in.exe"), &log);
        ASSERT_TRUE(image) << LogText(log);
        resources = image->Sections().Get(2)->PointerToRawData();
    }
    for (const std::uint64_t at : {std::uint64_t{0}, std::uint64_t{resources}}) {
        SCOPED_TRACE(at);
        testpe::WriteFile(dir_ / "in.exe", program);
        Logger log;
        testposix::CutShortOnRead cut(dir_ / "in.exe", at, at + 0x10);
        EXPECT_FALSE(ExeImage::Load(Path("in.exe"), &log));
        EXPECT_TRUE(cut.done());
        EXPECT_EQ(LogText(log),
                  "VantrixLog:\r\n  Source file changed while it was read\r\n"
                  "  filename: " +
                      Path("in.exe").Utf8() + "\r\n");
    }
}

}  // namespace
}  // namespace resmelder
