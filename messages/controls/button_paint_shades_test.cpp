#include "button_paint_shades.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "button_layout.h"
#include "canvas_pixels.h"
#include "null_button_view.h"
#include "styled_button.h"

namespace murmurex {
namespace {

constexpr Colour kSentinel = Rgb(255, 0, 255);
constexpr int kW = 100;
constexpr int kH = 30;
// A warm, uneven face and highlight, so a channel mixed up or an offset applied to the wrong
// colour shows.
constexpr Colour kFace = Rgb(236, 233, 216);
constexpr Colour kHighlight = Rgb(49, 106, 197);

int Brightness(Colour c) {
    return RedOf(c) + GreenOf(c) + BlueOf(c);
}

// Whether the centre of pixel x, y lies on one of the polygon's edges, where the platform
// may show the pixel or not.
bool CentreOnEdge(const std::vector<PixelPoint>& polygon, int x, int y) {
    const double px = x + 0.5;
    const double py = y + 0.5;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const double ax = polygon[j].x, ay = polygon[j].y;
        const double bx = polygon[i].x, by = polygon[i].y;
        const double cross = (bx - ax) * (py - ay) - (by - ay) * (px - ax);
        const bool within = px >= std::min(ax, bx) && px <= std::max(ax, bx) &&
                            py >= std::min(ay, by) && py <= std::max(ay, by);
        if (within && std::abs(cross) < 1e-9) {
            return true;
        }
    }
    return false;
}

// Whether the centre of pixel x, y lies strictly inside the polygon (even-odd rule, as the
// window region is filled).
bool CentreInside(const std::vector<PixelPoint>& polygon, int x, int y) {
    if (CentreOnEdge(polygon, x, y)) {
        return false;
    }
    const double px = x + 0.5;
    const double py = y + 0.5;
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const double xi = polygon[i].x, yi = polygon[i].y;
        const double xj = polygon[j].x, yj = polygon[j].y;
        if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) {
            inside = !inside;
        }
    }
    return inside;
}

// Every pixel whose centre the region holds is painted, and nothing is painted outside the
// region except on its very edge: the shape the user sees is the painted one.
void ExpectPaintFillsRegion(const PixelCanvas& c, int style) {
    const ButtonRegion region = RegionForStyle(style, c.Width(), c.Height());
    ASSERT_EQ(region.kind, ButtonRegion::Kind::Polygon);
    std::string unpainted;
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            if (CentreInside(region.points, x, y) && c.At(x, y) == kSentinel) {
                unpainted += " " + std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    EXPECT_EQ(unpainted, "") << "style " << style;
}

// The border pixels of styles 8 and 9 must be ones the region shows.
void ExpectCutBorderVisible(const PixelCanvas& c, int style, Colour border) {
    const ButtonRegion region = RegionForStyle(style, c.Width(), c.Height());
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{kW / 2, 0},
                                                               {0, kH / 2},
                                                               {kW - 1, kH / 2},
                                                               {kW / 2, kH - 1},
                                                               {1, 1},
                                                               {kW - 3, 1},
                                                               {kW - 3, kH - 2},
                                                               {2, kH - 3}}) {
        EXPECT_EQ(c.At(x, y), border) << "style " << style << " at " << x << "," << y;
        EXPECT_TRUE(CentreInside(region.points, x, y)) << x << "," << y;
    }
    // The cut corners themselves stay unpainted: the region hides them anyway.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 0},
                                                               {1, 0},
                                                               {0, 1},
                                                               {kW - 1, 0},
                                                               {kW - 2, 0},
                                                               {kW - 1, 1},
                                                               {kW - 1, kH - 1},
                                                               {kW - 2, kH - 1},
                                                               {kW - 1, kH - 2},
                                                               {0, kH - 1},
                                                               {1, kH - 1},
                                                               {0, kH - 2}}) {
        EXPECT_EQ(c.At(x, y), kSentinel) << x << "," << y;
        EXPECT_FALSE(CentreInside(region.points, x, y)) << x << "," << y;
    }
}

