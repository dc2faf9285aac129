#pragma once
// The model behind a check-box list box (the category list and the phrase list): entries of
// text and tick in list order, plus the highlighted entry. It raises no events, so ticks set
// while loading from disk are never mistaken for the user's toggles; the window layer mirrors
// this model and calls the save operations only for real clicks.

#include <string>
#include <string_view>
#include <vector>

namespace murmurex {

struct CheckEntry {
    std::string text;  ///< UTF-8 text as shown.
    bool ticked = false;

    friend bool operator==(const CheckEntry&, const CheckEntry&) = default;
};

class CheckList {
  public:
    /// Appends an unticked entry.
    void AddItem(std::string text);
    /// Removes the entry at `index` (ignored when out of range); the selection follows.
    void RemoveItem(int index);
    /// Removes every entry and the selection.
    void Clear() noexcept;

    int ListCount() const noexcept { return static_cast<int>(entries_.size()); }
    bool IsEmpty() const noexcept { return entries_.empty(); }
    /// Text of the entry at `index`; empty when out of range.
    const std::string& List(int index) const noexcept;

    /// Replaces the text of the entry at `index`, keeping its tick; ignored when out of range.
    void SetList(int index, std::string text);

    /// Tick of the entry at `index`; false when out of range.
    bool IsTicked(int index) const noexcept;
    /// Sets the tick of the entry at `index`; ignored when out of range.
    void SetTicked(int index, bool ticked) noexcept;

    /// The highlighted entry, or -1 for none.
    int ListIndex() const noexcept { return listIndex_; }
    /// Highlights `index`; anything outside the list means none (-1).
    void SetListIndex(int index) noexcept;
    /// Text of the highlighted entry; empty when none is highlighted.
    const std::string& Text() const noexcept { return List(listIndex_); }

    const std::vector<CheckEntry>& Entries() const noexcept { return entries_; }

  private:
    bool InRange(int index) const noexcept {
        return index >= 0 && index < static_cast<int>(entries_.size());
    }

    std::vector<CheckEntry> entries_;
    int listIndex_ = -1;
};

}  // namespace murmurex
