#pragma once
// Libraries of the system, loaded from the system folder only. The programs run from folders
// the user, and anything the user downloads, can write to (a ZIP unpacked in Downloads, a
// per-user install): a library asked for by its bare name is looked for beside the program
// first, so a planted copy of that name would run inside it.

#include <windows.h>

#include <cwchar>

#include "win/unique_handle.h"

namespace win {

namespace detail {

// kernel32 is loaded in every process: looking at it loads nothing.
template <typename Function>
Function* KernelFunction(const char* name) noexcept {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    return kernel == nullptr ? nullptr
                             : reinterpret_cast<Function*>(
                                   reinterpret_cast<void*>(::GetProcAddress(kernel, name)));
}

}  // namespace detail

/// True when the loader takes the LOAD_LIBRARY_SEARCH_* flags: Windows 8 on, and Windows 7
/// with its loader update, which brought AddDllDirectory with them.
inline bool LoaderTakesSearchFlags() noexcept {
    return detail::KernelFunction<decltype(::AddDllDirectory)>("AddDllDirectory") != nullptr;
}

/// Makes the system folder the only place the process's later loads by name look in. For a
/// program's entry point only: a library must never change its host's search order. False
/// where the platform lacks the call (the loads below name the system folder all the same).
inline bool RestrictLibrarySearchToSystem() noexcept {
    const auto set =
        detail::KernelFunction<decltype(::SetDefaultDllDirectories)>("SetDefaultDllDirectories");
    return set != nullptr && set(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

/// `name` (a file name: L"uxtheme.dll") loaded by its full path in the system folder, its own
/// imports looked for there first. For loaders without the search flags.
inline UniqueLibrary LoadFromSystemFolder(const wchar_t* name) noexcept {
    wchar_t path[MAX_PATH] = {};
    const UINT folder = ::GetSystemDirectoryW(path, MAX_PATH);
    const std::size_t length = std::wcslen(name);
    if (folder == 0 || folder >= MAX_PATH || length >= MAX_PATH - folder - 1) {
        return {};
    }
    path[folder] = L'\\';
    std::wmemcpy(path + folder + 1, name, length + 1);
    return UniqueLibrary(::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

/// `name` (a file name: L"uxtheme.dll") loaded from the system folder only, never from beside
/// the program, the current folder or the path; null when the system has no such library.
inline UniqueLibrary LoadSystemLibrary(const wchar_t* name) noexcept {
    if (LoaderTakesSearchFlags()) {
        return UniqueLibrary(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    }
    return LoadFromSystemFolder(name);
}

/// The export `name` of `module` as the declared `Function` (use decltype of the SDK's
/// declaration); null when the module or the export is missing.
template <typename Function>
Function* FindExport(HMODULE module, const char* name) noexcept {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

/// Calls the export `name` of `module` with `args`; `missing` stands for the call's own
/// failure when the module or the export is absent.
template <typename Function, typename Result, typename... Args>
Result CallExportOr(HMODULE module, const char* name, Result missing, Args... args) noexcept {
    Function* function = FindExport<Function>(module, name);
    return function != nullptr ? function(args...) : missing;
}

/// A system library held for the owner's life, and its functions by name. A missing library
/// or function is a null pointer, which the caller answers with its own fallback.
class SystemLibrary {
  public:
    explicit SystemLibrary(const wchar_t* name) noexcept : module_(LoadSystemLibrary(name)) {}

    bool Loaded() const noexcept { return static_cast<bool>(module_); }
    HMODULE Module() const noexcept { return module_.get(); }

    /// The export `name` as the declared `Function` (use decltype of the SDK's declaration).
    template <typename Function>
    Function* Find(const char* name) const noexcept {
        return FindExport<Function>(module_.get(), name);
    }

  private:
    UniqueLibrary module_;
};

}  // namespace win
