#pragma once
// clsScreen: the program's object for the whole screen. It measures the display (size,
// depth, twips per pixel), lists display devices and font families, changes the display
// resolution, reads and sets window class cursors and names the active form, control and
// window. It also draws on the screen and can keep a display list of what it drew, to draw
// it again after windows have painted over it (the rules are ScreenDrawing's).
//
// Errors: no exception leaves a member. A member that can fail answers ScreenResult<T>:
// its value plus the ScreenError it raised (number 0 = nothing raised; the value is then the
// member's default answer). Members without an answer return the ScreenError itself.
// A failing platform call that leaves no error code raises nothing, as with any raise of
// number 0, so check the value as well where it matters. A drawing member can answer True
// with an error raised: a helper step (a pen, a font) failed and was skipped, and the shape
// was drawn all the same.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "loaded_forms_win.h"
#include "screen_drawing.h"
#include "screen_error.h"
#include "screen_surface_win.h"
#include "win/unique_handle.h"

namespace murmurex {

/// The platform services the screen object goes through. An empty member uses the real call;
/// tests replace them to reach failures and to keep the real display untouched.
struct ScreenServices {
    /// GetDesktopWindow.
    std::function<HWND()> desktopWindow;
    /// GetDC for the whole screen, released with the window it came from.
    std::function<win::UniqueWindowDc()> screenDc;
    /// ChangeDisplaySettingsA.
    std::function<LONG(DEVMODEA& mode, DWORD flags)> changeDisplaySettings;
    /// MessageBoxA with no owner: text, title, icon flags.
    std::function<void(std::string_view text, std::string_view title, UINT icon)> messageBox;
    /// Leading part of every error source; empty means this program's file name without
    /// its extension.
    std::string executableName;
};

class clsScreen {
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Measures the screen; answers null when construction fails, with the raised error in
    /// *raised.
    static std::unique_ptr<clsScreen> Create(ScreenError* raised = nullptr,
                                             ScreenServices services = {});

    clsScreen(Key, ScreenServices services);
    clsScreen(const clsScreen&) = delete;
    clsScreen& operator=(const clsScreen&) = delete;
    /// Makes the desktop repaint over anything drawn and puts back class cursors it set.
    ~clsScreen();

    /// Switches to the size of table entry `index` (and `bits` per pixel unless 0). Answers
    /// True at once when the screen already is in that mode; `restartNeeded` is set only
    /// when the platform is asked. `testOnly` asks the platform whether it would work.
    ScreenResult<bool> ChangeResolution(std::int32_t index, std::int32_t bits, bool& restartNeeded,
                                        bool testOnly);
    /// Makes every window repaint over what was drawn on the screen; `dropList` also
    /// empties the display list.
    ScreenResult<bool> Clear(bool dropList) { return drawing_.Clear(dropList); }
    /// Measures again: desktop window, devices, metrics and the shared font list.
    /// A null `dc` uses a context of the screen's own.
    ScreenResult<bool> RefreshDisplayInfo(HDC dc = nullptr);

    /// A new device context for the whole screen, released when the handle goes.
    ScreenResult<win::UniqueWindowDc> hDC() const;
    /// The desktop window.
    HWND hwnd() const noexcept { return desktop_; }
    float TwipsPerPixelX() const noexcept { return twipsPerPixelX_; }
    float TwipsPerPixelY() const noexcept { return twipsPerPixelY_; }
    /// Colour depth: 2, 4, 8, 16, 24 or 32; 0 for a depth outside these.
    std::int32_t BitsPerPixel() const noexcept;
    /// Vertical resolution in pixels.
    float Height() const noexcept { return height_; }
    /// Horizontal resolution in pixels.
    float Width() const noexcept { return width_; }

    std::int32_t DisplayDevice_Count() const noexcept { return deviceCount_; }
    /// Device name at `index` (from 0); error 9 outside 0 to count-1.
    ScreenResult<std::string> DisplayDevice_Name(std::int32_t index) const;
    /// Adapter text at `index` (from 0); error 9 outside 0 to count-1.
    ScreenResult<std::string> DisplayDevice_Description(std::int32_t index) const;

    /// Number of font families in the list shared by every screen object.
    std::int32_t FontsCount() const noexcept;
    /// Face name at `index` (from 0) of the shared list; error 9 outside it.
    ScreenResult<std::string> Fonts(std::int32_t index) const;

