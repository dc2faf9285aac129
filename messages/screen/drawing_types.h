#pragma once
// The values a drawing call works with: points, boxes, the four colours, pen and brush, the
// font fields and the font object handed in and out, and the picture object as drawing sees it.

#include <cstdint>
#include <memory>
#include <string>

namespace murmurex {

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

/// Left, top, right, bottom in screen pixels.
struct ScreenBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const ScreenBox&) const = default;
};

/// The four colours in force for a call, in the order a display-list record keeps them.
/// Each is 0x00BBGGRR or a system-colour value, stored as it was given.
struct ScreenColours {
    std::uint32_t backScr = 0xFFFFFF;  // fill of shapes (the brush)
    std::uint32_t backTxt = 0xFFFFFF;  // behind text
    std::uint32_t foreScr = 0;         // lines of shapes (the pen)
    std::uint32_t foreTxt = 0;         // text
    bool operator==(const ScreenColours&) const = default;
};

/// Everything a drawing call applies to its fresh device context before it draws.
struct DrawingStyle {
    ScreenColours colours;
    std::int32_t brushStyle = 0;  // 0 = solid
    std::int32_t brushHatch = 2;
    std::int32_t penStyle = 0;  // 0 = solid
    std::int32_t penWidth = 1;
};

/// The font the object holds; applied by the next drawText.
struct FontFields {
    std::string name = "Arial";
    std::int32_t size = 10;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    bool operator==(const FontFields&) const = default;
};

/// A font object as `Font` hands it out and takes it in.
struct ScreenFontObject {
    std::string name;
    double size = 0;  // points; may carry a fraction
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    std::int16_t charset = 0;
    std::int16_t weight = 400;
};

/// A picture object as the drawing members take and record it: the platform's picture,
/// seen through whether it holds an image and its size in 0.01 mm units.
class ScreenPicture {
  public:
    virtual ~ScreenPicture() = default;
    /// False when the picture's handle is 0.
    virtual bool HasImage() const = 0;
    virtual std::int32_t WidthHimetric() const = 0;
    virtual std::int32_t HeightHimetric() const = 0;
};

using PictureObject = std::shared_ptr<ScreenPicture>;

}  // namespace murmurex
