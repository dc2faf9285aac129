#pragma once
// What every control of the settings window is made with: one way to create a child at its
// design place, and one conversion of the program's ANSI texts for the wide controls.

#include <windows.h>

#include <string>
#include <string_view>

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

/// Text in the ANSI code page, as the program's files and texts hold it, for a wide control.
inline std::wstring WideFromAnsi(std::string_view ansi) {
    if (ansi.empty()) {
        return {};
    }
    const int length =
        ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                          length);
    return wide;
}

}  // namespace murmurex