    /// The file used as the custom cursor.
    const std::string& MouseIcon() const noexcept { return mouseIcon_; }
    /// Takes an existing .ico, .cur or .ani file as the custom cursor; a wrong type is
    /// refused with a message box, a file that cannot be opened is ignored.
    void MouseIcon(std::string_view path);

    /// System cursor id of the window's class cursor (null window: the desktop window);
    /// 1 for any other cursor.
    ScreenResult<std::int32_t> MousePointer(HWND window) const;
    /// Sets a system cursor (or, for id 1, the MouseIcon file) as the window's class cursor.
    ScreenError MousePointer(HWND window, std::int32_t id);

    /// The registered form whose window is the active window; null when none.
    ScreenForm* ActiveForm() const;
    /// The active form's control with the focus; null when none.
    HWND ActiveControl() const;
    /// The foreground window.
    ScreenResult<HWND> ActiveWindow() const;
    /// The window with the keyboard focus in the foreground application.
    ScreenResult<HWND> ActiveObject() const;

    // Drawing on the screen. Each call takes a fresh screen context, applies the colours,
    // pen and brush, draws and gives everything back; with EnableRefresh on, a successful
    // call is recorded for Refresh.
    ScreenResult<bool> DrawArc(std::int32_t centreX, std::int32_t centreY, std::int32_t radius,
                               std::int32_t lineStartX, std::int32_t lineStartY, float startAngle,
                               float sweepAngle) {
        return drawing_.DrawArc(centreX, centreY, radius, lineStartX, lineStartY, startAngle,
                                sweepAngle);
    }
    ScreenResult<bool> DrawEllipse(std::int32_t left, std::int32_t top, std::int32_t right,
                                   std::int32_t bottom) {
        return drawing_.DrawEllipse(left, top, right, bottom);
    }
    ScreenResult<bool> DrawHalfCircle(std::int32_t left, std::int32_t top, std::int32_t right,
                                      std::int32_t bottom, std::int32_t x1, std::int32_t y1,
                                      std::int32_t x2, std::int32_t y2) {
        return drawing_.DrawHalfCircle(left, top, right, bottom, x1, y1, x2, y2);
    }
    ScreenResult<bool> DrawLine(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                std::int32_t y2) {
        return drawing_.DrawLine(x1, y1, x2, y2);
    }
    /// From the file when `path` is given, else from `bitmap` (a copy of it: the caller keeps
    /// its own), else from `picture`; a width or height of 0 takes the picture's own.
    ScreenResult<bool> DrawPicture(std::int32_t x, std::int32_t y, std::string_view path,
                                   const PictureObject& picture, HBITMAP bitmap, std::int32_t width,
                                   std::int32_t height, bool stretch) {
        return drawing_.DrawPicture(x, y, path, picture, reinterpret_cast<std::uintptr_t>(bitmap),
                                    width, height, stretch);
    }
    ScreenResult<bool> DrawPie(std::int32_t left, std::int32_t top, std::int32_t right,
                               std::int32_t bottom, std::int32_t angle, bool explicitPoints,
                               std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
        return drawing_.DrawPie(left, top, right, bottom, angle, explicitPoints, x1, y1, x2, y2);
    }
    ScreenResult<bool> DrawPolygon(std::span<const std::int32_t> xs,
                                   std::span<const std::int32_t> ys, std::int32_t count) {
        return drawing_.DrawPolygon(xs, ys, count);
    }
    ScreenResult<bool> DrawPolyline(std::int32_t startX, std::int32_t startY,
                                    std::span<const std::int32_t> xs,
                                    std::span<const std::int32_t> ys, std::int32_t count) {
        return drawing_.DrawPolyline(startX, startY, xs, ys, count);
    }
    ScreenResult<bool> DrawRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                     std::int32_t bottom, bool filled, bool outlined) {
        return drawing_.DrawRectangle(left, top, right, bottom, filled, outlined);
    }
    ScreenResult<bool> drawText(std::string_view text, std::int32_t x, std::int32_t y,
                                bool wordWrap) {
        return drawing_.drawText(text, x, y, wordWrap);
    }
    /// The current position of `dc`.
    ScreenResult<bool> GetCurrentXY(HDC dc, std::int32_t& x, std::int32_t& y) const;
    /// Moves the current position of `dc`.
    ScreenResult<bool> SetCurrentXY(HDC dc, std::int32_t x, std::int32_t y) const;
    /// Draws the display list again; True when every replayed call succeeded.
    ScreenResult<bool> Refresh() { return drawing_.Refresh(); }