PixelCanvas Paint7(int state, bool focused) {
    PixelCanvas c(kW, kH, kSentinel);
    PaintStyle7(c, kW, kH, Style7ShadesFor(state, focused, kFace, kHighlight));
    return c;
}

TEST(Style7, StructureInEveryState) {
    for (int state = 1; state <= 4; ++state) {
        for (const bool focused : {false, true}) {
            SCOPED_TRACE("state " + std::to_string(state) + (focused ? " focused" : ""));
            const Style7Shades s = Style7ShadesFor(state, focused, kFace, kHighlight);
            const PixelCanvas c = Paint7(state, focused);
            // Border on all four sides.
            EXPECT_EQ(c.At(kW / 2, 0), s.border);
            EXPECT_EQ(c.At(kW / 2, kH - 1), s.border);
            EXPECT_EQ(c.At(0, kH / 2), s.border);
            EXPECT_EQ(c.At(kW - 1, kH / 2), s.border);
            // Softened corners, mirrored.
            for (const auto& [x, y] : std::vector<std::pair<int, int>>{
                     {1, 1}, {kW - 2, 1}, {kW - 2, kH - 2}, {1, kH - 2}}) {
                EXPECT_EQ(c.At(x, y), s.innerCorner) << x << "," << y;
            }
            for (const auto& [x, y] : std::vector<std::pair<int, int>>{{0, 1},
                                                                       {1, 0},
                                                                       {kW - 2, 0},
                                                                       {kW - 1, 1},
                                                                       {kW - 1, kH - 2},
                                                                       {kW - 2, kH - 1},
                                                                       {1, kH - 1},
                                                                       {0, kH - 2}}) {
                EXPECT_EQ(c.At(x, y), s.outerCorner) << x << "," << y;
            }
            // Bands and centre, away from any inner frame.
            EXPECT_EQ(c.At(kW / 2, kH / 2), s.centre);
            EXPECT_EQ(c.At(kW / 2, 5), s.centre);
            EXPECT_EQ(c.At(kW / 2, kH - 6), s.centre);
            EXPECT_EQ(c.At(kW / 2, kH - 2), s.innerFrame ? s.innerFrameOuter : s.bottomBand);
            EXPECT_EQ(c.At(kW / 2, 1), s.innerFrame ? s.innerFrameOuter : s.topBand);
            EXPECT_EQ(c.At(kW / 2, 2),
                      s.innerFrame ? s.innerFrameInner : Mix(s.topBand, s.centre, 1.0f / 3.0f));
            EXPECT_EQ(c.At(2, kH / 2), s.innerFrame ? s.innerFrameInner : s.centre);
            ExpectPaintFillsRegion(c, 7);
        }
    }
}

TEST(Style7, LookOfEachState) {
    const Style7Shades normal = Style7ShadesFor(1, false, kFace, kHighlight);
    const Style7Shades focused = Style7ShadesFor(1, true, kFace, kHighlight);
    const Style7Shades hot = Style7ShadesFor(2, false, kFace, kHighlight);
    const Style7Shades pressed = Style7ShadesFor(3, false, kFace, kHighlight);
    const Style7Shades disabled = Style7ShadesFor(4, true, kFace, kHighlight);
    EXPECT_EQ(normal.centre, kFace);
    EXPECT_FALSE(normal.innerFrame);
    // Focus shows only as the highlight frame; the body stays the normal one.
    EXPECT_TRUE(focused.innerFrame);
    EXPECT_EQ(focused.centre, normal.centre);
    EXPECT_GT(BlueOf(focused.innerFrameOuter), RedOf(focused.innerFrameOuter));
    EXPECT_TRUE(hot.innerFrame);
    EXPECT_GT(Brightness(hot.centre), Brightness(normal.centre));
    // Light at the top when raised, dark at the top when pressed.
    EXPECT_GT(Brightness(normal.topBand), Brightness(normal.bottomBand));
    EXPECT_LT(Brightness(pressed.topBand), Brightness(pressed.bottomBand));
    EXPECT_LT(Brightness(pressed.centre), Brightness(normal.centre));
    EXPECT_FALSE(disabled.innerFrame);
    EXPECT_EQ(disabled.topBand, disabled.centre);
    EXPECT_GT(Brightness(disabled.border), Brightness(normal.border));
    // Every shade comes from the system colours given, not from fixed values.
    const Style7Shades other = Style7ShadesFor(1, true, Rgb(200, 200, 200), Rgb(200, 0, 0));
    EXPECT_EQ(other.centre, Rgb(200, 200, 200));
    EXPECT_GT(RedOf(other.innerFrameOuter), BlueOf(other.innerFrameOuter));
}

