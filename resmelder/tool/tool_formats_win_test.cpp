// Under Windows (Wine here), the platform reads what the new commands write: LoadStringW finds
// an edited string and its neighbours, the activation context reports the execution level set
// in the manifest, and FindResourceExW finds every entry of a merged .res file.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "image/res_file.h"
#include "testing/test_files.h"
#include "testing/test_folder.h"
#include "tool/tool.h"
#include "tool_test_support_win.h"
#include "win/unique_handle.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;

using tool_test::LoadForResources;
using tool_test::TestProgram;
using tool_test::Utf8;

class ToolFormatsWinTest : public ::testing::Test {
  protected:
    void SetUp() override {
        probe_ = dir_ / L"Probe Caf\u00E9.exe";
        fs::copy_file(TestProgram(L"probe64.exe"), probe_);
    }

    // The tool in this process, with the arguments a user would give it.
    int Run(std::vector<std::string> args) {
        std::ostringstream out;
        err_.str("");
        return RunTool(args, out, err_);
    }
    std::string P(const fs::path& path) const { return Utf8(path.wstring()); }

    const test_support::TestFolder folder_{L"resmelder formats"};
    const fs::path dir_ = folder_.path();
    fs::path probe_;
    std::ostringstream err_;
};

std::wstring LoadedString(HMODULE module, UINT id) {
    wchar_t text[256] = {};
    const int length = ::LoadStringW(module, id, text, 256);
    return std::wstring(text, static_cast<std::size_t>(length));
}

TEST_F(ToolFormatsWinTest, LoadStringFindsTheEditedStringAndItsFifteenNeighbours) {
    std::vector<std::string> fill = {"edit", P(probe_)};
    for (int id = 32; id < 48; ++id) {
        fill.insert(fill.end(),
                    {"--set-string", std::to_string(id), "Zeile " + std::to_string(id)});
    }
    fill.insert(fill.end(), {"-o", P(probe_)});
    ASSERT_EQ(Run(fill), 0) << err_.str();
    ASSERT_EQ(Run({"set-string", P(probe_), "40",
                   "Gr\xC3\xBC\xC3\x9F\x65, \xE4\xB8\x96\xE7\x95\x8C", "-o", P(probe_)}),
              0)
        << err_.str();
    const win::UniqueLibrary module = LoadForResources(probe_);
    ASSERT_NE(module.get(), nullptr) << ::GetLastError();
    for (UINT id = 32; id < 48; ++id) {
        EXPECT_EQ(LoadedString(module.get(), id),
                  id == 40 ? L"Gr\u00FC\u00DFe, \u4E16\u754C" : L"Zeile " + std::to_wstring(id))
            << id;
    }
    EXPECT_EQ(LoadedString(module.get(), 1), L"first string");
    EXPECT_EQ(LoadedString(module.get(), 2), L"second string");
    EXPECT_EQ(LoadedString(module.get(), 3), L"");
}

// The run level the platform reads from the program's manifest (resource 1).
struct RunLevel {
    ACTCTX_REQUESTED_RUN_LEVEL level = ACTCTX_RUN_LEVEL_UNSPECIFIED;
    DWORD uiAccess = 0;
    bool read = false;
};

RunLevel ReadRunLevel(const fs::path& program) {
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    const std::wstring source = program.wstring();
    request.lpSource = source.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);
    RunLevel found;
    HANDLE context = ::CreateActCtxW(&request);
    if (context == INVALID_HANDLE_VALUE) {
        return found;
    }
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION info{};
    SIZE_T size = 0;
    found.read = ::QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &info,
                                sizeof info, &size) != FALSE;
    found.level = info.RunLevel;
    found.uiAccess = info.UiAccess;
    ::ReleaseActCtx(context);
    return found;
}

