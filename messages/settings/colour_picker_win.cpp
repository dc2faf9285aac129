#include "colour_picker_win.h"

#include "child_control_win.h"

#include "common_dialog_library_win.h"

namespace murmurex {

bool ColourPicker::CreateWindowIn(HWND parent, int controlId, RECT placement) {
    window_.reset(CreateChildControl(parent, controlId, placement, L"BUTTON",
                                     WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW));
    return static_cast<bool>(window_);
}

void ColourPicker::SetValue(std::uint32_t colour) {
    colour &= 0x00FFFFFFu;
    if (colour == value_) {
        return;
    }
    value_ = colour;
    if (window_) {
        // A null window would invalidate every window on the screen.
        ::InvalidateRect(window_.get(), nullptr, FALSE);
    }
    if (Change) {
        Change(value_);
    }
}

void ColourPicker::OnClick() {
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = ::GetParent(window_.get());
    choose.rgbResult = value_;
    choose.lpCustColors = customColours_.data();
    choose.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (common_dialogs::ChooseColorW(&choose)) {
        SetValue(choose.rgbResult);
    }
}

void ColourPicker::Draw(const DRAWITEMSTRUCT& item) const {
    RECT frame = item.rcItem;
    ::DrawEdge(item.hDC, &frame, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED,
               BF_RECT | BF_ADJUST);
    ::InflateRect(&frame, -2, -2);
    win::UniqueBrush swatch(::CreateSolidBrush(value_));
    ::FillRect(item.hDC, &frame, swatch.get());
    ::FrameRect(item.hDC, &frame, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -1, -1);
        ::DrawFocusRect(item.hDC, &focus);
    }
}

}  // namespace murmurex
