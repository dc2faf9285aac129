#include "res_bundle_win.h"

#include <new>
#include <string_view>

#include "error_report_win.h"
#include "identities_win.h"
#include "support/encoding.h"
#include "support/windows_version.h"
#include "variant_bytes_win.h"

namespace resmelder::com {
namespace {

// Resource names are held in the ANSI code page.
std::string AnsiName(BSTR name) {
    std::string out;
    EncodingConvert::Utf16ToAnsi(BstrView(name), out);
    return out;
}

// File names go to the file layer straight from UTF-16, so names outside the ANSI code page
// still reach the wide file functions.
XString FileName(BSTR name) {
    return XString::FromUtf16(BstrView(name));
}

HRESULT ReportNotFound(const std::string& name) {
    return ReportFailure(std::string(texts::kNoResourceData) + name);
}

// The host's executable; empty when its name cannot be had whole.
XString HostExecutable() {
    if (!WindowsVersion::Current().IsWin9x()) {
        std::wstring path(32768, L'\0');
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n != 0 && n < path.size()) {
            return XString::FromUtf16(std::u16string(path.begin(), path.begin() + n));
        }
    }
    char path[1024] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) {
        return {};  // a truncated name could name another file
    }
    return XString::FromAnsi(std::string_view(path, n));
}

}  // namespace

HRESULT CreateResBundle(REFIID iid, void** out) {
    auto* object = new (std::nothrow) CResBundle();
    if (object == nullptr) {
        return E_OUTOFMEMORY;
    }
    object->AddRef();
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

// Invisible at run time; two inches square in a designer.
constexpr ControlTraits kResBundleControl = {&kClsidResBundle, kMiscStatus, kToolboxBitmapResource,
                                             SIZEL{5080, 5080}};

CResBundle::CResBundle() : OleControl(kResBundleControl) {}

CResBundle::~CResBundle() = default;

STDMETHODIMP CResBundle::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    struct Entry {
        const IID& iid;
        IUnknown* pointer;
    };
    const Entry entries[] = {
        {IID_IUnknown, static_cast<IResBundle*>(this)},
        {kIidResBundle, static_cast<IResBundle*>(this)},
        {IID_IDispatch, static_cast<IResBundle*>(this)},
        {IID_IViewObjectEx, static_cast<IViewObjectEx*>(this)},
        {IID_IViewObject2, static_cast<IViewObjectEx*>(this)},
        {IID_IViewObject, static_cast<IViewObjectEx*>(this)},
        {IID_IOleInPlaceObjectWindowless, static_cast<IOleInPlaceObjectWindowless*>(this)},
        {IID_IOleInPlaceObject, static_cast<IOleInPlaceObjectWindowless*>(this)},
        {IID_IOleWindow, static_cast<IOleInPlaceObjectWindowless*>(this)},
        {IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
        {IID_IOleControl, static_cast<IOleControl*>(this)},
        {IID_IOleObject, static_cast<IOleObject*>(this)},
        {IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
        {IID_IPersist, static_cast<IPersistStreamInit*>(this)},
        {IID_ISupportErrorInfo, static_cast<ISupportErrorInfo*>(this)},
        {IID_ISpecifyPropertyPages, static_cast<ISpecifyPropertyPages*>(this)},
        {IID_IQuickActivate, static_cast<IQuickActivate*>(this)},
        {IID_IPersistStorage, static_cast<IPersistStorage*>(this)},
        {IID_IDataObject, static_cast<IDataObject*>(this)},
        {IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
        {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)},
    };
    for (const auto& entry : entries) {
        if (IsEqualIID(iid, entry.iid)) {
            entry.pointer->AddRef();
            *out = entry.pointer;
            return S_OK;
        }
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CResBundle::AddRef() {
    return static_cast<ULONG>(++refs_);
}

STDMETHODIMP_(ULONG) CResBundle::Release() {
    const LONG left = --refs_;
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT CResBundle::TypeInfo(ComPtr<ITypeInfo>& out) {
    if (!typeInfo_) {
        const HRESULT hr = LoadModuleTypeInfo(kIidResBundle, typeInfo_);
        if (FAILED(hr)) {
            return hr;
        }
    }
    out = typeInfo_;
    return S_OK;
}

STDMETHODIMP CResBundle::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return BadPointer();
    }
    *count = 1;
    return S_OK;
}

STDMETHODIMP CResBundle::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) {
        return BadPointer();
    }
    *info = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    ComPtr<ITypeInfo> type;
    const HRESULT hr = TypeInfo(type);
    if (SUCCEEDED(hr)) {
        *info = type.Detach();
    }
    return hr;
}

STDMETHODIMP CResBundle::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    ComPtr<ITypeInfo> type;
    const HRESULT hr = TypeInfo(type);
    if (FAILED(hr)) {
        return hr;
    }
    return ::DispGetIDsOfNames(type.Get(), names, count, ids);
}

