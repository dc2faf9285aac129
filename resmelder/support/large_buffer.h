#pragma once
// Blocks of bytes that large parts of a file are read into, left uninitialized. A fresh block
// is brought into memory a page at a time on first touch, and for blocks of megabytes those
// page faults cost more than the read itself; where the system offers large pages for the
// asking (Linux's transparent huge pages) such blocks use them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace resmelder {

class LargeBuffer {
  public:
    /// Blocks this large or larger are asked for in large pages where the system has them.
    static constexpr std::size_t kLargePageThreshold = std::size_t{1} << 20;

    explicit LargeBuffer(std::size_t size);
    LargeBuffer(LargeBuffer&&) noexcept;
    LargeBuffer& operator=(LargeBuffer&&) noexcept;
    ~LargeBuffer();

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::span<std::uint8_t> Bytes() const { return {data_, size_}; }

  private:
    /// The platform's block in large pages; defined in the platform's twin.
    struct Impl;
    /// Releases that block; defined beside Impl.
    struct ImplDeleter {
        void operator()(Impl* impl) const noexcept;
    };
    /// A block of `size` bytes in large pages held in `impl_`, or null where the platform
    /// gives none (then an ordinary block is used). Defined in the platform's twin.
    std::uint8_t* MapLargePages(std::size_t size);

    std::unique_ptr<Impl, ImplDeleter> impl_;
    std::unique_ptr<std::uint8_t[]> heap_;  // smaller blocks, and where large pages fail
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace resmelder
