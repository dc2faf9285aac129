#include "support/data_buffer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace resmelder {

DataBuffer::~DataBuffer() {
    CheckMarker();
    marker_ = 0;
}

void DataBuffer::CheckMarker() const {
    // A wrong marker means the object was used after destruction: a programming error.
    if (marker_ != kMarker) {
        std::abort();
    }
}

void DataBuffer::Grow(std::uint64_t capacity) {
    if (capacity > UINT32_MAX) {
        std::abort();  // allocation failures are not handled; a 4 GB buffer is one
    }
    // At most UINT32_MAX now, which a size_t holds on every target.
    static_assert(SIZE_MAX >= UINT32_MAX);
    auto fresh = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(capacity));
    if (length_ != 0) {
        std::memcpy(fresh.get(), Data(), length_);
    }
    owned_ = std::move(fresh);
    borrowed_ = false;
    borrowedData_ = nullptr;
    capacity_ = static_cast<std::uint32_t>(capacity);
}

void DataBuffer::AppendByte(std::uint8_t b) {
    CheckMarker();
    if (capacity_ < static_cast<std::uint64_t>(length_) + 1) {
        Grow(static_cast<std::uint64_t>(length_) + kGrowStep);
    }
    owned_[length_++] = b;
}

void DataBuffer::Append(std::span<const std::uint8_t> bytes) {
    CheckMarker();
    if (bytes.empty()) {
        return;
    }
    const std::uint64_t n = bytes.size();
    if (capacity_ < length_ + n) {
        Grow(length_ + std::max<std::uint64_t>(n, kGrowStep));
    }
    std::memcpy(owned_.get() + length_, bytes.data(), bytes.size());
    length_ += static_cast<std::uint32_t>(n);
}

void DataBuffer::EnsureCapacity(std::uint32_t capacity) {
    CheckMarker();
    if (capacity_ < capacity) {
        Grow(capacity);
    }
}

void DataBuffer::TakeOver(std::unique_ptr<std::uint8_t[]> block, std::uint32_t length) {
    CheckMarker();
    owned_ = std::move(block);
    borrowed_ = false;
    borrowedData_ = nullptr;
    length_ = length;
    capacity_ = length;
}

void DataBuffer::Borrow(const std::uint8_t* data, std::uint32_t length) {
    CheckMarker();
    owned_.reset();
    borrowed_ = true;
    borrowedData_ = data;
    length_ = length;
    capacity_ = length;
}

void DataBuffer::Clear() {
    CheckMarker();
    length_ = 0;
}

void DataBuffer::AppendUtf16z(const char16_t* text) {
    CheckMarker();
    if (text == nullptr) {
        return;
    }
    std::size_t units = 0;
    while (text[units] != 0) {
        ++units;
    }
    Append({reinterpret_cast<const std::uint8_t*>(text), (units + 1) * 2});
}

const std::uint8_t* DataBuffer::Data() const {
    CheckMarker();
    return borrowed_ ? borrowedData_ : owned_.get();
}

std::uint32_t DataBuffer::Length() const {
    CheckMarker();
    return length_;
}

std::uint32_t DataBuffer::Capacity() const {
    CheckMarker();
    return capacity_;
}

bool DataBuffer::IsBorrowed() const {
    CheckMarker();
    return borrowed_;
}

}  // namespace resmelder
