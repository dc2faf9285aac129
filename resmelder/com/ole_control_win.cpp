#include "ole_control_win.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "module_win.h"

namespace resmelder::com {
namespace {

constexpr const wchar_t* kWindowClass = L"ResmelderOleControl";
// Child, visible, clip siblings, clip children.
constexpr DWORD kWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr const wchar_t* kStorageStream = L"Contents";

// The persisted property set: a count, then for each property its name (length, bytes) and
// its 32-bit unsigned value. Unknown names are skipped, so later versions can add more.
constexpr std::string_view kWidthName = "_cx";
constexpr std::string_view kHeightName = "_cy";
constexpr ULONG kMaxProperties = 64;
constexpr ULONG kMaxNameLength = 64;

HRESULT WriteAll(IStream* stream, const void* bytes, ULONG n) {
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes, n, &written);
    return FAILED(hr) ? hr : written == n ? S_OK : STG_E_WRITEFAULT;
}

HRESULT ReadAll(IStream* stream, void* bytes, ULONG n) {
    ULONG read = 0;
    const HRESULT hr = stream->Read(bytes, n, &read);
    return FAILED(hr) ? hr : read == n ? S_OK : STG_E_READFAULT;
}

HRESULT WriteProperty(IStream* stream, std::string_view name, ULONG value) {
    const auto length = static_cast<ULONG>(name.size());
    HRESULT hr = WriteAll(stream, &length, sizeof length);
    if (SUCCEEDED(hr)) {
        hr = WriteAll(stream, name.data(), length);
    }
    return SUCCEEDED(hr) ? WriteAll(stream, &value, sizeof value) : hr;
}

ULONG PropertiesSize() {
    return static_cast<ULONG>(sizeof(ULONG) + 2 * (2 * sizeof(ULONG)) + kWidthName.size() +
                              kHeightName.size());
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* control = reinterpret_cast<OleControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && control != nullptr) {
        win::PaintGuard paint(window);
        control->PaintWindow(paint.dc());
        return 0;
    }
    return ::DefWindowProcW(window, message, w, l);
}

bool RegisterWindowClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ControlWindowProc;
    wc.hInstance = ModuleHandle();
    wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = kWindowClass;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

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

void OleControl::PaintWindow(HDC dc) {
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    OnDraw(dc, RECTL{client.left, client.top, client.right, client.bottom});
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

// --- IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless ---

STDMETHODIMP OleControl::GetWindow(HWND* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    *window = window_.get();
    return window_ ? S_OK : E_FAIL;
}

STDMETHODIMP OleControl::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::InPlaceDeactivate() {
    if (!inPlaceSite_) {
        return S_OK;
    }
    UIDeactivate();
    window_.reset();
    ComPtr<IOleInPlaceSite> site = inPlaceSite_;
    inPlaceSite_.Reset();
    ComPtr<IOleInPlaceSiteEx> siteEx;
    if (windowless_ && SUCCEEDED(site.As(IID_IOleInPlaceSiteEx, siteEx))) {
        siteEx->OnInPlaceDeactivateEx(TRUE);
    } else {
        site->OnInPlaceDeactivate();
    }
    windowless_ = false;
    return S_OK;
}

STDMETHODIMP OleControl::UIDeactivate() {
    if (uiActive_ && inPlaceSite_) {
        uiActive_ = false;
        inPlaceSite_->OnUIDeactivate(FALSE);
    }
    return S_OK;
}

STDMETHODIMP OleControl::SetObjectRects(LPCRECT position, LPCRECT) {
    if (position == nullptr) {
        return E_POINTER;
    }
    position_ = *position;
    if (window_) {
        ::MoveWindow(window_.get(), position_.left, position_.top, position_.right - position_.left,
                     position_.bottom - position_.top, TRUE);
    }
    return S_OK;
}

STDMETHODIMP OleControl::ReactivateAndUndo() {
    return E_NOTIMPL;
}

STDMETHODIMP OleControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) {
    return S_FALSE;  // nothing to handle: the container does the default
}

STDMETHODIMP OleControl::GetDropTarget(IDropTarget** target) {
    if (target != nullptr) {
        *target = nullptr;
    }
    return E_NOTIMPL;
}

// --- IOleInPlaceActiveObject ---

STDMETHODIMP OleControl::TranslateAccelerator(LPMSG) {
    return S_FALSE;
}

STDMETHODIMP OleControl::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

STDMETHODIMP OleControl::OnDocWindowActivate(BOOL) {
    return S_OK;
}

STDMETHODIMP OleControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

