// The settings window at the DPI of the monitor it is on: its fonts made for that DPI, every
// control at its design place in pixels of that DPI, and both again when the window moves to a
// monitor of another DPI (WM_DPICHANGED), so it stays sharp and in proportion everywhere.
#include "frm_settings_win.h"

#include <utility>
#include <vector>

#include "child_control_win.h"
#include "frm_settings_parts_win.h"
#include "settings_layout.h"
#include "win/dpi.h"

namespace murmurex {

namespace {

using namespace settings_layout;

void SetFont(HWND control, HFONT font) {
    if (control != nullptr) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void MoveTo(HWND control, const RECT& place) {
    // Drawn afresh at the new place: pixels copied from the old one were drawn for the old DPI.
    if (control != nullptr) {
        ::SetWindowPos(control, nullptr, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
    }
}

}  // namespace

win::UniqueFont settings_window::PointFont(const LabelFont& font, int dpi) {
    const LOGFONTW logFont = LogFontAt(font, dpi);
    return win::UniqueFont(::CreateFontIndirectW(&logFont));
}

// The design's fonts at the window's DPI. Controls that show the old ones take the new ones
// before the old ones go.
void frmSettings::MakeDesignFonts() {
    win::UniqueFont label =
        settings_window::PointFont(LabelFont{"Arial", 9.75f, false, false}, dpiY_);
    win::UniqueFont frame =
        settings_window::PointFont(LabelFont{"Arial", 9.75f, true, false}, dpiY_);
    const LOGFONTW listLook = win::IconTitleFontForDpi(dpiY_);
    win::UniqueFont list(::CreateFontIndirectW(&listLook));
    for (HWND control :
         {lblVersion_, Label1_, Label2_, txtEditCat_, txtEditWord_, lblDuration_, lblFrequency_}) {
        SetFont(control, label.get());
    }
    for (const auto* view : {lstMessageCategories_.get(), lstPhrases_.get()}) {
        if (view != nullptr) {
            SetFont(view->hWnd(), list.get());
        }
    }
    labelFont_ = std::move(label);
    frameFont_ = std::move(frame);
    listFont_ = std::move(list);
    MakePreviewFont();
    InvalidatePreview();
}

// Every control at its design place, in pixels of the window's DPI.
void frmSettings::PlaceControls() {
    const std::pair<HWND, TwipsRect> plainControls[] = {
        {lblVersion_, kVersion},          {Label1_, kLabel1},        {Label2_, kLabel2},
        {txtEditCat_, kEditCat},          {txtEditWord_, kEditWord}, {lblDuration_, kDurationLabel},
        {lblFrequency_, kFrequencyLabel}, {Picture1_, kPicture1},    {cmdStop_, kStop},
    };
    for (const auto& [control, twips] : plainControls) {
        MoveTo(control, Pixels(twips));
    }
    const std::pair<StyledButtonWindow*, TwipsRect> buttons[] = {
        {cmdAddCat_.get(), kAddCat},       {cmdEditCat_.get(), kEditCatButton},
        {cmdDeleteCat_.get(), kDeleteCat}, {cmdAdd_.get(), kAdd},
        {cmdEdit_.get(), kEdit},           {cmdDelete_.get(), kDelete},
        {cmdEditFont_.get(), kEditFont},   {cmdStart_.get(), kStart},
        {cmdClose_.get(), kClose},
    };
    for (const auto& [button, twips] : buttons) {
        if (button != nullptr) {
            button->SetDpi(dpiY_);
            MoveTo(button->hWnd(), Pixels(twips));
        }
    }
    const std::pair<HWND, TwipsRect> platformControls[] = {
        {lstMessageCategories_ ? lstMessageCategories_->hWnd() : nullptr, kCategories},
        {lstPhrases_ ? lstPhrases_->hWnd() : nullptr, kPhrases},
        {bvlWHEEL1_ ? bvlWHEEL1_->hWnd() : nullptr, kDurationWheel},
        {bvlWHEEL2_ ? bvlWHEEL2_->hWnd() : nullptr, kFrequencyWheel},
        {ColorPicker1_ ? ColorPicker1_->hWnd() : nullptr, kColourPicker},
    };
    for (const auto& [control, twips] : platformControls) {
        MoveTo(control, Pixels(twips));
    }
    if (tabMenu_) {
        tabMenu_->SetDpi(dpiY_);
        tabMenu_->Move(0, 0, PixelsX(kClientWidth));
    }
    PlaceHelpBox();
    pageBackground_ = Pixels(kPicture2);
    Form_Resize();
}

// The help box at its design corner, as large as the window allows.
void frmSettings::PlaceHelpBox() {
    if (!rtfHelp_) {
        return;
    }
    RECT outer{};
    ::GetWindowRect(hWnd(), &outer);
    const int width = outer.right - outer.left - PixelsX(450);
    const int height = outer.bottom - outer.top - PixelsY(1700);
    ::SetWindowPos(rtfHelp_->hWnd(), nullptr, PixelsX(kHelpBox.left), PixelsY(kHelpBox.top), width,
                   height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window went to a monitor of another DPI (or that monitor's scaling changed): it takes the
// place the system suggests, then everything inside is made and placed for the new DPI.
void frmSettings::OnDpiChanged(int dpiX, int dpiY, const RECT& suggested) {
    dpiX_ = UsableDpi(dpiX);
    dpiY_ = UsableDpi(dpiY);
    ::SetWindowPos(hWnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    MakeDesignFonts();
    PlaceControls();
    ::RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace murmurex
