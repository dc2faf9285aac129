#pragma once
// StyledButton: the owner-drawn push or check button. This object holds the properties, the
// ButtonState machine, the events, the tooltip hand-over with the host and the paint; its
// window (styled_button_win.h) only turns messages into calls here and paints with GDI.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "button_layout.h"
#include "button_paint_theme.h"
#include "button_property_bag.h"
#include "canvas.h"
#include "colour.h"

namespace murmurex {

/// The style whose face the platform's visual style draws.
inline constexpr std::int32_t kThemedStyle = 6;

/// 1 normal, 2 hot, 3 pressed, 4 disabled.
enum class ButtonState : int { Normal = 1, Hot = 2, Pressed = 3, Disabled = 4 };

/// The platform colours the button resolves its defaults from.
struct SystemColours {
    Colour buttonFace = Rgb(240, 240, 240);
    Colour highlight = Rgb(0, 120, 215);
    Colour buttonText = Rgb(0, 0, 0);
    Colour infoBackground = Rgb(255, 255, 225);
    Colour infoText = Rgb(0, 0, 0);
    Colour grayText = Rgb(109, 109, 109);
    Colour buttonShadow = Rgb(160, 160, 160);
    Colour window = Rgb(255, 255, 255);
};

/// The public properties, holding the values a freshly placed control gets.
struct StyledButtonProperties {
    std::int32_t style = 0;
    std::string caption;
    ButtonPicture icon;
    std::int32_t iconAlign = 1;
    std::int16_t iconSize = 16;
    std::int32_t captionAlign = 0;
    std::int32_t nonThemeStyle = 0;
    bool enabled = true;
    bool showFocus = false;
    bool useCustomColors = false;
    Colour backColor = 0;
    Colour highlightColor = 0;
    Colour fontColor = 0;
    Colour fontHighlightColor = 0;
    std::string toolTipTitle;
    std::int32_t toolTipIcon = 0;
    std::int32_t toolTipType = 1;
    Colour toolTipBackColor = 0;
    Colour toolTipForeColor = 0;
    ButtonFont font;
    std::int32_t buttonType = 0;
    std::int16_t mousePointer = 0;
    bool value = false;
    Colour maskColor = 0;
    bool useMaskColor = false;
    bool roundedBordersByTheme = false;
    bool rightToLeft = false;
};

/// What the button's own tooltip window is built from.
struct ToolTipLook {
    bool balloon = true;
    std::string text;
    bool setTitle = false;
    std::string title;
    std::int32_t icon = 0;
    /// A colour is applied only when set; 0 (black) means the platform's default.
    bool setTextColour = false;
    Colour textColour = 0;
    bool setBackColour = false;
    Colour backColour = 0;
};

/// The window side of the button, as the object needs it.
class ButtonView {
  public:
    virtual ~ButtonView() = default;
    virtual void Repaint() = 0;
    /// Measure the caption, call ApplyLayout, set the window region, then repaint.
    virtual void Relayout() = 0;
    /// Ask the platform for one pointer-leave notification.
    virtual void RequestLeaveNotification() = 0;
    /// Handle a pointer-leave already pending, before a release decides on Click.
    virtual void ProcessPendingLeave() = 0;
    /// Move the keyboard focus to the next (or previous) control of the host.
    virtual void MoveFocus(bool forward) = 0;
    /// Replace any tooltip window of the button with one built from `look`.
    virtual void ShowToolTip(const ToolTipLook& look) = 0;
    virtual void RemoveToolTip() = 0;
    virtual void ApplyMousePointer(std::int16_t shape) = 0;
    virtual void SetHostEnabled(bool enabled) = 0;
    /// Whether the platform offers pointer-leave notification.
    virtual bool HasLeaveTracking() = 0;
    virtual bool DesignMode() const { return false; }
    /// The host's "DisplayAsDefault" ambient value: this button is the host's default button.
    virtual bool DisplayAsDefault() const { return false; }
    /// The platform's visual style for push buttons, open for one paint; null when visual
    /// styles are off.
    virtual std::unique_ptr<ButtonTheme> OpenTheme() { return nullptr; }
};

struct ButtonEvents {
    std::function<void()> click;
    std::function<void()> mouseEnter;
    std::function<void()> mouseLeave;
};

enum class ButtonKey { Space, Left, Right, Up, Down, Tab, ShiftTab, Other };

class StyledButton {
  public:
    StyledButton(ButtonView& view, const SystemColours& colours);
    StyledButton(const StyledButton&) = delete;
    StyledButton& operator=(const StyledButton&) = delete;

    void SetEvents(ButtonEvents events) { events_ = std::move(events); }

