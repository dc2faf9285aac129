#include "tab_pictures.h"

#include <algorithm>
#include <cmath>

#include "portable/little_endian.h"

namespace murmurex {
namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb Hex(std::uint32_t rgb) {
    return {static_cast<double>((rgb >> 16) & 0xFF), static_cast<double>((rgb >> 8) & 0xFF),
            static_cast<double>(rgb & 0xFF)};
}

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}

Rgb Sum(Rgb a, Rgb b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

std::uint32_t Pack(Rgb c) {
    const auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    return channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

// Colour of a linear gradient from `top` at `first` to `bottom` at `last`.
Rgb Ramp(std::uint32_t top, std::uint32_t bottom, int first, int last, double y) {
    const double t = last == first ? 0.0 : (y - first) / (last - first);
    return Mix(Hex(top), Hex(bottom), std::clamp(t, 0.0, 1.0));
}

TabBitmap Blank(int width, int height) {
    TabBitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(static_cast<std::size_t>(width * height), 0);
    return bitmap;
}

void Put(TabBitmap& bitmap, int x, int y, Rgb colour) {
    bitmap.pixels[static_cast<std::size_t>(y * bitmap.width + x)] = Pack(colour);
}

// Rows 0-17 light, rows 18-33 the deeper glass half, row 34 the bottom edge. A picture drawn
// larger asks for the rows between.
Rgb BackgroundRow(double row) {
    if (row <= 17.5) {
        return Ramp(0xEAF3FF, 0xB8CDEC, 0, 17, row);
    }
    if (row <= 33.5) {
        return Ramp(0x97B9E4, 0x618EC7, 18, 33, row);
    }
    return Hex(0x6598E0);
}

// The background behind row `y` of a 36-row picture that is shown 35 rows high.
Rgb BackgroundBehind(int y, int height) {
    return BackgroundRow(std::min(34, y * 35 / height));
}

// The pictures are designed at 96 DPI; drawn for another, each length grows by this much.
double ScaleFor(int dpi) {
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

int Scaled(int pixels, double scale) {
    return std::max(1, static_cast<int>(std::lround(pixels * scale)));
}

// Where the middle of pixel `at` of a picture drawn `scale` times larger falls in the design.
double DesignPosition(int at, double scale) {
    return (at + 0.5) / scale - 0.5;
}

// Fraction of the pixel at (x, y) inside `inside`, from 4 x 4 samples: soft edges.
template <typename Shape>
double Coverage(int x, int y, const Shape& inside) {
    int hits = 0;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            hits += inside(x + (i + 0.5) / 4.0, y + (j + 0.5) / 4.0) ? 1 : 0;
        }
    }
    return hits / 16.0;
}

// A rectangle [left, right) x [top, bottom) with round top corners of radius `rt` and
// bottom corners of radius `rb`, shrunk by `inset` on every side.
struct TabShape {
    double left, top, right, bottom, rt, rb, inset;

    bool operator()(double px, double py) const {
        const double l = left + inset, t = top + inset, r = right - inset, b = bottom - inset;
        if (px < l || px >= r || py < t || py >= b) {
            return false;
        }
        const auto outsideCorner = [&](double cx, double cy, double radius) {
            return (px - cx) * (px - cx) + (py - cy) * (py - cy) > radius * radius;
        };
        const double top_r = std::max(0.0, rt - inset), bottom_r = std::max(0.0, rb - inset);
        if (py < t + top_r) {
            if (px < l + top_r && outsideCorner(l + top_r, t + top_r, top_r)) {
                return false;
            }
            if (px > r - top_r && outsideCorner(r - top_r, t + top_r, top_r)) {
                return false;
            }
        }
        if (py > b - bottom_r) {
            if (px < l + bottom_r && outsideCorner(l + bottom_r, b - bottom_r, bottom_r)) {
                return false;
            }
            if (px > r - bottom_r && outsideCorner(r - bottom_r, b - bottom_r, bottom_r)) {
                return false;
            }
        }
        return true;
    }
};

struct Circle {
    double cx, cy, radius;
    bool operator()(double px, double py) const {
        return (px - cx) * (px - cx) + (py - cy) * (py - cy) < radius * radius;
    }
};

// A triangle pointing down: top edge from (cx - half, top) to (cx + half, top), tip at
// (cx, top + height).
struct DownArrow {
    double cx, top, half, height;
    bool operator()(double px, double py) const {
        if (py < top || py > top + height) {
            return false;
        }
        const double halfHere = half * (1.0 - (py - top) / height);
        return std::abs(px - cx) <= halfHere;
    }
};

// Glass: a light upper half and a deeper lower half, each a gradient, with a step between.
struct Glass {
    std::uint32_t border, upperTop, upperBottom, lowerTop, lowerBottom;
};

Rgb GlassAt(const Glass& glass, double y, double top, double bottom) {
    const double middle = (top + bottom) / 2.0;
    if (y < middle) {
        return Mix(Hex(glass.upperTop), Hex(glass.upperBottom), (y - top) / (middle - top));
    }
    return Mix(Hex(glass.lowerTop), Hex(glass.lowerBottom), (y - middle) / (bottom - middle));
}

// Outline and fill of `shape` over the background, blended by coverage.
template <typename Shape>
TabBitmap DrawGlassShape(int width, int height, const Shape& outer, const Shape& inner,
                         const Glass& glass, double top, double bottom) {
    TabBitmap bitmap = Blank(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double all = Coverage(x, y, outer);
            const double fill = std::min(all, Coverage(x, y, inner));
            const Rgb colour = Sum(Sum(Scale(BackgroundBehind(y, height), 1.0 - all),
                                       Scale(Hex(glass.border), all - fill)),
                                   Scale(GlassAt(glass, y + 0.5, top, bottom), fill));
            Put(bitmap, x, y, colour);
        }
    }
    return bitmap;
}

