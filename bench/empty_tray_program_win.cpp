// The floor for a tray program's start: it registers a window class, puts an icon in the
// notification area and shows a small window, and does nothing else. program_startup_bench
// starts it in turn with Messages.exe and times both to their first visible window.
//
//   empty_tray_program.exe               (ends on WM_CLOSE, taking its icon with it)

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "win/window_procedure.h"

namespace {

constexpr char kWindowClass[] = "MurmurexEmptyTrayProgram";
constexpr UINT kTrayIconId = 1;
constexpr UINT kTrayMessage = WM_APP + 1;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // The icon goes first: the tray holds on to an icon whose window has gone.
        NOTIFYICONDATAW icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = window;
        icon.uID = kTrayIconId;
        ::Shell_NotifyIconW(NIM_DELETE, &icon);
        ::DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool AddTrayIcon(HWND window) {
    NOTIFYICONDATAW icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = kTrayIconId;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    lstrcpynW(icon.szTip, L"Empty tray program", ARRAYSIZE(icon.szTip));
    return ::Shell_NotifyIconW(NIM_ADD, &icon) != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    win::WindowClassOptions options;
    options.instance = instance;
    options.background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    if (!win::RegisterWindowClass(kWindowClass, &Procedure, options)) {
        return 1;
    }
    HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "Empty tray program", WS_POPUP,
                                    100, 100, 120, 40, nullptr, nullptr, instance, nullptr);
    if (window == nullptr || !AddTrayIcon(window)) {
        return 1;
    }
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
