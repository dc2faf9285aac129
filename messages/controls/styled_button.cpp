#include "styled_button.h"

#include <utility>

#include "button_texts.h"

namespace murmurex {
namespace {

namespace keys = button_texts;

std::int32_t ToStored(Colour colour) noexcept {
    return static_cast<std::int32_t>(colour);
}
Colour FromStored(std::int32_t stored) noexcept {
    return static_cast<Colour>(stored);
}

Colour ReadColour(const PropertyBag& bag, const char* key, Colour fallback) {
    return FromStored(ReadInt(bag, key, ToStored(fallback)));
}

void WriteColour(PropertyBag& bag, const char* key, Colour value, Colour fallback) {
    WriteUnlessDefault(bag, key, ToStored(value), ToStored(fallback));
}

std::int16_t ToShort(std::int32_t value) noexcept {
    // A 16-bit property keeps the low 16 bits of whatever a form stored.
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(value & 0xFFFF));
}

}  // namespace

StyledButton::StyledButton(ButtonView& view, const SystemColours& colours)
    : view_(view), system_(colours), surfaceColour_(colours.buttonFace) {
    props_.backColor = system_.buttonFace;
    props_.highlightColor = system_.highlight;
    props_.fontColor = system_.buttonText;
    props_.fontHighlightColor = system_.buttonText;
}

const char* StyledButton::Version() noexcept {
    return button_texts::kVersion;
}

void StyledButton::Raise(const std::function<void()>& handler) {
    // A host's handler never takes the button down with it.
    if (!handler) {
        return;
    }
    try {
        handler();
    } catch (...) {
    }
}

void StyledButton::DetectHoverTracking() {
    hoverTracking_ = !view_.DesignMode() && view_.HasLeaveTracking();
}

void StyledButton::InitProperties(std::string hostName) {
    props_.caption = std::move(hostName);
    textMargin_ = 4;
    // A button placed from code is as live as one loaded from a form: it tracks the pointer.
    DetectHoverTracking();
    view_.ApplyMousePointer(props_.mousePointer);
    view_.Relayout();
}

void StyledButton::ReadProperties(const PropertyBag& bag) {
    state_ = ButtonState::Normal;
    textMargin_ = 0;
    StyledButtonProperties& p = props_;
    p.style = ReadInt(bag, keys::kKeyStyle, 3);
    p.caption = ReadString(bag, keys::kKeyCaption, keys::kDefaultCaption);
    p.icon = ReadPicture(bag, keys::kKeyIcon, ButtonPicture{});
    p.iconAlign = ReadInt(bag, keys::kKeyIconAlign, 1);
    p.iconSize = ToShort(ReadInt(bag, keys::kKeyIconSize, 16));
    p.captionAlign = ReadInt(bag, keys::kKeyCaptionAlign, 0);
    p.nonThemeStyle = ReadInt(bag, keys::kKeyNonThemeStyle, 5);
    p.enabled = ReadBool(bag, keys::kKeyEnabled, true);
    p.showFocus = ReadBool(bag, keys::kKeyShowFocus, false);
    p.useCustomColors = ReadBool(bag, keys::kKeyUseCustomColors, false);
    p.backColor = ReadColour(bag, keys::kKeyBackColor, system_.buttonFace);
    p.highlightColor = ReadColour(bag, keys::kKeyHighlightColor, system_.highlight);
    p.fontColor = ReadColour(bag, keys::kKeyFontColor, system_.buttonText);
    p.fontHighlightColor = ReadColour(bag, keys::kKeyFontHighlightColor, system_.buttonText);
    // The same key feeds the host's tooltip text and the button's own copy of it.
    hostToolTipText_ = ReadString(bag, keys::kKeyToolTipText, "");
    ownToolTipText_ = ReadString(bag, keys::kKeyToolTipText, "");
    toolTipTaken_ = false;
    p.toolTipTitle = ReadString(bag, keys::kKeyToolTipTitle, "");
    p.toolTipIcon = ReadInt(bag, keys::kKeyToolTipIcon, 0);
    p.toolTipType = ReadInt(bag, keys::kKeyToolTipType, 1);
    p.toolTipBackColor = ReadColour(bag, keys::kKeyToolTipBackColor, system_.infoBackground);
    p.toolTipForeColor = ReadColour(bag, keys::kKeyToolTipForeColor, system_.infoText);
    p.font = ReadFont(bag, keys::kKeyFont, p.font);
    p.buttonType = ReadInt(bag, keys::kKeyButtonType, 0);
    p.mousePointer = ToShort(ReadInt(bag, keys::kKeyMousePointer, 0));
    view_.ApplyMousePointer(p.mousePointer);
    p.value = ReadBool(bag, keys::kKeyValue, false);
    p.maskColor = ReadColour(bag, keys::kKeyMaskColor, 0xC0C0C0);
    p.useMaskColor = ReadBool(bag, keys::kKeyUseMaskColor, false);
    p.roundedBordersByTheme = ReadBool(bag, keys::kKeyRoundedBordersByTheme, true);
    p.rightToLeft = ReadBool(bag, keys::kKeyRightToLeft, false);
    view_.SetHostEnabled(p.enabled);
    DetectHoverTracking();
    view_.Relayout();
}

