#include "loaded_forms_win.h"

#include <algorithm>

namespace murmurex {
namespace {

std::vector<ScreenForm*>& Forms() {
    static std::vector<ScreenForm*> forms;
    return forms;
}

}  // namespace

void RegisterForm(ScreenForm& form) {
    auto& forms = Forms();
    if (std::find(forms.begin(), forms.end(), &form) == forms.end()) {
        forms.push_back(&form);
    }
}

void UnregisterForm(const ScreenForm& form) {
    auto& forms = Forms();
    forms.erase(std::remove(forms.begin(), forms.end(), &form), forms.end());
}

const std::vector<ScreenForm*>& LoadedForms() {
    return Forms();
}

}  // namespace murmurex
