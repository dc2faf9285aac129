#pragma once
// The tab strip as real Win32 child windows. Every element (tab, drop-arrow button,
// separator) is a child window of its own class; the window procedures only turn mouse
// messages into calls on the portable TabMenu and paint the pictures it chooses, which are
// bitmap resources of the program (tab_pictures.rc, compiled into every executable that
// links `controls_tabs`).
//
// Use from a host window:
//
//     auto tabs = murmurex::TabMenuWindow::Create(hostWindow, 0, 0, 458);
//     tabs->Strip().ItemClick = [&] { ShowPage(tabs->Strip().ClickedItem); };
//     tabs->Strip().AddButton(1, "Messages");
//     tabs->Strip().AddButton(1, "Help");
//     tabs->Strip().SetTabFocus(1);  // raises ItemClick with ClickedItem "Messages"
//
// Events run on the thread that created the strip, from inside its window procedures: a
// handler may call the strip again but must not destroy it; post a message to do that.

#include <windows.h>

#include <array>
#include <cstdint>
#include <deque>
#include <memory>

#include "tab_strip.h"
#include "win/unique_handle.h"

namespace murmurex {

/// Window class names, for hosts and tests that look the windows up.
inline constexpr char kTabMenuClass[] = "MurmurexTabMenu";
inline constexpr char kTabButtonClass[] = "MurmurexTabButton";
inline constexpr char kTabButtonMenuClass[] = "MurmurexTabButtonMenu";
inline constexpr char kTabSeparatorClass[] = "MurmurexTabSeparator";

class TabMenuWindow final : private TabMenuView {
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Creates the strip as a visible child of `parent` at (x, y), `width` pixels wide; its
    /// height is always 525 twips (35 pixels at 96 dots per inch, at the DPI of the monitor
    /// `parent` is on). `controlId` is the child window id. Answers null when the system
    /// refuses a window.
    static std::unique_ptr<TabMenuWindow> Create(HWND parent, int x, int y, int width,
                                                 int controlId = 0);

    explicit TabMenuWindow(Key);
    TabMenuWindow(const TabMenuWindow&) = delete;
    TabMenuWindow& operator=(const TabMenuWindow&) = delete;
    ~TabMenuWindow() override;

    /// The strip itself: AddButton, MoveMouseOff, RemoveTabFocus, SetTabFocus, ClickedItem
    /// and the ItemClick / ItemMenuClick events.
    TabMenu& Strip() noexcept { return *strip_; }

    HWND hWnd() const noexcept { return window_.get(); }
    /// Moves the strip; the height stays fixed whatever is asked.
    void Move(int x, int y, int width);
    /// The child window of tab / menu element `index` (templates are 1); null if none.
    HWND TabWindow(int index) const noexcept;
    HWND MenuWindow(int index) const noexcept;
    /// Pixels for a length in twips on this strip's display, halves to even.
    int Pixels(double twips) const noexcept;
    /// Lays the strip out again for `dpi` (its monitor's changed): element sizes, pictures and
    /// caption font; the host moves it and sets its width afterwards.
    void SetDpi(int dpi);
    int Dpi() const noexcept { return dpi_; }

  private:
    struct Element;
    struct Pictures;

    LRESULT HandleStripMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleSeparatorMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleElement(Element& element, HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam);
    void PaintStrip();
    void PaintElement(Element& element, HWND window);
    void PaintTab(const TabButton& tab, HDC dc);
    void PaintMenuButton(const TabButtonMenu& menu, HDC dc);
    void PaintSeparator(HWND window);
    void Sync(Element& element);
    Element* Find(TabKind kind, int index) noexcept;
    const Element* Find(TabKind kind, int index) const noexcept;
    SIZE ElementSize(TabKind kind) const noexcept;
    static win::UniqueFont CaptionFont(int dpi);

    // TabMenuView
    void ElementCreated(TabKind kind, int index) override;
    void ElementChanged(TabKind kind, int index) override;

    int dpi_ = 96;
    std::unique_ptr<Pictures> pictures_;
    win::UniqueFont font_;
    // Declared before the elements: the elements' windows are its children and go first.
    win::UniqueWindow window_;
    std::deque<Element> elements_;
    std::unique_ptr<TabMenu> strip_;
};

}  // namespace murmurex