void StyledButton::WriteProperties(PropertyBag& bag) const {
    const StyledButtonProperties& p = props_;
    WriteUnlessDefault(bag, keys::kKeyStyle, p.style, 3);
    WriteUnlessDefault(bag, keys::kKeyCaption, p.caption, std::string());
    bag.Write(keys::kKeyIcon, p.icon);
    WriteUnlessDefault(bag, keys::kKeyIconAlign, p.iconAlign, 1);
    WriteUnlessDefault(bag, keys::kKeyIconSize, static_cast<std::int32_t>(p.iconSize), 16);
    WriteUnlessDefault(bag, keys::kKeyCaptionAlign, p.captionAlign, 0);
    WriteUnlessDefault(bag, keys::kKeyNonThemeStyle, p.nonThemeStyle, 5);
    WriteUnlessDefault(bag, keys::kKeyEnabled, p.enabled, true);
    WriteUnlessDefault(bag, keys::kKeyShowFocus, p.showFocus, false);
    WriteUnlessDefault(bag, keys::kKeyUseCustomColors, p.useCustomColors, false);
    WriteColour(bag, keys::kKeyBackColor, p.backColor, system_.buttonFace);
    WriteColour(bag, keys::kKeyHighlightColor, p.highlightColor, system_.highlight);
    WriteColour(bag, keys::kKeyFontColor, p.fontColor, system_.buttonText);
    WriteColour(bag, keys::kKeyFontHighlightColor, p.fontHighlightColor, system_.buttonText);
    // The text in force, whoever holds it now; both reads take it back from this one key.
    WriteUnlessDefault(bag, keys::kKeyToolTipText, ToolTipText(), std::string());
    bag.Write(keys::kKeyToolTipTitle, p.toolTipTitle);
    bag.Write(keys::kKeyToolTipIcon, p.toolTipIcon);
    bag.Write(keys::kKeyToolTipType, p.toolTipType);
    WriteColour(bag, keys::kKeyToolTipBackColor, p.toolTipBackColor, system_.infoBackground);
    WriteColour(bag, keys::kKeyToolTipForeColor, p.toolTipForeColor, system_.infoText);
    bag.Write(keys::kKeyFont, p.font);
    WriteUnlessDefault(bag, keys::kKeyButtonType, p.buttonType, 0);
    WriteUnlessDefault(bag, keys::kKeyMousePointer, static_cast<std::int32_t>(p.mousePointer), 0);
    WriteUnlessDefault(bag, keys::kKeyValue, p.value, false);
    WriteColour(bag, keys::kKeyMaskColor, p.maskColor, 0xC0C0C0);
    WriteUnlessDefault(bag, keys::kKeyUseMaskColor, p.useMaskColor, false);
    WriteUnlessDefault(bag, keys::kKeyRoundedBordersByTheme, p.roundedBordersByTheme, true);
    WriteUnlessDefault(bag, keys::kKeyRightToLeft, p.rightToLeft, false);
}

template <typename T>
void StyledButton::Change(T& field, T value, After after) {
    field = std::move(value);
    if (after == After::Relayout) {
        view_.Relayout();
    } else {
        view_.Repaint();
    }
}

void StyledButton::SetStyle(std::int32_t style) {
    Change(props_.style, style, After::Relayout);
}
void StyledButton::SetCaption(std::string caption) {
    Change(props_.caption, std::move(caption), After::Relayout);
}
void StyledButton::SetIcon(ButtonPicture icon) {
    Change(props_.icon, std::move(icon), After::Relayout);
}
void StyledButton::SetIconAlign(std::int32_t align) {
    Change(props_.iconAlign, align, After::Relayout);
}
void StyledButton::SetIconSize(std::int16_t size) {
    Change(props_.iconSize, size, After::Relayout);
}
void StyledButton::SetCaptionAlign(std::int32_t align) {
    Change(props_.captionAlign, align, After::Relayout);
}
void StyledButton::SetNonThemeStyle(std::int32_t style) {
    Change(props_.nonThemeStyle, style, After::Relayout);
}

