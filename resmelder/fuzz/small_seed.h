#pragma once
// A small PE32+ image with three resource types and room in its resource section for every
// kind of mutation: the seed for the mutator's own tests and for the hostile-input cases that
// run without Wine.

#include "image/test_pe.h"

namespace resmelder::fuzz {

inline testpe::Bytes SmallSeed() {
    using testpe::Bytes;
    testpe::Options o;
    o.sections = {{".text", Bytes(0x40, 0xC3)},
                  {".data", Bytes(0x10, 1)},
                  {".rsrc", {}, 0, 0x40000040, true},
                  {".reloc", Bytes(8, 2), 0, 0x42000040}};
    o.leaves = {{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(0x40, 0x16)},
                {std::uint16_t{10}, std::u16string(u"A"), 0x409, Bytes(0x2000, 0xAB)},
                {std::uint16_t{10}, std::uint16_t{7}, 0x409, Bytes(0x800, 0xCD)},
                {std::uint16_t{3}, std::uint16_t{1}, 0x409, Bytes(0x100, 0x33)},
                {std::uint16_t{3}, std::uint16_t{2}, 0x409, Bytes(0x100, 0x34)}};
    return testpe::Build(o);
}

}  // namespace resmelder::fuzz