STDMETHODIMP OleControl::EnableModeless(BOOL) {
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

HRESULT OleControl::ActivateInPlace(LONG verb) {
    if (!clientSite_) {
        return E_UNEXPECTED;
    }
    if (!inPlaceSite_) {
        ComPtr<IOleInPlaceSiteWindowless> windowless;
        ComPtr<IOleInPlaceSite> site;
        if (SUCCEEDED(clientSite_.As(IID_IOleInPlaceSiteWindowless, windowless)) &&
            windowless->CanWindowlessActivate() == S_OK) {
            windowless_ = true;
            site = ComPtr<IOleInPlaceSite>(windowless.Get());
        } else if (FAILED(clientSite_.As(IID_IOleInPlaceSite, site))) {
            return OLEOBJ_S_CANNOT_DOVERB_NOW;  // a container without in-place activation
        }
        if (site->CanInPlaceActivate() != S_OK) {
            windowless_ = false;
            return E_FAIL;
        }
        BOOL noRedraw = FALSE;
        if (windowless_) {
            windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
        } else {
            site->OnInPlaceActivate();
        }
        inPlaceSite_ = site;

        ComPtr<IOleInPlaceFrame> frame;
        ComPtr<IOleInPlaceUIWindow> document;
        RECT position{};
        RECT clip{};
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        if (SUCCEEDED(site->GetWindowContext(frame.Put(), document.Put(), &position, &clip,
                                             &frameInfo))) {
            position_ = position;
        }
        HWND parent = nullptr;
        if (!windowless_ && SUCCEEDED(site->GetWindow(&parent)) && RegisterWindowClass()) {
            window_.reset(::CreateWindowExW(0, kWindowClass, L"", kWindowStyle, position_.left,
                                            position_.top, position_.right - position_.left,
                                            position_.bottom - position_.top, parent, nullptr,
                                            ModuleHandle(), nullptr));
            if (window_) {
                ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            }
        }
    }
    if (verb == OLEIVERB_UIACTIVATE && !uiActive_) {
        uiActive_ = true;
        inPlaceSite_->OnUIActivate();
    }
    return S_OK;
}

STDMETHODIMP OleControl::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT position) {
    if (position != nullptr) {
        position_ = *position;
    }
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE:
            return ActivateInPlace(verb);
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (window_) {
                ::ShowWindow(window_.get(), SW_HIDE);
            }
            return S_OK;
        default:
            if (verb > 0) {
                // Unknown positive verbs act as the primary verb.
                const HRESULT hr = ActivateInPlace(OLEIVERB_PRIMARY);
                return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
            }
            return E_NOTIMPL;  // open, properties, discard undo state: nothing to offer
    }
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

// --- IPersist, IPersistStreamInit, IPersistStorage ---

STDMETHODIMP OleControl::GetClassID(CLSID* clsid) {
    if (clsid == nullptr) {
        return E_POINTER;
    }
    *clsid = *traits_.clsid;
    return S_OK;
}

STDMETHODIMP OleControl::IsDirty() {
    return dirty_ ? S_OK : S_FALSE;
}

STDMETHODIMP OleControl::Load(IStream* stream) {
    if (stream == nullptr) {
        return E_POINTER;
    }
    ULONG count = 0;
    HRESULT hr = ReadAll(stream, &count, sizeof count);
    if (FAILED(hr)) {
        return hr;
    }
    if (count > kMaxProperties) {
        return STG_E_READFAULT;
    }
    SIZEL extent = traits_.extent;
    for (ULONG i = 0; i < count; ++i) {
        ULONG length = 0;
        std::array<char, kMaxNameLength> name{};
        ULONG value = 0;
        hr = ReadAll(stream, &length, sizeof length);
        if (SUCCEEDED(hr) && length > kMaxNameLength) {
            hr = STG_E_READFAULT;
        }
        if (SUCCEEDED(hr)) {
            hr = ReadAll(stream, name.data(), length);
        }
        if (SUCCEEDED(hr)) {
            hr = ReadAll(stream, &value, sizeof value);
        }
        if (FAILED(hr)) {
            return hr;  // the extent stays as it was
        }
        const std::string_view key(name.data(), length);
        if (key == kWidthName) {
            extent.cx = static_cast<LONG>(value);
        } else if (key == kHeightName) {
            extent.cy = static_cast<LONG>(value);
        }
    }
    extent_ = extent;
    dirty_ = false;
    ViewChanged();
    return S_OK;
}

STDMETHODIMP OleControl::Save(IStream* stream, BOOL clearDirty) {
    if (stream == nullptr) {
        return E_POINTER;
    }
    const ULONG count = 2;
    HRESULT hr = WriteAll(stream, &count, sizeof count);
    if (SUCCEEDED(hr)) {
        hr = WriteProperty(stream, kWidthName, static_cast<ULONG>(extent_.cx));
    }
    if (SUCCEEDED(hr)) {
        hr = WriteProperty(stream, kHeightName, static_cast<ULONG>(extent_.cy));
    }
    if (SUCCEEDED(hr) && clearDirty) {
        dirty_ = false;
    }
    return hr;
}

STDMETHODIMP OleControl::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) {
        return E_POINTER;
    }
    size->QuadPart = PropertiesSize();
    return S_OK;
}

STDMETHODIMP OleControl::InitNew() {
    extent_ = traits_.extent;
    dirty_ = false;
    return S_OK;
}

STDMETHODIMP OleControl::InitNew(IStorage* storage) {
    return storage == nullptr ? E_POINTER : InitNew();
}

STDMETHODIMP OleControl::Load(IStorage* storage) {
    if (storage == nullptr) {
        return E_POINTER;
    }
    ComPtr<IStream> stream;
    const HRESULT hr = storage->OpenStream(kStorageStream, nullptr,
                                           STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
    return FAILED(hr) ? hr : Load(stream.Get());
}

STDMETHODIMP OleControl::Save(IStorage* storage, BOOL) {
    if (storage == nullptr) {
        return E_POINTER;
    }
    ComPtr<IStream> stream;
    const HRESULT hr = storage->CreateStream(
        kStorageStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Put());
    return FAILED(hr) ? hr : Save(stream.Get(), TRUE);
}

STDMETHODIMP OleControl::SaveCompleted(IStorage*) {
    return S_OK;
}

STDMETHODIMP OleControl::HandsOffStorage() {
    return S_OK;
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
