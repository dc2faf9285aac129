#pragma once
// The dots per inch a window or a monitor shows at. Per-monitor DPI came late to Windows
// (GetDpiForMonitor in 8.1, GetDpiForWindow in 10 1607, non-client sizes for a DPI in 10
// 1607), so each is looked up at run time and the screen's DPI answers where one is missing:
// Windows 7 starts the program all the same.

#include <windows.h>

#include "win/unique_handle.h"

namespace win {

namespace dpi_detail {

// A function of a system library, or null when this Windows lacks it.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name) noexcept {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

inline HMODULE User32() noexcept {
    // Loaded in every GUI process; never freed while the process runs.
    return ::GetModuleHandleW(L"user32.dll");
}

inline HMODULE Shcore() noexcept {
    // From System32 only, never a copy beside the program; it stays loaded for the process.
    static const HMODULE shcore =
        ::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return shcore;
}

}  // namespace dpi_detail

/// The screen's DPI (the system DPI), which every Windows answers; 96 when even that fails.
inline int ScreenDpi() noexcept {
    const UniqueWindowDc screen = GetWindowDcOwned(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

/// The DPI of the monitor `window` is on, as the window should lay itself out.
inline int DpiForWindow(HWND window) noexcept {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = dpi_detail::SystemFunction<GetDpiForWindowFunction>(
        dpi_detail::User32(), "GetDpiForWindow");
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    return ScreenDpi();
}

/// The DPI of `monitor` as this process sees it (its effective DPI).
inline int DpiForMonitor(HMONITOR monitor) noexcept {
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    static const auto getDpiForMonitor = dpi_detail::SystemFunction<GetDpiForMonitorFunction>(
        dpi_detail::Shcore(), "GetDpiForMonitor");
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (getDpiForMonitor != nullptr && monitor != nullptr &&
        SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiY > 0) {
        return static_cast<int>(dpiY);
    }
    return ScreenDpi();
}

/// The DPI of the monitor that holds `point` (screen pixels), or of the nearest one.
inline int DpiAtPoint(POINT point) noexcept {
    return DpiForMonitor(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

/// The outer size of a window whose client is `client`, with its frame as thick as `dpi` draws
/// it; where the system has no per-DPI answer, the frame at the screen's DPI.
inline RECT OuterRectForDpi(RECT client, DWORD style, DWORD exStyle, int dpi) noexcept {
    using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = dpi_detail::SystemFunction<AdjustForDpiFunction>(
        dpi_detail::User32(), "AdjustWindowRectExForDpi");
    RECT outer = client;
    if (adjustForDpi != nullptr &&
        adjustForDpi(&outer, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        return outer;
    }
    outer = client;
    ::AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    return outer;
}

/// The platform's font for icon titles, which list views use, at `dpi`.
inline LOGFONTW IconTitleFontForDpi(int dpi) noexcept {
    using ForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = dpi_detail::SystemFunction<ForDpiFunction>(
        dpi_detail::User32(), "SystemParametersInfoForDpi");
    LOGFONTW font{};
    if (forDpi != nullptr &&
        forDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0, static_cast<UINT>(dpi))) {
        return font;
    }
    // Older systems answer at the screen's DPI: scaled from there.
    ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0);
    font.lfHeight = ::MulDiv(font.lfHeight, dpi, ScreenDpi());
    return font;
}

}  // namespace win
