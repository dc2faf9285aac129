#pragma once
// The gallery of controls-demo: every button style 0 to 10 in its four states (normal, hot,
// pressed, disabled), with the system colours and with custom colours, and a row of icons
// in each alignment, disabled, with a mask colour and with the style-4 shadow. Each picture
// is a real StyledButton painted into its place, clipped to its style's window region.

#include <windows.h>

#include <memory>
#include <vector>

#include "button_icon_image.h"
#include "win/owned_window.h"
#include "win/unique_handle.h"

namespace murmurex::gallery {

/// Where the gallery sits in the demo's client area.
inline constexpr int kLeft = 0;
inline constexpr int kTop = 160;

inline constexpr int kStyles = 11;
/// Columns 0 to 3: states 1 to 4 in the system colours; 4 to 7: the same in custom colours.
inline constexpr int kColumns = 8;
inline constexpr int kLabelWidth = 64;
inline constexpr int kHeaderHeight = 22;
inline constexpr int kCellWidth = 84;
inline constexpr int kCellHeight = 28;
inline constexpr int kGap = 6;

inline constexpr int kIconCells = 8;
inline constexpr int kIconCellWidth = 84;
inline constexpr int kIconCellHeight = 44;
inline constexpr int kIconRowTop = kHeaderHeight + kStyles * (kCellHeight + kGap) + 22;

inline constexpr int kWidth = kLabelWidth + kColumns * (kCellWidth + kGap) + 4;
inline constexpr int kHeight = kIconRowTop + kIconCellHeight + 10;

/// The custom colours of columns 4 to 7.
inline constexpr Colour kCustomBack = Rgb(255, 236, 200);
inline constexpr Colour kCustomHighlight = Rgb(230, 120, 40);
inline constexpr Colour kCustomFont = Rgb(90, 40, 0);
inline constexpr Colour kCustomFontHighlight = Rgb(110, 20, 80);
/// The icon row's mask colour, a band of which runs through the picture.
inline constexpr Colour kMaskColour = Rgb(0xC0, 0xC0, 0xC0);

/// A cell of the style grid, in the gallery's client coordinates.
RECT StyleCell(int style, int column);
/// A cell of the icon row: 0 to 4 the alignments, 5 disabled, 6 mask colour, 7 style-4 hot.
RECT IconCell(int index);
/// The icon every icon cell shows.
IconImage Picture();

// Needs nothing of its own while its window goes, so the base destroys the window.
class GalleryWindow : public win::OwnedWindow {
    struct Key {
        explicit Key() = default;
    };

  public:
    static std::unique_ptr<GalleryWindow> Create(HWND parent);
    explicit GalleryWindow(Key);
    GalleryWindow(const GalleryWindow&) = delete;
    GalleryWindow& operator=(const GalleryWindow&) = delete;
    ~GalleryWindow();

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    struct Cell;

  private:
    void Build();
    void Paint();

    win::UniqueFont font_;
    std::vector<std::unique_ptr<Cell>> cells_;
};

}  // namespace murmurex::gallery
