#pragma once
// What every control of the settings window is made with: one way to create a child at its
// design place; the program's texts (UTF-8) reach the wide controls through utf16_win.h.

#include <windows.h>

#include "utf16_win.h"

namespace murmurex {

/// A child window of `parent` with the id `controlId` at `placement` (client pixels).
inline HWND CreateChildControl(HWND parent, int controlId, const RECT& placement,
                               const wchar_t* className, DWORD style, DWORD extendedStyle = 0,
                               const wchar_t* text = L"") {
    return ::CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_CLIPSIBLINGS | style,
                             placement.left, placement.top, placement.right - placement.left,
                             placement.bottom - placement.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace murmurex
