#pragma once
// What the settings window's source files share and nobody else needs: the ids of its child
// controls and the design fonts of its labels.

#include <windows.h>

#include <cstdint>
#include <string>

#include "message_window_win.h"
#include "win/unique_handle.h"

namespace murmurex::settings_window {

enum ControlId : int {
    kTabMenuId = 100,
    kVersionId,
    kLabel1Id,
    kLabel2Id,
    kCategoriesId,
    kPhrasesId,
    kEditCatId,
    kEditWordId,
    kAddCatId,
    kEditCatButtonId,
    kDeleteCatId,
    kAddId,
    kEditId,
    kDeleteId,
    kDurationLabelId,
    kFrequencyLabelId,
    kDurationWheelId,
    kFrequencyWheelId,
    kEditFontId,
    kColourPickerId,
    kPicture1Id,
    kStartId,
    kStopId,
    kCloseId,
    kHelpBoxId,
};

/// A font of `font.Size` points at `dpi`, as the labels of the design use.
win::UniqueFont PointFont(const LabelFont& font, int dpi);

/// The duration wheel's label for `milliseconds`, and the frequency wheel's for `seconds`.
std::string DurationCaption(std::int16_t milliseconds);
std::string FrequencyCaption(std::int16_t seconds);

}  // namespace murmurex::settings_window
