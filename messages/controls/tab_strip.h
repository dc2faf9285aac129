#pragma once
// The tab strip at the top of the settings window, free of any platform: a row of captioned
// tabs (`TabButton`) and drop-arrow buttons (`TabButtonMenu`) owned by a `TabMenu`, which
// lays them out left to right, keeps one tab selected and reports clicks to its host.
//
// Looks are whole pictures swapped in and out; this layer only decides which picture each
// button shows. A view (the Win32 windows, or a test) is told whenever an element is created
// or changes, and reads the new state back.
//
// Lengths are twips (a twentieth of a point; portable/twips.h). Colours are 0x00BBGGRR.

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace murmurex {

/// The pictures a button can show.
enum class TabPicture { Normal, Over, Down };

/// The two kinds of element `TabMenu::AddButton` can add.
enum class TabKind : std::int16_t { Tab = 1, Menu = 2 };

/// How an operation that can fail ended. Errors are results, never exceptions.
enum class TabStatus {
    Ok,
    /// A Left position left the 16-bit range: the element exists but stays hidden.
    Overflow,
    /// The index named no element.
    NoSuchElement,
};

/// Fixed sizes, twips.
inline constexpr int kTabButtonWidth = 1050;
inline constexpr int kTabMenuButtonWidth = 405;
inline constexpr int kTabHeight = 525;
/// The picture area of a tab; the rest of its width is the separator's.
inline constexpr int kTabImageWidth = 975;
inline constexpr int kTabMenuImageWidth = 330;
/// The separator sits at the right edge of every button.
inline constexpr int kSeparatorTop = 100;
inline constexpr int kSeparatorWidth = 70;
inline constexpr int kSeparatorHeight = 375;
/// The caption label of a tab.
inline constexpr int kTabLabelTop = 190;
inline constexpr int kTabLabelHeight = 255;

/// Caption colours: navy while not selected, white while selected.
inline constexpr std::uint32_t kTabCaptionColour = 0x400000;
inline constexpr std::uint32_t kTabSelectedCaptionColour = 0xFFFFFF;

/// A + B, A - B and A * B in 16-bit signed integers; empty on overflow.
std::optional<std::int16_t> Add16(std::int16_t a, std::int16_t b) noexcept;
std::optional<std::int16_t> Sub16(std::int16_t a, std::int16_t b) noexcept;
std::optional<std::int16_t> Mul16(std::int16_t a, std::int16_t b) noexcept;

/// Left of a new button, from the highest element index of each collection after the new
/// element was created (`tabs` counts the hidden template, so it is at least 1). Both come
/// to 1050 per earlier tab plus 405 per earlier menu button; empty when a step overflows.
std::optional<std::int16_t> NewTabLeft(std::int16_t tabs, std::int16_t menus) noexcept;
std::optional<std::int16_t> NewMenuButtonLeft(std::int16_t tabs, std::int16_t menus) noexcept;

/// What every button has in common: place, visibility and the picture shown.
class TabElement {
  public:
    TabElement() = default;
    TabElement(const TabElement&) = delete;
    TabElement& operator=(const TabElement&) = delete;

    float Left() const noexcept { return left_; }
    float Top() const noexcept { return top_; }
    bool Visible() const noexcept { return visible_; }
    TabPicture Picture() const noexcept { return picture_; }

    /// Raised with no arguments when the button is clicked / the pointer moves over it.
    std::function<void()> ClickEvent;
    std::function<void()> MouseMoveEvent;
    /// Told after anything a view shows has changed.
    std::function<void()> Changed;

  protected:
    friend class TabMenu;
    void SetPicture(TabPicture picture);
    void Place(float left, float top);
    void SetVisible(bool visible);
    void Notify() const;
    static void Raise(const std::function<void()>& event) {
        if (event) {
            event();
        }
    }

  private:
    float left_ = 0;
    float top_ = 0;
    bool visible_ = false;
    TabPicture picture_ = TabPicture::Normal;
};

/// One captioned tab. `HasFocus` (selected) and `Text` (last caption given) are public
/// fields, as hosts read them directly.
class TabButton : public TabElement {
  public:
    bool HasFocus = false;
    std::string Text;

    /// Raises Click, then selects this tab.
    void Click();
    /// Back to the normal picture unless selected.
    void MoveMouseOff();
    /// Selected: down picture, white caption.
    void SetFocus();
    /// Not selected: normal picture, navy caption.
    void RemoveFocus();
    /// Caption shown and remembered in `Text`.
    void SetText(std::string_view text);

    const std::string& Caption() const noexcept { return caption_; }
    std::uint32_t CaptionColour() const noexcept { return captionColour_; }

    /// Pointer input, from the view.
    void PointerMoved();
    void ButtonPressed();
    void Clicked() { Click(); }
    /// The pointer left the button: the hover or press look goes, as for MoveMouseOff.
    void PointerLeft() { MoveMouseOff(); }

  private:
    std::string caption_ = "ItemText";
    std::uint32_t captionColour_ = kTabCaptionColour;
};

/// The narrow drop-arrow button. It has no caption and is never selected.
class TabButtonMenu : public TabElement {
  public:
    /// Back to the normal picture, whatever the state.
    void MoveMouseOff() { SetPicture(TabPicture::Normal); }

    void PointerMoved();
    void ButtonPressed() { SetPicture(TabPicture::Down); }
    /// Raises Click; the picture stays.
    void Clicked() { Raise(ClickEvent); }
    void PointerLeft() { MoveMouseOff(); }
};

/// Told of elements as they come and change; indexes are element indexes (the hidden
/// templates are 1).
class TabMenuView {
  public:
    virtual ~TabMenuView() = default;
    virtual void ElementCreated(TabKind kind, int index) = 0;
    virtual void ElementChanged(TabKind kind, int index) = 0;
};

/// The strip. Each collection starts with one hidden template at index 1; added elements
/// get 2, 3, ... The loops over the collections include the templates.
class TabMenu {
  public:
    explicit TabMenu(TabMenuView* view = nullptr);
    TabMenu(const TabMenu&) = delete;
    TabMenu& operator=(const TabMenu&) = delete;

    /// Kind 1 adds a tab with `caption`, kind 2 a menu button (caption ignored), any other
    /// kind nothing. The 31st tab answers Overflow: it is created but stays hidden, unplaced
    /// and without caption.
    TabStatus AddButton(std::int16_t kind, std::string_view caption);
    /// Clears the hover look of every element whose index is not `index`, in both
    /// collections.
    void MoveMouseOff(std::int16_t index);
    /// Deselects every tab but element `index`.
    void RemoveTabFocus(std::int16_t index);
    /// Clicks the index-th added tab (1 = first), with the same events as a user's click.
    TabStatus SetTabFocus(std::int16_t index);

    /// After a tab click: its Text. After a menu button click: its ordinal, "1" first.
    std::string ClickedItem;
    /// Raised with no arguments after ClickedItem was set.
    std::function<void()> ItemClick;
    std::function<void()> ItemMenuClick;

    /// Highest element index of each collection (1 while only the template exists).
    int TabCount() const noexcept { return static_cast<int>(tabs_.size()); }
    int MenuCount() const noexcept { return static_cast<int>(menus_.size()); }
    /// Element `index` of a collection; null when there is none.
    TabButton* Tab(int index) noexcept;
    TabButtonMenu* Menu(int index) noexcept;

  private:
    void Route(TabButton& tab, int index);
    void Route(TabButtonMenu& menu, int index);
    void TabClicked(int index);
    void MenuClicked(int index);

    TabMenuView* view_;
    // Deques: adding an element from inside an event handler keeps every reference valid.
    std::deque<TabButton> tabs_;
    std::deque<TabButtonMenu> menus_;
};

}  // namespace murmurex
