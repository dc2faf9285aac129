#pragma once
// The floor of a repaint: a plain window holding native controls in the same number, at the
// same places and sizes, as another program's window. A control of a class of the system's
// own (static, edit, button, list view, trackbar, ...) is copied as it is, with its style,
// caption, columns and row count; a control of the program's own class becomes the nearest
// native one (a button for a button, a static otherwise), with its children copied inside it.
// The copy lives on a thread of its own, which pumps its messages, so it is repainted the way
// the other program's window is: invalidated from here, then a WM_NULL sent to its thread.

#include <windows.h>

#include <memory>

namespace bench {

class PlainControlsWindow {
  public:
    /// A copy of `original`'s client area and child windows, shown at the same place.
    static std::unique_ptr<PlainControlsWindow> CopyOf(HWND original);
    ~PlainControlsWindow();
    PlainControlsWindow(const PlainControlsWindow&) = delete;
    PlainControlsWindow& operator=(const PlainControlsWindow&) = delete;

    HWND hWnd() const { return window_; }
    /// The child windows the copy holds, its controls' own parts (a list's header) included.
    int ChildCount() const;

    struct Key {};
    explicit PlainControlsWindow(Key);

  private:
    struct Thread;
    HWND window_ = nullptr;
    std::unique_ptr<Thread> thread_;
};

}  // namespace bench
