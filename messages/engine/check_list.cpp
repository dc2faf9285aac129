#include "check_list.h"

#include <utility>

namespace murmurex {
namespace {
const std::string kNoText;
}  // namespace

void CheckList::AddItem(std::string text) {
    entries_.push_back(CheckEntry{std::move(text), false});
}

void CheckList::RemoveItem(int index) {
    if (!InRange(index)) {
        return;
    }
    entries_.erase(entries_.begin() + index);
    if (listIndex_ == index) {
        listIndex_ = -1;
    } else if (listIndex_ > index) {
        --listIndex_;
    }
}

void CheckList::Clear() noexcept {
    entries_.clear();
    listIndex_ = -1;
}

const std::string& CheckList::List(int index) const noexcept {
    return InRange(index) ? entries_[static_cast<std::size_t>(index)].text : kNoText;
}

void CheckList::SetList(int index, std::string text) {
    if (InRange(index)) {
        entries_[static_cast<std::size_t>(index)].text = std::move(text);
    }
}

bool CheckList::IsTicked(int index) const noexcept {
    return InRange(index) && entries_[static_cast<std::size_t>(index)].ticked;
}

void CheckList::SetTicked(int index, bool ticked) noexcept {
    if (InRange(index)) {
        entries_[static_cast<std::size_t>(index)].ticked = ticked;
    }
}

void CheckList::SetListIndex(int index) noexcept {
    listIndex_ = InRange(index) ? index : -1;
}

}  // namespace murmurex
