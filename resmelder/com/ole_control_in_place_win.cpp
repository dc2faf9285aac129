// The control in place: windowless where the container allows it, else in a child window of
// its own; the verbs that activate it, and the in-place interfaces.

#include "ole_control_win.h"

#include "module_win.h"

namespace resmelder::com {
namespace {

constexpr const wchar_t* kWindowClass = L"ResmelderOleControl";
// Child, visible, clip siblings, clip children.
constexpr DWORD kWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

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

void OleControl::PaintWindow(HDC dc) {
    RECT client{};
    ::GetClientRect(window_.get(), &client);
    OnDraw(dc, RECTL{client.left, client.top, client.right, client.bottom});
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

}  // namespace resmelder::com
