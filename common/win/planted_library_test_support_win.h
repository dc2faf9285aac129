#pragma once
// What the planted-library tests share: a folder of its own holding stand-ins for system
// libraries (planted_library_win.cpp, built under each name into one folder), programs started
// from it as a user starts them, and the marker files the stand-ins leave beside themselves
// when anything loads them. For tests only.

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace win::test {

/// A fresh folder in the temporary folder, named with blanks and accents as a user's may be
/// ("planted été <label> <process>"), with every stand-in from `built` copied into it.
inline std::filesystem::path PlantedFolder(const std::filesystem::path& built,
                                           const std::wstring& label) {
    namespace fs = std::filesystem;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / (L"planted \u00e9t\u00e9 " + label + L" " +
                                              std::to_wstring(::GetCurrentProcessId()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const wchar_t* name : {L"msftedit.dll", L"riched20.dll", L"uxtheme.dll", L"winmm.dll"}) {
        fs::copy_file(built / name, folder / name);
    }
    return folder;
}

/// Starts `program` by its path with its own folder as the current one, as a user does; its
/// output goes to `output` when one is named. Null when it did not start.
inline UniqueKernelHandle StartFromItsFolder(const std::filesystem::path& program,
                                             const std::wstring& arguments,
                                             const std::filesystem::path& output = {}) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFile file;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!output.empty()) {
        file.reset(::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = file.get();
    }
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + program.wstring() + L"\" " + arguments;
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, file ? TRUE : FALSE, 0,
                          nullptr, program.parent_path().c_str(), &startup, &info)) {
        return {};
    }
    UniqueKernelHandle thread(info.hThread);
    return UniqueKernelHandle(info.hProcess);
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
