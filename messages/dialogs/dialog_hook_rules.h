#pragma once
// How a hooked dialog's messages become notifications to the wrapper's owner. The hook
// procedure only unpacks the message; this routing decides what is raised and answered.

#include <cstdint>
#include <optional>

namespace murmurex::dialogs {

/// The seven notifications a hooked dialog raises, with the dialog window as a number.
class DialogNotifications {
  public:
    virtual ~DialogNotifications() = default;
    virtual std::intptr_t InitDialog(std::uintptr_t dialog) = 0;
    virtual std::intptr_t FileChange(std::uintptr_t dialog) = 0;
    virtual std::intptr_t FolderChange(std::uintptr_t dialog) = 0;
    virtual std::intptr_t TypeChange(std::uintptr_t dialog) = 0;
    /// Answers False when the owner wants the dialog to stay open.
    virtual bool ConfirmOK() = 0;
    virtual void DialogClose() = 0;
    virtual void WMCommand(std::uintptr_t dialog, std::uintptr_t command,
                           std::intptr_t parameter) = 0;
};

/// The hook messages the routing knows.
namespace hook_messages {
inline constexpr std::uint32_t kDestroy = 2;
inline constexpr std::uint32_t kNotify = 78;
inline constexpr std::uint32_t kInitDialog = 272;
inline constexpr std::uint32_t kCommand = 273;
inline constexpr std::int32_t kSelectionChanged = -602;
inline constexpr std::int32_t kFolderChanged = -603;
inline constexpr std::int32_t kFileOk = -606;
inline constexpr std::int32_t kTypeChanged = -607;
}  // namespace hook_messages

/// What the hook answers, and the dialog's message result to set when there is one.
struct HookAnswer {
    std::intptr_t answer = 0;
    std::optional<std::intptr_t> messageResult;
};

/// Routes one hook message. `notifyCode` is read from the notification header for message 78
/// and ignored otherwise. Without a target nothing is raised and the answer is 0.
HookAnswer RouteHookMessage(DialogNotifications* target, std::uintptr_t dialog,
                            std::uint32_t message, std::uintptr_t first, std::intptr_t second,
                            std::int32_t notifyCode);

}  // namespace murmurex::dialogs
