#pragma once
// Self-registration: the type library plus the registration script carried as a resource.

#include <windows.h>

#include <memory>

#include "registration_script.h"

namespace resmelder::com {

/// The registry under its real root keys.
std::unique_ptr<RegistryWriter> MakeSystemRegistry();

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace resmelder::com
