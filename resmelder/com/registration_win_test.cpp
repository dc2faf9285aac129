// Self-registration against the real registry: what DllRegisterServer writes, that COM then
// finds the class by CLSID and ProgID, and that DllUnregisterServer takes it all away again.

#include <algorithm>
#include <optional>

#include "com_test_support_win.h"

namespace resmelder::com::test {
namespace {

const wchar_t* const kClsidKey = L"CLSID\\{83A6D900-7CC7-4A9A-9B1A-5E3BADC0B9E1}";

bool KeyExists(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

std::optional<std::wstring> Value(const std::wstring& path, const wchar_t* name = nullptr) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer,
                       &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer);
}

// Every key below `path` (itself included) as "path", every value as "path [name] = text",
// in the registry's order.
void Dump(const std::wstring& path, std::vector<std::wstring>& out) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    out.push_back(path);
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        DWORD nameLength = 256;
        wchar_t data[1024] = {};
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                            reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS) {
            break;
        }
        out.push_back(path + L" [" + name + L"] = " + (type == REG_SZ ? data : L"<not text>"));
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256] = {};
        DWORD nameLength = 256;
        if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        children.push_back(path + L"\\" + name);
    }
    ::RegCloseKey(key);
    for (const auto& child : children) {
        Dump(child, out);
    }
}

std::wstring GuidText(const GUID& guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return text;
}

class RegistrationTest : public ComTest {
  protected:
    void TearDown() override {
        EXPECT_EQ(Server::Get().Unregister(), S_OK);
        ComTest::TearDown();
    }
};

const std::wstring kClsidText = L"{83A6D900-7CC7-4A9A-9B1A-5E3BADC0B9E1}";

// Something left under the class key by an older version.
void PlantStaleKey() {
    HKEY stale = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(kClsidKey) + L"\\Stale").c_str(),
                                0, nullptr, 0, KEY_WRITE, nullptr, &stale, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(stale);
}

