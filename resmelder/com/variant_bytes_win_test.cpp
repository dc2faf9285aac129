// The VARIANT-to-bytes table, row by row, through InsertBinary and GetBinary.

#include <functional>

#include "com_test_support_win.h"

namespace resmelder::com::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An object whose default member answers a fixed value (or fails, or answers itself), and
// which records how it was called.
class DefaultMemberObject final : public IDispatch {
  public:
    enum class Mode { kValue, kFail, kSelf };
    DefaultMemberObject(Mode mode, VARIANT value) : mode_(mode) {
        ::VariantInit(&value_);
        ::VariantCopy(&value_, &value);
    }
    ~DefaultMemberObject() { ::VariantClear(&value_); }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }  // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO*, UINT*) override {
        ++calls;
        lastId = id;
        lastLocale = locale;
        lastFlags = flags;
        lastArgs = params != nullptr ? params->cArgs : 99;
        nullIid = IsEqualIID(iid, IID_NULL);
        switch (mode_) {
            case Mode::kFail:
                return DISP_E_MEMBERNOTFOUND;
            case Mode::kSelf:
                result->vt = VT_DISPATCH;
                result->pdispVal = this;
                AddRef();
                return S_OK;
            case Mode::kValue:
                break;
        }
        return ::VariantCopy(result, &value_);
    }

    int calls = 0;
    DISPID lastId = -1;
    LCID lastLocale = 0;
    WORD lastFlags = 0;
    UINT lastArgs = 0;
    bool nullIid = false;

  private:
    Mode mode_;
    VARIANT value_;
    ULONG refs_ = 1;
};

class VariantBytesTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        bundle_ = NewBundle();
        ASSERT_TRUE(bundle_);
        ASSERT_EQ(bundle_->OpenExe(Bstr(ProbePath(L"probe64.exe").c_str()).Get()), S_OK);
    }
    void TearDown() override {
        bundle_.Reset();
        ComTest::TearDown();
    }

    // The bytes InsertBinary stores for `value`; "null" when GetBinary answers VT_NULL.
    std::string Stored(const VARIANT& value) {
        const std::wstring name = L"V" + std::to_wstring(++count_);
        EXPECT_EQ(bundle_->InsertBinary(Bstr(name.c_str()).Get(), value), S_OK);
        Variant out;
        EXPECT_EQ(bundle_->GetBinary(Bstr(name.c_str()).Get(), out.Get()), S_OK);
        if (out->vt == VT_NULL) {
            return "null";
        }
        const Bytes bytes = ArrayBytes(*out);
        return std::string(bytes.begin(), bytes.end());
    }

    ComPtr<IResBundle> bundle_;
    int count_ = 0;
};

SAFEARRAY* MakeArray(VARTYPE type, std::initializer_list<SAFEARRAYBOUND> bounds) {
    std::vector<SAFEARRAYBOUND> b(bounds);
    return ::SafeArrayCreate(type, static_cast<UINT>(b.size()), b.data());
}

void FillBytes(SAFEARRAY* array, std::size_t n) {
    void* data = nullptr;
    ASSERT_EQ(::SafeArrayAccessData(array, &data), S_OK);
    for (std::size_t i = 0; i < n; ++i) {
        static_cast<std::uint8_t*>(data)[i] = static_cast<std::uint8_t>('a' + i);
    }
    ::SafeArrayUnaccessData(array);
}

