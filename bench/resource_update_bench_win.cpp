// Resmelder against the platform's own resource update (BeginUpdateResourceW, UpdateResourceW,
// EndUpdateResourceW) on the same file, beside the floor of reading the file and writing a
// copy. Everything is timed in this one process:
//   (a) a stripped shell32.dll-like program (9.6 MB, 3,000 resources), 1 MB added;
//   (b) a stripped 10 MB PE32+ program of ours with a version resource, 1 MB added;
//   (c) a 64 MB image without resources, 1 MB added (our new-section path).
// Each case runs several rounds, the three contenders in turn within a round; the best and the
// median of each are printed, with the ratios to the floor (goals: at most 1.0 for the
// programs, 1.1 for the 64 MB image).
//
//   resource_update_bench.exe [PAYLOAD_EXE]     (default: RESOURCE_BENCH_PAYLOAD)

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image/exe_image.h"
#include "image/test_pe.h"
#include "shell_like_program.h"
#include "support/log.h"
#include "support/string_buffer.h"
#include "testing/stopwatch.h"
#include "testing/test_folder.h"
#include "win/unique_handle.h"

namespace {

namespace fs = std::filesystem;
using resmelder::testpe::Bytes;

constexpr int kRounds = 5;
constexpr std::size_t kAdded = 1 << 20;
const wchar_t* const kEntry = L"ADDED_1MB";

std::string Utf8(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

struct ModuleTraits {
    using handle_type = HMODULE;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::FreeLibrary(h); }
};

// The floor: the file read and written to a new file, through one reused 1 MB buffer (the
// fastest plain copy here; one read of the whole file into a fresh buffer is slower).
bool ReadAndWriteCopy(const std::wstring& from, const std::wstring& to, bool flush) {
    win::UniqueFile in(::CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    win::UniqueFile out(::CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in || !out) {
        return false;
    }
    static std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(in.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                        nullptr)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        DWORD put = 0;
        if (!::WriteFile(out.get(), buffer.data(), got, &put, nullptr) || put != got) {
            return false;
        }
    }
    return !flush || ::FlushFileBuffers(out.get());
}

// Where our time goes, summed over the rounds: load, add, the new file written beside the
// target, and the commit (flush to the disk and rename).
struct Phases {
    double load = 0, add = 0, write = 0, commit = 0;
};

bool Resmelder(const std::wstring& from, const std::wstring& to, const Bytes& added,
               Phases& phases) {
    resmelder::Logger log;
    test_support::Stopwatch watch;
    auto lap = [&watch](double& phase) {
        phase += watch.ElapsedSeconds();
        watch.Restart();
    };
    auto image = resmelder::ExeImage::Load(resmelder::XString::FromUtf8(Utf8(from)), &log);
    lap(phases.load);
    const bool added_ = image && image->AddBytes("ADDED_1MB", added, &log);
    lap(phases.add);
    auto pending =
        added_ ? image->WriteBeside(resmelder::XString::FromUtf8(Utf8(to)), &log) : nullptr;
    lap(phases.write);
    image.reset();
    if (pending && pending->Commit(&log)) {
        lap(phases.commit);
        return true;
    }
    resmelder::StringBuffer text;
    log.GetLogText(text);
    std::printf("Resmelder failed:\n%s", text.CStr());
    return false;
}

// The platform edits in place, so the file is copied first, outside the timed part.
bool PlatformUpdate(const std::wstring& target, Bytes& added) {
    HANDLE update = ::BeginUpdateResourceW(target.c_str(), FALSE);
    if (update == nullptr) {
        return false;
    }
    if (!::UpdateResourceW(update, MAKEINTRESOURCEW(10), kEntry,
                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), added.data(),
                           static_cast<DWORD>(added.size()))) {
        ::EndUpdateResourceW(update, TRUE);
        return false;
    }
    return ::EndUpdateResourceW(update, FALSE) != 0;
}

