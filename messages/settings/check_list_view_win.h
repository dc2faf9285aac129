#pragma once
// A check-box list (lstMessageCategories, lstPhrases) as a ListView with check boxes, mirroring
// a CheckList model. Only the user's toggles raise ItemCheck; ticks and selections the program
// sets while it fills the list raise nothing. The host forwards its WM_NOTIFY from the list.

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "check_list.h"
#include "win/unique_handle.h"

namespace murmurex {

class CheckListView {
  public:
    static std::unique_ptr<CheckListView> Create(HWND parent, int controlId, RECT placement);

    explicit CheckListView(HWND window) noexcept : window_(window) {}

    /// The model the list shows. Change it, then call Refresh.
    CheckList& Model() noexcept { return model_; }
    /// Shows the model again: entries, ticks and the highlighted entry. Only what changed
    /// since the last call is sent to the list, so one added or edited entry in a long list
    /// costs one item, not the whole list.
    void Refresh();

    /// The user toggled the tick of entry `index`; the model holds the new tick already.
    std::function<void(int index)> ItemCheck;
    /// The user highlighted an entry; the model's ListIndex holds it already.
    std::function<void()> Click;

    /// The host's WM_NOTIFY from this list.
    void OnNotify(const NMHDR& header);
    HWND hWnd() const noexcept { return window_.get(); }

  private:
    win::UniqueWindow window_;
    void ReplaceAll();
    void ReplaceRange(std::size_t first, std::size_t removed, std::size_t added);
    void ShowSelection();

    CheckList model_;
    // What the list shows now: the model as of the last Refresh plus the user's toggles.
    std::vector<CheckEntry> shown_;
    bool refreshing_ = false;
};

}  // namespace murmurex