void StyledButton::SetEnabled(bool enabled) {
    props_.enabled = enabled;
    state_ = ButtonState::Normal;
    view_.Repaint();
    view_.SetHostEnabled(enabled);
}

void StyledButton::SetShowFocus(bool show) {
    Change(props_.showFocus, show, After::Repaint);
}
void StyledButton::SetUseCustomColors(bool use) {
    Change(props_.useCustomColors, use, After::Repaint);
}
void StyledButton::SetBackColor(Colour colour) {
    Change(props_.backColor, colour, After::Repaint);
}
void StyledButton::SetHighlightColor(Colour colour) {
    Change(props_.highlightColor, colour, After::Repaint);
}
void StyledButton::SetFontColor(Colour colour) {
    Change(props_.fontColor, colour, After::Repaint);
}
void StyledButton::SetFontHighlightColor(Colour colour) {
    Change(props_.fontHighlightColor, colour, After::Repaint);
}
void StyledButton::SetToolTipTitle(std::string title) {
    Change(props_.toolTipTitle, std::move(title), After::Repaint);
}
void StyledButton::SetToolTipIcon(std::int32_t icon) {
    Change(props_.toolTipIcon, icon, After::Repaint);
}
void StyledButton::SetToolTipType(std::int32_t type) {
    Change(props_.toolTipType, type, After::Repaint);
}
void StyledButton::SetToolTipBackColor(Colour colour) {
    Change(props_.toolTipBackColor, colour, After::Repaint);
}
void StyledButton::SetToolTipForeColor(Colour colour) {
    Change(props_.toolTipForeColor, colour, After::Repaint);
}
// A new font changes the caption's size, so the caption is measured again.
void StyledButton::SetFont(ButtonFont font) {
    Change(props_.font, std::move(font), After::Relayout);
}
void StyledButton::SetButtonType(std::int32_t type) {
    Change(props_.buttonType, type, After::Repaint);
}
void StyledButton::SetMousePointer(std::int16_t shape) {
    props_.mousePointer = shape;
    view_.ApplyMousePointer(shape);
}
void StyledButton::SetValue(bool value) {
    Change(props_.value, value, After::Repaint);
}
void StyledButton::SetMaskColor(Colour colour) {
    Change(props_.maskColor, colour, After::Repaint);
}
void StyledButton::SetUseMaskColor(bool use) {
    Change(props_.useMaskColor, use, After::Repaint);
}
void StyledButton::SetRoundedBordersByTheme(bool rounded) {
    Change(props_.roundedBordersByTheme, rounded, After::Repaint);
}
void StyledButton::SetRightToLeft(bool rightToLeft) {
    Change(props_.rightToLeft, rightToLeft, After::Repaint);
}

std::string StyledButton::ToolTipText() const {
    return toolTipTaken_ ? ownToolTipText_ : hostToolTipText_;
}

void StyledButton::SetToolTipText(std::string text) {
    // While the tip shows, the host's text is held empty: the new text goes to the button's
    // copy and the tip is rebuilt. Otherwise the host's text is the one in force.
    if (toolTipTaken_) {
        ownToolTipText_ = std::move(text);
        CreateToolTip();
    } else {
        hostToolTipText_ = text;
        ownToolTipText_ = std::move(text);
    }
    view_.Repaint();
}

void StyledButton::SetHostToolTipText(std::string text) {
    hostToolTipText_ = std::move(text);
}

void StyledButton::CreateToolTip() {
    if (!toolTipTaken_) {
        ownToolTipText_ = hostToolTipText_;
        hostToolTipText_.clear();
        toolTipTaken_ = true;
    }
    ToolTipLook look;
    look.balloon = props_.toolTipType == 1;
    look.text = ownToolTipText_;
    look.setTitle = !props_.toolTipTitle.empty() || props_.toolTipIcon != 0;
    look.title = props_.toolTipTitle;
    look.icon = props_.toolTipIcon;
    look.setTextColour = props_.toolTipForeColor != 0;
    look.textColour = props_.toolTipForeColor;
    look.setBackColour = props_.toolTipBackColor != 0;
    look.backColour = props_.toolTipBackColor;
    view_.ShowToolTip(look);
}

void StyledButton::GiveToolTipBack() {
    if (toolTipTaken_) {
        hostToolTipText_ = ownToolTipText_;
        toolTipTaken_ = false;
    }
    view_.RemoveToolTip();
}

void StyledButton::PointerMoved() {
    if (!hoverTracking_ || mouseInside_ || !props_.enabled) {
        return;
    }
    mouseInside_ = true;
    view_.RequestLeaveNotification();
    state_ = ButtonState::Hot;
    view_.Repaint();
    Raise(events_.mouseEnter);
    CreateToolTip();
}

