// Writes the seed corpus: small valid PE32 and PE32+ files with resource trees, without
// them, with one section, and with code after the resource section.
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
    bare.pe32Plus = false;
    bare.overlay = Bytes(5, 0xEE);
    bare.checksum = true;
    WriteFile(dir / "noresources32.exe", Build(bare));
    // One section only: whatever is added goes into a new section.
    Options single;
    single.sections = {{".text", Bytes(0x10, 0xC3)}};
    WriteFile(dir / "single.exe", Build(single));
    // Code follows .rsrc, whose tree nearly fills its page: any growth needs a new section.
    Options code;
    code.sections = {{".text", Bytes(0x40, 0xC3)},
                     {".data", Bytes(0x10, 1)},
                     {".rsrc", {}, 0, 0x40000040, true},
                     {".text2", Bytes(0x40, 0xCC), 0, 0x60000020},
                     {".reloc", Bytes(8, 2), 0, 0x42000040}};
    code.leaves = {{std::uint16_t{10}, std::u16string(u"A"), 0x409, Bytes(0xF00, 0xAB)}};
    code.certificateInOverlay = 0x20;
    code.checksum = true;
    WriteFile(dir / "code_after_rsrc.exe", Build(code));
    return 0;
}
