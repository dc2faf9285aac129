#pragma once
// Test helper: icon files made byte by byte, with images whose pixels are known.

#include <cstdint>
#include <vector>

namespace resmelder::testpe {

struct TestIconImage {
    std::uint8_t width;  // 0 for 256
    std::uint8_t height;
    std::uint16_t planes;  // as the file's directory says; 0 is common
    std::uint16_t bitCount;
    std::vector<std::uint8_t> bytes;
};

/// A 32-bit icon bitmap of `side` pixels, every pixel `bgra` (blue in the low byte), with an
/// all-visible mask.
std::vector<std::uint8_t> IconDib(std::uint32_t side, std::uint32_t bgra);
/// Bytes that begin as a PNG stream does.
std::vector<std::uint8_t> PngLike(std::size_t size);
/// The icon file holding `images`, each after the directory, in order.
std::vector<std::uint8_t> IconFileBytes(const std::vector<TestIconImage>& images);

}  // namespace resmelder::testpe
