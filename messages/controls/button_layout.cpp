#include "button_layout.h"

#include <cmath>

#include "portable/round_half_even.h"
#include "portable/twips.h"

namespace murmurex {

int ButtonMinimumPixels(int dotsPerInch) noexcept {
    // Rounded up, not to even: the minimum is the least size, so a part pixel counts whole.
    const int dpi = UsableDpi(dotsPerInch);
    return (kButtonMinimumTwips * dpi + kTwipsPerInch - 1) / kTwipsPerInch;
}

PixelRect CaptionMeasureRect(int width, int height) noexcept {
    return PixelRect{4, 4, width - 4, height - 4};
}

unsigned CaptionMeasureFormat(bool rightToLeft) noexcept {
    return text_format::kMeasureOnly | text_format::kWordBreak |
           (rightToLeft ? text_format::kRightToLeft : 0u);
}

CaptionLayout LayOutCaption(int width, int height, const PixelRect& measured, int align,
                            int textMargin, bool rightToLeft) noexcept {
    using namespace text_format;
    const double w = width;
    const double h = height;
    const double ml = measured.left;
    const double mt = measured.top;
    const double mr = measured.right;
    const double mb = measured.bottom;
    const double m = textMargin;
    const int middleTop = RoundHalfEven((h - mb - mt) / 2 + 3);
    const int middleBottom = RoundHalfEven((h + mb - mt) / 2);
    const int centreLeft = RoundHalfEven((w - mr - ml) / 2);
    const int centreRight = RoundHalfEven((w + mr - ml) / 2);

    CaptionLayout layout;
    switch (static_cast<Align>(align)) {
        case Align::Left:
            layout.rect = {textMargin, middleTop, RoundHalfEven(mr + m), middleBottom};
            layout.format = kVerticalCentre | kWordBreak;
            break;
        case Align::Right:
            layout.rect = {RoundHalfEven(w - mr - ml - m), middleTop, RoundHalfEven(w - ml - m),
                           middleBottom};
            layout.format = kRight | kVerticalCentre | kWordBreak;
            break;
        case Align::Top:
            layout.rect = {centreLeft, RoundHalfEven(m / 2), centreRight,
                           RoundHalfEven(m / 2 + (mb - mt))};
            layout.format = kCentre | kWordBreak;
            break;
        case Align::Bottom:
            layout.rect = {centreLeft, RoundHalfEven(h - (mb - mt) - m / 2), centreRight,
                           RoundHalfEven(h - m / 2)};
            layout.format = kCentre | kBottom | kWordBreak;
            break;
        case Align::Centre:
        default:
            layout.rect = {centreLeft, middleTop, centreRight, middleBottom};
            layout.format = kCentre | kVerticalCentre | kWordBreak;
            break;
    }
    if (rightToLeft) {
        layout.format |= kRightToLeft;
    }
    return layout;
}

PixelPoint IconPosition(int align, int width, int height, int iconSize, int textMargin) noexcept {
    const int centreX = RoundHalfEven((width - iconSize) / 2.0);
    const int centreY = RoundHalfEven((height - iconSize) / 2.0);
    switch (static_cast<Align>(align)) {
        case Align::Left:
            return {textMargin, centreY};
        case Align::Right:
            return {width - iconSize - textMargin, centreY};
        case Align::Top:
            return {centreX, textMargin};
        case Align::Bottom:
            return {centreX, height - iconSize - textMargin};
        case Align::Centre:
        default:
            return {centreX, centreY};
    }
}

ButtonRegion RegionForStyle(int style, int width, int height) {
    const int w = width;
    const int h = height;
    ButtonRegion region;
    switch (style) {
        case 5:
        case 7:
            region.kind = ButtonRegion::Kind::Polygon;
            region.points = {{0, 1},     {1, 0},     {w - 1, 0}, {w, 1},
                             {w, h - 2}, {w - 2, h}, {2, h},     {0, h - 2}};
            break;
        case 8:
        case 9:
            region.kind = ButtonRegion::Kind::Polygon;
            region.points = {{0, 2},     {2, 0},     {w - 3, 0}, {w, 3},
                             {w, h - 3}, {w - 3, h}, {4, h},     {0, h - 4}};
            break;
        case 10:
            region.kind = ButtonRegion::Kind::RoundRectangle;
            region.bounds = {0, 0, w + 1, h + 1};
            region.ellipse = 18;
            break;
        default:
            region.kind = ButtonRegion::Kind::Rectangle;
            region.bounds = {0, 0, w, h};
            break;
    }
    return region;
}

}  // namespace murmurex
