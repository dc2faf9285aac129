#pragma once
// clsTray: the program's one icon in the notification area, free of any platform. It keeps
// the shell icon record of the platform (owner window, icon id 1, flags, callback message,
// icon, 128-character tip), writes into it exactly the fields each operation names, and
// hands it to the shell through the TrayShell interface (Shell_NotifyIconA on Windows, a
// recorder in tests).
//
// Clicks come back to the owner window as mouse-move messages (0x200) whose X coordinate is
// the mouse message that happened over the icon: 514 left button up, 517 right button up.
//
// Tips are 8-bit ANSI text in std::string, as the shell's ANSI record carries them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace murmurex {

/// The notification-area commands.
enum class TrayCommand : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };

/// Flag bits of the record: callback message, icon and tip are valid.
inline constexpr std::uint32_t kTrayMessageValid = 1;
inline constexpr std::uint32_t kTrayIconValid = 2;
inline constexpr std::uint32_t kTrayTipValid = 4;
inline constexpr std::uint32_t kTrayAllValid = 7;
/// The callback message: the mouse-move message.
inline constexpr std::uint32_t kTrayCallbackMessage = 0x200;
/// What the owner's handler sees in X for a release over the icon.
inline constexpr int kTrayLeftButtonUp = 514;
inline constexpr int kTrayRightButtonUp = 517;
/// The tip field's length, NUL included.
inline constexpr std::size_t kTrayTipField = 128;

/// The shell icon record: the fields this class writes, in the platform's order. Handles are
/// kept at pointer width; the platform layer copies them into its own record.
struct TrayRecord {
    std::uint32_t size = 0;
    std::uintptr_t window = 0;
    std::uint32_t id = 0;
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = 0;
    std::uintptr_t icon = 0;
    std::array<char, kTrayTipField> tip{};
    // State, balloon text, time-out/version, balloon title and flags: never written, zero.

    bool operator==(const TrayRecord&) const = default;
    /// The tip up to its NUL.
    std::string TipText() const;
};

/// Fills `field` with `tip`, a NUL and blanks. A tip too long for the field is cut so that
/// the NUL still fits: at most 127 characters reach the shell.
void SetTrayTip(std::array<char, kTrayTipField>& field, const std::string& tip);

/// The notification-area service.
class TrayShell {
  public:
    virtual ~TrayShell() = default;
    /// The size the platform's record declares for the layout with the 128-character tip and
    /// the balloon fields (488 on 32-bit Windows).
    virtual std::uint32_t RecordSize() const = 0;
    /// Hands `record` to the shell; the answer is the shell's (true: done).
    virtual bool Notify(TrayCommand command, const TrayRecord& record) = 0;
};

/// The form that owns the icon: the settings window, or a test's stand-in. Reads never fail:
/// an owner without an icon answers 0.
class TrayOwner {
  public:
    virtual ~TrayOwner() = default;
    virtual std::uintptr_t WindowHandle() const = 0;
    /// The handle of the form's current `Icon` picture.
    virtual std::uintptr_t IconHandle() const = 0;
    virtual std::string Tag() const = 0;
    virtual bool Visible() const = 0;
    /// Shows the form modeless.
    virtual void Show() = 0;
};

class clsTray {
  public:
    explicit clsTray(TrayShell& shell) : shell_(shell) {}
    clsTray(const clsTray&) = delete;
    clsTray& operator=(const clsTray&) = delete;

    /// False on a new object and after RemoveIcon; otherwise what the caller stored.
    bool bRunningInTray = false;

    /// Adds the icon with the owner's current Icon and `tip`. An empty tip takes the owner's
    /// Tag, which the caller's variable then holds. Uses a fresh record, not the stored one.
    void ShowIcon(TrayOwner& owner, std::string& tip);
    /// Removes the icon, shows the owner if it is hidden, clears bRunningInTray.
    void RemoveIcon(TrayOwner& owner);
    /// Replaces the icon's picture with `icon`; tip and callback stay as stored.
    void ChangeIcon(TrayOwner& owner, std::uintptr_t icon);
    /// Replaces tip and picture together: the picture is the owner's current Icon.
    void ChangeToolTip(TrayOwner& owner, const std::string& tip);

    /// The shell started again (Explorer restarted): puts the icon back as it was last
    /// shown. Answers whether there was an icon to restore.
    bool Restore();

    /// The record the modifying operations reuse.
    const TrayRecord& StoredRecord() const noexcept { return stored_; }
    /// What the shell shows now, as far as this object's calls decided it; empty when no
    /// icon of this object is up.
    const std::optional<TrayRecord>& Shown() const noexcept { return shown_; }

  private:
    void StartRecord(TrayRecord& record, const TrayOwner& owner) const;
    void Apply(TrayCommand command, const TrayRecord& record);

    TrayShell& shell_;
    TrayRecord stored_;
    std::optional<TrayRecord> shown_;
};

}  // namespace murmurex
