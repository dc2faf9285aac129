#include "registration_win.h"

#include <olectl.h>

#include <string>

#include "support/encoding.h"
#include "win/unique_handle.h"

#if defined(__MINGW32__)
// mingw-w64's oleauto.h lacks the per-user pair (Windows Vista and later); its import library
// has them.
WINOLEAUTAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* fullPath, OLECHAR* helpDir);
WINOLEAUTAPI UnRegisterTypeLibForUser(REFGUID libId, WORD major, WORD minor, LCID lcid,
                                      SYSKIND syskind);
#endif

namespace resmelder::com {
namespace {

struct RegKeyTraits {
    using handle_type = HKEY;
    static handle_type invalid() noexcept { return nullptr; }
    void close(handle_type h) const noexcept { ::RegCloseKey(h); }
};
using UniqueRegKey = win::UniqueHandle<RegKeyTraits>;

std::wstring Wide(const std::string& utf8) {
    std::u16string out;
    EncodingConvert::Utf8ToUtf16(utf8, out);
    return std::wstring(out.begin(), out.end());
}

std::string Utf8(const std::wstring& wide) {
    std::string out;
    EncodingConvert::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()), out);
    return out;
}

HKEY RootKey(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::kClassesRoot:
            return HKEY_CLASSES_ROOT;
        case RegistryRoot::kCurrentUser:
            return HKEY_CURRENT_USER;
        case RegistryRoot::kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case RegistryRoot::kUsers:
            return HKEY_USERS;
    }
    return HKEY_CLASSES_ROOT;
}

bool Gone(LSTATUS status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

class SystemRegistry final : public RegistryWriter {
  public:
    bool CreateKey(RegistryRoot root, const std::string& path) override {
        HKEY key = nullptr;
        const LSTATUS status = ::RegCreateKeyExW(RootKey(root), Wide(path).c_str(), 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr);
        UniqueRegKey owned(key);
        return status == ERROR_SUCCESS;
    }

    bool SetValue(RegistryRoot root, const std::string& path, const RegistryValue& v) override {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, KEY_SET_VALUE, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        UniqueRegKey owned(key);
        const std::wstring name = Wide(v.name);
        if (v.type == RegistryValue::Type::kDword) {
            const DWORD number = v.number;
            return ::RegSetValueExW(key, name.c_str(), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&number),
                                    sizeof number) == ERROR_SUCCESS;
        }
        const std::wstring text = Wide(v.text);
        const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.c_str()),
                                bytes) == ERROR_SUCCESS;
    }

    bool DeleteTree(RegistryRoot root, const std::string& path) override {
        return Gone(::RegDeleteTreeW(RootKey(root), Wide(path).c_str()));
    }

    bool DeleteValue(RegistryRoot root, const std::string& path, const std::string& name) override {
        HKEY key = nullptr;
        const LSTATUS opened =
            ::RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, KEY_SET_VALUE, &key);
        if (opened != ERROR_SUCCESS) {
            return Gone(opened);
        }
        UniqueRegKey owned(key);
        return Gone(::RegDeleteValueW(key, Wide(name).c_str()));
    }

    bool DeleteKeyIfEmpty(RegistryRoot root, const std::string& path) override {
        const std::wstring wide = Wide(path);
        HKEY key = nullptr;
        const LSTATUS opened = ::RegOpenKeyExW(RootKey(root), wide.c_str(), 0, KEY_READ, &key);
        if (opened != ERROR_SUCCESS) {
            return Gone(opened);
        }
        DWORD subkeys = 0;
        DWORD values = 0;
        {
            UniqueRegKey owned(key);
            if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                   &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                return false;
            }
        }
        if (subkeys != 0 || values != 0) {
            return true;
        }
        return Gone(::RegDeleteKeyW(RootKey(root), wide.c_str()));
    }
};

// The script with the server's path in place of %MODULE%.
std::optional<RegistrationScript> ScriptFor(const ServerIdentity& server) {
    if (server.path.empty() || server.script.empty()) {
        return std::nullopt;
    }
    return ParseRegistrationScript(server.script, {{"MODULE", Utf8(server.path)}}).script;
}

// The type library goes where the keys go: per user needs no administrator rights.
HRESULT RegisterTypeLibIn(const ServerIdentity& server, RegistrationScope scope) {
    if (!server.typeLib) {
        return SELFREG_E_TYPELIB;
    }
    // Both calls take a writable path.
    std::wstring path = server.path;
    return scope == RegistrationScope::kUser
               ? ::RegisterTypeLibForUser(server.typeLib.Get(), path.data(), nullptr)
               : ::RegisterTypeLib(server.typeLib.Get(), path.data(), nullptr);
}

// A library that is not registered is already unregistered.
HRESULT UnregisterTypeLib(ITypeLib& lib, RegistrationScope scope) {
    TLIBATTR* attr = nullptr;
    HRESULT hr = lib.GetLibAttr(&attr);
    if (FAILED(hr)) {
        return hr;
    }
    BSTR registered = nullptr;
    if (SUCCEEDED(::QueryPathOfRegTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                          attr->lcid, &registered))) {
        ::SysFreeString(registered);
        hr = scope == RegistrationScope::kUser
                 ? ::UnRegisterTypeLibForUser(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                              attr->lcid, attr->syskind)
                 : ::UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                       attr->lcid, attr->syskind);
    }
    lib.ReleaseTLibAttr(attr);
    return hr;
}

}  // namespace

std::unique_ptr<RegistryWriter> MakeSystemRegistry() {
    return std::make_unique<SystemRegistry>();
}

HRESULT RegisterServer(const ServerIdentity& server, RegistryWriter& registry,
                       RegistrationScope scope) {
    const auto script = ScriptFor(server);
    if (!script) {
        return SELFREG_E_CLASS;
    }
    if (FAILED(RegisterTypeLibIn(server, scope))) {
        return SELFREG_E_TYPELIB;
    }
    PerUserClassesRegistry perUser(registry);
    RegistryWriter& target = scope == RegistrationScope::kUser ? perUser : registry;
    if (!RunRegister(*script, target)) {
        // Half a registration is worse than none.
        UnregisterServer(server, registry, scope);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterServer(const ServerIdentity& server, RegistryWriter& registry,
                         RegistrationScope scope) {
    const auto script = ScriptFor(server);
    if (!script) {
        return SELFREG_E_CLASS;
    }
    PerUserClassesRegistry perUser(registry);
    const bool keysRemoved =
        RunUnregister(*script, scope == RegistrationScope::kUser ? perUser : registry);
    if (!server.typeLib || FAILED(UnregisterTypeLib(*server.typeLib.Get(), scope))) {
        return SELFREG_E_TYPELIB;
    }
    return keysRemoved ? S_OK : SELFREG_E_CLASS;
}

}  // namespace resmelder::com
