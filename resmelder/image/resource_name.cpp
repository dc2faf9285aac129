#include "image/resource_name.h"

#include <algorithm>

#include "portable/unicode_upcase.h"

namespace resmelder {

// The loader upper-cases names with the platform's one table, which the project shares.
char16_t UpcaseResourceUnit(char16_t unit) {
    return common::UpcaseUnit(unit);
}

std::u16string UpcaseResourceName(std::u16string_view name) {
    std::u16string upper(name.size(), u'\0');
    std::transform(name.begin(), name.end(), upper.begin(), common::UpcaseUnit);
    return upper;
}

bool ResourceNamesMatch(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (common::UpcaseUnit(a[i]) != common::UpcaseUnit(b[i])) {
            return false;
        }
    }
    return true;
}

bool ResourceNameLess(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = common::UpcaseUnit(a[i]);
        const char16_t y = common::UpcaseUnit(b[i]);
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

}  // namespace resmelder
