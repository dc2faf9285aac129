#pragma once
// Numbers appended to a growing block of bytes in the order the platform's file formats store
// them, low byte first (icons, bitmaps, version resources, .res files). Portable; shared by
// both deliverables and their tests.

#include <cstdint>
#include <vector>

namespace common {

/// Appends the low 16 bits of `value`, low byte first.
inline void AppendLe16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

/// Appends `value`, low byte first.
inline void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    AppendLe16(out, value & 0xFFFF);
    AppendLe16(out, value >> 16);
}

}  // namespace common
