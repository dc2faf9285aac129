#include "image/output_sink.h"

#include <algorithm>
#include <array>
#include <cstring>

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

FileSink::FileSink(File& file) : file_(file) {
    buffer_.reserve(kBufferSize);
}

void FileSink::Sum(std::span<const std::uint8_t> bytes) {
    // 16-bit little-endian words at even file offsets, carries folded at the end.
    std::size_t i = 0;
    std::uint64_t pos = position_;
    if ((pos & 1) != 0 && !bytes.empty()) {
        wordSum_ += static_cast<std::uint64_t>(bytes[0]) << 8;
        i = 1;
    }
    std::uint64_t sum = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t x;
        std::memcpy(&x, bytes.data() + i, 8);
        sum += (x & 0xFFFF) + ((x >> 16) & 0xFFFF) + ((x >> 32) & 0xFFFF) + (x >> 48);
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
    Sum(bytes);
    position_ += bytes.size();
    if (buffer_.size() + bytes.size() <= kBufferSize) {
        buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
        return true;
    }
    if (!Flush()) {
        return false;
    }
    if (bytes.size() >= kBufferSize) {
        // Large runs (section data from the mapped source) go straight to the file.
        if (file_.Write(bytes) != bytes.size()) {
            failed_ = true;
            return false;
        }
        return true;
    }
    buffer_.assign(bytes.begin(), bytes.end());
    return true;
}

bool FileSink::Flush() {
    if (failed_) {
        return false;
    }
    if (!buffer_.empty() && file_.Write(buffer_) != buffer_.size()) {
        failed_ = true;
        return false;
    }
    buffer_.clear();
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
