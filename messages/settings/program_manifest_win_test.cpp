// The built programs' manifest as the platform's loader reads it: an activation context made
// from resource 1 of Messages.exe and of controls-demo.exe answers the DPI settings and the
// supported systems, and brings version 6 of the common controls.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>

#include "win/unique_handle.h"

namespace {

struct ActivationContextTraits {
    using handle_type = HANDLE;
    static handle_type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    void close(handle_type context) const noexcept { ::ReleaseActCtx(context); }
};

std::wstring Setting(HANDLE context, const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T written = 0;
    ::QueryActCtxSettingsW(0, context, space, name, value, std::size(value), &written);
    return value;
}

// Where comctl32.dll comes from with `context` active, in lower case.
std::wstring CommonControlsFile(HANDLE context) {
    ULONG_PTR cookie = 0;
    wchar_t path[MAX_PATH] = {};
    if (::ActivateActCtx(context, &cookie)) {
        const HMODULE controls = ::LoadLibraryW(L"comctl32.dll");
        ::GetModuleFileNameW(controls, path, MAX_PATH);
        ::FreeLibrary(controls);
        ::DeactivateActCtx(0, cookie);
    }
    std::wstring file = path;
    std::transform(file.begin(), file.end(), file.begin(), ::towlower);
    return file;
}

class ProgramManifest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(ProgramManifest, IsReadByTheLoaderWithItsDpiSettingsSystemsAndCommonControls) {
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = GetParam();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    const win::UniqueHandle<ActivationContextTraits> context(::CreateActCtxW(&request));
    ASSERT_TRUE(context) << "no manifest the loader accepts, error " << ::GetLastError();

    EXPECT_EQ(Setting(context.get(), L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                      L"dpiAware"),
              L"true/pm");
    EXPECT_EQ(Setting(context.get(), L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                      L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_NE(CommonControlsFile(context.get())
                  .find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::wstring::npos);

    // Windows 7, 8, 8.1 and 10/11, each element in the layout of Windows 10 1903 and later.
    struct {
        DWORD count;
        struct {
            GUID id;
            ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
            ULONGLONG maxVersionTested;
        } elements[8];
    } systems{};
    SIZE_T needed = 0;
    ASSERT_TRUE(::QueryActCtxW(0, context.get(), nullptr,
                               CompatibilityInformationInActivationContext, &systems,
                               sizeof systems, &needed));
    ASSERT_EQ(systems.count, 4u);
    const unsigned long firstParts[] = {0x35138b9a, 0x4a2f28e3, 0x1f676c76, 0x8e0f7a12};
    for (DWORD i = 0; i < systems.count; ++i) {
        EXPECT_EQ(systems.elements[i].type, ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS);
        EXPECT_EQ(systems.elements[i].id.Data1, firstParts[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, ProgramManifest,
                         ::testing::Values(MESSAGES_EXE_PATH, CONTROLS_DEMO_EXE_PATH));

}  // namespace
