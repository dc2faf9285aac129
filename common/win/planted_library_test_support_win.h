#pragma once
// What the planted-library tests share: a folder of the test's own holding stand-ins for system
// libraries (planted_library_win.cpp, built under each name into one folder), and the marker
// files the stand-ins leave beside themselves when anything loads them. Programs are started
// from that folder through win::test::StartProcess, as a user starts them. For tests only.

#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_folder.h"

namespace win::test {

/// A test_support::TestFolder named with blanks and accents as a user's may be
/// ("planted été <label>-…"), with every stand-in from `built` copied into it.
class PlantedFolder : public test_support::TestFolder {
  public:
    PlantedFolder(const std::filesystem::path& built, const std::wstring& label)
        : TestFolder(L"planted \u00e9t\u00e9 " + label) {
        for (const wchar_t* name :
             {L"msftedit.dll", L"riched20.dll", L"uxtheme.dll", L"winmm.dll"}) {
            std::filesystem::copy_file(built / name, path() / name);
        }
    }
};

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