TEST(Style8, StructureInEveryState) {
    for (int state = 1; state <= 4; ++state) {
        SCOPED_TRACE("state " + std::to_string(state));
        const Style8Shades s = Style8ShadesFor(state, kFace);
        PixelCanvas c(kW, kH, kSentinel);
        PaintStyle8(c, kW, kH, s);
        ExpectCutBorderVisible(c, 8, s.border);
        EXPECT_EQ(c.At(1, 2), s.corner);
        EXPECT_EQ(c.At(kW - 2, 3), s.corner);
        EXPECT_EQ(c.At(kW - 2, kH - 4), s.corner);
        EXPECT_EQ(c.At(1, kH - 5), s.corner);
        EXPECT_EQ(c.At(kW / 2, kH / 2), s.centre);
        EXPECT_EQ(c.At(kW / 2, 1), s.innerLines ? s.topLeftLine : s.centre);
        EXPECT_EQ(c.At(1, kH / 2), s.innerLines ? s.topLeftLine : s.centre);
        EXPECT_EQ(c.At(kW / 2, kH - 2), s.innerLines ? s.bottomRightLine : s.centre);
        EXPECT_EQ(c.At(kW - 2, kH / 2), s.innerLines ? s.bottomRightLine : s.centre);
        ExpectPaintFillsRegion(c, 8);
    }
    const Style8Shades normal = Style8ShadesFor(1, kFace);
    const Style8Shades pressed = Style8ShadesFor(3, kFace);
    EXPECT_EQ(normal.centre, kFace);
    EXPECT_GT(Brightness(normal.topLeftLine), Brightness(normal.bottomRightLine));
    EXPECT_LT(Brightness(pressed.topLeftLine), Brightness(pressed.bottomRightLine));
    EXPECT_GT(Brightness(Style8ShadesFor(2, kFace).centre), Brightness(normal.centre));
    EXPECT_FALSE(Style8ShadesFor(4, kFace).innerLines);
}

TEST(Style9, StructureInEveryState) {
    const Colour base = Rgb(90, 140, 60);
    const Colour accent = Rgb(200, 60, 40);
    for (int state = 1; state <= 4; ++state) {
        SCOPED_TRACE("state " + std::to_string(state));
        const Style9Shades s = Style9ShadesFor(state, base, accent);
        PixelCanvas c(kW, kH, kSentinel);
        PaintStyle9(c, kW, kH, s);
        ExpectCutBorderVisible(c, 9, s.border);
        EXPECT_EQ(c.At(kW / 2, kH / 2), s.centre);
        EXPECT_EQ(c.At(kW / 2, 1), s.top);
        EXPECT_EQ(c.At(kW / 2, kH - 2), s.bottom);
        // The horizontal gradients: the side shade at the edge column, the body by column 5.
        EXPECT_EQ(c.At(1, kH / 2), s.side);
        EXPECT_EQ(c.At(kW - 2, kH / 2), s.side);
        EXPECT_EQ(c.At(5, kH / 2), s.centre);
        EXPECT_EQ(c.At(3, kH / 2), Mix(s.side, s.centre, 0.5f));
        ExpectPaintFillsRegion(c, 9);
    }
    // Normal and disabled are made of the base, hot and pressed of the accent.
    EXPECT_EQ(Style9ShadesFor(1, base, accent).centre, base);
    EXPECT_EQ(Style9ShadesFor(4, base, accent).centre, base);
    EXPECT_EQ(Style9ShadesFor(3, base, accent).centre, accent);
    EXPECT_EQ(Style9ShadesFor(2, base, accent).centre, Offset(accent, 64));
    EXPECT_LT(Brightness(Style9ShadesFor(3, base, accent).top),
              Brightness(Style9ShadesFor(3, base, accent).bottom));
    EXPECT_GT(Brightness(Style9ShadesFor(1, base, accent).top),
              Brightness(Style9ShadesFor(1, base, accent).bottom));
}

