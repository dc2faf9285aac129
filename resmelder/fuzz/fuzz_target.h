#pragma once
// One fuzz input through the whole core: load, build, edit, serialize and write.

#include <cstddef>
#include <cstdint>

namespace resmelder {

void FuzzOneInput(const std::uint8_t* data, std::size_t size);

}  // namespace resmelder
