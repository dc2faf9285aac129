#include "app_icons.h"

#include <algorithm>
#include <cmath>

#include "portable/little_endian.h"
#include "portable/round_half_even.h"

namespace murmurex {
namespace {

struct Rgb {
    double r;
    double g;
    double b;
};

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kSettingsBlue{0x36, 0x6A, 0xB3};  // the settings window's background
constexpr Rgb kLightBlue{0x5C, 0x9B, 0xE6};
constexpr Rgb kDarkBlue{0x1C, 0x3C, 0x78};
constexpr Rgb kGreen{0x2E, 0xA0, 0x43};
constexpr Rgb kDarkGreen{0x1A, 0x6B, 0x2A};
constexpr Rgb kGrey{0x9A, 0x9A, 0x9A};
constexpr Rgb kDarkGrey{0x5A, 0x5A, 0x5A};

// A picture being composed: straight colour plus coverage per pixel, painted over in layers.
class Layers {
  public:
    explicit Layers(int size)
        : size_(size),
          colour_(static_cast<std::size_t>(size) * size, Rgb{0, 0, 0}),
          alpha_(static_cast<std::size_t>(size) * size, 0.0) {}

    // Paints `colour` where `inside(u, v)` holds, u and v from 0 to 1 across the picture;
    // 4 x 4 samples a pixel give smooth edges.
    template <typename Shape, typename Colour>
    void Paint(Shape inside, Colour colourAt) {
        constexpr int kSamples = 4;
        for (int y = 0; y < size_; ++y) {
            for (int x = 0; x < size_; ++x) {
                int hits = 0;
                for (int sy = 0; sy < kSamples; ++sy) {
                    for (int sx = 0; sx < kSamples; ++sx) {
                        const double u = (x + (sx + 0.5) / kSamples) / size_;
                        const double v = (y + (sy + 0.5) / kSamples) / size_;
                        hits += inside(u, v) ? 1 : 0;
                    }
                }
                if (hits == 0) {
                    continue;
                }
                const double a = static_cast<double>(hits) / (kSamples * kSamples);
                const Rgb c = colourAt((y + 0.5) / size_);
                const std::size_t at = static_cast<std::size_t>(y) * size_ + x;
                const double under = alpha_[at] * (1.0 - a);
                const double out = a + under;
                Rgb& dst = colour_[at];
                dst.r = (c.r * a + dst.r * under) / out;
                dst.g = (c.g * a + dst.g * under) / out;
                dst.b = (c.b * a + dst.b * under) / out;
                alpha_[at] = out;
            }
        }
    }

    IconImage Finish() const {
        IconImage image;
        image.size = size_;
        image.pixels.reserve(colour_.size());
        for (std::size_t i = 0; i < colour_.size(); ++i) {
            const auto channel = [](double value) {
                return static_cast<std::uint32_t>(std::clamp(RoundHalfEven(value), 0, 255));
            };
            image.pixels.push_back(channel(alpha_[i] * 255.0) << 24 | channel(colour_[i].r) << 16 |
                                   channel(colour_[i].g) << 8 | channel(colour_[i].b));
        }
        return image;
    }