TabBitmap DrawBackground(double scale) {
    TabBitmap bitmap = Blank(Scaled(2, scale), Scaled(35, scale));
    for (int y = 0; y < bitmap.height; ++y) {
        const Rgb row = BackgroundRow(std::clamp(DesignPosition(y, scale), 0.0, 34.0));
        for (int x = 0; x < bitmap.width; ++x) {
            Put(bitmap, x, y, row);
        }
    }
    return bitmap;
}

// A bar that darkens downwards with a step just below the middle; its edge columns are
// lighter, so it reads as a groove on either background.
TabBitmap DrawSeparator(double scale) {
    TabBitmap bitmap = Blank(Scaled(3, scale), Scaled(25, scale));
    for (int y = 0; y < bitmap.height; ++y) {
        const double row = std::clamp(DesignPosition(y, scale), 0.0, 24.0);
        const Rgb centre = row <= 12.5 ? Ramp(0xDDE9FC, 0xC5D6EF, 0, 12, row)
                                       : Ramp(0xA9C5E9, 0x729DD1, 13, 24, row);
        const Rgb edge = Mix(centre, Hex(0xFFFFFF), 0.45);
        for (int x = 0; x < bitmap.width; ++x) {
            // The middle design column is the groove, the outer two its light edges.
            const bool middle = std::lround(DesignPosition(x, scale)) == 1;
            Put(bitmap, x, y, middle ? centre : edge);
        }
    }
    return bitmap;
}

TabBitmap DrawTab(int width, const Glass& glass, double scale) {
    constexpr int kHeight = 36;
    const TabShape outer{0.0,         1.0 * scale, width * scale, kHeight * scale, 6.0 * scale,
                         2.0 * scale, 0.0};
    TabShape inner = outer;
    inner.inset = 1.0 * scale;
    return DrawGlassShape(Scaled(width, scale), Scaled(kHeight, scale), outer, inner, glass,
                          2.0 * scale, (kHeight - 1.0) * scale);
}

TabBitmap DrawMenuButton(const Glass& glass, double scale) {
    constexpr int kWidth = 22, kHeight = 36;
    const Circle outer{11.0 * scale, 17.5 * scale, 8.5 * scale};
    const Circle inner{11.0 * scale, 17.5 * scale, 7.5 * scale};
    TabBitmap bitmap = DrawGlassShape(Scaled(kWidth, scale), Scaled(kHeight, scale), outer, inner,
                                      glass, 9.0 * scale, 26.0 * scale);
    const DownArrow arrow{11.0 * scale, 16.0 * scale, 3.5 * scale, 4.0 * scale};
    const Rgb ink = Hex(0x1E3A66);
    for (int y = 0; y < bitmap.height; ++y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const double cover = Coverage(x, y, arrow);
            if (cover > 0.0) {
                const std::uint32_t under = bitmap.At(x, y);
                Put(bitmap, x, y, Mix(Hex(under), ink, cover));
            }
        }
    }
    return bitmap;
}

