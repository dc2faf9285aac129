#include "registration_scope.h"

#include <utility>

namespace resmelder {
namespace {

// The root and path a per-user registration uses for a key the script names.
std::pair<RegistryRoot, std::string> PerUser(RegistryRoot root, const std::string& path) {
    if (root != RegistryRoot::kClassesRoot) {
        return {root, path};
    }
    return {RegistryRoot::kCurrentUser, std::string(kPerUserClassesKey) + "\\" + path};
}

}  // namespace

bool IsPerUserInstallCommand(std::wstring_view commandLine) {
    constexpr std::string_view kUser = "user";
    if (commandLine.size() != kUser.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kUser.size(); ++i) {
        // ASCII folding only: a letter of another script that looks alike is not "user".
        const wchar_t c = commandLine[i];
        const wchar_t lower = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
        if (lower != static_cast<wchar_t>(kUser[i])) {
            return false;
        }
    }
    return true;
}

bool PerUserClassesRegistry::CreateKey(RegistryRoot root, const std::string& path) {
    const auto [where, key] = PerUser(root, path);
    return inner_.CreateKey(where, key);
}

bool PerUserClassesRegistry::SetValue(RegistryRoot root, const std::string& path,
                                      const RegistryValue& value) {
    const auto [where, key] = PerUser(root, path);
    return inner_.SetValue(where, key, value);
}

bool PerUserClassesRegistry::DeleteTree(RegistryRoot root, const std::string& path) {
    const auto [where, key] = PerUser(root, path);
    return inner_.DeleteTree(where, key);
}

bool PerUserClassesRegistry::DeleteValue(RegistryRoot root, const std::string& path,
                                         const std::string& name) {
    const auto [where, key] = PerUser(root, path);
    return inner_.DeleteValue(where, key, name);
}

bool PerUserClassesRegistry::DeleteKeyIfEmpty(RegistryRoot root, const std::string& path) {
    const auto [where, key] = PerUser(root, path);
    return inner_.DeleteKeyIfEmpty(where, key);
}

}  // namespace resmelder
