#include "check_list_view_win.h"

#include "child_control_win.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>

namespace murmurex {

namespace {

constexpr UINT_PTR kListSubclass = 1;
// Posted to the list when the user's hand left no row selected. It arrives after the rest of
// that click (which may select another row) and before the next input.
constexpr UINT kSelectionSettled = WM_APP + 40;

UINT CheckStateOf(bool ticked) noexcept {
    return INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
}

}  // namespace

bool CheckListView::CreateWindowIn(HWND parent, int controlId, RECT placement) {
    // A virtual list: it asks the model for the rows it draws, so showing a category of
    // thousands of phrases costs the rows on screen, not one item per phrase.
    HWND window = CreateChildControl(parent, controlId, placement, WC_LISTVIEWW,
                                     WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_NOCOLUMNHEADER |
                                         LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                                     WS_EX_CLIENTEDGE);
    if (window == nullptr) {
        return false;
    }
    // The rows' texts are asked for in UTF-16 whatever the parent's character set: an ANSI
    // answer would turn every letter outside the code page into "?".
    ListView_SetUnicodeFormat(window, TRUE);
    ListView_SetExtendedListViewStyle(window, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    // The ticks come from the model too.
    ListView_SetCallbackMask(window, LVIS_STATEIMAGEMASK);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    RECT client{};
    ::GetClientRect(window, &client);
    column.cx = client.right - ::GetSystemMetrics(SM_CXVSCROLL);
    ::SendMessageW(window, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    window_.reset(window);
    ::SetWindowSubclass(window, &CheckListView::ListProcedure, kListSubclass,
                        reinterpret_cast<DWORD_PTR>(this));
    Refresh();
    return true;
}

CheckListView::~CheckListView() {
    if (window_) {
        ::RemoveWindowSubclass(window_.get(), &CheckListView::ListProcedure, kListSubclass);
    }
}

LRESULT CALLBACK CheckListView::ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR id, DWORD_PTR view) noexcept {
    try {
        if (message == kSelectionSettled) {
            reinterpret_cast<CheckListView*>(view)->SelectionSettled();
            return 0;
        }
        if (message == WM_NCDESTROY) {
            ::RemoveWindowSubclass(list, &CheckListView::ListProcedure, id);
        }
    } catch (...) {
        // Nothing unwinds into the system; the list handles the message as usual.
    }
    return ::DefSubclassProc(list, message, wParam, lParam);
}

void CheckListView::Refresh() {
    HWND list = window_.get();
    if (list == nullptr) {
        return;
    }
    refreshing_ = true;
    // Another first entry means other content (another category): it starts at its top.
    const bool otherContent = model_.List(0) != shownFirst_;
    shownFirst_ = model_.List(0);
    if (model_.ListCount() != shownCount_) {
        ListView_SetItemCountEx(list, model_.ListCount(), LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
        shownCount_ = model_.ListCount();
        if (shownSelection_ >= shownCount_) {
            shownSelection_ = -1;
        }
    }
    ShowSelection();
    if (otherContent && model_.ListIndex() < 0 && model_.ListCount() > 0) {
        ListView_EnsureVisible(list, 0, FALSE);
    }
    ::InvalidateRect(list, nullptr, TRUE);
    refreshing_ = false;
}

void CheckListView::ShowSelection() {
    // shownSelection_ follows the list through every change, so a refresh need not ask it.
    HWND list = window_.get();
    const int wanted = model_.ListIndex();
    if (shownSelection_ == wanted) {
        return;
    }
    if (shownSelection_ >= 0) {
        ListView_SetItemState(list, shownSelection_, 0, LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (wanted >= 0) {
        ListView_SetItemState(list, wanted, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(list, wanted, FALSE);
    }
    shownSelection_ = wanted;
}

void CheckListView::Toggle(int index) {
    if (index < 0 || index >= model_.ListCount()) {
        return;
    }
    model_.SetTicked(index, !model_.IsTicked(index));
    ListView_RedrawItems(window_.get(), index, index);
    if (ItemCheck) {
        ItemCheck(index);
    }
}

void CheckListView::FillRow(LVITEMW& item) const {
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::wstring text = WideFromUtf8(model_.List(item.iItem));
        const std::size_t length =
            std::min(text.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
        std::wmemcpy(item.pszText, text.data(), length);
        item.pszText[length] = L'\0';
    }
    if ((item.mask & LVIF_STATE) != 0) {
        item.state =
            (item.state & ~LVIS_STATEIMAGEMASK) | CheckStateOf(model_.IsTicked(item.iItem));
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

void CheckListView::OnNotify(const NMHDR& header) {
    switch (header.code) {
        case LVN_GETDISPINFOW:
            FillRow(
                const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
            return;
        case NM_CLICK:
        case NM_DBLCLK: {
            // A virtual list keeps no ticks: a click on a row's box toggles the model.
            const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
            LVHITTESTINFO hit{};
            hit.pt = click.ptAction;
            const int index = ListView_HitTest(window_.get(), &hit);
            if (index >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
                Toggle(index);
            }
            return;
        }
        case LVN_KEYDOWN: {
            const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
            if (key.wVKey == VK_SPACE) {
                Toggle(ListView_GetNextItem(window_.get(), -1, LVNI_FOCUSED));
            }
            return;
        }
        case LVN_ITEMCHANGED:
            FollowItemChange(reinterpret_cast<const NMLISTVIEW&>(header));
            return;
        case LVN_ODSTATECHANGED:
            // A range of rows changed at once: only the list knows which one is selected now.
            if (!refreshing_) {
                FollowSelection(ListView_GetNextItem(window_.get(), -1, LVNI_SELECTED));
            }
            return;
        default:
            return;
    }
}

void CheckListView::FollowItemChange(const NMLISTVIEW& change) {
    if (refreshing_ || (change.uChanged & LVIF_STATE) == 0) {
        return;
    }
    const bool nowSelected = (change.uNewState & LVIS_SELECTED) != 0;
    const bool wasSelected = (change.uOldState & LVIS_SELECTED) != 0;
    if (change.iItem < 0) {
        // Every row at once (a click on empty space deselects them all this way).
        FollowSelection(ListView_GetNextItem(window_.get(), -1, LVNI_SELECTED));
    } else if (nowSelected && !wasSelected) {
        FollowSelection(change.iItem);
    } else if (!nowSelected && wasSelected && change.iItem == shownSelection_) {
        FollowSelection(-1);
    }
}

void CheckListView::FollowSelection(int selected) {
    if (selected >= model_.ListCount()) {
        selected = -1;
    }
    shownSelection_ = selected;
    if (model_.ListIndex() == selected) {
        return;
    }
    model_.SetListIndex(selected);
    if (selected >= 0) {
        if (Click) {
            Click();
        }
    } else if (!settlePending_) {
        settlePending_ = ::PostMessageW(window_.get(), kSelectionSettled, 0, 0) != FALSE;
    }
}

void CheckListView::SelectionSettled() {
    settlePending_ = false;
    if (model_.ListIndex() < 0 && Click) {
        Click();
    }
}

}  // namespace murmurex
