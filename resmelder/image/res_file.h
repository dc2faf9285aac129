#pragma once
// Compiled resource files (.res), as rc and windres write them: an empty 32-byte entry, then
// one entry per resource: data size, header size, type and name (0xFFFF and a 16-bit number,
// or a NUL-terminated UTF-16 text), padding to four bytes, data version, memory flags,
// language, version, characteristics; then the data, padded to four bytes. The reader takes
// untrusted bytes: every length is checked against what is there, and the work grows with the
// file's size only.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "image/resource_key.h"

namespace resmelder {

class ExeResource;

/// One entry of a .res file; its data points into the bytes it was read from.
struct ResFileEntry {
    ResourceKey key;
    std::span<const std::uint8_t> data;
    /// Where the entry starts in the file.
    std::size_t offset = 0;
};

/// Reads every resource entry of a .res file (the empty entries left out). Nothing, with
/// `problem` naming the damaged entry's offset, when the bytes are not a .res file or an
/// entry's lengths do not fit.
std::optional<std::vector<ResFileEntry>> ParseResFile(std::span<const std::uint8_t> bytes,
                                                      std::string& problem);

/// A .res file holding every leaf of the tree's usual three levels, with its stored names.
std::vector<std::uint8_t> BuildResFile(const ExeResource& tree);

}  // namespace resmelder
