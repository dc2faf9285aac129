#pragma once
// A check-box list (lstMessageCategories, lstPhrases) as a ListView with check boxes, mirroring
// a CheckList model. Only the user's toggles raise ItemCheck; ticks and selections the program
// sets while it fills the list raise nothing. The host forwards its WM_NOTIFY from the list.
// The model's selection is the list's own: every change the list makes (a click on empty
// space clears it) reaches the model at once, so Edit and Delete act on the row the user sees.
// The model lives before the list's window: a hidden window's list is made when it first shows.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "check_list.h"
#include "win/unique_handle.h"

namespace murmurex {

class CheckListView {
  public:
    CheckListView() = default;
    CheckListView(const CheckListView&) = delete;
    CheckListView& operator=(const CheckListView&) = delete;
    ~CheckListView();

    /// Makes the list as a visible child of `parent` at `placement` (pixels), showing the model
    /// as it is; false when the system refuses it. Until then the model alone changes.
    bool CreateWindowIn(HWND parent, int controlId, RECT placement);

    /// The model the list shows. Change it, then call Refresh.
    CheckList& Model() noexcept { return model_; }
    /// Shows the model again: entries, ticks and the highlighted entry. The list is virtual
    /// (it draws from the model), so this costs the rows on screen, not the entries.
    void Refresh();

    /// The user toggled the tick of entry `index`; the model holds the new tick already.
    std::function<void(int index)> ItemCheck;
    /// The user highlighted an entry, or left none highlighted; the model's ListIndex holds
    /// it already (-1 for none). None is reported once the list has settled, so a click that
    /// moves the highlight to another row reports only that row.
    std::function<void()> Click;

    /// The host's WM_NOTIFY from this list.
    void OnNotify(const NMHDR& header);
    HWND hWnd() const noexcept { return window_.get(); }

  private:
    static LRESULT CALLBACK ListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR view) noexcept;
    void ShowSelection();
    void Toggle(int index);
    void FillRow(LVITEMW& item) const;
    void FollowItemChange(const NMLISTVIEW& change);
    void FollowSelection(int selected);
    void SelectionSettled();

    win::UniqueWindow window_;
    CheckList model_;
    // The first entry the last Refresh showed, to tell other content from an edit.
    std::string shownFirst_;
    int shownCount_ = 0;
    // The row the list shows selected (-1: none), followed through every change of the list.
    int shownSelection_ = -1;
    bool refreshing_ = false;
    bool settlePending_ = false;
};

}  // namespace murmurex
