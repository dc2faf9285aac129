#pragma once
// One fuzz input through the version block codec: parse, edit, write, parse again.

#include <cstddef>
#include <cstdint>

namespace resmelder {

/// Whether the input was read as a version block. A block that was read must survive an
/// edit and a write: what is written reads back as the edited block, or the process aborts
/// (a finding for the fuzzer, a failure for the replay).
bool FuzzVersionBlockInput(const std::uint8_t* data, std::size_t size);

}  // namespace resmelder
