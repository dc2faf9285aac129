#pragma once
// One fuzz input through the whole core: load, build, edit, serialize and write.

#include <cstddef>
#include <cstdint>

namespace resmelder {

/// The size of the executable written, 0 when the write was refused: replays check it, since
/// a layout gone wrong shows as an output far larger than its input.
std::uint64_t FuzzOneInput(const std::uint8_t* data, std::size_t size);

}  // namespace resmelder
