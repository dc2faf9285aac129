// Resmelder's edit of a program against the floor of a plain copy, on a stripped
// shell32.dll-like program and on a 64 MB image, its memory, and the scaling of many added
// entries. Prints its figures; the goals are in the lines it prints.

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "image/exe_image.h"
#include "image/test_pe.h"
#include "shell_like_program.h"
#include "support/log.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"

namespace fs = std::filesystem;
using namespace resmelder;
using testpe::Bytes;

namespace {

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::string(field).size()));
        }
    }
    return -1;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Live and peak bytes handed out by operator new: the private memory the edit asks for,
// counted exactly, whatever the allocator keeps or returns to the system.
std::atomic<std::size_t> heapLive{0};
std::atomic<std::size_t> heapPeak{0};

// The kernel has a peak for the whole resident set only, and that counts file pages too. The
// anonymous part is sampled instead, every millisecond and at the points where the edit holds
// the most.
class PrivateMemorySampler {
  public:
    PrivateMemorySampler() : thread_([this] { Run(); }) {}
    PrivateMemorySampler(const PrivateMemorySampler&) = delete;
    PrivateMemorySampler& operator=(const PrivateMemorySampler&) = delete;
    ~PrivateMemorySampler() {
        stop_ = true;
        thread_.join();
    }
    void Sample() { Note(StatusKb("RssAnon:")); }
    /// Forgets what was seen before: the peak counts from here.
    void Restart() { peak_ = 0; }
    long PeakKb() const { return peak_; }

