#pragma once
// The styled button's own texts, exactly as the system shows and stores them.

namespace murmurex::button_texts {

inline constexpr const char* kClassName = "StyledButton";
inline constexpr const char* kVersion = "3.6.2";
/// The caption read back when a form holds none.
inline constexpr const char* kDefaultCaption = "StyledButton";
inline constexpr const char* kAboutTitlePrefix = "About StyledButton ";
inline constexpr const char* kVersionPrefix = "Version ";
inline constexpr const char* kAboutCredit = "Owner-drawn button of the Murmurex settings window";
inline constexpr const char* kClose = "Close";
inline constexpr const char* kToolTipClass = "tooltips_class32";
inline constexpr const char* kOpenVerb = "open";

// Property-bag keys.
inline constexpr const char* kKeyStyle = "Style";
inline constexpr const char* kKeyCaption = "Caption";
inline constexpr const char* kKeyIcon = "Icon";
inline constexpr const char* kKeyIconAlign = "IconAlign";
inline constexpr const char* kKeyIconSize = "IconSize";
inline constexpr const char* kKeyCaptionAlign = "CaptionAlign";
inline constexpr const char* kKeyNonThemeStyle = "iNonThemeStyle";
inline constexpr const char* kKeyEnabled = "Enabled";
inline constexpr const char* kKeyShowFocus = "ShowFocus";
inline constexpr const char* kKeyUseCustomColors = "USeCustomColors";
inline constexpr const char* kKeyBackColor = "BackColor";
inline constexpr const char* kKeyHighlightColor = "HighlightColor";
inline constexpr const char* kKeyFontColor = "FontColor";
inline constexpr const char* kKeyFontHighlightColor = "FontHighlightColor";
inline constexpr const char* kKeyToolTipText = "ToolTipText";
inline constexpr const char* kKeyToolTipTitle = "Tooltiptitle";
inline constexpr const char* kKeyToolTipIcon = "ToolTipIcon";
inline constexpr const char* kKeyToolTipType = "ToolTipType";
inline constexpr const char* kKeyToolTipBackColor = "ttBackColor";
inline constexpr const char* kKeyToolTipForeColor = "ttForeColor";
inline constexpr const char* kKeyFont = "Font";
inline constexpr const char* kKeyButtonType = "ButtonType";
inline constexpr const char* kKeyMousePointer = "MousePointer";
inline constexpr const char* kKeyValue = "Value";
inline constexpr const char* kKeyMaskColor = "MaskColor";
inline constexpr const char* kKeyUseMaskColor = "UseMaskColor";
inline constexpr const char* kKeyRoundedBordersByTheme = "RoundedBordersByTheme";
inline constexpr const char* kKeyRightToLeft = "bRTLText";

}  // namespace murmurex::button_texts
