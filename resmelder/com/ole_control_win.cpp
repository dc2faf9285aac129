// The control's face to its container: view, object, data object, class information and
// quick activation. In-place activation is in ole_control_in_place_win.cpp, persistence in
// ole_control_persist_win.cpp.

#include "ole_control_win.h"

#include <algorithm>

#include "module_win.h"

namespace resmelder::com {

void DrawDesignPicture(HDC dc, const RECTL& bounds, HMODULE module, int bitmapId) {
    ::Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    win::UniqueBitmap bitmap(::LoadBitmapW(module, MAKEINTRESOURCEW(bitmapId)));
    BITMAP info{};
    if (!bitmap || ::GetObjectW(bitmap.get(), sizeof info, &info) == 0) {
        return;
    }
    win::UniqueOwnedDc memory(::CreateCompatibleDC(dc));
    if (!memory) {
        return;
    }
    win::SelectGuard selected(memory.get(), bitmap.get());
    const LONG width = std::min<LONG>(info.bmWidth, bounds.right - bounds.left);
    const LONG height = std::min<LONG>(info.bmHeight, bounds.bottom - bounds.top);
    if (width > 0 && height > 0) {
        ::BitBlt(dc, bounds.left, bounds.top, width, height, memory.get(), 0, 0, SRCCOPY);
    }
}

OleControl::~OleControl() {
    if (window_) {
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    }
}

void OleControl::OnDraw(HDC dc, const RECTL& bounds) {
    DrawDesignPicture(dc, bounds, ModuleHandle(), traits_.pictureBitmapId);
}

void OleControl::ViewChanged() {
    if (viewSink_) {
        viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
    }
}

// --- IViewObject, IViewObject2, IViewObjectEx ---

STDMETHODIMP OleControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                              LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                              ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (dc == nullptr) {
        return E_INVALIDARG;
    }
    // A windowless container may leave the bounds to the position it gave.
    RECTL area{position_.left, position_.top, position_.right, position_.bottom};
    if (bounds != nullptr) {
        area = *bounds;
    } else if (!inPlaceSite_ || !windowless_) {
        return E_INVALIDARG;
    }
    OnDraw(dc, area);
    return S_OK;
}

STDMETHODIMP OleControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::Freeze(DWORD, LONG, void*, DWORD*) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::Unfreeze(DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
    viewSink_ = ComPtr<IAdviseSink>(sink);
    viewAspects_ = aspects;
    viewFlags_ = flags;
    return S_OK;
}

STDMETHODIMP OleControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects != nullptr) {
        *aspects = viewAspects_;
    }
    if (flags != nullptr) {
        *flags = viewFlags_;
    }
    if (sink != nullptr) {
        *sink = ComPtr<IAdviseSink>(viewSink_).Detach();
    }
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

STDMETHODIMP OleControl::GetRect(DWORD, LPRECTL) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::GetViewStatus(DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = 0;  // drawn with whatever brush the container selected: not known to be opaque
    return S_OK;
}

STDMETHODIMP OleControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT where, LONG,
                                       DWORD* hit) {
    if (bounds == nullptr || hit == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *hit = ::PtInRect(bounds, where) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP OleControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG,
                                      DWORD* hit) {
    if (bounds == nullptr || rect == nullptr || hit == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    RECT common{};
    *hit = ::IntersectRect(&common, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
    return S_OK;
}

STDMETHODIMP OleControl::GetNaturalExtent(DWORD aspect, LONG, DVTARGETDEVICE*, HDC,
                                          DVEXTENTINFO* info, LPSIZEL size) {
    if (info == nullptr || size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT || info->dwExtentMode != DVEXTENT_CONTENT) {
        return E_NOTIMPL;
    }
    *size = traits_.extent;
    return S_OK;
}

// --- IOleControl ---

STDMETHODIMP OleControl::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    info->hAccel = nullptr;
    info->cAccel = 0;
    info->dwFlags = 0;
    return S_OK;
}

STDMETHODIMP OleControl::OnMnemonic(MSG*) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::OnAmbientPropertyChange(DISPID) {
    return S_OK;
}

STDMETHODIMP OleControl::FreezeEvents(BOOL) {
    return S_OK;
}

// --- IOleObject ---

STDMETHODIMP OleControl::SetClientSite(IOleClientSite* site) {
    clientSite_ = ComPtr<IOleClientSite>(site);
    return S_OK;
}

STDMETHODIMP OleControl::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) {
        return E_POINTER;
    }
    *site = ComPtr<IOleClientSite>(clientSite_).Detach();
    return S_OK;
}

