#pragma once
// An in-memory registry for the tests of registration: what the script runner or the server's
// registration writes, read back as sorted lines.

#include <map>
#include <set>
#include <string>

#include "registration_script.h"

namespace resmelder {

// Keys as "root:path", each with its values by name.
class FakeRegistry final : public RegistryWriter {
  public:
    bool CreateKey(RegistryRoot root, const std::string& path) override {
        calls_++;
        if (calls_ == failAt) {
            return false;
        }
        std::size_t from = 0;
        for (;;) {
            const std::size_t slash = path.find('\\', from);
            keys_[Id(root, path.substr(0, slash))];
            if (slash == std::string::npos) {
                return true;
            }
            from = slash + 1;
        }
    }
    bool SetValue(RegistryRoot root, const std::string& path, const RegistryValue& v) override {
        calls_++;
        if (calls_ == failAt) {
            return false;
        }
        keys_.at(Id(root, path))[v.name] = v;
        return true;
    }
    bool DeleteTree(RegistryRoot root, const std::string& path) override {
        const std::string id = Id(root, path);
        std::erase_if(
            keys_, [&](const auto& k) { return k.first == id || k.first.starts_with(id + "\\"); });
        return true;
    }
    bool DeleteValue(RegistryRoot root, const std::string& path, const std::string& n) override {
        if (auto key = keys_.find(Id(root, path)); key != keys_.end()) {
            key->second.erase(n);
        }
        return true;
    }
    bool DeleteKeyIfEmpty(RegistryRoot root, const std::string& path) override {
        const std::string id = Id(root, path);
        auto key = keys_.find(id);
        if (key == keys_.end() || !key->second.empty()) {
            return true;
        }
        for (const auto& k : keys_) {
            if (k.first.starts_with(id + "\\")) {
                return true;
            }
        }
        keys_.erase(key);
        return true;
    }

    // Every key and value, one line each, sorted.
    std::set<std::string> Dump() const {
        std::set<std::string> out;
        for (const auto& [id, values] : keys_) {
            out.insert(id);
            for (const auto& [name, v] : values) {
                out.insert(
                    id + " [" + name + "] = " +
                    (v.type == RegistryValue::Type::kString ? v.text : std::to_string(v.number)));
            }
        }
        return out;
    }

    int failAt = -1;  // the write call (counted from 1) that fails; -1: none

  private:
    static std::string Id(RegistryRoot root, const std::string& path) {
        return std::to_string(static_cast<int>(root)) + ":" + path;
    }
    std::map<std::string, std::map<std::string, RegistryValue>> keys_;
    int calls_ = 0;
};

}  // namespace resmelder
