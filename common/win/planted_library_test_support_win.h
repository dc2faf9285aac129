#pragma once
// What the planted-library tests share: stand-ins for system libraries (planted_library_win.cpp,
// built once per name into one folder) put beside a program in a folder of its own, and the
// marker files they leave beside themselves when anything loads them. For tests only.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace win::test {

/// The names the stand-ins are built under: the libraries the programs load at run time.
inline constexpr const wchar_t* kPlantedLibraries[] = {L"msftedit.dll", L"riched20.dll",
                                                       L"uxtheme.dll", L"winmm.dll"};

/// A fresh, empty folder in the temporary folder whose name has blanks and accents, as a
/// user's Downloads subfolder may: "planted été <label> <process>".
inline std::filesystem::path FreshPlantedFolder(const std::wstring& label) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path folder =
        std::filesystem::path(temp) /
        (L"planted \u00e9t\u00e9 " + label + L" " + std::to_wstring(::GetCurrentProcessId()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

/// Copies every stand-in from `built` into `folder`; false when one could not be copied.
inline bool PlantLibraries(const std::filesystem::path& built,
                           const std::filesystem::path& folder) {
    std::error_code error;
    for (const wchar_t* name : kPlantedLibraries) {
        if (!std::filesystem::copy_file(built / name, folder / name,
                                        std::filesystem::copy_options::overwrite_existing, error)) {
            return false;
        }
    }
    return true;
}

/// The marker files in `folder`: one "<name>.loaded" for each stand-in something loaded.
inline std::vector<std::wstring> LoadedPlants(const std::filesystem::path& folder) {
    std::vector<std::wstring> loaded;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == L".loaded") {
            loaded.push_back(entry.path().filename().wstring());
        }
    }
    return loaded;
}

}  // namespace win::test
