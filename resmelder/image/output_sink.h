#pragma once
// Where the writer puts bytes: a buffered file that also sums the PE checksum as the bytes
// pass, or memory (tests). Every sink detects short writes.
//
// Bytes that lie in the mapped source are read from the source file, never through the
// mapping: a source cut short by another process meanwhile then fails the write with a log
// line, where touching the mapping past its new end would kill the process (SIGBUS).

#include <cstdint>
#include <optional>
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

class LogBase;

/// The open source file and its mapped view, which the file sink reads instead of the view.
/// The sink reads the file from its own position (seeking only where it must): positioned
/// reads cost twice as much under Wine.
struct MappedSource {
    File* file = nullptr;
    std::span<const std::uint8_t> view;
};

class FileSink : public ByteSink {
  public:
    // Small enough to stay in the cache and be reused from write to write; runs at least
    // this long bypass it.
    static constexpr std::size_t kBufferSize = 256 << 10;

    explicit FileSink(File& file, MappedSource source = {}, LogBase* log = nullptr);
    bool Write(std::span<const std::uint8_t> bytes) override;
    std::uint64_t Position() const override { return position_; }
    bool Flush();
    /// The PE checksum of everything written so far, for a file of that length.
    std::uint32_t Checksum() const;
    /// Overwrites bytes already written (after a flush); the checksum is not updated.
    bool Patch(std::uint64_t offset, std::span<const std::uint8_t> bytes);

  private:
    void Sum(std::span<const std::uint8_t> bytes);
    bool Append(std::span<const std::uint8_t> bytes);
    bool CopyFromSource(std::size_t offset, std::size_t count);

    File& file_;
    MappedSource source_;
    LogBase* log_;
    std::vector<std::uint8_t> buffer_;  // kBufferSize bytes, `used_` of them filled
    std::size_t used_ = 0;
    std::uint64_t position_ = 0;
    std::uint64_t wordSum_ = 0;
    std::optional<std::uint64_t> sourceAt_;  // the source file's position, once the sink set it
    bool failed_ = false;
};

}  // namespace resmelder
