#pragma once
// Where the writer puts bytes: a buffered file that also sums the PE checksum as the bytes
// pass, or memory (tests). Every sink detects short writes.

#include <cstdint>
#include <span>
#include <vector>

#include "support/file_sys.h"

namespace resmelder {

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    /// Appends the bytes; false when they could not all be written.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    virtual std::uint64_t Position() const = 0;
    /// Appends `count` copies of `byte`.
    bool Fill(std::uint8_t byte, std::uint64_t count);
};

class MemorySink : public ByteSink {
  public:
    bool Write(std::span<const std::uint8_t> bytes) override {
        data.insert(data.end(), bytes.begin(), bytes.end());
        return true;
    }
    std::uint64_t Position() const override { return data.size(); }
    std::vector<std::uint8_t> data;
};

class FileSink : public ByteSink {
  public:
    // Small enough to stay in the cache and be reused from write to write; runs at least
    // this long bypass it.
    static constexpr std::size_t kBufferSize = 256 << 10;

    explicit FileSink(File& file);
    bool Write(std::span<const std::uint8_t> bytes) override;
    std::uint64_t Position() const override { return position_; }
    bool Flush();
    /// The PE checksum of everything written so far, for a file of that length.
    std::uint32_t Checksum() const;
    /// Overwrites bytes already written (after a flush); the checksum is not updated.
    bool Patch(std::uint64_t offset, std::span<const std::uint8_t> bytes);

  private:
    void Sum(std::span<const std::uint8_t> bytes);

    File& file_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t position_ = 0;
    std::uint64_t wordSum_ = 0;
    bool failed_ = false;
};

}  // namespace resmelder
