#pragma once
// The one shape every window procedure of the program has. The object a window serves is
// passed as the creation parameter (the last argument of CreateWindowEx); the procedure keeps
// it in GWLP_USERDATA from WM_NCCREATE until WM_NCDESTROY and hands every message to a member
// function of it. No exception ever unwinds into the system's dispatcher. An object that owns
// its window derives from OwnedWindow (owned_window.h) and is handed the handle here.

#include <windows.h>

#include <type_traits>

#include "win/owned_window.h"

namespace win {

/// The object stored on a window by WindowProcedure, or null (not ours, or already destroyed).
template <typename T>
T* WindowObject(HWND window) noexcept {
    return window == nullptr ? nullptr
                             : reinterpret_cast<T*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

/// The default handling for the window's character set (A or W class).
inline LRESULT DefaultWindowProcedure(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    return ::IsWindowUnicode(window) != FALSE ? ::DefWindowProcW(window, message, wParam, lParam)
                                              : ::DefWindowProcA(window, message, wParam, lParam);
}

/// Window procedure for windows served by a T; Handler defaults to T::HandleMessage. The
/// handler sees WM_NCCREATE and WM_NCDESTROY too; after WM_NCDESTROY no further message reaches
/// the object. When T is an OwnedWindow, its hWnd() is set before the handler sees WM_NCCREATE
/// and cleared before it sees WM_NCDESTROY. A message whose handler throws gets the default
/// handling.
template <typename T, LRESULT (T::*Handler)(HWND, UINT, WPARAM, LPARAM) = &T::HandleMessage>
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    constexpr bool kOwnsWindow = std::is_base_of_v<OwnedWindow, T>;
    if (message == WM_NCCREATE) {
        // lpCreateParams sits at the same place in CREATESTRUCTA and CREATESTRUCTW.
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        if constexpr (kOwnsWindow) {
            if (auto* owner = static_cast<T*>(create->lpCreateParams)) {
                OwnedWindowHandOver::Take(*owner, window);
            }
        }
    }
    T* object = WindowObject<T>(window);
    if (message == WM_NCDESTROY) {
        // Cleared first: whatever the handler does, the window no longer names the object.
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if constexpr (kOwnsWindow) {
            if (object != nullptr) {
                OwnedWindowHandOver::GiveBack(*object, window);
            }
        }
    }
    if (object == nullptr) {
        return DefaultWindowProcedure(window, message, wParam, lParam);
    }
    try {
        return (object->*Handler)(window, message, wParam, lParam);
    } catch (...) {
        return DefaultWindowProcedure(window, message, wParam, lParam);
    }
}

/// What a window class needs beyond its name and procedure.
struct WindowClassOptions {
    UINT style = 0;
    HBRUSH background = nullptr;
    LPCSTR cursor = IDC_ARROW;  ///< a system cursor id; null for none
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HINSTANCE instance = nullptr;  ///< null: this program's own module
};

/// Registers an ANSI window class. A class of that name registered earlier
/// (by an earlier window or test) counts as success and is used as it is.
inline bool RegisterWindowClass(const char* name, WNDPROC procedure,
                                const WindowClassOptions& options = {}) noexcept {
    const HINSTANCE instance =
        options.instance != nullptr ? options.instance : ::GetModuleHandleA(nullptr);
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExA(instance, name, &existing) != FALSE) {
        return true;
    }
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = options.style;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = options.icon;
    windowClass.hIconSm = options.smallIcon;
    windowClass.hCursor =
        options.cursor != nullptr ? ::LoadCursorA(nullptr, options.cursor) : nullptr;
    windowClass.hbrBackground = options.background;
    windowClass.lpszClassName = name;
    return ::RegisterClassExA(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace win
