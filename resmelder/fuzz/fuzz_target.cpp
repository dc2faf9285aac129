#include "fuzz/fuzz_target.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "image/exe_image.h"
#include "image/output_sink.h"
#include "image/pending_output.h"
#include "support/file_sys.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

constexpr const char* kScratchPrefix = "resmelder_fuzz_";

// The writer needs a real folder (it writes a temporary file beside its target and renames
// it), so each input gets one, removed when the input is done. A process that dies mid-write
// (a crash, a timeout) leaves its folder behind; the next process removes the folders of
// processes that are gone.
void RemoveFoldersOfEndedProcesses(const fs::path& temp) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(temp, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(kScratchPrefix, 0) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + std::strlen(kScratchPrefix), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            fs::remove_all(entry.path(), ec);
        }
    }
}

class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        static const fs::path temp = [] {
            std::error_code error;
            fs::path found = fs::temp_directory_path(error);
            RemoveFoldersOfEndedProcesses(found);
            return found;
        }();
        path_ = temp / (kScratchPrefix + std::to_string(::getpid()));
        fs::create_directories(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string Output() const { return (path_ / "out.exe").string(); }

  private:
    fs::path path_;
};

// The input as a file without a name in any folder: an anonymous memory file, opened by the
// loader through its descriptor's path. Nothing is left behind, whatever ends the process.
class MemoryFile {
  public:
    explicit MemoryFile(std::span<const std::uint8_t> bytes)
        : fd_(::memfd_create("resmelder_fuzz_input", MFD_CLOEXEC)) {
        std::size_t done = 0;
        while (fd_ >= 0 && done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                ::close(fd_);
                fd_ = -1;
                return;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    ~MemoryFile() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool IsOpen() const { return fd_ >= 0; }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

  private:
    int fd_;
};

}  // namespace

void RemoveFuzzScratchOfEndedProcesses() {
    std::error_code ec;
    RemoveFoldersOfEndedProcesses(fs::temp_directory_path(ec));
}

std::uint64_t FuzzOneInput(const std::uint8_t* data, std::size_t size) {
    const ScratchFolder scratch;
    const MemoryFile input({data, size});
    if (!input.IsOpen()) {
        return 0;
    }
    const XString in = XString::FromUtf8(input.Path());
    const XString out = XString::FromUtf8(scratch.Output());
    Logger log;
    auto image = ExeImage::Load(in, &log);
    if (!image) {
        return 0;
    }
    image->FindNamed("A", &log);
    image->AddBytes("A", {data, size < 64 ? size : 64}, &log);
    // More than a page: where code follows the resource section (or there is none) the tree
    // cannot stay where it is, and the write takes the new-section layout.
    static const std::vector<std::uint8_t> kPage(0x1100, 0x47);
    image->AddBytes("Grown Entry", kPage, &log);
    image->DeleteNamed("1");
    if (ExeResource* root = image->Resources()) {
        MemorySink sink;
        const ResourceLayout layout = root->Plan();
        if (layout.size < (64u << 20)) {
            root->Serialize(layout, sink, 0x1000, 0x1000, nullptr, &log);
        }
    }
    // The whole write but its commit: the commit's flushes to disk would slow every run, and
    // the output is thrown away anyway.
    std::uint64_t written = 0;
    if (auto pending = image->WriteBeside(out, &log)) {
        written = pending->Output().Size().value_or(0);
    }
    StringBuffer text;
    log.GetLogXml(text);
    return written;
}

}  // namespace resmelder
