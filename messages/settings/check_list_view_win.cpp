#include "check_list_view_win.h"

#include "child_control_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
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

namespace {

// More changed entries than this are made with the list's drawing switched off.
constexpr std::size_t kQuietChanges = 8;

UINT CheckStateOf(bool ticked) noexcept {
    return INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
}

void InsertEntry(HWND list, int index, const CheckEntry& entry) {
    std::wstring text = WideFromAnsi(entry.text);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.iItem = index;
    item.pszText = text.data();
    item.state = CheckStateOf(entry.ticked);
    item.stateMask = LVIS_STATEIMAGEMASK;
    const auto inserted =
        static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    // Some list views give every new item the unticked box whatever the state asked for.
    if (entry.ticked && inserted >= 0) {
        ListView_SetItemState(list, inserted, CheckStateOf(true), LVIS_STATEIMAGEMASK);
    }
}

}  // namespace

void CheckListView::Refresh() {
    refreshing_ = true;
    const std::vector<CheckEntry>& wanted = model_.Entries();
    const std::size_t common = std::min(shown_.size(), wanted.size());
    std::size_t head = 0;
    while (head < common && shown_[head].text == wanted[head].text) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < common - head &&
           shown_[shown_.size() - 1 - tail].text == wanted[wanted.size() - 1 - tail].text) {
        ++tail;
    }
    const std::size_t removed = shown_.size() - head - tail;
    const std::size_t added = wanted.size() - head - tail;
    HWND list = window_.get();
    const bool quiet = removed + added > kQuietChanges;
    if (quiet) {
        ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    }
    if (head == 0 && tail == 0) {
        ReplaceAll();
    } else {
        ReplaceRange(head, removed, added);
    }
    // Ticks of the entries that stayed (inserted ones came with theirs).
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (shown_[i].ticked != wanted[i].ticked) {
            ListView_SetItemState(list, static_cast<int>(i), CheckStateOf(wanted[i].ticked),
                                  LVIS_STATEIMAGEMASK);
        }
    }
    shown_ = wanted;
    ShowSelection();
    if (quiet) {
        ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(list, nullptr, TRUE);
    }
    refreshing_ = false;
}

void CheckListView::ReplaceAll() {
    HWND list = window_.get();
    const std::vector<CheckEntry>& wanted = model_.Entries();
    ListView_DeleteAllItems(list);
    ListView_SetItemCountEx(list, static_cast<int>(wanted.size()), LVSICF_NOINVALIDATEALL);
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        InsertEntry(list, static_cast<int>(i), wanted[i]);
    }
    shown_ = wanted;
}

void CheckListView::ReplaceRange(std::size_t first, std::size_t removed, std::size_t added) {
    HWND list = window_.get();
    const std::vector<CheckEntry>& wanted = model_.Entries();
    for (std::size_t n = removed; n > 0; --n) {
        ListView_DeleteItem(list, static_cast<int>(first + n - 1));
    }
    for (std::size_t i = first; i < first + added; ++i) {
        InsertEntry(list, static_cast<int>(i), wanted[i]);
    }
    // Line the mirror up with the list, so the tick pass compares like with like.
    shown_.erase(shown_.begin() + static_cast<std::ptrdiff_t>(first),
                 shown_.begin() + static_cast<std::ptrdiff_t>(first + removed));
    shown_.insert(shown_.begin() + static_cast<std::ptrdiff_t>(first),
                  wanted.begin() + static_cast<std::ptrdiff_t>(first),
                  wanted.begin() + static_cast<std::ptrdiff_t>(first + added));
}

void CheckListView::ShowSelection() {
    HWND list = window_.get();
    const int shown = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    const int wanted = model_.ListIndex();
    if (shown == wanted) {
        return;
    }
    if (shown >= 0) {
        ListView_SetItemState(list, shown, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (wanted >= 0) {
        ListView_SetItemState(list, wanted, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, wanted, FALSE);
    }
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
        if (static_cast<std::size_t>(change.iItem) < shown_.size()) {
            shown_[static_cast<std::size_t>(change.iItem)].ticked = ticked;
        }
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
