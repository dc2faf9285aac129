#pragma once
// Where the settings window's controls sit at design time, in twips: the one source of every
// position. The window turns them into pixels at the DPI of the monitor it is on, and again
// whenever that DPI changes.

#include "portable/twips.h"

namespace murmurex {

struct TwipsRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    constexpr int Width() const noexcept { return right - left; }
    constexpr int Height() const noexcept { return bottom - top; }
};

/// A place in whole pixels.
struct PixelPlace {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    constexpr int Width() const noexcept { return right - left; }
    constexpr int Height() const noexcept { return bottom - top; }
};

/// A design place in pixels at the DPI of each axis. Each edge is converted on its own, so
/// places that share an edge in twips share it in pixels at any DPI.
inline PixelPlace PlaceInPixels(TwipsRect twips, int dpiX, int dpiY) noexcept {
    return PixelPlace{TwipsToPixels(twips.left, dpiX), TwipsToPixels(twips.top, dpiY),
                      TwipsToPixels(twips.right, dpiX), TwipsToPixels(twips.bottom, dpiY)};
}

namespace settings_layout {

/// The client area.
inline constexpr int kClientWidth = 6870;
inline constexpr int kClientHeight = 6255;
/// The tab strip's height.
inline constexpr int kTabStripHeight = 525;

// Design places, in twips (left, top, right, bottom). Frame contents are placed relative to
// their frame at design time; here they are children of the window, so the frame's corner is
// added.
constexpr TwipsRect Place(int left, int top, int width, int height) {
    return TwipsRect{left, top, left + width, top + height};
}
constexpr TwipsRect InFrame(TwipsRect frame, int left, int top, int width, int height) {
    return Place(frame.left + left, frame.top + top, width, height);
}

// Picture2: the blue page background below the tab strip.
inline constexpr TwipsRect kPicture2 = Place(0, 525, 6870, 5655);
// Label1: the category list's caption.
inline constexpr TwipsRect kLabel1 = Place(180, 660, 3135, 255);
inline constexpr TwipsRect kCategories = Place(180, 960, 3135, 1635);
inline constexpr TwipsRect kEditCat = Place(180, 2670, 3135, 315);
inline constexpr TwipsRect kAddCat = Place(180, 3090, 975, 435);
inline constexpr TwipsRect kEditCatButton = Place(1260, 3090, 975, 435);
inline constexpr TwipsRect kDeleteCat = Place(2340, 3090, 975, 435);
// Label2: the phrase list's caption.
inline constexpr TwipsRect kLabel2 = Place(3540, 660, 3135, 255);
inline constexpr TwipsRect kPhrases = Place(3540, 960, 3135, 1635);
inline constexpr TwipsRect kEditWord = Place(3540, 2670, 3135, 315);
inline constexpr TwipsRect kAdd = Place(3540, 3090, 975, 435);
inline constexpr TwipsRect kEdit = Place(4620, 3090, 975, 435);
inline constexpr TwipsRect kDelete = Place(5700, 3090, 975, 435);
inline constexpr TwipsRect kFrameTimes = Place(180, 3660, 3135, 1755);
inline constexpr TwipsRect kDurationLabel = InFrame(kFrameTimes, 120, 300, 2775, 375);
inline constexpr TwipsRect kDurationWheel = InFrame(kFrameTimes, 120, 600, 2895, 315);
inline constexpr TwipsRect kFrequencyLabel = InFrame(kFrameTimes, 120, 960, 2775, 375);
inline constexpr TwipsRect kFrequencyWheel = InFrame(kFrameTimes, 120, 1260, 2895, 315);
inline constexpr TwipsRect kFrameFont = Place(3540, 3660, 3135, 1755);
inline constexpr TwipsRect kEditFont = InFrame(kFrameFont, 240, 360, 1335, 435);
inline constexpr TwipsRect kColourPicker = InFrame(kFrameFont, 1680, 360, 1275, 435);
// Picture1: the font preview.
inline constexpr TwipsRect kPicture1 = InFrame(kFrameFont, 240, 840, 2715, 795);
// Inside Picture1: Shape1 is its white half, Shape2 its black half, the preview label on both.
inline constexpr int kShape1Width = 1335;
inline constexpr int kShape2Left = 1320;
inline constexpr TwipsRect kPreviewLabel = Place(60, 60, 2535, 615);
inline constexpr TwipsRect kStart = Place(180, 5610, 1335, 435);
inline constexpr TwipsRect kClose = Place(5340, 5610, 1335, 435);
inline constexpr TwipsRect kVersion = Place(1620, 5700, 3615, 255);
inline constexpr TwipsRect kStop = Place(2700, 6240, 1395, 435);
inline constexpr TwipsRect kHelpBox = Place(180, 600, 6420, 4555);

}  // namespace settings_layout
}  // namespace murmurex
