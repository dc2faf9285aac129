#pragma once
// The platform's visual style for the styled button's style 6: uxtheme's "Button" class data
// for one window, open for one paint.

#include <windows.h>

#include <memory>

#include "button_paint_theme.h"

namespace murmurex {

/// The visual-style data of the class "Button" for window; null when none can be opened
/// (visual styles are off, as under Wine without a theme).
std::unique_ptr<ButtonTheme> OpenButtonTheme(HWND window);

}  // namespace murmurex
