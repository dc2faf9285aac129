#pragma once
// Self-registration: the type library plus the registration script the server carries. The
// server hands in who it is and the registry to write to; nothing here asks the module.

#include <windows.h>

#include <oaidl.h>

#include <memory>
#include <string>
#include <string_view>

#include "com_ptr_win.h"
#include "registration_scope.h"
#include "registration_script.h"

namespace resmelder::com {

/// What registration needs to know about the server it registers.
struct ServerIdentity {
    /// The server's full path: %MODULE% in the script, and where the type library is found.
    std::wstring path;
    /// Its registration script (UTF-8).
    std::string_view script;
    /// Its type library; null when the server could not read it.
    ComPtr<ITypeLib> typeLib;
};

/// The registry under its real root keys.
std::unique_ptr<RegistryWriter> MakeSystemRegistry();

/// Registers the type library and writes the script's keys into `registry`, for the machine
/// or (under HKCU\Software\Classes) for the current user; a failure takes back what was
/// written.
HRESULT RegisterServer(const ServerIdentity& server, RegistryWriter& registry,
                       RegistrationScope scope = RegistrationScope::kMachine);
/// Removes the script's keys from `registry` and unregisters the type library, in the scope
/// they were registered in.
HRESULT UnregisterServer(const ServerIdentity& server, RegistryWriter& registry,
                         RegistrationScope scope = RegistrationScope::kMachine);

}  // namespace resmelder::com
