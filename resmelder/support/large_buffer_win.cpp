// Windows large buffers: ordinary blocks. Its large pages need a privilege that programs do
// not have, so blocks are never asked for in them.

#include <utility>

#include "support/large_buffer.h"

namespace resmelder {

struct LargeBuffer::Impl {
    std::unique_ptr<std::uint8_t[]> heap;
};

void LargeBuffer::ImplDeleter::operator()(Impl* impl) const noexcept {
    std::default_delete<Impl>()(impl);
}

LargeBuffer::LargeBuffer(std::size_t size)
    : impl_(std::make_unique<Impl>().release()), size_(size) {
    // Read over at once: no need to clear it first.
    impl_->heap = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    data_ = impl_->heap.get();
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : impl_(std::move(other.impl_)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    impl_ = std::move(other.impl_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    return *this;
}

LargeBuffer::~LargeBuffer() = default;

}  // namespace resmelder