  private:
    int size_;
    std::vector<Rgb> colour_;
    std::vector<double> alpha_;
};

Rgb Mix(const Rgb& top, const Rgb& bottom, double t) {
    return {top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t,
            top.b + (bottom.b - top.b) * t};
}

auto Solid(Rgb colour) {
    return [colour](double) { return colour; };
}

auto Gradient(Rgb top, Rgb bottom) {
    return [top, bottom](double v) { return Mix(top, bottom, v); };
}

bool InRoundedSquare(double u, double v, double margin, double radius) {
    const double lo = margin + radius;
    const double hi = 1.0 - margin - radius;
    const double dx = u < lo ? lo - u : (u > hi ? u - hi : 0.0);
    const double dy = v < lo ? lo - v : (v > hi ? v - hi : 0.0);
    if (u < margin || u > 1.0 - margin || v < margin || v > 1.0 - margin) {
        return false;
    }
    return dx * dx + dy * dy <= radius * radius;
}

bool InCircle(double u, double v, double cx, double cy, double r) {
    return (u - cx) * (u - cx) + (v - cy) * (v - cy) <= r * r;
}

bool InEllipse(double u, double v, double cx, double cy, double rx, double ry) {
    const double x = (u - cx) / rx;
    const double y = (v - cy) / ry;
    return x * x + y * y <= 1.0;
}

// The speech bubble the program is named for: an ellipse with a tail at the lower left.
bool InBubble(double u, double v, double scale) {
    const double cx = 0.5;
    const double cy = 0.46;
    if (InEllipse(u, v, cx, cy, 0.34 * scale, 0.25 * scale)) {
        return true;
    }
    // Tail: the triangle below the ellipse's lower left, pointing down-left.
    const double ax = cx - 0.16 * scale, ay = cy + 0.14 * scale;
    const double bx = cx - 0.02 * scale, by = cy + 0.2 * scale;
    const double tx = cx - 0.26 * scale, ty = cy + 0.36 * scale;
    const auto side = [](double px, double py, double x1, double y1, double x2, double y2) {
        return (px - x2) * (y1 - y2) - (x1 - x2) * (py - y2);
    };
    const double d1 = side(u, v, ax, ay, bx, by);
    const double d2 = side(u, v, bx, by, tx, ty);
    const double d3 = side(u, v, tx, ty, ax, ay);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
    const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

// Three dots across the bubble: words being whispered.
bool InDots(double u, double v, double scale) {
    const double r = 0.055 * scale;
    for (const double dx : {-0.15, 0.0, 0.15}) {
        if (InCircle(u, v, 0.5 + dx * scale, 0.46, r)) {
            return true;
        }
    }
    return false;
}

// Two upright bars: the display is paused.
bool InPauseBars(double u, double v, double scale) {
    const double halfHeight = 0.12 * scale;
    const double halfWidth = 0.045 * scale;
    for (const double dx : {-0.075, 0.075}) {
        const double cx = 0.5 + dx * scale;
        if (std::abs(u - cx) <= halfWidth && std::abs(v - 0.46) <= halfHeight) {
            return true;
        }
    }
    return false;
}

std::size_t MaskRowBytes(int size) {
    return static_cast<std::size_t>((size + 31) / 32) * 4;
}

std::vector<std::uint8_t> EncodeIconImage(const IconImage& image) {
    std::vector<std::uint8_t> out;
    const int size = image.size;
    // BITMAPINFOHEADER: the height counts the colour picture and the mask.
    common::AppendLe32(out, 40);
    common::AppendLe32(out, static_cast<std::uint32_t>(size));
    common::AppendLe32(out, static_cast<std::uint32_t>(size * 2));
    common::AppendLe16(out, 1);
    common::AppendLe16(out, 32);
    common::AppendLe32(out, 0);  // BI_RGB
    common::AppendLe32(out,
                       static_cast<std::uint32_t>(size * size * 4 + MaskRowBytes(size) * size));
    for (int i = 0; i < 4; ++i) {
        common::AppendLe32(out, 0);
    }
    // Bottom row first, blue green red alpha.
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            common::AppendLe32(out, image.At(x, y));
        }
    }
    // The mask: set where the picture is fully transparent, for readers without alpha.
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(MaskRowBytes(size), 0);
        for (int x = 0; x < size; ++x) {
            if ((image.At(x, y) >> 24) == 0) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

}  // namespace

std::string AppIconFileStem(AppIconId id) {
    switch (id) {
        case AppIconId::Running:
            return "running";
        case AppIconId::Stopped:
            return "stopped";
        case AppIconId::Program:
        default:
            return "murmurex";
    }
}

IconImage DrawAppIcon(AppIconId id, int size) {
    Layers layers(size);
    switch (id) {
        case AppIconId::Program:
            layers.Paint([](double u, double v) { return InRoundedSquare(u, v, 0.03, 0.2); },
                         Gradient(kLightBlue, kDarkBlue));
            layers.Paint([](double u, double v) { return InBubble(u, v, 1.0); }, Solid(kWhite));
            layers.Paint([](double u, double v) { return InDots(u, v, 1.0); },
                         Solid(kSettingsBlue));
            break;
        case AppIconId::Running:
            layers.Paint([](double u, double v) { return InCircle(u, v, 0.5, 0.5, 0.48); },
                         Gradient(kGreen, kDarkGreen));
            layers.Paint([](double u, double v) { return InBubble(u, v, 1.1); }, Solid(kWhite));
            layers.Paint([](double u, double v) { return InDots(u, v, 1.1); }, Solid(kDarkGreen));
            break;
        case AppIconId::Stopped:
            layers.Paint([](double u, double v) { return InCircle(u, v, 0.5, 0.5, 0.48); },
                         Gradient(kGrey, kDarkGrey));
            layers.Paint([](double u, double v) { return InBubble(u, v, 1.1); }, Solid(kWhite));
            layers.Paint([](double u, double v) { return InPauseBars(u, v, 1.1); },
                         Solid(kDarkGrey));
            break;
    }
    return layers.Finish();
}

std::vector<std::uint8_t> EncodeIco(const std::vector<IconImage>& images) {
    std::vector<std::uint8_t> out;
    common::AppendLe16(out, 0);
    common::AppendLe16(out, 1);  // icon
    common::AppendLe16(out, static_cast<std::uint32_t>(images.size()));
    std::vector<std::vector<std::uint8_t>> encoded;
    for (const IconImage& image : images) {
        encoded.push_back(EncodeIconImage(image));
    }
    std::size_t offset = 6 + 16 * images.size();
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = images[i].size;
        out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
        out.push_back(static_cast<std::uint8_t>(size >= 256 ? 0 : size));
        out.push_back(0);  // no palette
        out.push_back(0);
        common::AppendLe16(out, 1);   // planes
        common::AppendLe16(out, 32);  // bits per pixel
        common::AppendLe32(out, static_cast<std::uint32_t>(encoded[i].size()));
        common::AppendLe32(out, static_cast<std::uint32_t>(offset));
        offset += encoded[i].size();
    }
    for (const auto& bytes : encoded) {
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

std::vector<std::uint8_t> AppIconFile(AppIconId id) {
    std::vector<IconImage> images;
    for (const int size : kAppIconSizes) {
        images.push_back(DrawAppIcon(id, size));
    }
    return EncodeIco(images);
}

}  // namespace murmurex