TEST(ShadedStyles, SmallestButtonStillPaints) {
    // 20 x 20 is the smallest size a button can have at 96 dots per inch.
    for (int state = 1; state <= 4; ++state) {
        PixelCanvas c7(20, 20, kSentinel);
        PaintStyle7(c7, 20, 20, Style7ShadesFor(state, true, kFace, kHighlight));
        EXPECT_EQ(c7.At(10, 10), Style7ShadesFor(state, true, kFace, kHighlight).centre);
        PixelCanvas c9(20, 20, kSentinel);
        PaintStyle9(c9, 20, 20, Style9ShadesFor(state, kFace, kHighlight));
        EXPECT_EQ(c9.At(10, 10), Style9ShadesFor(state, kFace, kHighlight).centre);
        EXPECT_EQ(c9.At(10, 0), Style9ShadesFor(state, kFace, kHighlight).border);
    }
}

// The button picks the painter, the colours and the text margin by style.
SystemColours Colours() {
    SystemColours colours;
    colours.buttonFace = kFace;
    colours.highlight = kHighlight;
    return colours;
}

TEST(ShadedStyles, ButtonPaintsStyleWithItsColoursAndMargin) {
    NullButtonView view;
    StyledButton button(view, Colours());
    button.InitProperties("");
    button.Shown();
    const Colour back = Rgb(30, 120, 90);
    const Colour highlight = Rgb(210, 40, 160);
    button.SetBackColor(back);
    button.SetHighlightColor(highlight);

    struct Case {
        int style;
        int margin;
    };
    for (const Case& k : {Case{7, 4}, Case{8, 4}, Case{9, 6}}) {
        button.SetStyle(k.style);
        PixelCanvas c(kW, kH, kSentinel);
        button.Paint(c, kW, kH);
        EXPECT_EQ(button.TextMargin(), k.margin) << "style " << k.style;
        // The system face, custom colours or not: styles 7 and 8 ignore them.
        button.SetUseCustomColors(k.style == 9);
        PixelCanvas again(kW, kH, kSentinel);
        button.Paint(again, kW, kH);
        const Colour centre = again.At(kW / 2, kH / 2);
        EXPECT_EQ(centre, k.style == 9 ? back : kFace) << "style " << k.style;
        button.SetUseCustomColors(false);
    }

    // Style 9 pressed: the custom highlight; without custom colours, the system highlight.
    button.SetStyle(9);
    button.SetUseCustomColors(true);
    button.MouseDown(1);
    PixelCanvas pressed(kW, kH, kSentinel);
    button.Paint(pressed, kW, kH);
    EXPECT_EQ(pressed.At(kW / 2, kH / 2), highlight);
    button.SetUseCustomColors(false);
    PixelCanvas pressedSystem(kW, kH, kSentinel);
    button.Paint(pressedSystem, kW, kH);
    EXPECT_EQ(pressedSystem.At(kW / 2, kH / 2), kHighlight);
}

}  // namespace
}  // namespace murmurex
