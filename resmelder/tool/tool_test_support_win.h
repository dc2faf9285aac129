#pragma once
// What the tool's Windows tests share: the programs built beside them (the tool and the probe
// programs), programs loaded for their resources only, and text as UTF-8 for the probe's
// narrow files. Files are read and written through testing/test_files.h, programs run through
// win::test::RunProcess. For tests only.

#include <windows.h>

#include <filesystem>
#include <string>

#include "win/process_test_support_win.h"
#include "win/unique_handle.h"

namespace resmelder::tool_test {

/// A program built for the tests (`probe64.exe`, `norsrc64.exe`, ...), or another of their
/// files, by its name.
inline std::filesystem::path TestProgram(const wchar_t* name) {
    return win::test::ThisProgramFolder() / L"..\\image\\testdata" / name;
}

/// The probe: a real program from windres and gcc that looks its resources up when run.
inline std::wstring ProbeProgram() {
    return TestProgram(L"probe64.exe").wstring();
}

/// The tool, built beside the test.
inline std::wstring ToolProgram() {
    return (win::test::ThisProgramFolder() / L"resmelder.exe").wstring();
}

/// A program file loaded for its resources only, as the shell and resource editors read it.
inline win::UniqueLibrary LoadForResources(const std::filesystem::path& program) {
    return win::UniqueLibrary(::LoadLibraryExW(
        program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

/// `wide` as UTF-8.
inline std::string Utf8(const std::wstring& wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n - 1));
    return out;
}

}  // namespace resmelder::tool_test