STDMETHODIMP CResBundle::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (!IsEqualIID(iid, IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    ComPtr<ITypeInfo> type;
    const HRESULT hr = TypeInfo(type);
    if (FAILED(hr)) {
        return hr;
    }
    return type->Invoke(static_cast<IResBundle*>(this), id, flags, params, result, exception,
                        argError);
}

HRESULT CResBundle::OpenImage(const XString& fileName, const char* failure) {
    image_ = ExeImage::Load(fileName, &log_);
    return image_ ? S_OK : ReportFailure(failure);
}

STDMETHODIMP CResBundle::OpenExe(BSTR exeFilename) {
    image_.reset();
    const XString name = FileName(exeFilename);
    if (!FileSys::FileCanOpen(name, &log_)) {
        return FailWithoutReport();
    }
    return OpenImage(name, texts::kLoadFailed);
}

STDMETHODIMP CResBundle::OpenMyExe() {
    image_.reset();
    const XString name = HostExecutable();
    if (name.IsEmpty()) {
        return ReportFailure(texts::kOwnExeFailed);
    }
    return OpenImage(name, texts::kOwnExeFailed);
}

STDMETHODIMP CResBundle::WriteExe(BSTR exeFilename) {
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    bool written = false;
    {
        LogContext context(&log_, "WriteExe");
        written = image_->Write(FileName(exeFilename), &log_);
    }
    return written ? S_OK : ReportLog();
}

HRESULT CResBundle::ReportLog() {
    StringBuffer text;
    log_.GetLogText(text);
    return ReportFailure(text.View());
}

// An entry the tree refused would otherwise vanish unnoticed from the written executable, so
// the refusal is a failure with the log as its description, as for a failed write.
STDMETHODIMP CResBundle::InsertFile(BSTR resourceName, BSTR filename) {
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    // A FIFO or a device would block the write, or never end: refused now, not at the write.
    const XString data = FileName(filename);
    return FileSys::CheckRegularOrMissing(data, &log_) &&
                   image_->AddFile(AnsiName(resourceName), data, &log_)
               ? S_OK
               : ReportLog();
}

STDMETHODIMP CResBundle::InsertString(BSTR resourceName, BSTR str) {
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    const std::string text = AnsiName(str);
    return image_->AddBytes(AnsiName(resourceName),
                            {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                            &log_)
               ? S_OK
               : ReportLog();
}

STDMETHODIMP CResBundle::InsertBinary(BSTR resourceName, VARIANT binaryData) {
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    const auto bytes = VariantToBytes(binaryData);
    return image_->AddBytes(AnsiName(resourceName), bytes, &log_) ? S_OK : ReportLog();
}

STDMETHODIMP CResBundle::Delete(BSTR resourceName) {
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    image_->DeleteNamed(AnsiName(resourceName));
    return S_OK;
}

STDMETHODIMP CResBundle::GetBinary(BSTR resourceName, VARIANT* binaryData) {
    if (binaryData == nullptr) {
        return BadPointer();
    }
    // An out value is defined on every path: a marshaller copies it back even on failure.
    ::VariantInit(binaryData);
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    const std::string name = AnsiName(resourceName);
    const auto found = image_->FindNamed(name, nullptr);
    if (!found) {
        return ReportNotFound(name);
    }
    if (found->data == nullptr || found->size == 0) {
        binaryData->vt = VT_NULL;
        return S_OK;
    }
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, found->size);
    if (array == nullptr) {
        return OutOfMemory();
    }
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(array, &data))) {
        ::SafeArrayDestroy(array);
        return OutOfMemory();
    }
    std::memcpy(data, found->data, found->size);
    ::SafeArrayUnaccessData(array);
    binaryData->vt = VT_ARRAY | VT_UI1;
    binaryData->parray = array;
    return S_OK;
}

STDMETHODIMP CResBundle::GetString(BSTR resourceName, BSTR* str) {
    if (str == nullptr) {
        return BadPointer();
    }
    *str = nullptr;
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    std::u16string text;
    if (const auto found = image_->FindNamed(AnsiName(resourceName), nullptr);
        found && found->data != nullptr) {
        EncodingConvert::AnsiToUtf16(
            std::string_view(reinterpret_cast<const char*>(found->data), found->size), text);
    }
    Bstr result(text);
    if (result.Get() == nullptr) {
        return OutOfMemory();
    }
    *str = result.Detach();
    return S_OK;
}

STDMETHODIMP CResBundle::Extract(BSTR resourceName, BSTR filename) {
    if (!image_) {
        return ReportFailure(texts::kNoExeOpen);
    }
    const std::string name = AnsiName(resourceName);
    const auto found = image_->FindNamed(name, nullptr);
    if (!found) {
        return ReportNotFound(name);
    }
    const std::span<const std::uint8_t> bytes(found->data, found->data ? found->size : 0);
    // Replaced as an executable is, so a failure leaves an existing file whole; never over
    // the open executable itself, under whatever name it is given.
    const XString target = FileName(filename);
    if (IsInputFile(image_->SourceIdentity(), target, &log_) ||
        !ReplaceWholeFile(target, bytes, &log_)) {
        return ReportFailure(texts::kWriteFileFailed);
    }
    return S_OK;
}

STDMETHODIMP CResBundle::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, kIidResBundle) ? S_OK : S_FALSE;
}

}  // namespace resmelder::com
