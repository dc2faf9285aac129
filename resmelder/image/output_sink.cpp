#include "image/output_sink.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/image_texts.h"
#include "support/log.h"

namespace resmelder {

bool ByteSink::Fill(std::uint8_t byte, std::uint64_t count) {
    // Called for every leaf's padding, mostly with 0 to 7 bytes: fill only what is used.
    std::array<std::uint8_t, 4096> block;
    std::fill_n(block.begin(), std::min<std::uint64_t>(count, block.size()), byte);
    while (count > 0) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, block.size()));
        if (!Write({block.data(), n})) {
            return false;
        }
        count -= n;
    }
    return true;
}

FileSink::FileSink(File& file, const File* source, ChecksumMode checksum, LogBase* log)
    : file_(file),
      source_(source),
      summing_(checksum == ChecksumMode::kSum),
      log_(log),
      buffer_(kBufferSize) {}

void FileSink::Sum(std::span<const std::uint8_t> bytes) {
    // 16-bit little-endian words at even file offsets, carries folded at the end.
    std::size_t i = 0;
    std::uint64_t pos = position_;
    if ((pos & 1) != 0 && !bytes.empty()) {
        wordSum_ += static_cast<std::uint64_t>(bytes[0]) << 8;
        i = 1;
    }
    // Two words at a time into each 32-bit half of a 64-bit lane: a half takes this many
    // steps of at most 2 x 0xFFFF before it could carry into the other.
    constexpr std::size_t kStepsPerFold = 32767;
    constexpr std::uint64_t kLowWords = 0x0000FFFF0000FFFFull;
    std::uint64_t sum = 0;
    while (i + 8 <= bytes.size()) {
        const std::size_t steps = std::min((bytes.size() - i) / 8, kStepsPerFold);
        std::uint64_t lanes = 0;
        for (std::size_t k = 0; k < steps; ++k, i += 8) {
            std::uint64_t x;
            std::memcpy(&x, bytes.data() + i, 8);
            lanes += (x & kLowWords) + ((x >> 16) & kLowWords);
        }
        sum += (lanes & 0xFFFFFFFF) + (lanes >> 32);
    }
    for (; i + 2 <= bytes.size(); i += 2) {
        sum += bytes[i] | (static_cast<std::uint64_t>(bytes[i + 1]) << 8);
    }
    if (i < bytes.size()) {
        sum += bytes[i];
    }
    wordSum_ += sum;
}

bool FileSink::Write(std::span<const std::uint8_t> bytes) {
    if (failed_) {
        return false;
    }
    if (summing_) {
        Sum(bytes);
    }
    position_ += bytes.size();
    if (used_ + bytes.size() <= kBufferSize) {
        if (!bytes.empty()) {
            std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
        }
        used_ += bytes.size();
        return true;
    }
    if (!Flush()) {
        return false;
    }
    if (bytes.size() >= kBufferSize) {
        if (file_.Write(bytes) != bytes.size()) {
            failed_ = true;
            return false;
        }
        return true;
    }
    std::memcpy(buffer_.data(), bytes.data(), bytes.size());
    used_ = bytes.size();
    return true;
}

bool FileSink::CopyFromSource(std::uint64_t offset, std::uint64_t count) {
    if (failed_ || source_ == nullptr) {
        failed_ = true;
        return false;
    }
    // What the system does not copy (it cannot, or the source ended) goes through the
    // buffer, whose reads tell a source that ended from one that cannot be copied this way.
    if (!summing_ && count >= kSystemCopyMinimum) {
        if (!Flush()) {
            return false;
        }
        const std::uint64_t copied = source_->CopyRangeTo(offset, count, file_);
        position_ += copied;
        offset += copied;
        count -= copied;
    }
    return CopyThroughBuffer(offset, count);
}

// Straight into the buffer: one copy out of the page cache, summed while in the cache.
bool FileSink::CopyThroughBuffer(std::uint64_t offset, std::uint64_t count) {
    while (count > 0) {
        if (used_ == kBufferSize && !Flush()) {
            return false;
        }
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, kBufferSize - used_));
        const std::span<std::uint8_t> into(buffer_.data() + used_, want);
        if (source_->ReadAt(offset, into) != want) {
            failed_ = true;
            if (log_ != nullptr) {
                log_->LogError(image_texts::kSourceChanged);
            }
            return false;
        }
        if (summing_) {
            Sum(into);
        }
        position_ += want;
        used_ += want;
        offset += want;
        count -= want;
    }
    return true;
}

bool FileSink::Flush() {
    if (failed_) {
        return false;
    }
    if (used_ != 0 && file_.Write({buffer_.data(), used_}) != used_) {
        failed_ = true;
        return false;
    }
    used_ = 0;
    return true;
}

std::uint32_t FileSink::Checksum() const {
    std::uint64_t sum = wordSum_;
    while (sum > 0xFFFF) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint32_t>(sum + position_);
}

bool FileSink::Patch(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (!Flush() || !file_.Seek(offset) || file_.Write(bytes) != bytes.size() ||
        !file_.Seek(position_)) {
        failed_ = true;
        return false;
    }
    return true;
}

}  // namespace resmelder
