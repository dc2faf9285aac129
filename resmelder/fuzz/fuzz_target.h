#pragma once
// One fuzz input through the whole core: load, build, edit, serialize and write.

#include <cstddef>
#include <cstdint>

namespace resmelder {

/// The size of the executable written, 0 when the write was refused: replays check it, since
/// a layout gone wrong shows as an output far larger than its input.
std::uint64_t FuzzOneInput(const std::uint8_t* data, std::size_t size);

/// Removes the scratch folders of processes that ended mid-input (a crash, a timeout, a
/// replay stopped at its bound); each new process also does this before its first input.
void RemoveFuzzScratchOfEndedProcesses();

}  // namespace resmelder
