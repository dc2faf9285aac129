// The command line on what users meet on POSIX systems: extracts over the input or through
// links, FIFOs and devices as targets or data, a full disk, two edits of one file at once
// from two processes, and a process killed in the middle of a write.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "image/exe_image.h"
#include "image/test_pe.h"
#include "image/test_posix.h"
#include "support/log.h"
#include "tool/tool.h"
#include "tool/tool_test_support.h"

extern char** environ;

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;

testpe::Options Program(std::size_t textSize) {
    testpe::Options o;
    o.sections = {{".text", Bytes(textSize, 0xC3)},
                  {".data", Bytes(0x10, 1)},
                  {".rsrc", {}, 0, 0x40000040, true},
                  {".reloc", Bytes(8, 2), 0, 0x42000040}};
    o.leaves = {{std::uint16_t{10}, std::u16string(u"HELLO"), 0x409, Bytes{'h', 'i'}}};
    o.checksum = true;
    return o;
}

// The real program, started as a user would; its output goes nowhere.
pid_t Start(const std::vector<std::string>& args) {
    std::vector<std::string> all{RESMELDER_TOOL_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int started = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return started == 0 ? pid : -1;
}

int Wait(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Whether `pid` holds open a file in `folder` that is not yet, or no longer, a plain name
// there: the output being written (unnamed "(deleted)", or the temporary name).
bool IsWritingInto(pid_t pid, const fs::path& folder) {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        const std::string target = fs::read_symlink(fd.path(), ec).string();
        if (target.rfind(folder.string(), 0) == 0 &&
            (target.find("(deleted)") != std::string::npos ||
             target.find(".resmelder-") != std::string::npos)) {
            return true;
        }
    }
    return false;
}

ino_t Inode(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class ToolPosixTest : public tool_test::ToolFolderTest {
  protected:
    ToolPosixTest() : ToolFolderTest("resmelder_toolposix_") {}

    void SetUp() override {
        ToolFolderTest::SetUp();
        testpe::WriteFile(dir_ / "in.exe", testpe::Build(Program(0x100)));
    }
    // With --verbose: the plain line, then the whole log.
    int Run(std::vector<std::string> args) {
        args.push_back("--verbose");
        return ToolFolderTest::Run(std::move(args));
    }
};

// Extracting over the input used to truncate it to nothing. Refused for every name that
// leads to the input: its own, a hard link, a symbolic link.
TEST_F(ToolPosixTest, ExtractOverTheInputIsRefused) {
    const Bytes before = testpe::ReadFile(dir_ / "in.exe");
    fs::create_hard_link(dir_ / "in.exe", dir_ / "hard.exe");
    fs::create_symlink(dir_ / "in.exe", dir_ / "soft.exe");
    for (const std::string out : {"in.exe", "hard.exe", "soft.exe"}) {
        SCOPED_TRACE(out);
        EXPECT_EQ(Run({"extract", P("in.exe"), "HELLO", P(out)}), 1);
        EXPECT_EQ(FirstLine(),
                  "resmelder: cannot write " + P(out) + " (the output file is the input file)");
        EXPECT_NE(err_.str().find("Output file is the input file\r\n  filename: " + P(out) +
                                  "\r\n  Failed to write file"),
                  std::string::npos)
            << err_.str();
        EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), before);
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"hard.exe", "in.exe", "soft.exe"}));
}

// Another process cuts the input short while get reads its resources: one line, nothing on
// standard output, and the process lives (get used to write the mapped bytes out).
TEST_F(ToolPosixTest, GetFromAnInputCutShortWhileReadFailsWithALine) {
    std::uint32_t resources = 0;
    {
        Logger log;
        auto image = ExeImage::Load(XString::FromUtf8(P("in.exe")), &log);
        ASSERT_TRUE(image);
        resources = image->Sections().Get(2)->PointerToRawData();
    }
    testposix::CutShortOnRead cut(dir_ / "in.exe", resources, resources + 8);
    EXPECT_EQ(Run({"get", P("in.exe"), "HELLO"}), 1);
    EXPECT_TRUE(cut.done());
    EXPECT_EQ(FirstLine(),
              "resmelder: cannot load " + P("in.exe") + " (the input changed while it was read)");
    EXPECT_EQ(out_.str(), "");
}

// A link named as the output is replaced; the file it led to is never written through.
TEST_F(ToolPosixTest, ExtractReplacesALinkInsteadOfWritingThroughIt) {
    testpe::WriteFile(dir_ / "precious.txt", Bytes{'k', 'e', 'e', 'p'});
    fs::create_symlink(dir_ / "precious.txt", dir_ / "hello.bin");
    ASSERT_EQ(Run({"extract", P("in.exe"), "HELLO", P("hello.bin")}), 0) << err_.str();
    EXPECT_FALSE(fs::is_symlink(dir_ / "hello.bin"));
    EXPECT_EQ(testpe::ReadFile(dir_ / "hello.bin"), (Bytes{'h', 'i'}));
    EXPECT_EQ(testpe::ReadFile(dir_ / "precious.txt"), (Bytes{'k', 'e', 'e', 'p'}));
}