TEST_F(ToolFormatsWinTest, TheActivationContextReportsTheLevelSet) {
    const RunLevel before = ReadRunLevel(probe_);
    ASSERT_TRUE(before.read) << "the probe's own manifest asks for nothing";
    EXPECT_EQ(before.level, ACTCTX_RUN_LEVEL_UNSPECIFIED);
    ASSERT_EQ(Run({"set-manifest", P(probe_), "--execution-level", "requireAdministrator",
                   "--ui-access", "-o", P(probe_)}),
              0)
        << err_.str();
    RunLevel after = ReadRunLevel(probe_);
    ASSERT_TRUE(after.read);
    EXPECT_EQ(after.level, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN);
    EXPECT_EQ(after.uiAccess, 1u);

    // A manifest written with prefixes, as build tools write them, edited to another level.
    test_support::WriteFileBytes(
        dir_ / "prefixed.manifest",
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<asmv1:assembly xmlns:asmv1=\"urn:schemas-microsoft-com:asm.v1\" "
        "manifestVersion=\"1.0\">\r\n"
        "  <asmv1:assemblyIdentity type=\"win32\" name=\"Probe.Prefixed\" "
        "version=\"1.0.0.0\"/>\r\n"
        "  <asmv3:trustInfo xmlns:asmv3=\"urn:schemas-microsoft-com:asm.v3\">"
        "<asmv3:security><asmv3:requestedPrivileges><asmv3:requestedExecutionLevel "
        "level=\"asInvoker\" uiAccess=\"false\"/></asmv3:requestedPrivileges>"
        "</asmv3:security></asmv3:trustInfo>\r\n"
        "</asmv1:assembly>\r\n");
    ASSERT_EQ(Run({"set-manifest", P(probe_), P(dir_ / "prefixed.manifest"), "--execution-level",
                   "highestAvailable", "-o", P(probe_)}),
              0)
        << err_.str();
    after = ReadRunLevel(probe_);
    EXPECT_EQ(after.level, ACTCTX_RUN_LEVEL_HIGHEST_AVAILABLE);
    EXPECT_EQ(after.uiAccess, 0u);

    // A program built without resources gets a minimal manifest the platform accepts.
    const fs::path bare = dir_ / L"Bare Program.exe";
    fs::copy_file(TestProgram(L"norsrc64.exe"), bare);
    ASSERT_EQ(
        Run({"set-manifest", P(bare), "--execution-level", "requireAdministrator", "-o", P(bare)}),
        0)
        << err_.str();
    EXPECT_EQ(ReadRunLevel(bare).level, ACTCTX_RUN_LEVEL_REQUIRE_ADMIN);
}

TEST_F(ToolFormatsWinTest, FindResourceFindsEveryEntryOfAMergedResFile) {
    const fs::path res = TestProgram(L"resfile_sample.res");
    ASSERT_EQ(Run({"add-res", P(probe_), P(res), "-o", P(probe_)}), 0) << err_.str();
    const std::string file = test_support::ReadFileBytes(res);
    const std::vector<std::uint8_t> bytes(file.begin(), file.end());
    std::string problem;
    const auto entries = ParseResFile(bytes, problem);
    ASSERT_TRUE(entries) << problem;
    ASSERT_GE(entries->size(), 9u);

    const win::UniqueLibrary module = LoadForResources(probe_);
    ASSERT_NE(module.get(), nullptr) << ::GetLastError();
    for (const ResFileEntry& entry : *entries) {
        const ResourceKey& key = entry.key;
        const std::wstring type(key.type.Text().begin(), key.type.Text().end());
        const std::wstring name(key.name.Text().begin(), key.name.Text().end());
        const HRSRC found = ::FindResourceExW(
            module.get(), key.type.IsNumber() ? MAKEINTRESOURCEW(key.type.Number()) : type.c_str(),
            key.name.IsNumber() ? MAKEINTRESOURCEW(key.name.Number()) : name.c_str(), key.language);
        ASSERT_NE(found, nullptr) << key.type.ToString() << "/" << key.name.ToString();
        const auto* data =
            static_cast<const std::uint8_t*>(::LockResource(::LoadResource(module.get(), found)));
        ASSERT_EQ(::SizeofResource(module.get(), found), entry.data.size());
        EXPECT_TRUE(std::equal(entry.data.begin(), entry.data.end(), data));
    }
    // Names and types of the user's in any case, as a program spells them.
    for (const wchar_t* name : {L"MixedCaseData", L"mixedcasedata", L"MIXEDCASEDATA"}) {
        EXPECT_NE(::FindResourceW(module.get(), name, MAKEINTRESOURCEW(10)), nullptr);
    }
    EXPECT_NE(::FindResourceW(module.get(), L"SampleEntry", L"My Data Type"), nullptr);
    // The menu and the icon load as the platform's own objects.
    const win::UniqueMenu menu(::LoadMenuW(module.get(), MAKEINTRESOURCEW(200)));
    ASSERT_TRUE(menu);
    wchar_t text[32] = {};
    EXPECT_GT(::GetMenuStringW(menu.get(), 0, text, 32, MF_BYPOSITION), 0);
    EXPECT_EQ(std::wstring(text), L"&File");
    const win::UniqueIcon icon(
        static_cast<HICON>(::LoadImageW(module.get(), L"SampleIcon", IMAGE_ICON, 32, 32, 0)));
    EXPECT_TRUE(icon);
}

}  // namespace
}  // namespace resmelder
