#include "image/icon_file.h"

#include <algorithm>
#include <array>

#include "support/byte_reader.h"

namespace resmelder {
namespace {

constexpr std::size_t kHeaderSize = 6;       // reserved, type, count
constexpr std::size_t kFileEntrySize = 16;   // ... bytes in image, file offset
constexpr std::size_t kGroupEntrySize = 14;  // ... bytes in image, resource id
constexpr std::uint16_t kIconType = 1;       // 2 would be a cursor file
constexpr std::size_t kBitmapInfoHeaderSize = 40;

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool IsPng(std::span<const std::uint8_t> image) {
    return image.size() >= kPngSignature.size() &&
           std::equal(kPngSignature.begin(), kPngSignature.end(), image.begin());
}

// A DIB as icons hold it: a header of at least BITMAPINFOHEADER's size, one plane.
bool IsDib(const ByteReader& image) {
    const auto headerSize = image.U32(0);
    const auto planes = image.U16(12);
    return headerSize && *headerSize >= kBitmapInfoHeaderSize && *headerSize <= image.Size() &&
           planes && *planes == 1;
}

std::string Numbered(const char* what, std::size_t index, const char* problem) {
    return std::string(what) + " " + std::to_string(index + 1) + " " + problem;
}

// The planes and bits per pixel the group entry needs for the loader to pick the best size:
// files often leave them 0, so they come from the image itself then.
void CompleteDepth(IconImage& icon) {
    const ByteReader image(icon.bytes);
    if (IsPng(icon.bytes)) {
        // The colour type and depth of a PNG say little about how Windows draws it: 32 bits.
        icon.planes = icon.planes != 0 ? icon.planes : 1;
        icon.bitCount = icon.bitCount != 0 ? icon.bitCount : 32;
        return;
    }
    if (icon.planes == 0) {
        icon.planes = image.U16(12).value_or(1);
    }
    if (icon.bitCount == 0) {
        icon.bitCount = image.U16(14).value_or(0);
    }
}

}  // namespace

std::optional<std::vector<IconImage>> ParseIconFile(std::span<const std::uint8_t> bytes,
                                                    std::string& problem) {
    const ByteReader file(bytes);
    if (bytes.size() > kMaxIconFileBytes) {
        problem = "the file is larger than any icon file";
        return std::nullopt;
    }
    const auto reserved = file.U16(0);
    const auto type = file.U16(2);
    const auto count = file.U16(4);
    if (!reserved || !type || !count || *reserved != 0 || *type != kIconType) {
        problem = "not an icon file";
        return std::nullopt;
    }
    if (*count == 0) {
        problem = "the icon file holds no images";
        return std::nullopt;
    }
    // The count is checked against the bytes before anything is reserved for it.
    if (!file.Has(kHeaderSize, std::size_t{*count} * kFileEntrySize)) {
        problem = "the icon file's directory runs past its end";
        return std::nullopt;
    }
    std::vector<IconImage> images;
    images.reserve(*count);
    for (std::size_t i = 0; i < *count; ++i) {
        const std::size_t entry = kHeaderSize + i * kFileEntrySize;
        IconImage icon;
        icon.width = bytes[entry];
        icon.height = bytes[entry + 1];
        icon.colorCount = bytes[entry + 2];
        icon.planes = *file.U16(entry + 4);
        icon.bitCount = *file.U16(entry + 6);
        const std::uint32_t size = *file.U32(entry + 8);
        const std::uint32_t offset = *file.U32(entry + 12);
        const auto image = file.Bytes(offset, size);
        if (!image || size == 0) {
            problem = Numbered("image", i, "lies outside the file");
            return std::nullopt;
        }
        if (offset < kHeaderSize + std::size_t{*count} * kFileEntrySize) {
            problem = Numbered("image", i, "overlaps the icon file's directory");
            return std::nullopt;
        }
        icon.bytes = *image;
        if (!IsPng(icon.bytes) && !IsDib(ByteReader(icon.bytes))) {
            problem = Numbered("image", i, "is neither a PNG nor a bitmap");
            return std::nullopt;
        }
        CompleteDepth(icon);
        images.push_back(icon);
    }
    return images;
}

std::vector<std::uint8_t> BuildIconGroup(std::span<const IconImage> images,
                                         std::span<const std::uint16_t> ids) {
    const std::size_t count = std::min(images.size(), ids.size());
    std::vector<std::uint8_t> group(kHeaderSize + count * kGroupEntrySize);
    StoreU16(group.data(), 0);
    StoreU16(group.data() + 2, kIconType);
    StoreU16(group.data() + 4, static_cast<std::uint16_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        std::uint8_t* entry = group.data() + kHeaderSize + i * kGroupEntrySize;
        entry[0] = images[i].width;
        entry[1] = images[i].height;
        entry[2] = images[i].colorCount;
        entry[3] = 0;
        StoreU16(entry + 4, images[i].planes);
        StoreU16(entry + 6, images[i].bitCount);
        StoreU32(entry + 8, static_cast<std::uint32_t>(images[i].bytes.size()));
        StoreU16(entry + 12, ids[i]);
    }
    return group;
}

std::optional<std::vector<std::uint16_t>> IconGroupIds(std::span<const std::uint8_t> group) {
    const ByteReader reader(group);
    const auto type = reader.U16(2);
    const auto count = reader.U16(4);
    if (!type || !count || *type != kIconType ||
        !reader.Has(kHeaderSize, std::size_t{*count} * kGroupEntrySize)) {
        return std::nullopt;
    }
    std::vector<std::uint16_t> ids;
    ids.reserve(*count);
    for (std::size_t i = 0; i < *count; ++i) {
        ids.push_back(*reader.U16(kHeaderSize + i * kGroupEntrySize + 12));
    }
    return ids;
}

}  // namespace resmelder
