#include "button_icon_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "portable/little_endian.h"

namespace murmurex {
namespace {

// Little-endian reads that fail instead of reading past the end.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool Has(std::size_t offset, std::size_t count) const noexcept {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint32_t U8(std::size_t at) const noexcept { return bytes_[at]; }
    std::uint32_t U16(std::size_t at) const noexcept {
        return static_cast<std::uint32_t>(bytes_[at]) |
               (static_cast<std::uint32_t>(bytes_[at + 1]) << 8);
    }
    std::uint32_t U32(std::size_t at) const noexcept { return U16(at) | (U16(at + 2) << 16); }
    std::span<const std::uint8_t> Slice(std::size_t at, std::size_t count) const noexcept {
        return bytes_.subspan(at, count);
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kDirectoryEntry = 16;
constexpr std::size_t kInfoHeader = 40;

std::size_t RowStride(std::size_t width, std::size_t bitsPerPixel) {
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

// What the image's BITMAPINFOHEADER says, checked: a size the button can decode, a depth it
// reads, and where the palette starts.
struct BitmapLayout {
    std::size_t width = 0;
    std::size_t height = 0;  // the colour rows alone; the header counts the mask rows too
    std::uint32_t bits = 0;
    std::uint32_t coloursUsed = 0;
    std::size_t paletteAt = 0;
};

std::optional<BitmapLayout> ReadBitmapLayout(const Reader& r) {
    if (!r.Has(0, kInfoHeader) || r.U32(0) < kInfoHeader) {
        return std::nullopt;
    }
    const std::size_t headerSize = r.U32(0);
    const auto width = static_cast<std::int32_t>(r.U32(4));
    const auto doubledHeight = static_cast<std::int32_t>(r.U32(8));
    const std::uint32_t bits = r.U16(14);
    const std::uint32_t compression = r.U32(16);
    if (width <= 0 || width > kIconImageMaximumSide || doubledHeight <= 0 ||
        doubledHeight / 2 <= 0 || doubledHeight / 2 > kIconImageMaximumSide) {
        return std::nullopt;
    }
    // Uncompressed, or 32-bit with the standard bit fields.
    if (compression != 0 && !(compression == 3 && bits == 32)) {
        return std::nullopt;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
        return std::nullopt;
    }
    BitmapLayout layout;
    layout.width = static_cast<std::size_t>(width);
    layout.height = static_cast<std::size_t>(doubledHeight / 2);
    layout.bits = bits;
    layout.coloursUsed = r.U32(32);
    // With bit fields, the three masks follow a plain 40-byte header.
    layout.paletteAt = headerSize + (compression == 3 ? 12 : 0);
    return layout;
}

// The palette of an image of 8 bits or fewer (empty above); advances `at` past it. Nothing
// when the entries run past the end.
std::optional<std::vector<Colour>> ReadPalette(const Reader& r, const BitmapLayout& layout,
                                               std::size_t& at) {
    std::vector<Colour> palette;
    if (layout.bits > 8) {
        return palette;
    }
    const std::uint32_t full = 1u << layout.bits;
    const std::size_t entries =
        layout.coloursUsed != 0 && layout.coloursUsed < full ? layout.coloursUsed : full;
    if (!r.Has(at, entries * 4)) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t e = at + 4 * i;
        palette.push_back(Rgb(static_cast<int>(r.U8(e + 2)), static_cast<int>(r.U8(e + 1)),
                              static_cast<int>(r.U8(e))));
    }
    at += entries * 4;
    return palette;
}

// One pixel of a colour row that starts at `row`: its colour, and its alpha for 32 bits.
void ReadPixel(const Reader& r, std::uint32_t bits, const std::vector<Colour>& palette,
               std::size_t row, std::size_t x, Colour& colour, std::uint8_t& alpha) {
    switch (bits) {
        case 32: {
            const std::size_t p = row + 4 * x;
            colour = Rgb(static_cast<int>(r.U8(p + 2)), static_cast<int>(r.U8(p + 1)),
                         static_cast<int>(r.U8(p)));
            alpha = static_cast<std::uint8_t>(r.U8(p + 3));
            break;
        }
        case 24: {
            const std::size_t p = row + 3 * x;
            colour = Rgb(static_cast<int>(r.U8(p + 2)), static_cast<int>(r.U8(p + 1)),
                         static_cast<int>(r.U8(p)));
            break;
        }
        default: {
            const std::size_t bit = x * bits;
            const std::uint32_t byte = r.U8(row + bit / 8);
            const std::uint32_t shift = 8 - bits - static_cast<std::uint32_t>(bit % 8);
            const std::size_t index = (byte >> shift) & ((1u << bits) - 1);
            colour = index < palette.size() ? palette[index] : 0;
            break;
        }
    }
}

// The colour rows (bottom-up in the file) into the image, top row first; answers whether any
// pixel has an alpha other than zero.
bool ReadColourRows(const Reader& r, const BitmapLayout& layout, const std::vector<Colour>& palette,
                    std::size_t at, std::size_t stride, IconImage& image) {
    const std::size_t w = layout.width;
    const std::size_t h = layout.height;
    bool anyAlpha = false;
    for (std::size_t row = 0; row < h; ++row) {
        const std::size_t source = at + (h - 1 - row) * stride;
        for (std::size_t x = 0; x < w; ++x) {
            Colour colour = 0;
            std::uint8_t alpha = 255;
            ReadPixel(r, layout.bits, palette, source, x, colour, alpha);
            anyAlpha = anyAlpha || (layout.bits == 32 && alpha != 0);
            image.colours[row * w + x] = colour;
            image.alpha[row * w + x] = alpha;
        }
    }
    return anyAlpha;
}

// The 1-bit mask rows (bottom-up in the file) as the image's coverage.
void ReadMaskRows(const Reader& r, std::size_t at, std::size_t stride, IconImage& image) {
    const auto w = static_cast<std::size_t>(image.width);
    const auto h = static_cast<std::size_t>(image.height);
    for (std::size_t row = 0; row < h; ++row) {
        const std::size_t source = at + (h - 1 - row) * stride;
        for (std::size_t x = 0; x < w; ++x) {
            const bool transparent = ((r.U8(source + x / 8) >> (7 - x % 8)) & 1) != 0;
            image.alpha[row * w + x] = transparent ? 0 : 255;
        }
    }
}

// One bitmap image: BITMAPINFOHEADER (height counts colour and mask rows), the palette for
// 8 bits or fewer, the colour rows and the 1-bit mask rows, both bottom-up.
std::optional<IconImage> DecodeBitmapImage(std::span<const std::uint8_t> bytes) {
    const Reader r(bytes);
    const std::optional<BitmapLayout> layout = ReadBitmapLayout(r);
    if (!layout) {
        return std::nullopt;
    }
    std::size_t at = layout->paletteAt;
    const std::optional<std::vector<Colour>> palette = ReadPalette(r, *layout, at);
    if (!palette) {
        return std::nullopt;
    }
    const std::size_t w = layout->width;
    const std::size_t h = layout->height;
    const std::size_t colourStride = RowStride(w, layout->bits);
    const std::size_t maskStride = RowStride(w, 1);
    if (!r.Has(at, colourStride * h)) {
        return std::nullopt;
    }
    const std::size_t maskAt = at + colourStride * h;
    // Some writers leave the mask out of 32-bit images; alpha alone then decides.
    const bool hasMask = r.Has(maskAt, maskStride * h);

    IconImage image;
    image.width = static_cast<int>(w);
    image.height = static_cast<int>(h);
    image.colours.resize(w * h);
    image.alpha.resize(w * h);
    const bool anyAlpha = ReadColourRows(r, *layout, *palette, at, colourStride, image);
    // A 32-bit image with every alpha zero is an old-style image: the mask decides, and
    // without a mask it is opaque.
    if (layout->bits == 32 && !anyAlpha && !hasMask) {
        std::fill(image.alpha.begin(), image.alpha.end(), std::uint8_t{255});
    }
    if (hasMask && (layout->bits != 32 || !anyAlpha)) {
        ReadMaskRows(r, maskAt, maskStride, image);
    }
    return image;
}

}  // namespace

std::optional<IconImage> DecodeIconFile(std::span<const std::uint8_t> file, int size) {
    const Reader r(file);
    if (!r.Has(0, kDirectoryHeader) || r.U16(0) != 0 || r.U16(2) != 1) {
        return std::nullopt;
    }
    const std::size_t count = r.U16(4);
    if (count == 0 || !r.Has(kDirectoryHeader, count * kDirectoryEntry)) {
        return std::nullopt;
    }
    // The entries in order of preference: nearest width first, the larger of two as near.
    // Only the first that reads is decoded in full; the others fail on their headers, so the
    // work stays one image however many entries share its bytes.
    struct Candidate {
        int distance;
        int width;
        std::size_t entry;
    };
    std::vector<Candidate> candidates;
    candidates.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kDirectoryHeader + kDirectoryEntry * i;
        if (!r.Has(r.U32(entry + 12), r.U32(entry + 8))) {
            continue;
        }
        const int width = r.U8(entry) == 0 ? 256 : static_cast<int>(r.U8(entry));
        candidates.push_back(Candidate{std::abs(width - size), width, entry});
    }
    std::stable_sort(
        candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
            return a.distance != b.distance ? a.distance < b.distance : a.width > b.width;
        });
    for (const Candidate& candidate : candidates) {
        // Compressed images fail here and are passed over.
        if (auto image = DecodeBitmapImage(
                r.Slice(r.U32(candidate.entry + 12), r.U32(candidate.entry + 8)))) {
            return image;
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> EncodeIconFile(const IconImage& image) {
    const auto w = static_cast<std::size_t>(image.width);
    const auto h = static_cast<std::size_t>(image.height);
    const std::size_t maskStride = RowStride(w, 1);
    const std::size_t imageBytes = kInfoHeader + w * h * 4 + maskStride * h;
    std::vector<std::uint8_t> out;
    out.reserve(kDirectoryHeader + kDirectoryEntry + imageBytes);
    common::AppendLe16(out, 0);
    common::AppendLe16(out, 1);
    common::AppendLe16(out, 1);
    out.push_back(static_cast<std::uint8_t>(w >= 256 ? 0 : w));
    out.push_back(static_cast<std::uint8_t>(h >= 256 ? 0 : h));
    out.push_back(0);
    out.push_back(0);
    common::AppendLe16(out, 1);
    common::AppendLe16(out, 32);
    common::AppendLe32(out, static_cast<std::uint32_t>(imageBytes));
    common::AppendLe32(out, static_cast<std::uint32_t>(kDirectoryHeader + kDirectoryEntry));
    common::AppendLe32(out, static_cast<std::uint32_t>(kInfoHeader));
    common::AppendLe32(out, static_cast<std::uint32_t>(w));
    common::AppendLe32(out, static_cast<std::uint32_t>(h * 2));
    common::AppendLe16(out, 1);
    common::AppendLe16(out, 32);
    for (int i = 0; i < 6; ++i) {
        common::AppendLe32(out, 0);  // compression, image size, resolutions, palette counts
    }
    for (std::size_t row = h; row-- > 0;) {
        for (std::size_t x = 0; x < w; ++x) {
            const Colour c = image.colours[row * w + x];
            out.push_back(static_cast<std::uint8_t>(BlueOf(c)));
            out.push_back(static_cast<std::uint8_t>(GreenOf(c)));
            out.push_back(static_cast<std::uint8_t>(RedOf(c)));
            out.push_back(image.alpha[row * w + x]);
        }
    }
    for (std::size_t row = h; row-- > 0;) {
        std::vector<std::uint8_t> bits(maskStride, 0);
        for (std::size_t x = 0; x < w; ++x) {
            if (image.alpha[row * w + x] == 0) {
                bits[x / 8] |= static_cast<std::uint8_t>(0x80u >> (x % 8));
            }
        }
        out.insert(out.end(), bits.begin(), bits.end());
    }
    return out;
}

}  // namespace murmurex
