#include "tab_strip.h"

#include <limits>
#include <utility>

namespace murmurex {
namespace {

std::optional<std::int16_t> Fit16(int value) noexcept {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace

std::optional<std::int16_t> Add16(std::int16_t a, std::int16_t b) noexcept {
    return Fit16(a + b);
}

std::optional<std::int16_t> Sub16(std::int16_t a, std::int16_t b) noexcept {
    return Fit16(a - b);
}

std::optional<std::int16_t> Mul16(std::int16_t a, std::int16_t b) noexcept {
    return Fit16(a * b);
}

namespace {

// count * width - width, checked at each step.
std::optional<std::int16_t> Span16(std::int16_t count, std::int16_t width) noexcept {
    const auto product = Mul16(count, width);
    return product ? Sub16(*product, width) : std::nullopt;
}

}  // namespace

std::optional<std::int16_t> NewTabLeft(std::int16_t tabs, std::int16_t menus) noexcept {
    // (t * 1050 - 1050 - 1050) + (m * 405 - 405), evaluated left to right.
    const auto tabPart = Span16(tabs, kTabButtonWidth);
    const auto tabLeft = tabPart ? Sub16(*tabPart, kTabButtonWidth) : std::nullopt;
    const auto menuPart = tabLeft ? Span16(menus, kTabMenuButtonWidth) : std::nullopt;
    return menuPart ? Add16(*tabLeft, *menuPart) : std::nullopt;
}

std::optional<std::int16_t> NewMenuButtonLeft(std::int16_t tabs, std::int16_t menus) noexcept {
    // (m * 405 - 405 - 405) + (t * 1050 - 1050), evaluated left to right.
    const auto menuPart = Span16(menus, kTabMenuButtonWidth);
    const auto menuLeft = menuPart ? Sub16(*menuPart, kTabMenuButtonWidth) : std::nullopt;
    const auto tabPart = menuLeft ? Span16(tabs, kTabButtonWidth) : std::nullopt;
    return tabPart ? Add16(*menuLeft, *tabPart) : std::nullopt;
}

void TabElement::SetPicture(TabPicture picture) {
    if (picture_ != picture) {
        picture_ = picture;
        Notify();
    }
}

void TabElement::Place(float left, float top) {
    left_ = left;
    top_ = top;
    Notify();
}

void TabElement::SetVisible(bool visible) {
    visible_ = visible;
    Notify();
}

void TabElement::Notify() const {
    Raise(Changed);
}

void TabButton::Click() {
    Raise(ClickEvent);
    SetFocus();
}

void TabButton::MoveMouseOff() {
    if (!HasFocus) {
        SetPicture(TabPicture::Normal);
    }
}

void TabButton::SetFocus() {
    HasFocus = true;
    captionColour_ = kTabSelectedCaptionColour;
    SetPicture(TabPicture::Down);
    Notify();
}

void TabButton::RemoveFocus() {
    HasFocus = false;
    captionColour_ = kTabCaptionColour;
    SetPicture(TabPicture::Normal);
    Notify();
}

void TabButton::SetText(std::string_view text) {
    caption_ = text;
    Text = caption_;
    Notify();
}

void TabButton::PointerMoved() {
    Raise(MouseMoveEvent);
    if (!HasFocus) {
        SetPicture(TabPicture::Over);
    }
}

void TabButton::ButtonPressed() {
    SetPicture(TabPicture::Down);
}

void TabButtonMenu::PointerMoved() {
    Raise(MouseMoveEvent);
    SetPicture(TabPicture::Over);
}

TabMenu::TabMenu(TabMenuView* view) : view_(view) {
    // The hidden templates, element 1 of each collection.
    Route(tabs_.emplace_back(), 1);
    Route(menus_.emplace_back(), 1);
}

TabButton* TabMenu::Tab(int index) noexcept {
    return index >= 1 && index <= TabCount() ? &tabs_[index - 1] : nullptr;
}

TabButtonMenu* TabMenu::Menu(int index) noexcept {
    return index >= 1 && index <= MenuCount() ? &menus_[index - 1] : nullptr;
}

void TabMenu::Route(TabButton& tab, int index) {
    tab.ClickEvent = [this, index] { TabClicked(index); };
    tab.MouseMoveEvent = [this, index] { MoveMouseOff(static_cast<std::int16_t>(index)); };
    tab.Changed = [this, index] {
        if (view_ != nullptr) {
            view_->ElementChanged(TabKind::Tab, index);
        }
    };
    if (view_ != nullptr) {
        view_->ElementCreated(TabKind::Tab, index);
    }
}

void TabMenu::Route(TabButtonMenu& menu, int index) {
    menu.ClickEvent = [this, index] { MenuClicked(index); };
    menu.MouseMoveEvent = [this, index] { MoveMouseOff(static_cast<std::int16_t>(index)); };
    menu.Changed = [this, index] {
        if (view_ != nullptr) {
            view_->ElementChanged(TabKind::Menu, index);
        }
    };
    if (view_ != nullptr) {
        view_->ElementCreated(TabKind::Menu, index);
    }
}

TabStatus TabMenu::AddButton(std::int16_t kind, std::string_view caption) {
    if (kind != static_cast<std::int16_t>(TabKind::Tab) &&
        kind != static_cast<std::int16_t>(TabKind::Menu)) {
        return TabStatus::Ok;
    }
    // The element exists before its Left is computed, so an overflow leaves it behind,
    // hidden and unplaced, and the next one gets the index after it.
    const bool isTab = kind == static_cast<std::int16_t>(TabKind::Tab);
    TabElement* element = nullptr;
    if (isTab) {
        TabButton& tab = tabs_.emplace_back();
        element = &tab;
        Route(tab, TabCount());
    } else {
        TabButtonMenu& menu = menus_.emplace_back();
        element = &menu;
        Route(menu, MenuCount());
    }
    element->Place(element->Left(), 0);

    const auto tabs = Fit16(TabCount());
    const auto menus = Fit16(MenuCount());
    if (!tabs || !menus) {
        return TabStatus::Overflow;
    }
    const auto left = isTab ? NewTabLeft(*tabs, *menus) : NewMenuButtonLeft(*tabs, *menus);
    if (!left) {
        return TabStatus::Overflow;
    }
    element->Place(static_cast<float>(*left), 0);
    if (isTab) {
        tabs_.back().SetText(caption);
    }
    element->SetVisible(true);
    return TabStatus::Ok;
}

void TabMenu::MoveMouseOff(std::int16_t index) {
    // Index-based, as the events carry: the same number is spared in both collections.
    for (int k = 1; k <= TabCount(); ++k) {
        if (k != index) {
            tabs_[k - 1].MoveMouseOff();
        }
    }
    for (int k = 1; k <= MenuCount(); ++k) {
        if (k != index) {
            menus_[k - 1].MoveMouseOff();
        }
    }
}

void TabMenu::RemoveTabFocus(std::int16_t index) {
    for (int k = 1; k <= TabCount(); ++k) {
        if (k != index) {
            tabs_[k - 1].RemoveFocus();
        }
    }
}

TabStatus TabMenu::SetTabFocus(std::int16_t index) {
    // Counting starts at the first added tab: the hidden template is never the answer.
    TabButton* tab = index >= 1 ? Tab(index + 1) : nullptr;
    if (tab == nullptr) {
        return TabStatus::NoSuchElement;
    }
    tab->Click();
    return TabStatus::Ok;
}

void TabMenu::TabClicked(int index) {
    RemoveTabFocus(static_cast<std::int16_t>(index));
    ClickedItem = tabs_[index - 1].Text;
    if (ItemClick) {
        ItemClick();
    }
}

void TabMenu::MenuClicked(int index) {
    ClickedItem = std::to_string(index - 1);
    if (ItemMenuClick) {
        ItemMenuClick();
    }
}

}  // namespace murmurex
