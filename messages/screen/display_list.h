#pragma once
// The display list: what the screen object drew while EnableRefresh was on, one list per kind
// of primitive, each record ending with the four colours in force for the call. Refresh replays
// the lists in the order they are declared here.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "drawing_types.h"

namespace murmurex {

struct ArcRecord {
    std::int32_t centreX = 0, centreY = 0, radius = 0;
    std::int32_t lineStartX = 0, lineStartY = 0;
    float startAngle = 0, sweepAngle = 0;
    ScreenColours colours;
};

struct EllipseRecord {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    ScreenColours colours;
};

/// A DrawHalfCircle call.
struct ChordRecord {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ScreenColours colours;
};

struct LineRecord {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ScreenColours colours;
};

struct PictureRecord {
    std::int32_t x = 0, y = 0;
    std::string path;                    // only when the call named a file
    PictureObject picture;               // the picture that was drawn
    std::uintptr_t bitmap = 0;           // always 0: the picture above stands for it
    std::int32_t width = 0, height = 0;  // as used, after a zero was replaced
    bool stretch = false;
    ScreenColours colours;
};

struct PieRecord {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t angle = 0;  // after clamping
    bool explicitPoints = false;
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    ScreenColours colours;
};

struct PolygonRecord {
    std::vector<std::int32_t> xs, ys;
    std::int32_t count = 0;
    ScreenColours colours;
};

struct PolylineRecord {
    std::int32_t startX = 0, startY = 0;
    std::vector<std::int32_t> xs, ys;
    std::int32_t count = 0;
    ScreenColours colours;
};

struct RectangleRecord {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool filled = false, outlined = false;
    ScreenColours colours;
};

struct TextRecord {
    std::string text;
    std::int32_t x = 0, y = 0;
    bool wordWrap = false;
    ScreenColours colours;
};

/// The ten lists, in replay order. A record's place in its vector is its index less one.
struct DisplayList {
    std::vector<ArcRecord> arcs;
    std::vector<EllipseRecord> ellipses;
    std::vector<ChordRecord> chords;
    std::vector<LineRecord> lines;
    std::vector<PictureRecord> pictures;
    std::vector<PieRecord> pies;
    std::vector<PolygonRecord> polygons;
    std::vector<PolylineRecord> polylines;
    std::vector<RectangleRecord> rectangles;
    std::vector<TextRecord> texts;

    /// Records in all ten lists together.
    std::size_t Size() const noexcept {
        return arcs.size() + ellipses.size() + chords.size() + lines.size() + pictures.size() +
               pies.size() + polygons.size() + polylines.size() + rectangles.size() + texts.size();
    }

    void Clear() noexcept { *this = DisplayList{}; }
};

}  // namespace murmurex
