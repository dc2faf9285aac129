#pragma once
// Whose registry a registration writes to. The machine-wide registration writes the script's
// HKCR keys where the script says; the per-user one (no administrator rights needed) writes
// the very same keys under HKCU\Software\Classes, which Windows merges into HKCR for that
// user. One script, one layout: only the root differs.

#include <string>
#include <string_view>

#include "registration_script.h"

namespace resmelder {

enum class RegistrationScope { kMachine, kUser };

/// True for the install command line that asks for a per-user registration: "user", in any
/// case. Every other command line is refused by the caller.
bool IsPerUserInstallCommand(std::wstring_view commandLine);

/// Where a per-user registration keeps what the script puts under HKCR.
inline constexpr std::string_view kPerUserClassesKey = "Software\\Classes";

/// Passes every call on to `inner`, with keys under HKCR moved to HKCU\Software\Classes;
/// keys under the other roots stay where they are.
class PerUserClassesRegistry final : public RegistryWriter {
  public:
    explicit PerUserClassesRegistry(RegistryWriter& inner) : inner_(inner) {}

    bool CreateKey(RegistryRoot root, const std::string& path) override;
    bool SetValue(RegistryRoot root, const std::string& path, const RegistryValue& value) override;
    bool DeleteTree(RegistryRoot root, const std::string& path) override;
    bool DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override;
    bool DeleteKeyIfEmpty(RegistryRoot root, const std::string& path) override;

  private:
    RegistryWriter& inner_;
};

}  // namespace resmelder
