#include "error_report_win.h"

#include <oleauto.h>

#include <cstring>

#include "com_ptr_win.h"
#include "identities_win.h"
#include "module_win.h"
#include "support/encoding.h"

namespace resmelder::com {

HRESULT ReportFailure(std::string_view ansiDescription) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(::CreateErrorInfo(create.Put()))) {
        return E_FAIL;
    }
    const RichErrorInfo& holder = ErrorHolder();
    std::u16string description;
    EncodingConvert::AnsiToUtf16(ansiDescription, description);
    const std::u16string source = holder.Source().ToUtf16();
    GUID guid;
    std::memcpy(&guid, holder.Guid().data(), sizeof guid);

    Bstr descriptionText(description);
    Bstr sourceText(source);
    create->SetDescription(descriptionText.Get());
    create->SetGUID(guid);
    create->SetSource(sourceText.Get());
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(IID_IErrorInfo, info))) {
        ::SetErrorInfo(0, info.Get());
    }
    return E_FAIL;
}

HRESULT FailWithoutReport() {
    ::SetErrorInfo(0, nullptr);
    return E_FAIL;
}

HRESULT BadPointer() {
    return E_POINTER;
}

HRESULT OutOfMemory() {
    return E_OUTOFMEMORY;
}

}  // namespace resmelder::com
