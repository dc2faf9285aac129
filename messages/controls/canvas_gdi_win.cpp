#include "canvas_gdi_win.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace murmurex {

HPEN GdiCanvas::PenFor(Colour colour) {
    if (!pen_ || penColour_ != colour) {
        pen_.reset(::CreatePen(PS_SOLID, 1, colour));
        penColour_ = colour;
    }
    return pen_.get();
}

HBRUSH GdiCanvas::BrushFor(Colour colour) {
    if (!brush_ || brushColour_ != colour) {
        brush_.reset(::CreateSolidBrush(colour));
        brushColour_ = colour;
    }
    return brush_.get();
}

void GdiCanvas::Line(int x1, int y1, int x2, int y2, Colour colour) {
    const HPEN pen = PenFor(colour);
    if (pen == nullptr) {
        return;
    }
    win::SelectGuard selected(dc_, pen);
    ::MoveToEx(dc_, x1, y1, nullptr);
    ::LineTo(dc_, x2, y2);
}

void GdiCanvas::Fill(int x, int y, int width, int height, Colour colour) {
    if (width <= 0 || height <= 0) {
        return;
    }
    const HBRUSH brush = BrushFor(colour);
    if (brush == nullptr) {
        return;
    }
    const RECT rect{x, y, x + width, y + height};
    ::FillRect(dc_, &rect, brush);
}

void GdiCanvas::Outline(int x, int y, int w, int h, Colour colour) {
    // Both corners belong to the outline, so each side runs one past its end point.
    Line(x, y, x + w + 1, y, colour);
    Line(x, y + h, x + w + 1, y + h, colour);
    Line(x, y, x, y + h + 1, colour);
    Line(x + w, y, x + w, y + h + 1, colour);
}

void GdiCanvas::Pixel(int x, int y, Colour colour) {
    ::SetPixelV(dc_, x, y, colour);
}

std::optional<Colour> GdiCanvas::PixelAt(int x, int y) const {
    const COLORREF colour = ::GetPixel(dc_, x, y);
    if (colour == CLR_INVALID) {
        return std::nullopt;
    }
    return colour;
}

void GdiCanvas::Text(const PixelRect& rect, std::string_view text, unsigned format, Colour colour) {
    RECT area{rect.left, rect.top, rect.right, rect.bottom};
    const COLORREF previous = ::SetTextColor(dc_, colour);
    const int previousMode = ::SetBkMode(dc_, TRANSPARENT);
    const std::string copy(text);
    ::DrawTextA(dc_, copy.c_str(), static_cast<int>(copy.size()), &area, format);
    ::SetBkMode(dc_, previousMode);
    ::SetTextColor(dc_, previous);
}

void GdiCanvas::Icon(std::span<const std::uint8_t> icon, int x, int y, int size) {
    const win::UniqueIcon handle = IconFromFileImage(icon, size);
    if (handle) {
        ::DrawIconEx(dc_, x, y, handle.get(), size, size, 0, nullptr, DI_NORMAL);
    }
}

static_assert(static_cast<unsigned>(EdgeKind::RaisedOuter) == BDR_RAISEDOUTER);
static_assert(static_cast<unsigned>(EdgeKind::SunkenOuter) == BDR_SUNKENOUTER);
static_assert(static_cast<unsigned>(EdgeKind::RaisedInner) == BDR_RAISEDINNER);
static_assert(static_cast<unsigned>(EdgeKind::SunkenInner) == BDR_SUNKENINNER);
static_assert(static_cast<unsigned>(EdgeKind::Raised) == EDGE_RAISED);
static_assert(static_cast<unsigned>(EdgeKind::Sunken) == EDGE_SUNKEN);

void GdiCanvas::Edge(const PixelRect& rect, EdgeKind kind) {
    RECT area{rect.left, rect.top, rect.right, rect.bottom};
    ::DrawEdge(dc_, &area, static_cast<UINT>(kind), BF_RECT);
}

win::UniqueIcon IconFromFileImage(std::span<const std::uint8_t> icon, int size) {
    // ICONDIR: reserved 0, type 1, count; then 16-byte entries (width, height, ..., bytes at
    // 8, offset at 12). Every length is checked before it is used.
    const auto u16 = [&](std::size_t at) {
        std::uint16_t value = 0;
        std::memcpy(&value, icon.data() + at, sizeof value);
        return value;
    };
    const auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, icon.data() + at, sizeof value);
        return value;
    };
    if (icon.size() < 6 || u16(0) != 0 || u16(2) != 1) {
        return {};
    }
    const std::size_t count = u16(4);
    if (count == 0 || count > (icon.size() - 6) / 16) {
        return {};
    }
    std::size_t best = count;
    int bestDistance = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = 6 + 16 * i;
        const int width = icon[entry] == 0 ? 256 : icon[entry];
        const std::uint32_t length = u32(entry + 8);
        const std::uint32_t offset = u32(entry + 12);
        if (length == 0 || offset > icon.size() || length > icon.size() - offset) {
            continue;
        }
        const int distance = std::abs(width - size);
        if (best == count || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best == count) {
        return {};
    }
    const std::size_t entry = 6 + 16 * best;
    // The API takes a non-const pointer but only reads.
    auto* bits = const_cast<std::uint8_t*>(icon.data() + u32(entry + 12));
    return win::UniqueIcon(::CreateIconFromResourceEx(bits, u32(entry + 8), TRUE, 0x00030000, size,
                                                      size, LR_DEFAULTCOLOR));
}

}  // namespace murmurex