  private:
    void Run() {
        while (!stop_) {
            Sample();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Note(long kb) {
        long seen = peak_;
        while (kb > seen && !peak_.compare_exchange_weak(seen, kb)) {
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<long> peak_{0};
    std::thread thread_;
};

testpe::Options Image(std::size_t textBytes, int resources) {
    testpe::Options o;
    Bytes text(textBytes);
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<std::uint8_t>(i * 31 >> 3);
    }
    o.sections = {{".text", std::move(text), 0, 0x60000020},
                  {".data", Bytes(0x1000, 1), 0, 0xC0000040},
                  {".rsrc", {}, 0, 0x40000040, true},
                  {".reloc", Bytes(0x2000, 2), 0, 0x42000040}};
    for (int i = 0; i < resources; ++i) {
        // One string for both ends: iterators of two temporaries make no range.
        const std::string number = std::to_string(i);
        o.leaves.push_back({std::uint16_t{10},
                            std::u16string(u"RES") + std::u16string(1, char16_t(u'A' + i % 26)) +
                                std::u16string(number.begin(), number.end()),
                            0x409, Bytes(64 + i % 200, static_cast<std::uint8_t>(i))});
    }
    o.checksum = true;
    return o;
}

// One sample: load the small image, add `count` named entries in shuffled name order, write.
// The image is destroyed outside the timed part.
double AddManyAndWrite(const fs::path& dir, int count) {
    const fs::path in = dir / "small.exe";
    std::unique_ptr<ExeImage> image;
    const test_support::Stopwatch watch;
    Logger log;
    image = ExeImage::Load(XString::FromUtf8(in.string()), &log);
    const std::uint8_t payload[16] = {};
    for (int i = 0; i < count; ++i) {
        image->AddBytes("ENTRY_" + std::to_string(i * 7919 % count), payload, &log);
    }
    if (!image->Write(XString::FromUtf8((dir / "many.exe").string()), &log)) {
        std::printf("write failed\n");
    }
    return watch.ElapsedSeconds();
}

struct Samples {
    std::vector<double> seconds;
    double Best() const { return *std::min_element(seconds.begin(), seconds.end()); }
    double Median() const {
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

// Scaling of many added entries. A sample of 1,000 entries takes about a millisecond, so a
// single one is mostly scheduler noise on a shared machine: each size is sampled many times,
// interleaved so that both see the same load, and the best sample is the figure (noise only
// ever adds time). The median is printed too, as the typical figure.
void Scaling(const fs::path& dir) {
    testpe::WriteFile(dir / "small.exe", testpe::Build(Image(0x10000, 10)));
    constexpr int kRounds = 15;
    constexpr int kSmallPerRound = 5;
    AddManyAndWrite(dir, 1000);  // warm the heap and the page cache
    AddManyAndWrite(dir, 10000);
    Samples small;
    Samples large;
    for (int round = 0; round < kRounds; ++round) {
        for (int k = 0; k < kSmallPerRound; ++k) {
            small.seconds.push_back(AddManyAndWrite(dir, 1000));
        }
        large.seconds.push_back(AddManyAndWrite(dir, 10000));
    }
    std::printf("add 1,000 named entries and write: %.4f s (best of %zu; median %.4f s)\n",
                small.Best(), small.seconds.size(), small.Median());
    std::printf("add 10,000 named entries and write: %.4f s (best of %zu; median %.4f s)\n",
                large.Best(), large.seconds.size(), large.Median());
    std::printf("ratio: %.2f (goal: at most 12; medians: %.2f)\n", large.Best() / small.Best(),
                large.Median() / small.Median());
}

}  // namespace

void* operator new(std::size_t size) {
    // A header in front of each block records its size for operator delete.
    constexpr std::size_t kHeader = alignof(std::max_align_t);
    auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::size_t live = heapLive += size;
    std::size_t peak = heapPeak;
    while (live > peak && !heapPeak.compare_exchange_weak(peak, live)) {
    }
    return block + kHeader;
}

void operator delete(void* p) noexcept {
    if (p != nullptr) {
        constexpr std::size_t kHeader = alignof(std::max_align_t);
        auto* block = static_cast<unsigned char*>(p) - kHeader;
        heapLive -= *reinterpret_cast<std::size_t*>(block);
        std::free(block);
    }
}

void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

// A plain copy as a program makes it: the whole file read in one read into memory fresh from
// the system (as a new process's large allocation is), written to a new file in one write,
// and, when asked, flushed to the disk.
bool FloorCopy(const fs::path& from, const fs::path& to, bool flush) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0) {
        return false;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    void* block = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool ok =
        block != MAP_FAILED && out >= 0 && ::read(in, block, size) == static_cast<ssize_t>(size) &&
        ::write(out, block, size) == static_cast<ssize_t>(size) && (!flush || ::fsync(out) == 0);
    ::close(out);
    ::close(in);
    if (block != MAP_FAILED) {
        ::munmap(block, size);
    }
    return ok;
}

const Bytes kAdded(1 << 20, 0xAD);

// Load, add 1 MB, write: the write flushes the new file to the disk before it renames it.
bool EditOnce(const fs::path& source, const fs::path& target) {
    Logger log;
    auto image = ExeImage::Load(XString::FromUtf8(source.string()), &log);
    return image && image->AddBytes("ADDED_1MB", kAdded, &log) &&
           image->Write(XString::FromUtf8(target.string()), &log);
}

// Wall and processor time of one step. The processor time leaves out the wait for the disk,
// which a flush makes long here and the floor without a flush never has.
struct Timings {
    Samples wall;
    Samples cpu;
    template <typename Step>
    bool Time(Step step) {
        const test_support::Stopwatch watch;
        const std::clock_t cpuStart = std::clock();
        const bool ok = step();
        cpu.seconds.push_back(static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
        wall.seconds.push_back(watch.ElapsedSeconds());
        return ok;
    }
    void Print(const char* what) const {
        std::printf("  %-32s wall %.4f s (%.4f s), processor %.4f s (%.4f s)\n", what, wall.Best(),
                    wall.Median(), cpu.Best(), cpu.Median());
    }
};

// The floor, the floor with a flush, and Resmelder, in turn round by round; the best and the
// median of each, and Resmelder's ratios to the floor.
void TimeCase(const std::string& title, const fs::path& source, const fs::path& dir, int rounds,
              double goal) {
    Timings floor, flushed, ours;
    bool ok = FloorCopy(source, dir / "copy.exe", false) && EditOnce(source, dir / "edited.exe");
    for (int round = 0; round < rounds; ++round) {
        ok = floor.Time([&] { return FloorCopy(source, dir / "copy.exe", false); }) && ok;
        ok = flushed.Time([&] { return FloorCopy(source, dir / "copy.exe", true); }) && ok;
        ok = ours.Time([&] { return EditOnce(source, dir / "edited.exe"); }) && ok;
    }
    std::printf("%s: %.1f MB, 1 MB added, best (median) of %d\n", title.c_str(),
                static_cast<double>(fs::file_size(source)) / 1048576.0, rounds);
    floor.Print("read + write copy (the floor):");
    flushed.Print("read + write copy + flush:");
    ours.Print("Resmelder load + add + write:");
    std::printf(
        "  ratio to the floor: wall %.2f (medians %.2f), processor %.2f (medians %.2f);\n"
        "  wall to the flushed floor %.2f (Resmelder flushes before it renames); goal: "
        "at most %.1f%s\n",
        ours.wall.Best() / floor.wall.Best(), ours.wall.Median() / floor.wall.Median(),
        ours.cpu.Best() / floor.cpu.Best(), ours.cpu.Median() / floor.cpu.Median(),
        ours.wall.Best() / flushed.wall.Best(), goal, ok ? "" : "; A STEP FAILED");
}

// The private memory one edit of `source` takes (1 MB added), and its peak resident memory.
int Memory(const fs::path& source, const fs::path& dir) {
    // Free memory the allocator kept from building the source and the copy goes back, so
    // that what the edit takes shows as new anonymous pages.
    malloc_trim(0);
    auto sampler = std::make_unique<PrivateMemorySampler>();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // its own memory is at start
    ResetPeak();
    const long rssBefore = StatusKb("VmRSS:");
    const long anonBefore = StatusKb("RssAnon:");
    sampler->Restart();
    const std::size_t heapBefore = heapLive;
    heapPeak = heapBefore;
    {
        Logger log;
        auto image = ExeImage::Load(XString::FromUtf8(source.string()), &log);
        const Bytes added(1 << 20, 0xAD);
        image->AddBytes("ADDED_1MB", added, &log);
        sampler->Sample();
        if (!image->Write(XString::FromUtf8((dir / "edited.exe").string()), &log)) {
            std::printf("write failed\n");
            return 1;
        }
        sampler->Sample();
    }
    const long peak = StatusKb("VmHWM:");
    const long anonPeak = sampler->PeakKb();
    const std::size_t heapEdit = heapPeak - heapBefore;
    std::printf(
        "peak resident: %.1f MB above the %.1f MB before (the resource section read\n"
        "  and the write's buffer count here; added data 1 MB)\n",
        static_cast<double>(peak - rssBefore) / 1024.0, static_cast<double>(rssBefore) / 1024.0);
    std::printf(
        "private memory above start: %.1f MB peak (anonymous resident; heap allocations peaked "
        "at %.1f MB); added data 1 MB, held twice: the caller's buffer and the tree's copy\n",
        static_cast<double>(anonPeak - anonBefore) / 1024.0,
        static_cast<double>(heapEdit) / 1048576.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const test_support::TestFolder folder("resmelder_bench");
    const fs::path& dir = folder.path();
    if (argc > 1 && std::string(argv[1]) == "--scaling-only") {
        Scaling(dir);
        return 0;
    }
    const fs::path shellLike = dir / "shell32.dll";
    const std::string what = bench::WriteShellLikeProgram(shellLike);
    TimeCase("(a) " + what, shellLike, dir, 9, 1.0);

    const fs::path big = dir / "big.exe";
    testpe::WriteFile(big, testpe::Build(Image(64u << 20, 500)));
    TimeCase("(b) a 64 MB image, 500 resources, .reloc after .rsrc", big, dir, 5, 1.1);
    if (Memory(big, dir) != 0) {
        return 1;
    }
    Scaling(dir);
    return 0;
}
