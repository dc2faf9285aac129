// Registration as the server hands it its identity: the path given fills the script and names
// the type library, the keys go to the registry given, and a refusal writes nothing.

#include <olectl.h>

#include "com_test_support_win.h"
#include "fake_registry_test.h"
#include "registration_win.h"
#include "testing/test_folder.h"

namespace resmelder::com::test {
namespace {

// A folder with a space and accents, as an installed copy's may have.
std::wstring ServerFolder() {
    static const test_support::TestFolder folder(L"R\u00e9sum\u00e9 Tools");
    return folder.path().wstring() + L"\\";
}

// A copy of the library there: a registered type library must exist to be unregistered.
std::wstring ServerCopy() {
    ::CreateDirectoryW(ServerFolder().c_str(), nullptr);
    const std::wstring copy = ServerFolder() + L"Resmelder.dll";
    EXPECT_TRUE(::CopyFileW(LibraryPath().c_str(), copy.c_str(), FALSE));
    return copy;
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3, '\0');
    out.resize(static_cast<std::size_t>(
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(),
                              static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

constexpr std::string_view kScript = "HKCR\n{\n    Resmelder.IdentityTest = s '%MODULE%'\n}\n";

std::optional<std::wstring> RegisteredTypeLibPath() {
    BSTR path = nullptr;
    if (FAILED(::QueryPathOfRegTypeLib(kLibidResBundleLib, kTypeLibMajor, kTypeLibMinor,
                                       kTypeLibLocale, &path))) {
        return std::nullopt;
    }
    std::wstring text(path);
    ::SysFreeString(path);
    return text;
}

ServerIdentity Identity(std::string_view script, bool withTypeLib) {
    ServerIdentity server{ServerCopy(), script, {}};
    if (withTypeLib) {
        EXPECT_EQ(::LoadTypeLibEx(server.path.c_str(), REGKIND_NONE, server.typeLib.Put()), S_OK);
    }
    return server;
}

class RegistrationIdentityTest : public ComTest {
  protected:
    // The copy is as large as the library: it does not stay behind.
    void TearDown() override {
        ::DeleteFileW((ServerFolder() + L"Resmelder.dll").c_str());
        ::RemoveDirectoryW(ServerFolder().c_str());
        ComTest::TearDown();
    }
};

TEST_F(RegistrationIdentityTest, ThePathGivenFillsTheScriptAndNamesTheTypeLibrary) {
    const ServerIdentity server = Identity(kScript, true);
    FakeRegistry registry;
    ASSERT_EQ(RegisterServer(server, registry), S_OK);
    const std::set<std::string> expected = {
        "0:Resmelder.IdentityTest",
        "0:Resmelder.IdentityTest [] = " + Utf8(server.path),
    };
    EXPECT_EQ(registry.Dump(), expected);
    EXPECT_EQ(RegisteredTypeLibPath(), server.path);

    EXPECT_EQ(UnregisterServer(server, registry), S_OK);
    EXPECT_TRUE(registry.Dump().empty());
    EXPECT_EQ(RegisteredTypeLibPath(), std::nullopt);
}

TEST_F(RegistrationIdentityTest, ARefusedRegistrationLeavesTheRegistryGivenEmpty) {
    FakeRegistry registry;
    EXPECT_EQ(RegisterServer(Identity("", true), registry), SELFREG_E_CLASS);
    EXPECT_EQ(RegisterServer(Identity(kScript, false), registry), SELFREG_E_TYPELIB);
    EXPECT_TRUE(registry.Dump().empty());

    // A key that cannot be written takes back what was written before it.
    registry.failAt = 2;
    EXPECT_EQ(RegisterServer(Identity(kScript, true), registry), SELFREG_E_CLASS);
    EXPECT_TRUE(registry.Dump().empty());
    EXPECT_EQ(RegisteredTypeLibPath(), std::nullopt);
}

}  // namespace
}  // namespace resmelder::com::test
