#pragma once
// The registration script: a small text language that describes registry keys and values,
// parsed into a tree and played forwards (register) or backwards (unregister) against a
// registry given as an interface. The script is the one description of what the component
// writes into the registry.
//
//   HKCR
//   {
//       Some.Key = s 'default value'
//       {
//           val Named = s 'text'      named value (s: string, d: 32-bit number)
//           Sub                        empty key
//       }
//       NoRemove Shared { ... }       created when missing, never removed
//       ForceRemove Owned { ... }     replaced whole on register, removed whole on unregister
//       Delete Stale                   removed on register
//   }
//
// Names are bare words or 'quoted' ('' inside quotes is one quote). %NAME% in a name or a
// value is replaced after lexing (so a replacement can never change the script's shape);
// %% is one percent sign.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace resmelder {

enum class RegistryRoot { kClassesRoot, kCurrentUser, kLocalMachine, kUsers };

struct RegistryValue {
    enum class Type { kString, kDword };
    std::string name;  // empty: the key's default value
    Type type = Type::kString;
    std::string text;
    std::uint32_t number = 0;

    bool operator==(const RegistryValue&) const = default;
};

struct RegistryKey {
    enum class Flag { kNone, kNoRemove, kForceRemove, kDelete };
    std::string name;
    Flag flag = Flag::kNone;
    std::vector<RegistryValue> values;  // the default value, if any, first
    std::vector<RegistryKey> children;
};

struct RegistryTree {
    RegistryRoot root = RegistryRoot::kClassesRoot;
    std::vector<RegistryKey> keys;
};

struct RegistrationScript {
    std::vector<RegistryTree> trees;
};

struct ScriptParseResult {
    std::optional<RegistrationScript> script;
    std::string error;  // with the line number, when the script is rejected
};

/// Parses a script (UTF-8); every %NAME% must have a replacement.
ScriptParseResult ParseRegistrationScript(std::string_view text,
                                          const std::map<std::string, std::string>& replacements);

/// The registry as the script runner sees it. Paths are key names joined by backslashes.
class RegistryWriter {
  public:
    virtual ~RegistryWriter() = default;
    /// Opens or creates the key (and any missing parents).
    virtual bool CreateKey(RegistryRoot root, const std::string& path) = 0;
    virtual bool SetValue(RegistryRoot root, const std::string& path,
                          const RegistryValue& value) = 0;
    /// Removes the key with everything below it; true also when it did not exist.
    virtual bool DeleteTree(RegistryRoot root, const std::string& path) = 0;
    /// True also when the value or the key did not exist.
    virtual bool DeleteValue(RegistryRoot root, const std::string& path,
                             const std::string& name) = 0;
    /// Removes the key only when it holds no subkeys and no values; true unless that failed.
    virtual bool DeleteKeyIfEmpty(RegistryRoot root, const std::string& path) = 0;
};

/// Writes every key and value; stops at the first failure and answers false.
bool RunRegister(const RegistrationScript& script, RegistryWriter& registry);
/// Removes what RunRegister wrote (see the flags); goes on past failures, answers false if any.
bool RunUnregister(const RegistrationScript& script, RegistryWriter& registry);

}  // namespace resmelder
