#pragma once
// Icon files (.ico) and the icon-group resource that points at a program's ICON resources.
// Both are read from untrusted bytes: every offset and count is checked against the bytes.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace resmelder {

/// One image of an icon file, as its directory entry describes it.
struct IconImage {
    std::uint8_t width = 0;  // 0 means 256
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::span<const std::uint8_t> bytes;  // a PNG stream or a DIB, inside the file's bytes
};

/// The largest icon file read: far beyond any real one (256×256 at 32 bits is 256 KiB a size).
inline constexpr std::size_t kMaxIconFileBytes = 16u << 20;

/// Reads an icon file. The images refer into `bytes`. None, with `problem` set to a short
/// reason ("not an icon file", "image 2 lies outside the file"), when the file is not a
/// well-formed icon file with at least one image.
std::optional<std::vector<IconImage>> ParseIconFile(std::span<const std::uint8_t> bytes,
                                                    std::string& problem);

/// The icon-group resource for `images`, image i becoming ICON resource `ids[i]`.
std::vector<std::uint8_t> BuildIconGroup(std::span<const IconImage> images,
                                         std::span<const std::uint16_t> ids);

/// The ICON resource ids an icon-group resource refers to; none when it is malformed.
std::optional<std::vector<std::uint16_t>> IconGroupIds(std::span<const std::uint8_t> group);

}  // namespace resmelder
