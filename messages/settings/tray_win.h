#pragma once
// The tray icon on Windows: clsTray handing its record to Shell_NotifyIconA, an owner for a
// plain window, and a hidden window that hears Explorer announce a new task bar
// ("TaskbarCreated") and puts the icon back.
//
// Use from a host window:
//
//     auto trayIcon = murmurex::TrayIcon::Create();
//     murmurex::WindowTrayOwner owner(hostWindow, "Murmurex");
//     owner.SetIcon(programIcon);
//     std::string tip = "Click for menu options.";
//     trayIcon->Tray().ShowIcon(owner, tip);
//     ...
//     // in the host's window procedure:
//     case WM_MOUSEMOVE:
//         switch (GET_X_LPARAM(lParam)) {  // the mouse message over the icon
//             case murmurex::kTrayLeftButtonUp: ...   // 514
//             case murmurex::kTrayRightButtonUp: ...  // 517
//         }
//     ...
//     trayIcon->Tray().RemoveIcon(owner);  // before the owner window goes

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>
#include <utility>

#include "tray.h"
#include "win/unique_handle.h"

namespace murmurex {

/// The shell call, replaceable so tests can see the record as the shell receives it.
using ShellNotifyIconFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAA);

/// The platform record for `record`: every field this program does not write is zero.
NOTIFYICONDATAA ToNotifyIconData(const TrayRecord& record);

/// TrayShell over Shell_NotifyIconA, with the platform's record of the 128-character tip and
/// balloon fields (NOTIFYICONDATAA_V2_SIZE: 488 bytes in 32-bit programs, 504 in 64-bit).
class Win32TrayShell final : public TrayShell {
  public:
    explicit Win32TrayShell(ShellNotifyIconFunction notify = ::Shell_NotifyIconA)
        : notify_(notify) {}
    std::uint32_t RecordSize() const override;
    bool Notify(TrayCommand command, const TrayRecord& record) override;

  private:
    ShellNotifyIconFunction notify_;
};

/// A plain window as the icon's owner: its handle, an icon the host sets (else the window
/// class's small icon), a Tag text, and its visibility. Keeps no ownership of either handle.
class WindowTrayOwner final : public TrayOwner {
  public:
    explicit WindowTrayOwner(HWND window, std::string tag = {})
        : window_(window), tag_(std::move(tag)) {}

    void SetIcon(HICON icon) noexcept { icon_ = icon; }
    void SetTag(std::string tag) { tag_ = std::move(tag); }

    std::uintptr_t WindowHandle() const override;
    std::uintptr_t IconHandle() const override;
    std::string Tag() const override { return tag_; }
    bool Visible() const override;
    void Show() override;

  private:
    HWND window_;
    std::string tag_;
    HICON icon_ = nullptr;
};

/// clsTray with its shell and its Explorer-restart watcher.
class TrayIcon final {
    struct Key {
        explicit Key() = default;
    };

  public:
    /// Answers null when the system refuses the hidden window.
    static std::unique_ptr<TrayIcon> Create(ShellNotifyIconFunction notify = ::Shell_NotifyIconA);

    TrayIcon(Key, ShellNotifyIconFunction notify);
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;
    ~TrayIcon();

    clsTray& Tray() noexcept { return tray_; }
    /// The hidden top-level window that receives the broadcast.
    HWND WatcherWindow() const noexcept { return watcher_.get(); }
    /// The registered "TaskbarCreated" message.
    UINT TaskbarCreatedMessage() const noexcept { return taskbarCreated_; }

  private:
    LRESULT HandleWatcherMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Win32TrayShell shell_;
    clsTray tray_{shell_};
    UINT taskbarCreated_ = 0;
    win::UniqueWindow watcher_;
};

}  // namespace murmurex
