#pragma once
// A growable run of bytes with a fixed growth policy: large steps, so long appends
// reallocate rarely.

#include <cstdint>
#include <memory>
#include <span>

#include "support/vantrix_object.h"

namespace resmelder {

class DataBuffer : public VantrixObject {
  public:
    static constexpr std::uint8_t kMarker = 0xDB;
    static constexpr std::uint32_t kGrowStep = 20000;

    DataBuffer() = default;
    DataBuffer(const DataBuffer&) = delete;
    DataBuffer& operator=(const DataBuffer&) = delete;
    ~DataBuffer() override;

    /// Appends one byte.
    void AppendByte(std::uint8_t b);
    /// Appends the bytes (nothing for an empty span).
    void Append(std::span<const std::uint8_t> bytes);
    /// Grows the storage to exactly `capacity` bytes when it is smaller.
    void EnsureCapacity(std::uint32_t capacity);
    /// Takes ownership of a block holding `length` bytes.
    void TakeOver(std::unique_ptr<std::uint8_t[]> block, std::uint32_t length);
    /// Refers to bytes owned elsewhere; they are never freed here, and the first growth copies.
    void Borrow(const std::uint8_t* data, std::uint32_t length);
    /// Length 0; the storage is kept.
    void Clear();
    /// Appends a NUL-terminated UTF-16 string including its two-byte terminator.
    void AppendUtf16z(const char16_t* text);

    const std::uint8_t* Data() const;
    std::uint32_t Length() const;
    std::uint32_t Capacity() const;
    bool IsBorrowed() const;
    std::span<const std::uint8_t> Bytes() const { return {Data(), Length()}; }

  private:
    void CheckMarker() const;
    void Grow(std::uint64_t capacity);

    std::uint8_t marker_ = kMarker;
    bool borrowed_ = false;
    std::unique_ptr<std::uint8_t[]> owned_;
    const std::uint8_t* borrowedData_ = nullptr;
    std::uint32_t length_ = 0;
    std::uint32_t capacity_ = 0;
};

}  // namespace resmelder