void ExpectEveryKeyAndValue(const std::wstring& path) {
    const std::wstring c = kClsidKey;
    EXPECT_EQ(Value(L"ResBundle.ResBundle.1"), L"ResBundle Class");
    EXPECT_EQ(Value(L"ResBundle.ResBundle.1\\CLSID"), kClsidText);
    EXPECT_TRUE(KeyExists(L"ResBundle.ResBundle.1\\Insertable"));
    EXPECT_EQ(Value(L"ResBundle.ResBundle"), L"ResBundle Class");
    EXPECT_EQ(Value(L"ResBundle.ResBundle\\CLSID"), kClsidText);
    EXPECT_EQ(Value(L"ResBundle.ResBundle\\CurVer"), L"ResBundle.ResBundle.1");
    EXPECT_EQ(Value(c), L"ResBundle Class");
    EXPECT_EQ(Value(c + L"\\ProgID"), L"ResBundle.ResBundle.1");
    EXPECT_EQ(Value(c + L"\\VersionIndependentProgID"), L"ResBundle.ResBundle");
    EXPECT_TRUE(KeyExists(c + L"\\Programmable"));
    EXPECT_EQ(Value(c + L"\\InprocServer32"), path);
    EXPECT_EQ(Value(c + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_TRUE(KeyExists(c + L"\\Control"));
    EXPECT_TRUE(KeyExists(c + L"\\Insertable"));
    EXPECT_EQ(Value(c + L"\\ToolboxBitmap32"), path + L", 203");
    EXPECT_EQ(Value(c + L"\\MiscStatus"), L"0");
    EXPECT_EQ(Value(c + L"\\MiscStatus\\1"), std::to_wstring(kMiscStatus));
    EXPECT_EQ(Value(c + L"\\TypeLib"), GuidText(kLibidResBundleLib));
    EXPECT_EQ(Value(c + L"\\Version"), L"1.0");
    EXPECT_FALSE(KeyExists(c + L"\\Stale"));
}

// Nothing more than the script's keys and values under the class and its ProgIDs.
void ExpectNothingMore(const std::wstring& path) {
    const std::wstring c = kClsidKey;
    std::vector<std::wstring> written;
    Dump(L"ResBundle.ResBundle.1", written);
    Dump(L"ResBundle.ResBundle", written);
    Dump(c, written);
    std::sort(written.begin(), written.end());
    std::vector<std::wstring> expected = {
        L"ResBundle.ResBundle.1",
        L"ResBundle.ResBundle.1 [] = ResBundle Class",
        L"ResBundle.ResBundle.1\\CLSID",
        L"ResBundle.ResBundle.1\\CLSID [] = " + kClsidText,
        L"ResBundle.ResBundle.1\\Insertable",
        L"ResBundle.ResBundle",
        L"ResBundle.ResBundle [] = ResBundle Class",
        L"ResBundle.ResBundle\\CLSID",
        L"ResBundle.ResBundle\\CLSID [] = " + kClsidText,
        L"ResBundle.ResBundle\\CurVer",
        L"ResBundle.ResBundle\\CurVer [] = ResBundle.ResBundle.1",
        c,
        c + L" [] = ResBundle Class",
        c + L"\\ProgID",
        c + L"\\ProgID [] = ResBundle.ResBundle.1",
        c + L"\\VersionIndependentProgID",
        c + L"\\VersionIndependentProgID [] = ResBundle.ResBundle",
        c + L"\\Programmable",
        c + L"\\InprocServer32",
        c + L"\\InprocServer32 [] = " + path,
        c + L"\\InprocServer32 [ThreadingModel] = Apartment",
        c + L"\\Control",
        c + L"\\Insertable",
        c + L"\\ToolboxBitmap32",
        c + L"\\ToolboxBitmap32 [] = " + path + L", 203",
        c + L"\\MiscStatus",
        c + L"\\MiscStatus [] = 0",
        c + L"\\MiscStatus\\1",
        c + L"\\MiscStatus\\1 [] = 132497",
        c + L"\\TypeLib",
        c + L"\\TypeLib [] = {0F62E527-C92F-4A6F-8B61-555C07F065C7}",
        c + L"\\Version",
        c + L"\\Version [] = 1.0",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
    EXPECT_TRUE(KeyExists(L"TypeLib\\" + GuidText(kLibidResBundleLib) + L"\\1.0"));
    EXPECT_TRUE(KeyExists(L"Interface\\" + GuidText(kIidResBundle)));
}

// COM finds the class by its ProgID and makes a working instance through the registry.
void ExpectComCreatesTheClass() {
    CLSID fromProgId{};
    ASSERT_EQ(::CLSIDFromProgID(L"ResBundle.ResBundle", &fromProgId), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromProgId, kClsidResBundle));
    ComPtr<IResBundle> bundle;
    ASSERT_EQ(::CoCreateInstance(kClsidResBundle, nullptr, CLSCTX_INPROC_SERVER, kIidResBundle,
                                 bundle.PutVoid()),
              S_OK);
    EXPECT_EQ(bundle->OpenExe(Bstr(ProbePath(L"probe64.exe").c_str()).Get()), S_OK);
    EXPECT_EQ(bundle->InsertString(Bstr(L"A").Get(), Bstr(L"b").Get()), S_OK);
    Bstr text;
    EXPECT_EQ(bundle->GetString(Bstr(L"A").Get(), text.Put()), S_OK);
    EXPECT_STREQ(text.Get(), L"b");
}

TEST_F(RegistrationTest, RegisterWritesTheLayoutAndComFindsTheClass) {
    // Something left under the class key by an older version goes: the key is replaced whole.
    ASSERT_NO_FATAL_FAILURE(PlantStaleKey());

    ASSERT_EQ(Server::Get().Register(), S_OK);
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(Server::Get().Module(), path, MAX_PATH);
    ExpectEveryKeyAndValue(path);
    ExpectNothingMore(path);
    ASSERT_NO_FATAL_FAILURE(ExpectComCreatesTheClass());

    // Registering again over a registration is harmless.
    EXPECT_EQ(Server::Get().Register(), S_OK);
}

TEST_F(RegistrationTest, UnregisterRemovesEverythingButTheSharedClassesKey) {
    ASSERT_EQ(Server::Get().Register(), S_OK);
    ASSERT_EQ(Server::Get().Unregister(), S_OK);
    EXPECT_FALSE(KeyExists(L"ResBundle.ResBundle.1"));
    EXPECT_FALSE(KeyExists(L"ResBundle.ResBundle"));
    EXPECT_FALSE(KeyExists(kClsidKey));
    EXPECT_FALSE(KeyExists(L"TypeLib\\" + GuidText(kLibidResBundleLib)));
    EXPECT_FALSE(KeyExists(L"Interface\\" + GuidText(kIidResBundle)));
    EXPECT_TRUE(KeyExists(L"CLSID"));

    ComPtr<IUnknown> none;
    EXPECT_EQ(::CoCreateInstance(kClsidResBundle, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                 none.PutVoid()),
              REGDB_E_CLASSNOTREG);
    // Unregistering what is not registered succeeds (TearDown does it once more).
    EXPECT_EQ(Server::Get().Unregister(), S_OK);
}

}  // namespace
}  // namespace resmelder::com::test
