// Writes the seed corpus: small valid PE32 and PE32+ files with resource trees.
// Usage: resmelder_make_seeds DIR
#include <filesystem>
#include <string>

#include "image/test_pe.h"

int main(int argc, char** argv) {
    using namespace resmelder::testpe;
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    for (const bool plus : {false, true}) {
        Options o;
        o.pe32Plus = plus;
        o.sections = {{".text", Bytes(0x40, 0xC3)},
                      {".data", Bytes(0x10, 1)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(8, 2), 0, 0x42000040}};
        o.leaves = {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(8, 0x16)},
                    {std::uint16_t{10}, std::u16string(u"A"), 0x409, Bytes{1, 2, 3}},
                    {std::uint16_t{10}, std::uint16_t{1}, 0x409, Bytes{4}}};
        o.overlay = Bytes(5, 0xEE);
        o.checksum = true;
        o.fileAlignment = 0x200;
        WriteFile(dir / (plus ? "pe32plus.exe" : "pe32.exe"), Build(o));
    }
    Options bare;
    bare.sections = {{".text", Bytes(0x10, 0xC3)}, {".data", Bytes(0x10, 1)}};
    WriteFile(dir / "noresources.exe", Build(bare));
    return 0;
}