STDMETHODIMP OleControl::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP OleControl::Close(DWORD saveOption) {
    InPlaceDeactivate();
    if (dirty_ && clientSite_ &&
        (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) {
        clientSite_->SaveObject();
    }
    if (oleAdvise_) {
        oleAdvise_->SendOnClose();
    }
    return S_OK;
}

STDMETHODIMP OleControl::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) {
        *moniker = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) {
        *data = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::EnumVerbs(IEnumOLEVERB** verbs) {
    return ::OleRegEnumVerbs(*traits_.clsid, verbs);
}

STDMETHODIMP OleControl::Update() {
    return S_OK;
}

STDMETHODIMP OleControl::IsUpToDate() {
    return S_OK;
}

STDMETHODIMP OleControl::GetUserClassID(CLSID* clsid) {
    return GetClassID(clsid);
}

STDMETHODIMP OleControl::GetUserType(DWORD form, LPOLESTR* name) {
    return ::OleRegGetUserType(*traits_.clsid, form, name);
}

STDMETHODIMP OleControl::SetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    if (size->cx != extent_.cx || size->cy != extent_.cy) {
        extent_ = *size;
        dirty_ = true;
        ViewChanged();
    }
    return S_OK;
}

STDMETHODIMP OleControl::GetExtent(DWORD aspect, SIZEL* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    if (aspect != DVASPECT_CONTENT) {
        return DV_E_DVASPECT;
    }
    *size = extent_;
    return S_OK;
}

STDMETHODIMP OleControl::Advise(IAdviseSink* sink, DWORD* connection) {
    if (!oleAdvise_ && FAILED(::CreateOleAdviseHolder(oleAdvise_.Put()))) {
        return E_OUTOFMEMORY;
    }
    return oleAdvise_->Advise(sink, connection);
}

STDMETHODIMP OleControl::Unadvise(DWORD connection) {
    return oleAdvise_ ? oleAdvise_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP OleControl::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises == nullptr) {
        return E_POINTER;
    }
    *advises = nullptr;
    return oleAdvise_ ? oleAdvise_->EnumAdvise(advises) : E_FAIL;
}

STDMETHODIMP OleControl::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) {
        return E_POINTER;
    }
    *status = traits_.miscStatus;
    return S_OK;
}

STDMETHODIMP OleControl::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

// --- ISpecifyPropertyPages ---

STDMETHODIMP OleControl::GetPages(CAUUID* pages) {
    if (pages == nullptr) {
        return E_POINTER;
    }
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

// --- IQuickActivate ---

STDMETHODIMP OleControl::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (container == nullptr || control == nullptr) {
        return E_POINTER;
    }
    if (control->cbSize < sizeof(QACONTROL)) {
        return E_UNEXPECTED;
    }
    SetClientSite(container->pClientSite);
    if (container->pAdviseSink != nullptr) {
        SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
    }
    control->dwMiscStatus = traits_.miscStatus;
    control->dwViewStatus = 0;
    control->dwEventCookie = 0;
    control->dwPropNotifyCookie = 0;
    control->dwPointerActivationPolicy = 0;
    return S_OK;
}

STDMETHODIMP OleControl::SetContentExtent(LPSIZEL size) {
    return SetExtent(DVASPECT_CONTENT, size);
}

STDMETHODIMP OleControl::GetContentExtent(LPSIZEL size) {
    return GetExtent(DVASPECT_CONTENT, size);
}

// --- IDataObject ---

STDMETHODIMP OleControl::GetData(FORMATETC*, STGMEDIUM*) {
    return DV_E_FORMATETC;
}

STDMETHODIMP OleControl::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return DV_E_FORMATETC;
}

STDMETHODIMP OleControl::QueryGetData(FORMATETC*) {
    return DV_E_FORMATETC;
}

STDMETHODIMP OleControl::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) {
    if (out != nullptr) {
        out->ptd = nullptr;
    }
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::EnumFormatEtc(DWORD, IEnumFORMATETC** formats) {
    if (formats != nullptr) {
        *formats = nullptr;
    }
    return OLE_S_USEREG;
}

STDMETHODIMP OleControl::DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                                 DWORD* connection) {
    if (!dataAdvise_ && FAILED(::CreateDataAdviseHolder(dataAdvise_.Put()))) {
        return E_OUTOFMEMORY;
    }
    return dataAdvise_->Advise(static_cast<IDataObject*>(this), format, flags, sink, connection);
}

STDMETHODIMP OleControl::DUnadvise(DWORD connection) {
    return dataAdvise_ ? dataAdvise_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP OleControl::EnumDAdvise(IEnumSTATDATA** advises) {
    if (advises == nullptr) {
        return E_POINTER;
    }
    *advises = nullptr;
    return dataAdvise_ ? dataAdvise_->EnumAdvise(advises) : E_FAIL;
}

// --- IProvideClassInfo, IProvideClassInfo2 ---

STDMETHODIMP OleControl::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    ComPtr<ITypeInfo> type;
    const HRESULT hr = LoadModuleTypeInfo(*traits_.clsid, type);
    if (SUCCEEDED(hr)) {
        *info = type.Detach();
    }
    return hr;
}

STDMETHODIMP OleControl::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) {
        return E_POINTER;
    }
    *guid = GUID_NULL;
    // The control raises no events: there is no source interface to name.
    return kind == GUIDKIND_DEFAULT_SOURCE_DISP_IID ? E_FAIL : E_INVALIDARG;
}

}  // namespace resmelder::com