void StyledButton::PointerLeft() {
    if (!hoverTracking_) {
        return;
    }
    if (!mouseInside_) {
        // The leave asked for after a release outside: the pointer is already gone, so
        // the hot look goes, but the host heard MouseLeave once already.
        if (state_ == ButtonState::Hot) {
            state_ = ButtonState::Normal;
            view_.Repaint();
        }
        return;
    }
    mouseInside_ = false;
    state_ = ButtonState::Normal;
    GiveToolTipBack();
    view_.Repaint();
    Raise(events_.mouseLeave);
}

void StyledButton::ThemeChanged() {
    view_.Repaint();
}

void StyledButton::MouseDown(int button) {
    if (button != 1 || !props_.enabled) {
        return;
    }
    state_ = ButtonState::Pressed;
    view_.Repaint();
}

void StyledButton::MouseUp(int button) {
    lastMouseButton_ = button;
    if (button != 1 || !props_.enabled) {
        return;
    }
    if (!IsCheckButton() || props_.value) {
        state_ = ButtonState::Hot;
        // A leave already queued counts: a release outside is no click.
        view_.ProcessPendingLeave();
        view_.RequestLeaveNotification();
        // A check button reports its click after the toggle, in HostClick.
        if (mouseInside_ && !IsCheckButton()) {
            Raise(events_.click);
        }
    } else {
        state_ = ButtonState::Pressed;
    }
    view_.Repaint();
}

void StyledButton::ClickNotification() {
    if (lastMouseButton_ != 1) {
        return;
    }
    if (IsCheckButton()) {
        props_.value = !props_.value;
    }
    state_ = ButtonState::Hot;
    view_.Repaint();
}

void StyledButton::HostClick() {
    if (!props_.enabled) {
        return;
    }
    const bool toggles = IsCheckButton() && lastMouseButton_ == 1;
    ClickNotification();
    // Every mouse click that turns a check button's Value over is a Click, either way.
    if (toggles && mouseInside_) {
        Raise(events_.click);
    }
}

void StyledButton::DoubleClick() {
    if (lastMouseButton_ == 1) {
        MouseDown(1);
    }
}

void StyledButton::KeyDown(ButtonKey key) {
    if (!props_.enabled) {
        return;
    }
    switch (key) {
        case ButtonKey::Space:
            state_ = ButtonState::Pressed;
            view_.Repaint();
            break;
        case ButtonKey::Right:
        case ButtonKey::Down:
            view_.MoveFocus(true);
            break;
        case ButtonKey::Left:
        case ButtonKey::Up:
            view_.MoveFocus(false);
            break;
        case ButtonKey::Tab:
        case ButtonKey::ShiftTab:
            Raise(events_.mouseLeave);
            view_.MoveFocus(key == ButtonKey::Tab);
            break;
        case ButtonKey::Other:
            break;
    }
}

void StyledButton::KeyUp(ButtonKey key) {
    if (key != ButtonKey::Space || !props_.enabled) {
        return;
    }
    // A keyboard click is a left click, whatever mouse button was released last.
    lastMouseButton_ = 1;
    ClickNotification();
    Raise(events_.click);
    state_ = ButtonState::Normal;
    view_.Repaint();
}

void StyledButton::AccessKey() {
    if (!props_.enabled) {
        return;
    }
    lastMouseButton_ = 1;
    ClickNotification();
    // The access key clicks the button as Space does.
    Raise(events_.click);
    state_ = ButtonState::Normal;
    view_.Repaint();
}

void StyledButton::FocusChanged(bool gained) {
    focused_ = gained;
    view_.Repaint();
}

void StyledButton::Shown() {
    isShown_ = true;
    view_.Relayout();
}

void StyledButton::Hidden() {
    isShown_ = false;
    GiveToolTipBack();
}

void StyledButton::ApplyLayout(int width, int height, const PixelRect& measured) {
    clientRect_ = PixelRect{0, 0, width, height};
    const CaptionLayout layout = LayOutCaption(width, height, measured, props_.captionAlign,
                                               textMargin_, props_.rightToLeft);
    captionRect_ = layout.rect;
    captionFormat_ = layout.format;
}

char AccessKeyOf(std::string_view caption) noexcept {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') {
            continue;
        }
        const char next = caption[i + 1];
        if (next == '&') {
            ++i;
            continue;
        }
        return (next >= 'a' && next <= 'z') ? static_cast<char>(next - 'a' + 'A') : next;
    }
    return 0;
}

}  // namespace murmurex
