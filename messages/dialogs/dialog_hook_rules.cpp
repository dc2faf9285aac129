#include "dialog_hook_rules.h"

namespace murmurex::dialogs {

HookAnswer RouteHookMessage(DialogNotifications* target, std::uintptr_t dialog,
                            std::uint32_t message, std::uintptr_t first, std::intptr_t second,
                            std::int32_t notifyCode) {
    namespace m = hook_messages;
    if (target == nullptr) {
        return {};
    }
    switch (message) {
        case m::kInitDialog:
            return {target->InitDialog(dialog), std::nullopt};
        case m::kDestroy:
            target->DialogClose();
            return {};
        case m::kCommand:
            target->WMCommand(dialog, first, second);
            return {};
        case m::kNotify:
            switch (notifyCode) {
                case m::kTypeChanged:
                    return {target->TypeChange(dialog), std::nullopt};
                case m::kFileOk:
                    // A non-zero result keeps the dialog open.
                    if (!target->ConfirmOK()) {
                        return {1, 1};
                    }
                    return {0, 0};
                case m::kFolderChanged:
                    return {target->FolderChange(dialog), std::nullopt};
                case m::kSelectionChanged:
                    return {target->FileChange(dialog), std::nullopt};
                default:
                    return {};
            }
        default:
            return {};
    }
}

}  // namespace murmurex::dialogs
