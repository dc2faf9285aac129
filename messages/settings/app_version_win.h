#pragma once
// The version resource of the running program itself.

#include <windows.h>

#include <optional>

#include "app_version.h"

namespace murmurex {

/// App.Major, App.Minor and App.Revision of this program; nothing when it carries no
/// version resource.
std::optional<AppVersion> ReadOwnVersion();

/// The same for a loaded module (also one loaded as a data file).
std::optional<AppVersion> ReadModuleVersion(HMODULE module);

}  // namespace murmurex
