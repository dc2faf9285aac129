// The timing, colour and preview side of the settings window: the change handlers of the two
// wheels and the colour picker, the preview label's font and its drawing over a white and a
// black half, and the controls the settings file is applied to at start-up (SettingsControls).
#include "frm_settings_win.h"

#include <string>
#include <utility>

#include "child_control_win.h"
#include "frm_settings_parts_win.h"
#include "settings_layout.h"
#include "shell_texts.h"

namespace murmurex {

namespace texts = shell_texts;
using namespace settings_layout;

std::string settings_window::DurationCaption(std::int16_t milliseconds) {
    return texts::kDurationBefore + std::to_string(milliseconds) + texts::kDurationAfter;
}

std::string settings_window::FrequencyCaption(std::int16_t seconds) {
    return texts::kFrequencyBefore + std::to_string(seconds) + texts::kFrequencyAfter;
}

// ---- the preview ----------------------------------------------------------------------------

void frmSettings::MakePreviewFont() {
    previewHFont_ = settings_window::PointFont(previewFont_, dpiY_);
}

void frmSettings::InvalidatePreview() {
    // Before the preview is made there is nothing to draw again; a null window would have
    // every window on the screen drawn again.
    if (Picture1_ != nullptr) {
        ::InvalidateRect(Picture1_, nullptr, FALSE);
    }
}

void frmSettings::DrawPreview(const DRAWITEMSTRUCT& item) {
    // Shape1 white, Shape2 black, and the preview text straddling both.
    RECT white{0, 0, PixelsX(kShape1Width), item.rcItem.bottom};
    RECT black{PixelsX(kShape2Left), 0, item.rcItem.right, item.rcItem.bottom};
    ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FillRect(item.hDC, &white, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FillRect(item.hDC, &black, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    RECT text = Pixels(kPreviewLabel);
    const std::wstring caption = WideFromUtf8(texts::kPreview);
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, previewColour_ & 0x00FFFFFFu);
    win::SelectGuard font(item.hDC, previewHFont_ ? previewHFont_.get() : labelFont_.get());
    ::DrawTextW(item.hDC, caption.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
}

// ---- timing and colour ---------------------------------------------------------------------

// The label's text is drawn transparently over the page: a new caption alone would be drawn
// over the old one's ink. The page under the label is drawn again first, then the label, then
// the wheel it overlaps, as at any repaint.
void frmSettings::RecaptionTimingLabel(HWND label, const std::string& caption) {
    // Before the controls are made the caption comes with the label when it is made.
    if (label == nullptr) {
        return;
    }
    ::SetWindowTextW(label, WideFromUtf8(caption).c_str());
    RECT under{};
    if (!::GetWindowRect(label, &under)) {
        return;
    }
    ::MapWindowPoints(nullptr, hWnd(), reinterpret_cast<POINT*>(&under), 2);
    ::RedrawWindow(hWnd(), &under, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void frmSettings::bvlWHEEL1_Change(int value) {
    const auto n = static_cast<std::int16_t>(value);
    RecaptionTimingLabel(lblDuration_, settings_window::DurationCaption(n));
    if (messageWindow_) {
        messageWindow_->TimerDisplayLength.SetInterval(static_cast<std::uint32_t>(n));
    }
    settings_.DurationChanged(n);
}

void frmSettings::bvlWHEEL2_Change(int value) {
    const auto n = static_cast<std::int16_t>(value);
    RecaptionTimingLabel(lblFrequency_, settings_window::FrequencyCaption(n));
    if (messageWindow_) {
        messageWindow_->TimerFrequency.SetInterval(static_cast<std::uint32_t>(n));
    }
    settings_.FrequencyChanged(n);
}

void frmSettings::ColorPicker1_Change(std::uint32_t colour) {
    // Pure white is the message window's transparency key: the nearest colour stands in.
    if (colour == kTransparencyKey) {
        ColorPicker1_->SetValue(kNearestToWhite);  // raises this handler again
        return;
    }
    previewColour_ = colour;
    if (messageWindow_) {
        messageWindow_->lblMessage.SetForeColor(colour);
    }
    InvalidatePreview();
    settings_.ColourChanged(colour);
}

// ---- SettingsControls ----------------------------------------------------------------------

bool frmSettings::SetPreviewFontName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    LabelFont font = previewFont_;
    font.Name = name;
    win::UniqueFont made = settings_window::PointFont(font, dpiY_);
    if (!made) {
        return false;
    }
    previewFont_ = font;
    previewHFont_ = std::move(made);
    InvalidatePreview();
    return true;
}

bool frmSettings::SetPreviewFontSize(std::int32_t points) {
    if (points <= 0 || points > kLargestFontPoints) {
        return false;
    }
    previewFont_.Size = static_cast<float>(points);
    MakePreviewFont();
    return true;
}

void frmSettings::SetPreviewBold(bool bold) {
    previewFont_.Bold = bold;
    MakePreviewFont();
}

void frmSettings::SetPreviewItalic(bool italic) {
    previewFont_.Italic = italic;
    MakePreviewFont();
}

void frmSettings::SetPreviewColour(std::uint32_t colour) {
    previewColour_ = colour;
    InvalidatePreview();
}

void frmSettings::SetPickerColour(std::uint32_t colour) {
    if (ColorPicker1_) {
        ColorPicker1_->SetValue(colour);
    }
}

void frmSettings::SetMessageColour(std::uint32_t colour) {
    if (messageWindow_) {
        messageWindow_->lblMessage.SetForeColor(colour);
    }
}

void frmSettings::SetDurationWheel(std::int32_t milliseconds) {
    if (bvlWHEEL1_) {
        bvlWHEEL1_->SetValue(milliseconds);
    }
}

void frmSettings::SetDisplayLengthInterval(std::int32_t milliseconds) {
    if (messageWindow_) {
        messageWindow_->TimerDisplayLength.SetInterval(static_cast<std::uint32_t>(milliseconds));
    }
}

void frmSettings::SetFrequencyWheel(std::int32_t seconds) {
    if (bvlWHEEL2_) {
        bvlWHEEL2_->SetValue(seconds);
    }
}

void frmSettings::SetFrequencyInterval(std::int32_t seconds) {
    if (messageWindow_) {
        messageWindow_->TimerFrequency.SetInterval(static_cast<std::uint32_t>(seconds));
    }
}

}  // namespace murmurex
