#pragma once
// A button view with no window behind it: every request is ignored and pointer-leave tracking
// is on, so a button can be driven and painted on its own (the gallery's previews, the tests).

#include <cstdint>

#include "styled_button.h"

namespace murmurex {

class NullButtonView : public ButtonView {
  public:
    void Repaint() override {}
    void Relayout() override {}
    void RequestLeaveNotification() override {}
    void ProcessPendingLeave() override {}
    void MoveFocus(bool) override {}
    void ShowToolTip(const ToolTipLook&) override {}
    void RemoveToolTip() override {}
    void ApplyMousePointer(std::int16_t) override {}
    void SetHostEnabled(bool) override {}
    bool HasLeaveTracking() override { return true; }
};

}  // namespace murmurex
