#pragma once
// The benchmarks' 9.6 MB program: Wine's own shell32.dll, stripped as programs ship, where
// the build found it (RESMELDER_BENCH_SHELL32); else one of the same shape built here: about
// 1 MB of code and data, 8.6 MB of resources in 3,000 leaves, .reloc after .rsrc, and a
// checksum.

#include <filesystem>
#include <string>

#include "image/test_pe.h"

namespace bench {

inline resmelder::testpe::Bytes ShellLikeImage() {
    using resmelder::testpe::Bytes;
    resmelder::testpe::Options o;
    o.fileAlignment = 0x1000;
    auto filled = [](std::size_t size, unsigned seed) {
        Bytes bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>((i * 31 + seed) >> 3);
        }
        return bytes;
    };
    o.sections = {
        {".text", filled(0x83000, 1), 0, 0x60000020},  {".data", filled(0x2000, 2), 0, 0xC0000040},
        {".rdata", filled(0x2E000, 3), 0, 0x40000040}, {".pdata", filled(0x6000, 4), 0, 0x40000040},
        {".edata", filled(0x19000, 5), 0, 0x40000040}, {".rsrc", {}, 0, 0x40000040, true},
        {".reloc", filled(0x2000, 6), 0, 0x42000040}};
    for (std::uint16_t i = 0; i < 3000; ++i) {
        const std::uint16_t type = i % 10 == 0 ? 14 : 3;  // icon groups among the icons
        o.leaves.push_back(
            {type, static_cast<std::uint16_t>(i + 1), 0x409, filled(600 + i * 7919u % 4500, i)});
    }
    o.checksum = true;
    return resmelder::testpe::Build(o);
}

/// The program, written to `path`; answers what it is, for the figures' title.
inline std::string WriteShellLikeProgram(const std::filesystem::path& path) {
#ifdef RESMELDER_BENCH_SHELL32
    if (std::filesystem::exists(RESMELDER_BENCH_SHELL32)) {
        std::filesystem::copy_file(RESMELDER_BENCH_SHELL32, path,
                                   std::filesystem::copy_options::overwrite_existing);
        return "Wine's shell32.dll, stripped";
    }
#endif
    resmelder::testpe::WriteFile(path, ShellLikeImage());
    return "a program shaped like a stripped shell32.dll";
}

}  // namespace bench
