#pragma once
// The one way untrusted bytes are read: every access is bounds-checked (written as
// subtractions, so no sum can overflow) and integers are read little-endian with memcpy.
// A read outside the bytes answers nothing; it is never undefined behaviour.

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace resmelder {

class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    std::span<const std::uint8_t> All() const { return bytes_; }

    /// Whether [offset, offset + n) lies inside the bytes.
    bool Has(std::size_t offset, std::size_t n) const {
        return offset <= bytes_.size() && n <= bytes_.size() - offset;
    }

    std::optional<std::span<const std::uint8_t>> Bytes(std::size_t offset, std::size_t n) const {
        if (!Has(offset, n)) {
            return std::nullopt;
        }
        return bytes_.subspan(offset, n);
    }

    std::optional<std::uint16_t> U16(std::size_t offset) const {
        return Read<std::uint16_t>(offset);
    }
    std::optional<std::uint32_t> U32(std::size_t offset) const {
        return Read<std::uint32_t>(offset);
    }
    std::optional<std::uint64_t> U64(std::size_t offset) const {
        return Read<std::uint64_t>(offset);
    }

  private:
    template <typename T>
    std::optional<T> Read(std::size_t offset) const {
        if (!Has(offset, sizeof(T))) {
            return std::nullopt;
        }
        // Little-endian hosts only (x86, x86-64, ARM as configured by Windows and Linux).
        T value;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return value;
    }

    std::span<const std::uint8_t> bytes_;
};

/// Little-endian stores into a byte array the caller has sized.
inline void StoreU16(std::uint8_t* at, std::uint16_t v) {
    std::memcpy(at, &v, sizeof v);
}
inline void StoreU32(std::uint8_t* at, std::uint32_t v) {
    std::memcpy(at, &v, sizeof v);
}

}  // namespace resmelder
