// The type library embedded in the library: its identities, the dual interface with every
// method as scripts and forms see it, and the class with its default interface.

#include "com_test_support_win.h"

namespace resmelder::com::test {
namespace {

// Every method: its name, its parameters' names, and whether the last one is the result.
struct Method {
    const wchar_t* name;
    std::vector<std::wstring> parameters;
    bool returnsValue;
};

const Method kMethods[] = {
    {L"OpenExe", {L"exeFilename"}, false},
    {L"WriteExe", {L"exeFilename"}, false},
    {L"InsertFile", {L"resourceName", L"filename"}, false},
    {L"InsertString", {L"resourceName", L"str"}, false},
    {L"InsertBinary", {L"resourceName", L"binaryData"}, false},
    {L"Delete", {L"resourceName"}, false},
    {L"GetBinary", {L"resourceName", L"binaryData"}, true},
    {L"GetString", {L"resourceName", L"str"}, true},
    {L"OpenMyExe", {}, false},
    {L"Extract", {L"resourceName", L"filename"}, false},
};

void ExpectLibraryIdentity(ITypeLib& lib) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib.GetLibAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kLibidResBundleLib));
    EXPECT_EQ(attr->lcid, kTypeLibLocale);
    EXPECT_EQ(attr->wMajorVerNum, kTypeLibMajor);
    EXPECT_EQ(attr->wMinorVerNum, kTypeLibMinor);
    lib.ReleaseTLibAttr(attr);
    Bstr name;
    Bstr help;
    ASSERT_EQ(lib.GetDocumentation(-1, name.Put(), help.Put(), nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.Get(), L"RESBUNDLELib");
    EXPECT_STREQ(help.Get(), L"Vantrix ResBundle");
}

void ExpectDocumentation(ITypeInfo& info, MEMBERID member, const wchar_t* expectedName,
                         const std::wstring& expectedHelp) {
    Bstr name;
    Bstr help;
    ASSERT_EQ(info.GetDocumentation(member, name.Put(), help.Put(), nullptr, nullptr), S_OK);
    if (expectedName != nullptr) {
        EXPECT_STREQ(name.Get(), expectedName);
    }
    EXPECT_STREQ(help.Get(), expectedHelp.c_str());
}

// The vtable half of the dual interface: automation-compatible, IDispatch's seven slots and
// then the ten methods.
void ExpectDualInterface(ITypeInfo& iface, ComPtr<ITypeInfo>& vtable) {
    TYPEATTR* typeAttr = nullptr;
    ASSERT_EQ(iface.GetTypeAttr(&typeAttr), S_OK);
    EXPECT_EQ(typeAttr->typekind, TKIND_DISPATCH);
    EXPECT_NE(typeAttr->wTypeFlags & TYPEFLAG_FDUAL, 0);
    iface.ReleaseTypeAttr(typeAttr);
    HREFTYPE vtableRef = 0;
    ASSERT_EQ(iface.GetRefTypeOfImplType(-1, &vtableRef), S_OK);
    ASSERT_EQ(iface.GetRefTypeInfo(vtableRef, vtable.Put()), S_OK);
    ASSERT_EQ(vtable->GetTypeAttr(&typeAttr), S_OK);
    EXPECT_EQ(typeAttr->typekind, TKIND_INTERFACE);
    EXPECT_NE(typeAttr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION, 0);
    EXPECT_EQ(typeAttr->cbSizeVft, (7 + 10) * sizeof(void*));
    vtable->ReleaseTypeAttr(typeAttr);
    ExpectDocumentation(iface, MEMBERID_NIL, nullptr, L"IResBundle Interface");
}

void ExpectParameter(const Method& method, std::size_t p, const ELEMDESC& param) {
    const bool isResult = method.returnsValue && p + 1 == method.parameters.size();
    const USHORT flags = param.paramdesc.wParamFlags;
    if (isResult) {
        EXPECT_EQ(flags & (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL), PARAMFLAG_FOUT | PARAMFLAG_FRETVAL)
            << method.name;
        EXPECT_EQ(param.tdesc.vt, VT_PTR) << method.name;
    } else {
        EXPECT_EQ(flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT), PARAMFLAG_FIN) << method.name;
        const bool isVariant = std::wstring(method.name) == L"InsertBinary" && p == 1;
        EXPECT_EQ(param.tdesc.vt, isVariant ? VT_VARIANT : VT_BSTR) << method.name;
    }
}

