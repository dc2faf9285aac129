// What a large buffer does the same on every platform; the twins hold the large-page block.

#include "support/large_buffer.h"

#include <utility>

namespace resmelder {

LargeBuffer::LargeBuffer(std::size_t size) : size_(size) {
    data_ = MapLargePages(size);
    if (data_ == nullptr) {
        // Read over at once: no need to clear it first.
        heap_ = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        data_ = heap_.get();
    }
}

LargeBuffer::LargeBuffer(LargeBuffer&& other) noexcept
    : impl_(std::move(other.impl_)),
      heap_(std::move(other.heap_)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

LargeBuffer& LargeBuffer::operator=(LargeBuffer&& other) noexcept {
    impl_ = std::move(other.impl_);
    heap_ = std::move(other.heap_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    return *this;
}

LargeBuffer::~LargeBuffer() = default;

}  // namespace resmelder
