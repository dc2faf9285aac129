// The library's entry points: DllMain, the class table with its one generic class factory,
// and the five exports.

#include "module_win.h"

#include <olectl.h>

#include <array>
#include <cstring>
#include <new>

#include "identities_win.h"
#include "registration_win.h"
#include "res_bundle_win.h"

namespace resmelder::com {
namespace {

HMODULE g_module = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;

using CreateFunction = HRESULT (*)(REFIID iid, void** out);

struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

constexpr ClassEntry kClasses[] = {
    {&kClsidResBundle, &CreateResBundle},
};

// One factory serves every class of the table.
class ClassFactory final : public IClassFactory {
  public:
    explicit ClassFactory(CreateFunction create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return create_(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        LockModule(lock != FALSE);
        return S_OK;
    }

  private:
    ~ClassFactory() = default;

    ModuleObject counted_;
    CreateFunction create_;
    LONG refs_ = 1;  // apartment-threaded: used on one thread only
};

// Who the library is, for registering it: its path, its script and its type library.
ServerIdentity ModuleIdentity() {
    ServerIdentity server;
    server.path = ModulePath();
    server.script = ModuleResource(kRegistrationScriptType, kRegistrationScriptResource);
    LoadModuleTypeLib(server.typeLib);  // left null when it cannot be read: registration says so
    return server;
}

}  // namespace

HMODULE ModuleHandle() {
    return g_module;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(g_module, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

void ObjectCreated() {
    ::InterlockedIncrement(&g_objects);
}

void ObjectDestroyed() {
    ::InterlockedDecrement(&g_objects);
}

void LockModule(bool lock) {
    if (lock) {
        ::InterlockedIncrement(&g_locks);
    } else {
        ::InterlockedDecrement(&g_locks);
    }
}

bool CanUnload() {
    return ::InterlockedCompareExchange(&g_objects, 0, 0) == 0 &&
           ::InterlockedCompareExchange(&g_locks, 0, 0) == 0;
}

const RichErrorInfo& ErrorHolder() {
    static const RichErrorInfo holder = [] {
        std::array<std::uint8_t, 16> bytes{};
        std::memcpy(bytes.data(), &kIidResBundle, bytes.size());
        return RichErrorInfo(bytes, kErrorSource);
    }();
    return holder;
}

HRESULT LoadModuleTypeLib(ComPtr<ITypeLib>& out) {
    const std::wstring path = ModulePath();
    if (path.empty()) {
        return E_UNEXPECTED;
    }
    return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, out.Put());
}

HRESULT LoadModuleTypeInfo(REFGUID guid, ComPtr<ITypeInfo>& out) {
    ComPtr<ITypeLib> lib;
    const HRESULT hr = LoadModuleTypeLib(lib);
    if (FAILED(hr)) {
        return hr;
    }
    return lib->GetTypeInfoOfGuid(guid, out.Put());
}

std::string_view ModuleResource(const wchar_t* type, int id) {
    HRSRC found = ::FindResourceW(g_module, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = ::LoadResource(g_module, found);
    const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    return {static_cast<const char*>(bytes), ::SizeofResource(g_module, found)};
}

}  // namespace resmelder::com

using namespace resmelder::com;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        // The loader declines this for an image with a TLS directory, and mingw's DLL start-up
        // code gives every DLL one; thread notifications then still arrive and are ignored.
        ::DisableThreadLibraryCalls(instance);
        ErrorHolder();  // exists before any object
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    for (const auto& entry : kClasses) {
        if (IsEqualCLSID(clsid, *entry.clsid)) {
            auto* factory = new (std::nothrow) ClassFactory(entry.create);
            if (factory == nullptr) {
                return E_OUTOFMEMORY;
            }
            const HRESULT hr = factory->QueryInterface(iid, out);
            factory->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    return CanUnload() ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    return RegisterServer(ModuleIdentity(), *MakeSystemRegistry());
}

STDAPI DllUnregisterServer() {
    return UnregisterServer(ModuleIdentity(), *MakeSystemRegistry());
}

// regsvr32 /n /i:user registers for the current user alone, without administrator rights;
// with /u it takes that registration away. No other command line is understood.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
    if (commandLine == nullptr || !resmelder::IsPerUserInstallCommand(commandLine)) {
        return E_INVALIDARG;
    }
    const ServerIdentity server = ModuleIdentity();
    const auto registry = MakeSystemRegistry();
    return install ? RegisterServer(server, *registry, resmelder::RegistrationScope::kUser)
                   : UnregisterServer(server, *registry, resmelder::RegistrationScope::kUser);
}