TEST_F(VariantBytesTest, ScalarsByValueAndByReference) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_UI1;
    v.bVal = 0xAB;
    EXPECT_EQ(Stored(v), "\xAB");
    v.vt = VT_I2;
    v.iVal = -2;
    EXPECT_EQ(Stored(v), "\xFE\xFF");
    v.vt = VT_BOOL;
    v.boolVal = VARIANT_TRUE;
    EXPECT_EQ(Stored(v), "\xFF\xFF");
    v.vt = VT_I4;
    v.lVal = 0x44434241;
    EXPECT_EQ(Stored(v), "ABCD");
    v.vt = VT_R4;
    v.fltVal = 1.0f;
    EXPECT_EQ(Stored(v), std::string("\0\0\x80\x3F", 4));
    v.vt = VT_R8;
    v.dblVal = 1.0;
    EXPECT_EQ(Stored(v), std::string("\0\0\0\0\0\0\xF0\x3F", 8));

    LONG number = 0x34333231;
    v.vt = VT_BYREF | VT_I4;
    v.plVal = &number;
    EXPECT_EQ(Stored(v), "1234");
    BYTE byte = 'z';
    v.vt = VT_BYREF | VT_UI1;
    v.pbVal = &byte;
    EXPECT_EQ(Stored(v), "z");
    SHORT shortValue = 0x3635;
    v.vt = VT_BYREF | VT_I2;
    v.piVal = &shortValue;
    EXPECT_EQ(Stored(v), "56");
    VARIANT_BOOL flag = VARIANT_FALSE;
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = &flag;
    EXPECT_EQ(Stored(v), std::string("\0\0", 2));
    float single = -2.0f;
    v.vt = VT_BYREF | VT_R4;
    v.pfltVal = &single;
    EXPECT_EQ(Stored(v), std::string("\0\0\0\xC0", 4));
    double real = 1.0;
    v.vt = VT_BYREF | VT_R8;
    v.pdblVal = &real;
    EXPECT_EQ(Stored(v), std::string("\0\0\0\0\0\0\xF0\x3F", 8));

    // Types outside the table, empty and null give an empty entry.
    v.vt = VT_I8;
    v.llVal = 5;
    EXPECT_EQ(Stored(v), "null");
    v.vt = VT_DATE;
    v.date = 2.0;
    EXPECT_EQ(Stored(v), "null");
    v.vt = VT_EMPTY;
    EXPECT_EQ(Stored(v), "null");
    v.vt = VT_NULL;
    EXPECT_EQ(Stored(v), "null");
    v.vt = VT_BYREF | VT_I4;
    v.plVal = nullptr;
    EXPECT_EQ(Stored(v), "null");
    LONGLONG wide = 5;
    v.vt = VT_BYREF | VT_I8;
    v.pllVal = &wide;
    EXPECT_EQ(Stored(v), "null");
}

TEST_F(VariantBytesTest, StringsGiveTheirUtf16BytesWithoutTerminator) {
    Bstr text(L"AB");
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text.Get();
    EXPECT_EQ(Stored(v), std::string("A\0B\0", 4));
    BSTR ref = text.Get();
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = &ref;
    EXPECT_EQ(Stored(v), std::string("A\0B\0", 4));
    v.vt = VT_BSTR;
    v.bstrVal = nullptr;
    EXPECT_EQ(Stored(v), "null");
    ref = nullptr;
    v.vt = VT_BYREF | VT_BSTR;
    v.pbstrVal = &ref;
    EXPECT_EQ(Stored(v), "null");
    v.pbstrVal = nullptr;
    EXPECT_EQ(Stored(v), "null");
    // A string of one NUL character still has two bytes.
    Bstr nul(std::u16string_view(u"\0", 1));
    v.vt = VT_BSTR;
    v.bstrVal = nul.Get();
    EXPECT_EQ(Stored(v), std::string("\0\0", 2));
}

TEST_F(VariantBytesTest, VariantReferencesAreUnwrappedOnce) {
    VARIANT inner;
    ::VariantInit(&inner);
    inner.vt = VT_I2;
    inner.iVal = 0x4241;
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = &inner;
    EXPECT_EQ(Stored(v), "AB");

    // The referenced variant's own type decides, by reference too.
    SHORT referenced = 0x4443;
    inner.vt = VT_BYREF | VT_I2;
    inner.piVal = &referenced;
    EXPECT_EQ(Stored(v), "CD");
    inner.vt = VT_EMPTY;
    EXPECT_EQ(Stored(v), "null");
    v.pvarVal = nullptr;
    EXPECT_EQ(Stored(v), "null");

    // A reference to a reference is not followed (nor is one to itself).
    VARIANT twice;
    ::VariantInit(&twice);
    twice.vt = VT_BYREF | VT_VARIANT;
    twice.pvarVal = &twice;
    v.pvarVal = &twice;
    EXPECT_EQ(Stored(v), "null");
}