constexpr Glass kTabOver{0x8DB2E3, 0xFDFEFF, 0xE3EFFD, 0xC9E0FA, 0xB0D1F6};
constexpr Glass kTabDown{0x2A5597, 0x8FB4E6, 0x6793D2, 0x4A7EC6, 0x3567B3};
constexpr Glass kMenuNormal{0x7F9FCC, 0xF2F7FE, 0xDCE8F8, 0xCBDCF3, 0xB9CFEE};
constexpr Glass kMenuOver{0x5C8BCB, 0xFFFFFF, 0xE6F1FE, 0xBFDBFA, 0xA3C9F5};
constexpr Glass kMenuDown{0x2A5597, 0xAFC9EE, 0x8DB1E4, 0x6F9AD6, 0x5A88CB};

}  // namespace

const char* TabPictureName(TabPictureId id) noexcept {
    switch (id) {
        case TabPictureId::Background:
            return "TAB_BACKGROUND";
        case TabPictureId::Separator:
            return "TAB_SEPARATOR";
        case TabPictureId::TabOver:
            return "TAB_OVER";
        case TabPictureId::TabDown:
            return "TAB_DOWN";
        case TabPictureId::MenuNormal:
            return "TAB_MENU_NORMAL";
        case TabPictureId::MenuOver:
            return "TAB_MENU_OVER";
        case TabPictureId::MenuDown:
            return "TAB_MENU_DOWN";
    }
    return "";
}

TabBitmap DrawTabPicture(TabPictureId id, int dpi) {
    const double scale = ScaleFor(dpi);
    switch (id) {
        case TabPictureId::Background:
            return DrawBackground(scale);
        case TabPictureId::Separator:
            return DrawSeparator(scale);
        case TabPictureId::TabOver:
            return DrawTab(64, kTabOver, scale);
        case TabPictureId::TabDown:
            return DrawTab(65, kTabDown, scale);
        case TabPictureId::MenuNormal:
            return DrawMenuButton(kMenuNormal, scale);
        case TabPictureId::MenuOver:
            return DrawMenuButton(kMenuOver, scale);
        case TabPictureId::MenuDown:
            return DrawMenuButton(kMenuDown, scale);
    }
    return {};
}

std::vector<std::uint8_t> EncodeBmp(const TabBitmap& bitmap) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(bitmap.width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(bitmap.height);
    constexpr std::uint32_t kHeaders = 14 + 40;
    std::vector<std::uint8_t> out;
    out.reserve(kHeaders + imageSize);
    out.push_back('B');
    out.push_back('M');
    common::AppendLe32(out, kHeaders + imageSize);
    common::AppendLe32(out, 0);
    common::AppendLe32(out, kHeaders);
    common::AppendLe32(out, 40);
    common::AppendLe32(out, static_cast<std::uint32_t>(bitmap.width));
    common::AppendLe32(out, static_cast<std::uint32_t>(bitmap.height));  // positive: bottom-up rows
    common::AppendLe16(out, 1);
    common::AppendLe16(out, 24);
    common::AppendLe32(out, 0);  // uncompressed
    common::AppendLe32(out, imageSize);
    common::AppendLe32(out, 2835);  // 72 dots per inch
    common::AppendLe32(out, 2835);
    common::AppendLe32(out, 0);
    common::AppendLe32(out, 0);
    for (int y = bitmap.height - 1; y >= 0; --y) {
        for (int x = 0; x < bitmap.width; ++x) {
            const std::uint32_t rgb = bitmap.At(x, y);
            out.push_back(static_cast<std::uint8_t>(rgb & 0xFF));
            out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));
            out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFF));
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(bitmap.width) * 3; pad < stride;
             ++pad) {
            out.push_back(0);
        }
    }
    return out;
}

}  // namespace murmurex
