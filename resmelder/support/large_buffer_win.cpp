// Windows large buffers: ordinary blocks. Its large pages need a privilege that programs do
// not have, so blocks are never asked for in them.

#include "support/large_buffer.h"

namespace resmelder {

struct LargeBuffer::Impl {};

void LargeBuffer::ImplDeleter::operator()(Impl* impl) const noexcept {
    std::default_delete<Impl>()(impl);
}

std::uint8_t* LargeBuffer::MapLargePages(std::size_t /*size*/) {
    return nullptr;
}

}  // namespace resmelder
