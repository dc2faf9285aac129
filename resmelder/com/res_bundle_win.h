#pragma once
// CResBundle: the creatable control whose dispatch interface IResBundle opens an executable,
// edits the named entries of its resource tree and writes a new executable.

#include <windows.h>

#include <memory>
#include <string>

#include "com_ptr_win.h"
#include "image/exe_image.h"
#include "module_win.h"
#include "ole_control_win.h"
#include "resbundle_h.h"
#include "support/log.h"

namespace resmelder::com {

/// Creates an instance and answers the interface `iid` of it.
HRESULT CreateResBundle(REFIID iid, void** out);

class CResBundle final : public IResBundle, public ISupportErrorInfo, public OleControl {
  public:
    CResBundle();
    CResBundle(const CResBundle&) = delete;
    CResBundle& operator=(const CResBundle&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, served from the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

    // IResBundle
    STDMETHODIMP OpenExe(BSTR exeFilename) override;
    STDMETHODIMP WriteExe(BSTR exeFilename) override;
    STDMETHODIMP InsertFile(BSTR resourceName, BSTR filename) override;
    STDMETHODIMP InsertString(BSTR resourceName, BSTR str) override;
    STDMETHODIMP InsertBinary(BSTR resourceName, VARIANT binaryData) override;
    STDMETHODIMP Delete(BSTR resourceName) override;
    STDMETHODIMP GetBinary(BSTR resourceName, VARIANT* binaryData) override;
    STDMETHODIMP GetString(BSTR resourceName, BSTR* str) override;
    STDMETHODIMP OpenMyExe() override;
    STDMETHODIMP Extract(BSTR resourceName, BSTR filename) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

  private:
    ~CResBundle() override;
    HRESULT TypeInfo(ComPtr<ITypeInfo>& out);
    HRESULT OpenImage(const XString& fileName, const char* failure);
    /// E_FAIL with the whole instance log as the description.
    HRESULT ReportLog();

    ModuleObject counted_;
    LONG refs_ = 0;
    ComPtr<ITypeInfo> typeInfo_;
    // The log outlives the image: the image may log while it is torn down.
    Logger log_;
    std::unique_ptr<ExeImage> image_;
};

}  // namespace resmelder::com
