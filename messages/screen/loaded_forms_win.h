#pragma once
// The program's loaded windows ("forms"), so the screen object can tell which of them is
// active. Each window registers itself while it is loaded. User-interface thread only.

#include <windows.h>

#include <vector>

namespace murmurex {

/// A window of the program as the screen object sees it.
class ScreenForm {
  public:
    /// The form's own window; null while it has none.
    virtual HWND FormWindow() const = 0;
    /// The form's control that has (or last had) the focus; null when it has no controls.
    virtual HWND ActiveControl() const { return nullptr; }

  protected:
    ~ScreenForm() = default;
};

/// Adds a loaded form (again adding the same form does nothing).
void RegisterForm(ScreenForm& form);
/// Removes a form when it unloads.
void UnregisterForm(const ScreenForm& form);
/// The loaded forms in load order.
const std::vector<ScreenForm*>& LoadedForms();

/// Keeps a form registered for its lifetime.
class FormRegistration {
  public:
    explicit FormRegistration(ScreenForm& form) : form_(form) { RegisterForm(form_); }
    FormRegistration(const FormRegistration&) = delete;
    FormRegistration& operator=(const FormRegistration&) = delete;
    ~FormRegistration() { UnregisterForm(form_); }

  private:
    ScreenForm& form_;
};

}  // namespace murmurex
