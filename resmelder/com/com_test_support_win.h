#pragma once
// What the component's Windows tests share: the apartment, the library loaded from beside the
// test program, instances made through its class factory, the thread's error object, and
// files' bytes.

#include <windows.h>

#include <oleauto.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "com_ptr_win.h"
#include "identities_win.h"
#include "resbundle_h.h"
#include "testing/test_files.h"
#include "win/process_test_support_win.h"
#include "win/unique_handle.h"

namespace resmelder::com::test {

inline std::wstring LibraryPath() {
    return (win::test::ThisProgramFolder() / L"Resmelder.dll").wstring();
}

inline std::wstring ProbePath(const wchar_t* name) {
    return (win::test::ThisProgramFolder() / L"..\\image\\testdata" / name).wstring();
}

using test_support::ReadFileBytes;
using test_support::WriteFileBytes;

/// The library, loaded once per test program, and its exports.
class Server {
  public:
    static Server& Get() {
        static Server server;
        return server;
    }
    HMODULE Module() const { return module_; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
        return getClassObject_(clsid, iid, out);
    }
    HRESULT CanUnloadNow() const { return canUnloadNow_(); }
    HRESULT Register() const { return register_(); }
    HRESULT Unregister() const { return unregister_(); }

  private:
    Server() {
        module_ = ::LoadLibraryW(LibraryPath().c_str());
        getClassObject_ = Export<decltype(getClassObject_)>("DllGetClassObject");
        canUnloadNow_ = Export<decltype(canUnloadNow_)>("DllCanUnloadNow");
        register_ = Export<decltype(register_)>("DllRegisterServer");
        unregister_ = Export<decltype(unregister_)>("DllUnregisterServer");
    }
    template <typename F>
    F Export(const char* name) const {
        return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

    HMODULE module_ = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow_)() = nullptr;
    HRESULT(STDAPICALLTYPE* register_)() = nullptr;
    HRESULT(STDAPICALLTYPE* unregister_)() = nullptr;
};

/// A single-threaded apartment for one test.
class ComTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_NE(Server::Get().Module(), nullptr) << "Resmelder.dll did not load";
    }
    void TearDown() override { ::CoUninitialize(); }

    /// A new instance through the library's class factory.
    static ComPtr<IResBundle> NewBundle() {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(
            Server::Get().GetClassObject(kClsidResBundle, IID_IClassFactory, factory.PutVoid()),
            S_OK);
        ComPtr<IResBundle> bundle;
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, kIidResBundle, bundle.PutVoid()), S_OK);
        }
        return bundle;
    }
};

struct ReportedError {
    bool present = false;
    std::wstring description;
    std::wstring source;
    GUID guid{};
};

/// Takes the calling thread's error object.
inline ReportedError TakeError() {
    ReportedError out;
    ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.Put()) != S_OK || !info) {
        return out;
    }
    out.present = true;
    Bstr description;
    Bstr source;
    info->GetDescription(description.Put());
    info->GetSource(source.Put());
    info->GetGUID(&out.guid);
    out.description = description.Get() ? description.Get() : L"";
    out.source = source.Get() ? source.Get() : L"";
    return out;
}

/// The description of the thread's error object ("" when there is none).
inline std::wstring TakeDescription() {
    return TakeError().description;
}

inline std::string GuidString(const GUID& guid) {
    wchar_t text[64] = {};
    ::StringFromGUID2(guid, text, 64);
    return std::string(text, text + std::wcslen(text));
}

/// The bytes of a VT_ARRAY | VT_UI1 result.
inline std::vector<std::uint8_t> ArrayBytes(const VARIANT& v) {
    std::vector<std::uint8_t> out;
    if (v.vt != (VT_ARRAY | VT_UI1) || v.parray == nullptr) {
        return out;
    }
    LONG lower = -1;
    LONG upper = -1;
    ::SafeArrayGetLBound(v.parray, 1, &lower);
    ::SafeArrayGetUBound(v.parray, 1, &upper);
    EXPECT_EQ(::SafeArrayGetDim(v.parray), 1u);
    EXPECT_EQ(lower, 0);
    void* data = nullptr;
    if (SUCCEEDED(::SafeArrayAccessData(v.parray, &data))) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        out.assign(bytes, bytes + (upper - lower + 1));
        ::SafeArrayUnaccessData(v.parray);
    }
    return out;
}

}  // namespace resmelder::com::test
