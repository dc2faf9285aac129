// The built programs' manifest as the platform's loader reads it: an activation context made
// from resource 1 of Messages.exe and of controls-demo.exe answers the DPI settings, the run
// level and the supported systems, and brings version 6 of the common controls.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "win/unique_handle.h"

namespace {

struct ActivationContextTraits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void close(handle_type context) const noexcept { ::ReleaseActCtx(context); }
};
using UniqueActivationContext = win::UniqueHandle<ActivationContextTraits>;

// Windows 7, 8, 8.1 and 10/11.
const GUID kSupportedSystems[] = {
    {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
    {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
    {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
    {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
};

UniqueActivationContext ContextOf(const std::wstring& program) {
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = program.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    return UniqueActivationContext(::CreateActCtxW(&request));
}

// The manifest's own bytes, read from the program as a data file.
std::string ManifestText(const std::wstring& program) {
    const HMODULE file = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::string text;
    if (file == nullptr) {
        return text;
    }
    if (const HRSRC found = ::FindResourceW(file, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))) {
        const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(file, found)));
        if (bytes != nullptr) {
            text.assign(bytes, ::SizeofResource(file, found));
        }
    }
    ::FreeLibrary(file);
    return text;
}

constexpr wchar_t kWindowsSettings2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
constexpr wchar_t kWindowsSettings2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";

std::wstring Setting(HANDLE context, const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!::QueryActCtxSettingsW(0, context, space, name, value, std::size(value), &written)) {
        return L"(none)";
    }
    return value;
}

// Where this thread's comctl32.dll comes from with `context` active, in lower case.
std::wstring CommonControlsFile(HANDLE context) {
    ULONG_PTR cookie = 0;
    if (!::ActivateActCtx(context, &cookie)) {
        return L"";
    }
    wchar_t path[MAX_PATH] = {};
    if (const HMODULE controls = ::LoadLibraryW(L"comctl32.dll")) {
        ::GetModuleFileNameW(controls, path, MAX_PATH);
        ::FreeLibrary(controls);
    }
    ::DeactivateActCtx(0, cookie);
    std::wstring file = path;
    std::transform(file.begin(), file.end(), file.begin(), ::towlower);
    return file;
}

// The answer's layout since Windows 10 1903: each element also carries the highest version
// the program was tested on.
struct CompatibilityElement {
    GUID id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
    ULONGLONG maxVersionTested;
};
struct CompatibilityInformation {
    DWORD count;
    CompatibilityElement elements[8];
};

std::vector<GUID> SupportedSystems(HANDLE context) {
    std::vector<GUID> systems;
    CompatibilityInformation information{};
    SIZE_T needed = 0;
    if (!::QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                        &information, sizeof information, &needed)) {
        return systems;
    }
    for (DWORD i = 0; i < information.count && i < std::size(information.elements); ++i) {
        if (information.elements[i].type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) {
            systems.push_back(information.elements[i].id);
        }
    }
    return systems;
}

class ProgramManifest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(ProgramManifest, IsReadByTheLoaderWithEverySettingItNeeds) {
    const UniqueActivationContext context = ContextOf(GetParam());
    ASSERT_TRUE(context) << "no manifest the loader accepts, error " << ::GetLastError();

    EXPECT_EQ(Setting(context.get(), kWindowsSettings2005, L"dpiAware"), L"true/pm");
    EXPECT_EQ(Setting(context.get(), kWindowsSettings2016, L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_NE(CommonControlsFile(context.get())
                  .find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos);
    // The files stay in the system's ANSI code page: no code page of its own.
    EXPECT_EQ(ManifestText(GetParam()).find("activeCodePage"), std::string::npos);

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    SIZE_T needed = 0;
    ASSERT_TRUE(::QueryActCtxW(0, context.get(), nullptr, RunlevelInformationInActivationContext,
                               &level, sizeof level, &needed));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_FALSE(level.UiAccess);

    const std::vector<GUID> systems = SupportedSystems(context.get());
    ASSERT_EQ(systems.size(), std::size(kSupportedSystems));
    for (const GUID& system : kSupportedSystems) {
        EXPECT_NE(std::find(systems.begin(), systems.end(), system), systems.end());
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramManifest,
                         ::testing::Values(MESSAGES_EXE_PATH, CONTROLS_DEMO_EXE_PATH));

}  // namespace