// The method in vtable slot `i`: its DISPID, slot, help string and parameters.
void ExpectMethod(ITypeInfo& vtable, ITypeInfo& iface, UINT i, const Method& method) {
    FUNCDESC* func = nullptr;
    ASSERT_EQ(vtable.GetFuncDesc(i, &func), S_OK);
    EXPECT_EQ(func->memid, static_cast<MEMBERID>(i + 1)) << method.name;
    EXPECT_EQ(func->oVft, static_cast<SHORT>((7 + i) * sizeof(void*))) << method.name;
    EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT) << method.name;
    ASSERT_EQ(static_cast<std::size_t>(func->cParams), method.parameters.size()) << method.name;
    BSTR names[4] = {};
    UINT count = 0;
    ASSERT_EQ(vtable.GetNames(func->memid, names, 4, &count), S_OK);
    ASSERT_EQ(count, method.parameters.size() + 1) << method.name;
    EXPECT_STREQ(names[0], method.name);
    for (std::size_t p = 0; p < method.parameters.size(); ++p) {
        EXPECT_EQ(names[p + 1], method.parameters[p]) << method.name;
        ExpectParameter(method, p, func->lprgelemdescParam[p]);
    }
    for (UINT n = 0; n < count; ++n) {
        ::SysFreeString(names[n]);
    }
    vtable.ReleaseFuncDesc(func);
    ExpectDocumentation(iface, static_cast<MEMBERID>(i + 1), method.name,
                        std::wstring(L"method ") + method.name);
}

// IDispatch comes from the imported standard library.
void ExpectBaseFromStdole(ITypeInfo& vtable) {
    HREFTYPE baseRef = 0;
    ASSERT_EQ(vtable.GetRefTypeOfImplType(0, &baseRef), S_OK);
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(vtable.GetRefTypeInfo(baseRef, base.Put()), S_OK);
    ComPtr<ITypeLib> stdole;
    UINT index = 0;
    ASSERT_EQ(base->GetContainingTypeLib(stdole.Put(), &index), S_OK);
    Bstr name;
    ASSERT_EQ(stdole->GetDocumentation(-1, name.Put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.Get(), L"stdole");
    ASSERT_EQ(base->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name.Get(), L"IDispatch");
}

// The class can be created and IResBundle is its default interface.
void ExpectCreatableWithDefaultInterface(ITypeInfo& coclass) {
    TYPEATTR* typeAttr = nullptr;
    ASSERT_EQ(coclass.GetTypeAttr(&typeAttr), S_OK);
    EXPECT_NE(typeAttr->wTypeFlags & TYPEFLAG_FCANCREATE, 0);
    EXPECT_EQ(typeAttr->cImplTypes, 1);
    coclass.ReleaseTypeAttr(typeAttr);
    INT implFlags = 0;
    ASSERT_EQ(coclass.GetImplTypeFlags(0, &implFlags), S_OK);
    EXPECT_NE(implFlags & IMPLTYPEFLAG_FDEFAULT, 0);
    HREFTYPE defaultRef = 0;
    ASSERT_EQ(coclass.GetRefTypeOfImplType(0, &defaultRef), S_OK);
    ComPtr<ITypeInfo> defaultInterface;
    ASSERT_EQ(coclass.GetRefTypeInfo(defaultRef, defaultInterface.Put()), S_OK);
    ASSERT_EQ(defaultInterface->GetTypeAttr(&typeAttr), S_OK);
    EXPECT_TRUE(IsEqualGUID(typeAttr->guid, kIidResBundle));
    defaultInterface->ReleaseTypeAttr(typeAttr);
}

using TypeLibraryTest = ComTest;

TEST_F(TypeLibraryTest, CarriesTheIdentities) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(::LoadTypeLibEx(LibraryPath().c_str(), REGKIND_NONE, lib.Put()), S_OK);
    ASSERT_NO_FATAL_FAILURE(ExpectLibraryIdentity(*lib.Get()));

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kClsidResBundle, coclass.Put()), S_OK);
    ASSERT_NO_FATAL_FAILURE(
        ExpectDocumentation(*coclass.Get(), MEMBERID_NIL, L"ResBundle", L"ResBundle Class"));

    ComPtr<ITypeInfo> iface;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(kIidResBundle, iface.Put()), S_OK);
    ComPtr<ITypeInfo> vtable;
    ASSERT_NO_FATAL_FAILURE(ExpectDualInterface(*iface.Get(), vtable));

    TYPEATTR* typeAttr = nullptr;
    ASSERT_EQ(vtable->GetTypeAttr(&typeAttr), S_OK);
    const UINT vtableFunctions = typeAttr->cFuncs;
    vtable->ReleaseTypeAttr(typeAttr);
    ASSERT_EQ(vtableFunctions, std::size(kMethods));
    for (UINT i = 0; i < vtableFunctions; ++i) {
        ASSERT_NO_FATAL_FAILURE(ExpectMethod(*vtable.Get(), *iface.Get(), i, kMethods[i]));
    }
    ASSERT_NO_FATAL_FAILURE(ExpectBaseFromStdole(*vtable.Get()));
    ExpectCreatableWithDefaultInterface(*coclass.Get());
}

}  // namespace
}  // namespace resmelder::com::test