// A full disk cuts the extract short: the old file stays whole, nothing is left beside it.
TEST_F(ToolPosixTest, ExtractOnAFullDiskKeepsTheOldFile) {
    testpe::WriteFile(dir_ / "hello.bin", Bytes{'o', 'l', 'd'});
    {
        testposix::FileSizeLimit limit(1);
        ASSERT_TRUE(limit.ok());
        EXPECT_EQ(Run({"extract", P("in.exe"), "HELLO", P("hello.bin")}), 1);
    }
    EXPECT_EQ(FirstLine(), "resmelder: cannot write " + P("hello.bin") +
                               " (file too large)");  // the system's own reason
    EXPECT_NE(err_.str().find("Failed to write complete file (1)\r\n  Failed to write file"),
              std::string::npos)
        << err_.str();
    EXPECT_EQ(testpe::ReadFile(dir_ / "hello.bin"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(Files(), (std::vector<std::string>{"hello.bin", "in.exe"}));
}

// FIFOs and devices: as an output they used to hang the write or be replaced by a file; as
// data, /dev/zero gave an empty entry and a FIFO hung. All refused with one clear line.
TEST_F(ToolPosixTest, FifosAndDevicesAreRefusedAsOutputAndAsData) {
    ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0600), 0);
    const Bytes before = testpe::ReadFile(dir_ / "in.exe");
    const std::vector<std::vector<std::string>> commands = {
        {"extract", P("in.exe"), "HELLO", P("fifo")},
        {"extract", P("in.exe"), "HELLO", "/dev/null"},
        {"add-string", P("in.exe"), "S", "x", "-o", P("fifo")},
        {"add-string", P("in.exe"), "S", "x", "-o", "/dev/null"},
        {"add-file", P("in.exe"), "Z", "/dev/zero", "-o", P("in.exe")},
        {"add-file", P("in.exe"), "F", P("fifo"), "-o", P("out.exe")},
        {"edit", P("in.exe"), "--add-file", "D", P("."), "-o", P("out.exe")},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0] + " " + command[command.size() - 1]);
        EXPECT_EQ(Run(command), 1);
        EXPECT_NE(FirstLine().find(" is not a regular file)"), std::string::npos) << err_.str();
        EXPECT_NE(err_.str().find("Not a regular file"), std::string::npos) << err_.str();
    }
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(testpe::ReadFile(dir_ / "in.exe"), before);
    EXPECT_EQ(Files(), (std::vector<std::string>{"fifo", "in.exe"}));
}

// Two processes edit one file in place at the same time. Without a lock both succeeded and
// one edit was lost; now the second waits and applies to the first one's result.
TEST_F(ToolPosixTest, TwoEditsInPlaceAtOnceBothLand) {
    testpe::WriteFile(dir_ / "in.exe", testpe::Build(Program(8u << 20)));
    constexpr int kRounds = 6;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        const std::string a = "A" + std::to_string(round);
        const std::string b = "B" + std::to_string(round);
        const pid_t first = Start({"add-string", P("in.exe"), a, "first", "-o", P("in.exe")});
        const pid_t second = Start({"add-string", P("in.exe"), b, "second", "-o", P("in.exe")});
        ASSERT_GT(first, 0);
        ASSERT_GT(second, 0);
        const int firstStatus = Wait(first);
        const int secondStatus = Wait(second);
        EXPECT_TRUE(WIFEXITED(firstStatus) && WEXITSTATUS(firstStatus) == 0);
        EXPECT_TRUE(WIFEXITED(secondStatus) && WEXITSTATUS(secondStatus) == 0);
    }
    ASSERT_EQ(Run({"list", P("in.exe")}), 0) << err_.str();
    for (int round = 0; round < kRounds; ++round) {
        for (const char* who : {"A", "B"}) {
            const std::string name = who + std::to_string(round);
            EXPECT_NE(out_.str().find("\t" + name + "\t"), std::string::npos) << name << " lost";
        }
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe"}));
}

// The program killed in the middle of writing a large executable: the target is as it was
// and nothing is left beside it (the output had no name yet). Edits to a new name and in
// place.
TEST_F(ToolPosixTest, KilledMidWriteLeavesNothingBehind) {
    testpe::WriteFile(dir_ / "in.exe", testpe::Build(Program(32u << 20)));
    testpe::WriteFile(dir_ / "out.exe", Bytes{'o', 'l', 'd'});
    // The input is too large to compare byte by byte quickly: it is the same file (the
    // rename never happened) with the same size.
    const auto inputSize = fs::file_size(dir_ / "in.exe");
    const auto inputInode = Inode(dir_ / "in.exe");
    int killedMidWrite = 0;
    for (const std::string target : {"out.exe", "in.exe", "out.exe"}) {
        SCOPED_TRACE(target);
        const pid_t pid = Start({"add-string", P("in.exe"), "NEW", "text", "-o", P(target)});
        ASSERT_GT(pid, 0);
        int status = 0;
        bool ended = false;
        while (!ended && !IsWritingInto(pid, dir_)) {
            ended = ::waitpid(pid, &status, WNOHANG) == pid;
        }
        if (!ended) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            ::kill(pid, SIGKILL);
            status = Wait(pid);
        }
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
            ++killedMidWrite;
            EXPECT_EQ(Inode(dir_ / "in.exe"), inputInode);
            EXPECT_EQ(fs::file_size(dir_ / "in.exe"), inputSize);
            EXPECT_EQ(testpe::ReadFile(dir_ / "out.exe"), (Bytes{'o', 'l', 'd'}));
        }
        EXPECT_EQ(Files(), (std::vector<std::string>{"in.exe", "out.exe"}));
        testpe::WriteFile(dir_ / "out.exe", Bytes{'o', 'l', 'd'});
    }
    EXPECT_GT(killedMidWrite, 0) << "no write was caught in the middle";
}

}  // namespace
}  // namespace resmelder
