#pragma once
// The library's process-wide state: its module handle, the live object and lock counts that
// decide DllCanUnloadNow, the error-report holder, and its own files and resources.

#include <windows.h>

#include <oaidl.h>

#include <string>
#include <string_view>

#include "com_ptr_win.h"
#include "support/rich_error_info.h"

namespace resmelder::com {

/// The library's module handle (set when it is loaded).
HMODULE ModuleHandle();
/// The library's full path.
std::wstring ModulePath();

/// Object count: every COM object of the library takes one in its constructor.
void ObjectCreated();
void ObjectDestroyed();
/// IClassFactory::LockServer.
void LockModule(bool lock);
/// True when no object and no lock is alive.
bool CanUnload();

/// The process-wide holder of what failing methods report: the interface GUID and the source.
const RichErrorInfo& ErrorHolder();

/// The type library embedded in the library.
HRESULT LoadModuleTypeLib(ComPtr<ITypeLib>& out);
HRESULT LoadModuleTypeInfo(REFGUID guid, ComPtr<ITypeInfo>& out);

/// Bytes of one of the library's own resources (empty when missing).
std::string_view ModuleResource(const wchar_t* type, int id);

/// Keeps the module counted for an object's lifetime.
class ModuleObject {
  public:
    ModuleObject() noexcept { ObjectCreated(); }
    ModuleObject(const ModuleObject&) = delete;
    ModuleObject& operator=(const ModuleObject&) = delete;
    ~ModuleObject() { ObjectDestroyed(); }
};

}  // namespace resmelder::com
