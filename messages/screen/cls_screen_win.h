#pragma once
// clsScreen: the program's object for the whole screen. It measures the display (size,
// depth, twips per pixel), lists display devices and font families, changes the display
// resolution, reads and sets window class cursors and names the active form, control and
// window.
//
// Errors: no exception leaves a member. A member that can fail answers ScreenResult<T>:
// its value plus the ScreenError it raised (number 0 = nothing raised; the value is then the
// member's default answer). Members without an answer return the ScreenError itself.
// A failing platform call that leaves no error code raises nothing, as with any raise of
// number 0, so check the value as well where it matters.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "loaded_forms_win.h"
#include "screen_error.h"
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

/// The system's text for an error code, without its trailing line break.
std::string GetApiErrorText(DWORD code);

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
    /// Makes every window repaint over what was drawn on the screen.
    ScreenResult<bool> Clear(bool dropList);
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

  private:
    struct DcSelections;
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

    ScreenResult<bool> SetColors(HDC dc, DcSelections& selections) const;
    ScreenResult<win::UniqueBrush> GetBrush(std::uint32_t colour) const;
    ScreenResult<win::UniquePen> GetPen(std::uint32_t colour) const;
    ScreenResult<win::UniqueFont> GetFont(HDC dc) const;
    ScreenResult<bool> SetDisplayFont(HDC dc, win::UniqueFont font, DcSelections& selections) const;

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

    // Drawing defaults.
    std::uint32_t backColorScr_ = 0xFFFFFF;
    std::uint32_t foreColorScr_ = 0;
    std::uint32_t backColorTxt_ = 0xFFFFFF;
    std::uint32_t foreColorTxt_ = 0;
    std::int32_t brushStyle_ = 0;
    std::int32_t brushHatch_ = 2;
    std::int32_t penStyle_ = 0;
    std::int32_t penWidth_ = 1;
    std::string fontName_ = "Arial";
    std::int32_t fontSize_ = 10;
    bool fontBold_ = false;
    bool fontItalic_ = false;
    bool fontUnderline_ = false;
    bool fontStrikethrough_ = false;
    bool enableRefresh_ = false;
};

}  // namespace murmurex