// What InsertBinary stores for a value, as the fixture's Stored answers it.
using StoreFunction = std::function<std::string(const VARIANT&)>;

// A byte array by value, by reference, and as VBScript passes an array variable.
void ExpectByteArrayEveryWay(const StoreFunction& stored) {
    SAFEARRAY* bytes = MakeArray(VT_UI1, {{3, 5}});
    FillBytes(bytes, 3);
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = bytes;
    EXPECT_EQ(stored(v), "abc");
    v.vt = VT_BYREF | VT_ARRAY | VT_UI1;
    v.pparray = &bytes;
    EXPECT_EQ(stored(v), "abc");
    // As VBScript passes an array variable: a reference to a VARIANT holding the array.
    VARIANT holder;
    ::VariantInit(&holder);
    holder.vt = VT_ARRAY | VT_UI1;
    holder.parray = bytes;
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = &holder;
    EXPECT_EQ(stored(v), "abc");
    ::SafeArrayDestroy(bytes);
}

// Element size x every dimension's count, by value and by reference.
void ExpectEveryDimensionCounted(const StoreFunction& stored) {
    VARIANT v;
    ::VariantInit(&v);
    SAFEARRAY* grid = MakeArray(VT_I2, {{2, 0}, {3, 1}});
    FillBytes(grid, 12);
    v.vt = VT_ARRAY | VT_I2;
    v.parray = grid;
    EXPECT_EQ(stored(v), "abcdefghijkl");
    v.vt = VT_BYREF | VT_ARRAY | VT_I2;
    v.pparray = &grid;
    EXPECT_EQ(stored(v), "abcdefghijkl");
    ::SafeArrayDestroy(grid);
    SAFEARRAY* cube = MakeArray(VT_R4, {{2, 0}, {1, -4}, {2, 7}});
    FillBytes(cube, 16);
    v.vt = VT_ARRAY | VT_R4;
    v.parray = cube;
    EXPECT_EQ(stored(v), "abcdefghijklmnop");
    ::SafeArrayDestroy(cube);
    // One empty dimension empties the whole array.
    SAFEARRAY* hollow = MakeArray(VT_UI1, {{4, 0}, {0, 0}});
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = hollow;
    EXPECT_EQ(stored(v), "null");
    ::SafeArrayDestroy(hollow);
}

// Descriptors with no dimensions or no element size, empty arrays and none at all.
void ExpectDescriptorsWithoutDataGiveNothing(const StoreFunction& stored) {
    std::uint8_t storage[4] = {'w', 'x', 'y', 'z'};
    SAFEARRAY handmade{};
    handmade.cDims = 0;
    handmade.cbElements = 1;
    handmade.pvData = storage;
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = &handmade;
    EXPECT_EQ(stored(v), "null");
    handmade.cDims = 1;
    handmade.cbElements = 0;
    handmade.rgsabound[0].cElements = 4;
    EXPECT_EQ(stored(v), "null");
    handmade.cbElements = 1;
    EXPECT_EQ(stored(v), "wxyz");

    SAFEARRAY* empty = MakeArray(VT_UI1, {{0, 0}});
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = empty;
    EXPECT_EQ(stored(v), "null");
    ::SafeArrayDestroy(empty);
    v.parray = nullptr;
    EXPECT_EQ(stored(v), "null");
}