// The entry must really be there: a fast failure is no result.
bool HasEntry(const std::wstring& file) {
    win::UniqueHandle<ModuleTraits> module(
        ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) {
        return false;
    }
    HRSRC found = ::FindResourceW(module.get(), kEntry, MAKEINTRESOURCEW(10));
    return found != nullptr && ::SizeofResource(module.get(), found) == kAdded;
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

template <typename Step>
bool Time(Samples& samples, Step step) {
    const test_support::Stopwatch watch;
    const bool ok = step();
    samples.seconds.push_back(watch.ElapsedSeconds());
    return ok;
}

void RunCase(const std::string& title, const std::wstring& source, const std::wstring& dir,
             double goal) {
    Bytes added(kAdded);
    for (std::size_t i = 0; i < added.size(); ++i) {
        added[i] = static_cast<std::uint8_t>(i * 131 >> 5);
    }
    const std::wstring copy = dir + L"floor_copy.exe";
    const std::wstring ours = dir + L"resmelder.exe";
    const std::wstring theirs = dir + L"platform.exe";
    Samples floor, floorFlushed, resmelder, platform;
    Phases phases;
    bool ok = true;
    ReadAndWriteCopy(source, copy, false);  // warms the cache
    for (int round = 0; round < kRounds; ++round) {
        ok = Time(floor, [&] { return ReadAndWriteCopy(source, copy, false); }) && ok;
        ok = Time(floorFlushed, [&] { return ReadAndWriteCopy(source, copy, true); }) && ok;
        ok = Time(resmelder, [&] { return Resmelder(source, ours, added, phases); }) && ok;
        ok = ::CopyFileW(source.c_str(), theirs.c_str(), FALSE) && ok;
        ok = Time(platform, [&] { return PlatformUpdate(theirs, added); }) && ok;
    }
    LARGE_INTEGER size{};
    win::UniqueFile in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ::GetFileSizeEx(in.get(), &size);
    std::printf("%s: %.1f MB, 1 MB added, best (median) of %d\n", title.c_str(),
                static_cast<double>(size.QuadPart) / 1048576.0, kRounds);
    std::printf("  read + write copy (the floor):   %.4f s (%.4f s)\n", floor.Best(),
                floor.Median());
    std::printf("  read + write copy + flush:       %.4f s (%.4f s)\n", floorFlushed.Best(),
                floorFlushed.Median());
    std::printf("  Resmelder load + add + write:    %.4f s (%.4f s)  %.2f x the floor%s\n",
                resmelder.Best(), resmelder.Median(), resmelder.Best() / floor.Best(),
                HasEntry(ours) ? "" : "  ENTRY MISSING");
    std::printf(
        "    of which, mean per round: load %.4f s, add %.4f s, write beside %.4f s, "
        "commit (flush, rename) %.4f s\n",
        phases.load / kRounds, phases.add / kRounds, phases.write / kRounds,
        phases.commit / kRounds);
    std::printf("  platform UpdateResource:         %.4f s (%.4f s)  %.2f x the floor%s\n",
                platform.Best(), platform.Median(), platform.Best() / floor.Best(),
                HasEntry(theirs) ? "" : "  ENTRY MISSING");
    std::printf("  Resmelder to the flushed floor (it flushes before it renames): %.2f x\n",
                resmelder.Best() / floorFlushed.Best());
    std::printf("  goal: Resmelder at most %.1f x the floor%s\n", goal,
                ok ? "" : "; A STEP FAILED");
    ::DeleteFileW(copy.c_str());
    ::DeleteFileW(ours.c_str());
    ::DeleteFileW(theirs.c_str());
}

// 64 MB of code and data, no resource section and no resource directory.
Bytes LargeImageWithoutResources() {
    resmelder::testpe::Options o;
    Bytes text(64u << 20);
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<std::uint8_t>(i * 31 >> 3);
    }
    o.sections = {{".text", std::move(text), 0, 0x60000020},
                  {".rdata", Bytes(0x3000, 3), 0, 0x40000040},
                  {".data", Bytes(0x1000, 1), 0, 0xC0000040},
                  {".reloc", Bytes(0x2000, 2), 0, 0x42000040}};
    o.checksum = true;
    return resmelder::testpe::Build(o);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const test_support::TestFolder folder("resmelder_update_bench");
    const std::wstring dir = (folder / L"").wstring();

    const std::wstring payload = argc > 1 ? argv[1] : RESOURCE_BENCH_PAYLOAD;
    const std::wstring shellLike = dir + L"shell32.dll";
    const std::string what = bench::WriteShellLikeProgram(fs::path(shellLike));
    RunCase("(a) " + what, shellLike, dir, 1.0);

    const std::wstring program = dir + L"program.exe";
    if (!::CopyFileW(payload.c_str(), program.c_str(), FALSE)) {
        std::printf("cannot copy the payload program\n");
        return 1;
    }
    RunCase("(b) stripped PE32+ program", program, dir, 1.0);

    const std::wstring large = dir + L"large.exe";
    resmelder::testpe::WriteFile(fs::path(large), LargeImageWithoutResources());
    RunCase("(c) image without resources (new section)", large, dir, 1.1);
    return 0;
}
