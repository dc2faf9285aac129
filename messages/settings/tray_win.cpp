#include "tray_win.h"

#include <cstring>

#include "win/window_procedure.h"

namespace murmurex {
namespace {

// The portable record copies these platform numbers; they must stay the platform's own.
static_assert(static_cast<DWORD>(TrayCommand::Add) == NIM_ADD);
static_assert(static_cast<DWORD>(TrayCommand::Modify) == NIM_MODIFY);
static_assert(static_cast<DWORD>(TrayCommand::Delete) == NIM_DELETE);
static_assert(kTrayMessageValid == NIF_MESSAGE && kTrayIconValid == NIF_ICON &&
              kTrayTipValid == NIF_TIP);
static_assert(kTrayAllValid == (NIF_MESSAGE | NIF_ICON | NIF_TIP));
static_assert(kTrayCallbackMessage == WM_MOUSEMOVE);
static_assert(kTrayLeftButtonUp == WM_LBUTTONUP && kTrayRightButtonUp == WM_RBUTTONUP);

constexpr char kWatcherClass[] = "MurmurexTrayWatcher";

}  // namespace

NOTIFYICONDATAA ToNotifyIconData(const TrayRecord& record) {
    NOTIFYICONDATAA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = record.size;
    data.hWnd = reinterpret_cast<HWND>(record.window);
    data.uID = record.id;
    data.uFlags = record.flags;
    data.uCallbackMessage = record.callbackMessage;
    data.hIcon = reinterpret_cast<HICON>(record.icon);
    static_assert(sizeof data.szTip == kTrayTipField);
    std::memcpy(data.szTip, record.tip.data(), sizeof data.szTip);
    return data;
}

std::uint32_t Win32TrayShell::RecordSize() const {
    return NOTIFYICONDATAA_V2_SIZE;
}

bool Win32TrayShell::Notify(TrayCommand command, const TrayRecord& record) {
    NOTIFYICONDATAA data = ToNotifyIconData(record);
    return notify_(static_cast<DWORD>(command), &data) != FALSE;
}

std::uintptr_t WindowTrayOwner::WindowHandle() const {
    return reinterpret_cast<std::uintptr_t>(window_);
}

std::uintptr_t WindowTrayOwner::IconHandle() const {
    if (icon_ != nullptr) {
        return reinterpret_cast<std::uintptr_t>(icon_);
    }
    const ULONG_PTR small = ::GetClassLongPtrA(window_, GCLP_HICONSM);
    return small != 0 ? small : ::GetClassLongPtrA(window_, GCLP_HICON);
}

bool WindowTrayOwner::Visible() const {
    return ::IsWindowVisible(window_) != FALSE;
}

void WindowTrayOwner::Show() {
    ::ShowWindow(window_, SW_SHOW);
}

std::unique_ptr<TrayIcon> TrayIcon::Create(ShellNotifyIconFunction notify) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    win::WindowClassOptions watcherClass;
    watcherClass.cursor = nullptr;  // never shown
    win::RegisterWindowClass(kWatcherClass,
                             win::WindowProcedure<TrayIcon, &TrayIcon::HandleWatcherMessage>,
                             watcherClass);
    auto self = std::make_unique<TrayIcon>(Key{}, notify);
    // A hidden top-level window, not a message-only one: those never see broadcasts.
    self->watcher_.reset(::CreateWindowExA(WS_EX_TOOLWINDOW, kWatcherClass, "", WS_POPUP, 0, 0, 0,
                                           0, nullptr, nullptr, instance, self.get()));
    if (!self->watcher_) {
        return nullptr;
    }
    // Explorer runs at normal integrity: let its broadcast through to an elevated program.
    ::ChangeWindowMessageFilterEx(self->watcher_.get(), self->taskbarCreated_, MSGFLT_ALLOW,
                                  nullptr);
    return self;
}

TrayIcon::TrayIcon(Key, ShellNotifyIconFunction notify)
    : shell_(notify), taskbarCreated_(::RegisterWindowMessageA("TaskbarCreated")) {}

TrayIcon::~TrayIcon() = default;

LRESULT TrayIcon::HandleWatcherMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == taskbarCreated_ && message != 0) {
        tray_.Restore();
        return 0;
    }
    if (message == WM_NCDESTROY) {
        watcher_.release();  // destroyed from outside: nothing left to destroy
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace murmurex