// Arrays of variants, strings or objects hold pointers, not data.
void ExpectPointerArraysGiveNothing(const StoreFunction& stored) {
    VARIANT v;
    ::VariantInit(&v);
    SAFEARRAY* variants = MakeArray(VT_VARIANT, {{2, 0}});
    v.vt = VT_ARRAY | VT_VARIANT;
    v.parray = variants;
    EXPECT_EQ(stored(v), "null");
    v.vt = VT_BYREF | VT_ARRAY | VT_VARIANT;
    v.pparray = &variants;
    EXPECT_EQ(stored(v), "null");
    ::SafeArrayDestroy(variants);
    SAFEARRAY* strings = MakeArray(VT_BSTR, {{2, 0}});
    v.vt = VT_ARRAY | VT_BSTR;
    v.parray = strings;
    EXPECT_EQ(stored(v), "null");
    ::SafeArrayDestroy(strings);
}

TEST_F(VariantBytesTest, ArraysGiveTheirWholeData) {
    const StoreFunction stored = [this](const VARIANT& value) { return Stored(value); };
    ExpectByteArrayEveryWay(stored);
    ExpectEveryDimensionCounted(stored);
    ExpectDescriptorsWithoutDataGiveNothing(stored);
    ExpectPointerArraysGiveNothing(stored);
}

TEST_F(VariantBytesTest, ObjectsGiveTheirDefaultMember) {
    Bstr text(L"hi");
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = text.Get();
    DefaultMemberObject object(DefaultMemberObject::Mode::kValue, value);
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = &object;
    EXPECT_EQ(Stored(v), std::string("h\0i\0", 4));
    EXPECT_EQ(object.calls, 1);
    EXPECT_EQ(object.lastId, DISPID_VALUE);
    EXPECT_TRUE(object.nullIid);
    EXPECT_EQ(object.lastLocale, 0x0800u);
    EXPECT_EQ(object.lastFlags, DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    EXPECT_EQ(object.lastArgs, 0u);

    // A variable holding the object, passed by reference as VBScript does, is unwrapped to it.
    VARIANT holder;
    ::VariantInit(&holder);
    holder.vt = VT_DISPATCH;
    holder.pdispVal = &object;
    VARIANT byRef;
    ::VariantInit(&byRef);
    byRef.vt = VT_BYREF | VT_VARIANT;
    byRef.pvarVal = &holder;
    EXPECT_EQ(Stored(byRef), std::string("h\0i\0", 4));
    EXPECT_EQ(object.calls, 2);

    // By reference, objects give nothing.
    IDispatch* ref = &object;
    v.vt = VT_BYREF | VT_DISPATCH;
    v.ppdispVal = &ref;
    EXPECT_EQ(Stored(v), "null");
    EXPECT_EQ(object.calls, 2);

    // The member's result goes through the table again: a byte array gives its bytes.
    SAFEARRAY* bytes = MakeArray(VT_UI1, {{3, 0}});
    FillBytes(bytes, 3);
    VARIANT array;
    ::VariantInit(&array);
    array.vt = VT_ARRAY | VT_UI1;
    array.parray = bytes;
    DefaultMemberObject arrayObject(DefaultMemberObject::Mode::kValue, array);
    ::SafeArrayDestroy(bytes);
    v.vt = VT_DISPATCH;
    v.pdispVal = &arrayObject;
    EXPECT_EQ(Stored(v), "abc");

    DefaultMemberObject failing(DefaultMemberObject::Mode::kFail, value);
    v.vt = VT_DISPATCH;
    v.pdispVal = &failing;
    EXPECT_EQ(Stored(v), "null");
    EXPECT_EQ(failing.calls, 1);

    // An object that answers itself is followed a bounded number of times.
    DefaultMemberObject self(DefaultMemberObject::Mode::kSelf, value);
    v.pdispVal = &self;
    EXPECT_EQ(Stored(v), "null");
    EXPECT_EQ(self.calls, 8);

    v.pdispVal = nullptr;
    EXPECT_EQ(Stored(v), "null");
}

}  // namespace
}  // namespace resmelder::com::test
