#pragma once
// Where the writer puts bytes: a buffered file that also sums the PE checksum as the bytes
// pass, or memory (tests). Every sink detects short writes.
//
// The file sink copies ranges of the source file as they are: in the system where nothing
// needs to see them (no checksum to sum), else through its buffer in large reads. A source
// cut short by another process meanwhile fails the write with a log line.

#include <cstdint>
#include <span>
#include <vector>

#include "support/file_sys.h"
#include "support/large_buffer.h"

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

class LogBase;

class FileSink : public ByteSink {
  public:
    // Small enough to stay in the cache and be reused from write to write, large enough
    // that a copied range takes few reads; runs at least this long bypass it.
    static constexpr std::size_t kBufferSize = 1 << 20;
    // Shorter copies go through the buffer: one write for many of them.
    static constexpr std::uint64_t kSystemCopyMinimum = 64 << 10;
    enum class ChecksumMode { kSum, kNone };

    /// Writes to `file`; CopyFromSource reads `source`. Without the checksum, copies of the
    /// source go through the system and never through this process.
    FileSink(File& file, const File* source, ChecksumMode checksum, LogBase* log);
    bool Write(std::span<const std::uint8_t> bytes) override;
    /// Appends `count` bytes of the source from `offset`. A source that ends before them
    /// fails the write with "Source file changed while the new file was written".
    bool CopyFromSource(std::uint64_t offset, std::uint64_t count);
    std::uint64_t Position() const override { return position_; }
    bool Flush();
    /// The PE checksum of everything written so far, for a file of that length (summed only
    /// with ChecksumMode::kSum).
    std::uint32_t Checksum() const;
    /// Overwrites bytes already written (after a flush); the checksum is not updated.
    bool Patch(std::uint64_t offset, std::span<const std::uint8_t> bytes);

  private:
    void Sum(std::span<const std::uint8_t> bytes);
    bool CopyThroughBuffer(std::uint64_t offset, std::uint64_t count);

    File& file_;
    const File* source_;
    bool summing_;
    LogBase* log_;
    LargeBuffer buffer_;  // kBufferSize bytes, `used_` of them filled
    std::size_t used_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t wordSum_ = 0;
    bool failed_ = false;
};

}  // namespace resmelder
