#include "variant_bytes_win.h"

#include <oleauto.h>

#include <cstring>
#include <limits>

#include "com_ptr_win.h"

namespace resmelder::com {
namespace {

using Bytes = std::vector<std::uint8_t>;

// An object whose default member answers another object is followed this far, no further:
// one that answers itself would otherwise recurse until the stack runs out.
constexpr int kMaxDefaultMemberDepth = 8;
constexpr LCID kDefaultMemberLocale = 0x0800;

Bytes Raw(const void* p, std::size_t n) {
    if (p == nullptr) {
        return {};
    }
    const auto* bytes = static_cast<const std::uint8_t*>(p);
    return Bytes(bytes, bytes + n);
}

Bytes StringBytes(BSTR s) {
    return s == nullptr ? Bytes{} : Raw(s, ::SysStringByteLen(s));
}

Bytes ArrayBytes(SAFEARRAY* array, VARTYPE elementType) {
    if (array == nullptr) {
        return {};
    }
    // Elements that are pointers (strings, objects, variants, records) have no bytes of their
    // own to give: copying them would write addresses into the resource.
    constexpr USHORT kPointerElements =
        FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH | FADF_VARIANT | FADF_RECORD;
    if (elementType == VT_VARIANT || elementType == VT_BSTR || elementType == VT_DISPATCH ||
        elementType == VT_UNKNOWN || elementType == VT_RECORD ||
        (array->fFeatures & kPointerElements) != 0) {
        return {};
    }
    if (array->cDims == 0 || array->cbElements == 0) {
        return {};
    }
    std::uint64_t size = array->cbElements;
    for (USHORT d = 0; d < array->cDims; ++d) {
        const ULONG count = array->rgsabound[d].cElements;
        if (count != 0 && size > std::numeric_limits<std::uint32_t>::max() / count) {
            return {};  // no array that large exists: the descriptor is damaged
        }
        size *= count;
    }
    void* data = nullptr;
    if (size == 0 || FAILED(::SafeArrayAccessData(array, &data))) {
        return {};
    }
    Bytes out = Raw(data, static_cast<std::size_t>(size));
    ::SafeArrayUnaccessData(array);
    return out;
}

Bytes Convert(const VARIANT& value, bool unwrapped, int depth);

Bytes DefaultMember(IDispatch* object, int depth) {
    if (object == nullptr || depth >= kMaxDefaultMemberDepth) {
        return {};
    }
    DISPPARAMS none{};
    Variant result;
    if (FAILED(object->Invoke(DISPID_VALUE, IID_NULL, kDefaultMemberLocale,
                              DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none, result.Get(), nullptr,
                              nullptr))) {
        return {};
    }
    return Convert(*result, false, depth + 1);
}

Bytes Convert(const VARIANT& value, bool unwrapped, int depth) {
    const VARTYPE type = value.vt & VT_TYPEMASK;
    const bool byRef = (value.vt & VT_BYREF) != 0;
    if ((value.vt & VT_ARRAY) != 0) {
        SAFEARRAY* array =
            byRef ? (value.pparray != nullptr ? *value.pparray : nullptr) : value.parray;
        return ArrayBytes(array, type);
    }
    if (byRef) {
        switch (type) {
            case VT_VARIANT:
                // Unwrapped once only: a reference to a reference is not a value.
                if (unwrapped || value.pvarVal == nullptr) {
                    return {};
                }
                return Convert(*value.pvarVal, true, depth);
            case VT_UI1:
                return Raw(value.pbVal, 1);
            case VT_I2:
                return Raw(value.piVal, 2);
            case VT_BOOL:
                return Raw(value.pboolVal, 2);
            case VT_I4:
                return Raw(value.plVal, 4);
            case VT_R4:
                return Raw(value.pfltVal, 4);
            case VT_R8:
                return Raw(value.pdblVal, 8);
            case VT_BSTR:
                return value.pbstrVal != nullptr ? StringBytes(*value.pbstrVal) : Bytes{};
            default:
                return {};
        }
    }
    switch (type) {
        case VT_UI1:
            return Raw(&value.bVal, 1);
        case VT_I2:
            return Raw(&value.iVal, 2);
        case VT_BOOL:
            return Raw(&value.boolVal, 2);
        case VT_I4:
            return Raw(&value.lVal, 4);
        case VT_R4:
            return Raw(&value.fltVal, 4);
        case VT_R8:
            return Raw(&value.dblVal, 8);
        case VT_BSTR:
            return StringBytes(value.bstrVal);
        case VT_DISPATCH:
            return DefaultMember(value.pdispVal, depth);
        default:
            return {};
    }
}

}  // namespace

std::vector<std::uint8_t> VariantToBytes(const VARIANT& value) {
    return Convert(value, false, 0);
}

}  // namespace resmelder::com
