#include "check_list_view_win.h"

#include "child_control_win.h"

#include <commctrl.h>

#include <string>

namespace murmurex {

std::unique_ptr<CheckListView> CheckListView::Create(HWND parent, int controlId, RECT placement) {
    HWND window = CreateChildControl(parent, controlId, placement, WC_LISTVIEWW,
                                     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER |
                                         LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                                     WS_EX_CLIENTEDGE);
    if (window == nullptr) {
        return nullptr;
    }
    ListView_SetExtendedListViewStyle(window, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    RECT client{};
    ::GetClientRect(window, &client);
    column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageW(window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    return std::make_unique<CheckListView>(window);
}

void CheckListView::Refresh() {
    refreshing_ = true;
    HWND list = window_.get();
    ListView_DeleteAllItems(list);
    for (int index = 0; index < model_.ListCount(); ++index) {
        std::wstring text = WideFromAnsi(model_.List(index));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = text.data();
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        ListView_SetCheckState(list, index, model_.IsTicked(index) ? TRUE : FALSE);
    }
    if (model_.ListIndex() >= 0) {
        ListView_SetItemState(list, model_.ListIndex(), LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, model_.ListIndex(), FALSE);
    }
    refreshing_ = false;
}

void CheckListView::OnNotify(const NMHDR& header) {
    if (header.code != LVN_ITEMCHANGED || refreshing_) {
        return;
    }
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if (change.iItem < 0 || change.iItem >= model_.ListCount() || !(change.uChanged & LVIF_STATE)) {
        return;
    }
    const UINT oldCheck = change.uOldState & LVIS_STATEIMAGEMASK;
    const UINT newCheck = change.uNewState & LVIS_STATEIMAGEMASK;
    if (oldCheck != newCheck && newCheck != 0) {
        const bool ticked = newCheck == INDEXTOSTATEIMAGEMASK(2);
        if (model_.IsTicked(change.iItem) != ticked) {
            model_.SetTicked(change.iItem, ticked);
            if (ItemCheck) {
                ItemCheck(change.iItem);
            }
        }
    }
    if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED) &&
        model_.ListIndex() != change.iItem) {
        model_.SetListIndex(change.iItem);
        if (Click) {
            Click();
        }
    }
}

}  // namespace murmurex
