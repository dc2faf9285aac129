#include "tray.h"

#include <algorithm>

namespace murmurex {

std::string TrayRecord::TipText() const {
    const auto end = std::find(tip.begin(), tip.end(), '\0');
    return std::string(tip.begin(), end);
}

void SetTrayTip(std::array<char, kTrayTipField>& field, const std::string& tip) {
    // The shell reads the field as a NUL-terminated string: keep room for the NUL, so a
    // 128-character tip never reaches it unterminated.
    const std::size_t length = std::min(tip.size(), kTrayTipField - 1);
    field.fill(' ');
    std::copy_n(tip.begin(), length, field.begin());
    field[length] = '\0';
}

void clsTray::StartRecord(TrayRecord& record, const TrayOwner& owner) const {
    record.size = shell_.RecordSize();
    record.window = owner.WindowHandle();
    record.id = 1;
}

void clsTray::ShowIcon(TrayOwner& owner, std::string& tip) {
    if (tip.empty()) {
        tip = owner.Tag();
    }
    TrayRecord record;
    StartRecord(record, owner);
    record.flags = kTrayAllValid;
    record.callbackMessage = kTrayCallbackMessage;
    record.icon = owner.IconHandle();
    SetTrayTip(record.tip, tip);
    Apply(TrayCommand::Add, record);
}

void clsTray::RemoveIcon(TrayOwner& owner) {
    StartRecord(stored_, owner);
    stored_.flags = kTrayAllValid;
    stored_.callbackMessage = 1;
    stored_.icon = owner.IconHandle();
    SetTrayTip(stored_.tip, "");
    Apply(TrayCommand::Delete, stored_);
    if (!owner.Visible()) {
        owner.Show();
    }
    bRunningInTray = false;
}

void clsTray::ChangeIcon(TrayOwner& owner, std::uintptr_t icon) {
    StartRecord(stored_, owner);
    stored_.icon = icon;
    // Flags, callback and tip stay as stored, but the picture is always marked valid: with
    // the flags of a new object (0) the call would otherwise change nothing.
    stored_.flags |= kTrayIconValid;
    Apply(TrayCommand::Modify, stored_);
}

void clsTray::ChangeToolTip(TrayOwner& owner, const std::string& tip) {
    StartRecord(stored_, owner);
    stored_.icon = owner.IconHandle();
    SetTrayTip(stored_.tip, tip);
    stored_.flags = kTrayAllValid;
    stored_.callbackMessage = kTrayCallbackMessage;
    Apply(TrayCommand::Modify, stored_);
}

bool clsTray::Restore() {
    if (!shown_) {
        return false;
    }
    const TrayRecord again = *shown_;
    shell_.Notify(TrayCommand::Add, again);
    return true;
}

// The shell's answer does not change what the callers see; it only keeps track of what the
// notification area shows, so that a restarted shell gets the same icon back.
void clsTray::Apply(TrayCommand command, const TrayRecord& record) {
    const bool done = shell_.Notify(command, record);
    const bool same = shown_ && shown_->window == record.window && shown_->id == record.id;
    switch (command) {
        case TrayCommand::Add:
            // An add the shell refused is remembered anyway when nothing is up: the shell
            // may not be running yet, and will announce itself when it is.
            if (!shown_ || done) {
                shown_ = record;
            }
            break;
        case TrayCommand::Modify:
            if (same) {
                if (record.flags & kTrayMessageValid) {
                    shown_->callbackMessage = record.callbackMessage;
                }
                if (record.flags & kTrayIconValid) {
                    shown_->icon = record.icon;
                }
                if (record.flags & kTrayTipValid) {
                    shown_->tip = record.tip;
                }
                shown_->flags |= record.flags;
            }
            break;
        case TrayCommand::Delete:
            if (same) {
                shown_.reset();
            }
            break;
    }
}

}  // namespace murmurex
