#pragma once
// StyledButton as a Win32 child window of class "StyledButton". The window procedure turns
// mouse, keyboard, focus and visibility messages into calls on the portable StyledButton and
// paints it with GDI; the button's own tooltip is a "tooltips_class32" window.
//
// Use from a host window:
//
//     auto start = murmurex::StyledButtonWindow::Create(host, 1, {20, 60, 100, 30}, "cmdStart");
//     start->Button().SetStyle(10);
//     start->Button().SetCaption("&Start");
//     start->Button().SetEvents({[] { /* Click */ }, {}, {}});
//     ...
//     // in the host's message loop, before TranslateMessage:
//     if (murmurex::TranslateButtonAccessKey(message)) continue;
//
// Events run inside the window procedure: a handler may change the button but must not
// destroy it; post a message to do that.

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "styled_button.h"
#include "win/offscreen_paint.h"
#include "win/owned_window.h"
#include "win/unique_handle.h"

namespace murmurex {

class AboutWindow;

class StyledButtonWindow final : public win::OwnedWindow, private ButtonView {
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Creates the button as a child of parent with the given control id and placement, then
    /// shows it. With a property bag the properties are read from it; without one the button
    /// gets a new control's values and hostName as its caption. Null if the system refuses.
    static std::unique_ptr<StyledButtonWindow> Create(HWND parent, int controlId, RECT placement,
                                                      const std::string& hostName,
                                                      const PropertyBag* properties = nullptr);

    StyledButtonWindow(Key, const SystemColours& colours);
    StyledButtonWindow(const StyledButtonWindow&) = delete;
    StyledButtonWindow& operator=(const StyledButtonWindow&) = delete;
    ~StyledButtonWindow() override;

    StyledButton& Button() noexcept { return button_; }
    /// Takes the DPI of the monitor the host moved to: the font keeps its points, the minimum
    /// size its twips, and the caption is laid out again. The host moves the button.
    void SetDpi(int dpi);
    /// The tooltip window while the pointer is over the button; null otherwise.
    HWND ToolTipWindow() const noexcept { return toolTip_.get(); }
    /// The About window once About has run; null before.
    HWND AboutWindow() const noexcept;

    /// Shows the About window (about_win.h): title, version and a Close button that hides
    /// it again.
    void About();
    /// Draws icon in grey on dc at x, y with the given size (button_icon_win.h); true when
    /// it was drawn.
    static bool PaintIconGrayscale(HDC dc, HICON icon, int x, int y, int width, int height);
    /// Opens link with the shell's "open" verb in a normal window; the shell's result code.
    static int OpenLink(const std::string& link);

  private:
    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The message groups; each answers what it ends and leaves the rest to the default.
    std::optional<LRESULT> HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam);
    std::optional<LRESULT> HandleMouseMessage(UINT message, LPARAM lParam);
    std::optional<LRESULT> HandleKeyboardMessage(UINT message, WPARAM wParam);
    void KeepMinimumSize(WINDOWPOS& position) const;
    void PressLeftButton(bool secondOfDouble);
    void Paint();
    void DrawPicture(HDC dc, int width, int height);
    void SyncFont();
    void ReleaseClick(int button, LPARAM lParam);
    void ShowChanged(bool shown);

    // ButtonView
    void Repaint() override;
    void Relayout() override;
    void RequestLeaveNotification() override;
    void ProcessPendingLeave() override;
    void MoveFocus(bool forward) override;
    void ShowToolTip(const ToolTipLook& look) override;
    void RemoveToolTip() override;
    void ApplyMousePointer(std::int16_t shape) override;
    void SetHostEnabled(bool enabled) override;
    bool HasLeaveTracking() override;
    bool DisplayAsDefault() const override;
    std::unique_ptr<ButtonTheme> OpenTheme() override;

    StyledButton button_;
    win::UniqueFont font_;
    ButtonFont fontMade_;
    int dpi_ = 96;
    // The picture of the last paint, kept for the next one while the look stays the same.
    win::OffscreenBuffer buffer_;
    bool pictureCurrent_ = false;
    bool pictureAsDefault_ = false;
    bool secondOfDouble_ = false;
    POINT lastRelease_{};
    LPCSTR cursor_ = nullptr;
    win::UniqueWindow toolTip_;
    std::unique_ptr<murmurex::AboutWindow> about_;
};

/// Alt + a caption's access key (WM_SYSCHAR) clicks the visible, enabled styled button of the
/// message's top-level window that carries it. True when a button took the key.
bool TranslateButtonAccessKey(const MSG& message);

/// The platform's colours for the button's defaults.
SystemColours CurrentSystemColours();

/// The platform region of a button shape, in the button's own pixels (nothing when the
/// platform refuses it).
win::UniqueRegion CreateButtonRegion(const ButtonRegion& shape);

}  // namespace murmurex