    // Persistence.
    /// A freshly placed control: the new values, with the host's name as its caption.
    void InitProperties(std::string hostName);
    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    // Properties.
    const StyledButtonProperties& Properties() const noexcept { return props_; }
    static const char* Version() noexcept;
    void SetStyle(std::int32_t style);
    void SetCaption(std::string caption);
    void SetIcon(ButtonPicture icon);
    void SetIconAlign(std::int32_t align);
    void SetIconSize(std::int16_t size);
    void SetCaptionAlign(std::int32_t align);
    void SetNonThemeStyle(std::int32_t style);
    void SetEnabled(bool enabled);
    void SetShowFocus(bool show);
    void SetUseCustomColors(bool use);
    void SetBackColor(Colour colour);
    void SetHighlightColor(Colour colour);
    void SetFontColor(Colour colour);
    void SetFontHighlightColor(Colour colour);
    /// The button's tooltip text: the host's while the pointer is outside, the button's own
    /// while its tooltip shows.
    std::string ToolTipText() const;
    void SetToolTipText(std::string text);
    void SetToolTipTitle(std::string title);
    void SetToolTipIcon(std::int32_t icon);
    void SetToolTipType(std::int32_t type);
    void SetToolTipBackColor(Colour colour);
    void SetToolTipForeColor(Colour colour);
    void SetFont(ButtonFont font);
    void SetButtonType(std::int32_t type);
    void SetMousePointer(std::int16_t shape);
    void SetValue(bool value);
    void SetMaskColor(Colour colour);
    void SetUseMaskColor(bool use);
    void SetRoundedBordersByTheme(bool rounded);
    void SetRightToLeft(bool rightToLeft);

    /// The host's own tooltip text for this control (an extender property of the host).
    const std::string& HostToolTipText() const noexcept { return hostToolTipText_; }
    void SetHostToolTipText(std::string text);

    void Refresh() { view_.Repaint(); }

    // Input, as the window receives it.
    void PointerMoved();
    void PointerLeft();
    void ThemeChanged();
    /// button: 1 left, 2 right, 4 middle.
    void MouseDown(int button);
    void MouseUp(int button);
    /// The host's click notification after a release over the control.
    void HostClick();
    void DoubleClick();
    void KeyDown(ButtonKey key);
    void KeyUp(ButtonKey key);
    void AccessKey();
    void FocusChanged(bool gained);
    void Shown();
    void Hidden();

    // Layout and paint.
    /// CaptionRect and CaptionFormat for a client of width x height and the measured caption.
    void ApplyLayout(int width, int height, const PixelRect& measured);
    /// The full paint: clear, resolve the state, background and frame, icon, caption.
    void Paint(Canvas& canvas, int width, int height);
    /// The state a paint shows: design mode, a set check button and disabling override it.
    ButtonState PaintState() const noexcept;

    ButtonState State() const noexcept { return state_; }
    bool Focused() const noexcept { return focused_; }
    bool IsShown() const noexcept { return isShown_; }
    bool MouseInside() const noexcept { return mouseInside_; }
    bool HoverTracking() const noexcept { return hoverTracking_; }
    int LastMouseButton() const noexcept { return lastMouseButton_; }
    bool HasToolTip() const noexcept { return toolTipTaken_; }
    int TextMargin() const noexcept { return textMargin_; }
    const PixelRect& ClientRect() const noexcept { return clientRect_; }
    const PixelRect& CaptionRect() const noexcept { return captionRect_; }
    unsigned CaptionFormat() const noexcept { return captionFormat_; }
    /// The colour the surface is cleared with before each paint.
    Colour SurfaceColour() const noexcept { return surfaceColour_; }

  private:
    enum class After { Relayout, Repaint };
    template <typename T>
    void Change(T& field, T value, After after);
    void Raise(const std::function<void()>& handler);
    void DetectHoverTracking();
    void ClickNotification();
    // The paint's steps: what the painters are told, the background and frame of the
    // style, the icon, and the caption's colour.
    ButtonPaintInput PaintInputFor(int width, int height, ButtonState state) const;
    void PaintFace(Canvas& canvas, const ButtonPaintInput& input);
    void PaintThemed(Canvas& canvas, const ButtonPaintInput& input);
    void PaintIcon(Canvas& canvas, const ButtonPaintInput& input) const;
    Colour CaptionColour(ButtonState state) const noexcept;
    void CreateToolTip();
    void GiveToolTipBack();
    bool IsCheckButton() const noexcept { return props_.buttonType == 1; }

    ButtonView& view_;
    SystemColours system_;
    ButtonEvents events_;
    StyledButtonProperties props_;
    std::string hostToolTipText_;
    std::string ownToolTipText_;
    bool toolTipTaken_ = false;

    ButtonState state_ = ButtonState::Normal;
    bool focused_ = false;
    bool isShown_ = false;
    bool mouseInside_ = false;
    int lastMouseButton_ = 0;
    bool hoverTracking_ = false;

    PixelRect clientRect_;
    PixelRect captionRect_;
    unsigned captionFormat_ = 0;
    int textMargin_ = 4;
    Colour surfaceColour_;
};

/// The access key of a caption: the character after a single '&' ("&&" is a literal '&'),
/// upper-cased; 0 when there is none.
char AccessKeyOf(std::string_view caption) noexcept;

}  // namespace murmurex