    std::uint32_t BackColor_Scr() const noexcept { return drawing_.BackColor_Scr(); }
    ScreenError BackColor_Scr(std::uint32_t colour) { return drawing_.BackColor_Scr(colour); }
    std::uint32_t ForeColor_Scr() const noexcept { return drawing_.ForeColor_Scr(); }
    ScreenError ForeColor_Scr(std::uint32_t colour) { return drawing_.ForeColor_Scr(colour); }
    std::uint32_t BackColor_Txt() const noexcept { return drawing_.BackColor_Txt(); }
    ScreenError BackColor_Txt(std::uint32_t colour) { return drawing_.BackColor_Txt(colour); }
    std::uint32_t ForeColor_Txt() const noexcept { return drawing_.ForeColor_Txt(); }
    ScreenError ForeColor_Txt(std::uint32_t colour) { return drawing_.ForeColor_Txt(colour); }
    std::int32_t BrushSyle() const noexcept { return drawing_.BrushSyle(); }
    void BrushSyle(std::int32_t value) noexcept { drawing_.BrushSyle(value); }
    std::int32_t BrushHatch() const noexcept { return drawing_.BrushHatch(); }
    void BrushHatch(std::int32_t value) noexcept { drawing_.BrushHatch(value); }
    std::int32_t PenStyle() const noexcept { return drawing_.PenStyle(); }
    void PenStyle(std::int32_t value) noexcept { drawing_.PenStyle(value); }
    std::int32_t PenWidth() const noexcept { return drawing_.PenWidth(); }
    void PenWidth(std::int32_t value) noexcept { drawing_.PenWidth(value); }
    bool EnableRefresh() const noexcept { return drawing_.EnableRefresh(); }
    void EnableRefresh(bool value) noexcept { drawing_.EnableRefresh(value); }
    /// A new font object from the font the object holds.
    ScreenFontObject Font() const { return drawing_.Font(); }
    /// Takes the font object's name, size (whole points) and attributes for the next text.
    void Font(const ScreenFontObject& font) { drawing_.Font(font); }
    /// What has been recorded for Refresh.
    const DisplayList& DisplayListRecords() const noexcept { return drawing_.List(); }

    /// A picture object that owns `bitmap` (and `palette`); null when the platform refused.
    PictureObject PictureFromHandle(HBITMAP bitmap, HPALETTE palette) const {
        return murmurex::PictureFromHandle(bitmap, palette);
    }

  private:
    struct OwnedCursor {
        HWND window = nullptr;
        win::UniqueCursor cursor;
    };

    ScreenError ApiError(std::string_view member) const;
    ScreenError InvalidDc() const;
    void ShowMessage(std::string_view text, std::string_view title, UINT icon) const;

    void LoadDisplayDevices();
    ScreenResult<bool> ReadDeviceCaps(HDC dc);
    ScreenResult<bool> LoadFontList(HDC dc);
    ScreenResult<bool> AttachThread(HWND window, bool attach) const;
    ScreenResult<std::string> DeviceText(const std::vector<std::string>& list, std::int32_t index,
                                         std::string_view member) const;
    void ForgetReplacedCursor(HCURSOR previous);
    // Puts the arrow back as the class cursor wherever one of ours is still in use.
    void PutBackClassCursors();
    /// Raises a failed step with its source (nothing when it left no error code); answers
    /// whether the step failed.
    bool RaiseStep(const SurfaceOutcome& outcome, std::string_view drawSource,
                   ScreenError& error) const;

    ScreenServices services_;

    // Measured state.
    HWND desktop_ = nullptr;
    std::int32_t bitsPerPixel_ = 0;
    float height_ = 0;
    float width_ = 0;
    float twipsPerPixelX_ = 0;
    float twipsPerPixelY_ = 0;
    std::int32_t deviceCount_ = 0;
    std::vector<std::string> deviceNames_;
    std::vector<std::string> deviceDescriptions_;
    std::string mouseIcon_;
    // Custom cursors this object set as class cursors: they must outlive their use.
    std::vector<OwnedCursor> ownedCursors_;

    // Drawing: the screen as GDI draws it, and the rules, colours and display list.
    GdiScreenSurface surface_;
    ScreenDrawing drawing_;
};

}  // namespace murmurex
