// The control face a container sees: the interface list, the design-time picture pixel by
// pixel, the extent and its persistence, quick activation and in-place activation.

#include <ocidl.h>
#include <olectl.h>

#include "com_test_support_win.h"

namespace resmelder::com::test {
namespace {

// The colours of the toolbox picture at a few places (0x00RRGGBB).
constexpr std::uint32_t kPictureEdge = 0x808080;    // its grey border, at (0, 0)
constexpr std::uint32_t kPictureBody = 0x0000FF;    // the parcel, at (8, 12)
constexpr std::uint32_t kPictureRibbon = 0xFFFF00;  // the ribbon, at (16, 20)
constexpr std::uint32_t kUntouched = 0x112233;

// A 32-bit top-down DIB selected into a memory DC, pre-filled with kUntouched.
class Canvas {
  public:
    Canvas(int width, int height) : width_(width) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_.reset(::CreateCompatibleDC(nullptr));
        bitmap_.reset(::CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS,
                                         reinterpret_cast<void**>(&bits_), nullptr, 0));
        old_ = ::SelectObject(dc_.get(), bitmap_.get());
        std::fill(bits_, bits_ + width * height, kUntouched);
    }
    ~Canvas() { ::SelectObject(dc_.get(), old_); }
    HDC Dc() const { return dc_.get(); }
    std::uint32_t At(int x, int y) const {
        ::GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }

  private:
    int width_;
    win::UniqueOwnedDc dc_;
    win::UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

// A container site that can be windowless or windowed, recording what the control asks.
class FakeSite final : public IOleClientSite, public IOleInPlaceSiteWindowless {
  public:
    FakeSite(bool windowless, HWND window) : windowless_(windowless), window_(window) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
            *out = static_cast<IOleClientSite*>(this);
        } else if (IsEqualIID(iid, IID_IOleInPlaceSite) || IsEqualIID(iid, IID_IOleWindow) ||
                   (windowless_ && (IsEqualIID(iid, IID_IOleInPlaceSiteEx) ||
                                    IsEqualIID(iid, IID_IOleInPlaceSiteWindowless)))) {
            *out = static_cast<IOleInPlaceSiteWindowless*>(this);
        }
        if (*out == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override {
        log += "activate;";
        return S_OK;
    }
    STDMETHODIMP OnUIActivate() override {
        log += "ui;";
        return S_OK;
    }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
        *frame = nullptr;
        *document = nullptr;
        *position = RECT{10, 20, 110, 70};
        *clip = *position;
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override {
        log += "ui-off;";
        return S_OK;
    }
    STDMETHODIMP OnInPlaceDeactivate() override {
        log += "deactivate;";
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceSiteEx
    STDMETHODIMP OnInPlaceActivateEx(BOOL*, DWORD flags) override {
        log += flags == ACTIVATE_WINDOWLESS ? "activate-windowless;" : "activate-ex;";
        return S_OK;
    }
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override {
        log += "deactivate-ex;";
        return S_OK;
    }
    STDMETHODIMP RequestUIActivate() override { return S_OK; }

    // IOleInPlaceSiteWindowless
    STDMETHODIMP CanWindowlessActivate() override { return S_OK; }
    STDMETHODIMP GetCapture() override { return S_FALSE; }
    STDMETHODIMP SetCapture(BOOL) override { return S_OK; }
    STDMETHODIMP GetFocus() override { return S_FALSE; }
    STDMETHODIMP SetFocus(BOOL) override { return S_OK; }
    STDMETHODIMP GetDC(LPCRECT, DWORD, HDC*) override { return E_NOTIMPL; }
    STDMETHODIMP ReleaseDC(HDC) override { return E_NOTIMPL; }
    STDMETHODIMP InvalidateRect(LPCRECT, BOOL) override { return S_OK; }
    STDMETHODIMP InvalidateRgn(HRGN, BOOL) override { return S_OK; }
    STDMETHODIMP ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return S_OK; }
    STDMETHODIMP AdjustRect(LPRECT) override { return S_OK; }
    STDMETHODIMP OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_FALSE; }

    ULONG refs = 1;
    std::string log;

  private:
    bool windowless_;
    HWND window_;
};

// Counts the view changes a control announces.
class ViewSink final : public IAdviseSink {
  public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IAdviseSink)) {
            *out = static_cast<IAdviseSink*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }  // lives on the test's stack
    STDMETHODIMP_(void) OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    STDMETHODIMP_(void) OnViewChange(DWORD aspect, LONG) override {
        if (aspect == DVASPECT_CONTENT) {
            ++changes;
        }
    }
    STDMETHODIMP_(void) OnRename(IMoniker*) override {}
    STDMETHODIMP_(void) OnSave() override {}
    STDMETHODIMP_(void) OnClose() override {}

    ULONG refs = 1;
    int changes = 0;
};

class OleControlTest : public ComTest {
  protected:
    void SetUp() override {
        ComTest::SetUp();
        ComPtr<IResBundle> bundle = NewBundle();
        ASSERT_TRUE(bundle);
        ASSERT_EQ(bundle.As(IID_IUnknown, control_), S_OK);
    }
    void TearDown() override {
        control_.Reset();
        ComTest::TearDown();
    }
    template <typename T>
    ComPtr<T> As(REFIID iid) {
        ComPtr<T> out;
        EXPECT_EQ(control_.As(iid, out), S_OK);
        return out;
    }

    ComPtr<IUnknown> control_;
};

TEST_F(OleControlTest, AnswersEveryControlInterfaceWithOneIdentity) {
    const IID* interfaces[] = {
        &kIidResBundle,         &IID_IDispatch,          &IID_IViewObjectEx,
        &IID_IViewObject2,      &IID_IViewObject,        &IID_IOleInPlaceObjectWindowless,
        &IID_IOleInPlaceObject, &IID_IOleWindow,         &IID_IOleInPlaceActiveObject,
        &IID_IOleControl,       &IID_IOleObject,         &IID_IPersistStreamInit,
        &IID_IPersist,          &IID_ISupportErrorInfo,  &IID_ISpecifyPropertyPages,
        &IID_IQuickActivate,    &IID_IPersistStorage,    &IID_IDataObject,
        &IID_IProvideClassInfo, &IID_IProvideClassInfo2,
    };
    for (const IID* iid : interfaces) {
        ComPtr<IUnknown> face;
        ASSERT_EQ(control_.As(*iid, face), S_OK) << GuidString(*iid);
        ComPtr<IUnknown> identity;
        ASSERT_EQ(face.As(IID_IUnknown, identity), S_OK);
        EXPECT_EQ(identity.Get(), control_.Get()) << GuidString(*iid);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(control_.As(IID_IPersistPropertyBag, none), E_NOINTERFACE);

    CAUUID pages{99, reinterpret_cast<GUID*>(1)};
    EXPECT_EQ(As<ISpecifyPropertyPages>(IID_ISpecifyPropertyPages)->GetPages(&pages), S_OK);
    EXPECT_EQ(pages.cElems, 0u);
    EXPECT_EQ(pages.pElems, nullptr);

    ComPtr<ITypeInfo> classInfo;
    ASSERT_EQ(As<IProvideClassInfo2>(IID_IProvideClassInfo2)->GetClassInfo(classInfo.Put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(classInfo->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    EXPECT_TRUE(IsEqualGUID(attr->guid, kClsidResBundle));
    classInfo->ReleaseTypeAttr(attr);

    // No events: there is no default source interface to name.
    GUID source = kIidResBundle;
    EXPECT_EQ(As<IProvideClassInfo2>(IID_IProvideClassInfo2)
                  ->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source),
              E_FAIL);
    EXPECT_TRUE(IsEqualGUID(source, GUID_NULL));

    // IOleControl: no mnemonics, ambient changes and event freezing accepted.
    auto control = As<IOleControl>(IID_IOleControl);
    CONTROLINFO controlInfo{};
    controlInfo.cb = sizeof controlInfo;
    controlInfo.hAccel = reinterpret_cast<HACCEL>(1);
    controlInfo.cAccel = 7;
    controlInfo.dwFlags = 7;
    EXPECT_EQ(control->GetControlInfo(&controlInfo), S_OK);
    EXPECT_EQ(controlInfo.hAccel, nullptr);
    EXPECT_EQ(controlInfo.cAccel, 0);
    EXPECT_EQ(controlInfo.dwFlags, 0u);
    EXPECT_EQ(control->GetControlInfo(nullptr), E_POINTER);
    EXPECT_EQ(control->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE), S_OK);
    EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
    EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);

    CLSID clsid{};
    EXPECT_EQ(As<IPersist>(IID_IPersist)->GetClassID(&clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, kClsidResBundle));
    DWORD misc = 0;
    EXPECT_EQ(As<IOleObject>(IID_IOleObject)->GetMiscStatus(DVASPECT_CONTENT, &misc), S_OK);
    EXPECT_EQ(misc, 132497u);
}

TEST_F(OleControlTest, DrawsFrameAndPictureClippedToTheBounds) {
    auto view = As<IViewObject>(IID_IViewObject);
    Canvas canvas(80, 60);
    const RECTL bounds{4, 6, 4 + 48, 6 + 40};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                         nullptr, nullptr, 0),
              S_OK);
    // The picture at the top left, over the frame.
    EXPECT_EQ(canvas.At(4, 6), kPictureEdge);
    EXPECT_EQ(canvas.At(4 + 8, 6 + 12), kPictureBody);
    EXPECT_EQ(canvas.At(4 + 16, 6 + 20), kPictureRibbon);
    EXPECT_EQ(canvas.At(4 + 31, 6 + 31), kPictureEdge);
    // The frame (black pen, white brush of a fresh DC) where the picture does not cover it.
    for (int x = 4 + 32; x < 52; ++x) {
        EXPECT_EQ(canvas.At(x, 6), 0x000000u) << x;
        EXPECT_EQ(canvas.At(x, 45), 0x000000u) << x;
    }
    for (int y = 6 + 32; y < 46; ++y) {
        EXPECT_EQ(canvas.At(4, y), 0x000000u) << y;
        EXPECT_EQ(canvas.At(51, y), 0x000000u) << y;
    }
    EXPECT_EQ(canvas.At(40, 40), 0xFFFFFFu);
    EXPECT_EQ(canvas.At(50, 8), 0xFFFFFFu);
    // Nothing outside the bounds.
    EXPECT_EQ(canvas.At(3, 6), kUntouched);
    EXPECT_EQ(canvas.At(52, 20), kUntouched);
    EXPECT_EQ(canvas.At(20, 46), kUntouched);

    // Bounds smaller than the picture clip it.
    Canvas small(40, 40);
    const RECTL tiny{5, 5, 5 + 20, 5 + 10};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, small.Dc(), &tiny,
                         nullptr, nullptr, 0),
              S_OK);
    EXPECT_EQ(small.At(5, 5), kPictureEdge);
    EXPECT_EQ(small.At(5 + 8, 5 + 9), kPictureBody);
    EXPECT_EQ(small.At(5 + 20, 5 + 2), kUntouched);
    EXPECT_EQ(small.At(5 + 8, 5 + 12), kUntouched);

    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, small.Dc(), &tiny, nullptr,
                         nullptr, 0),
              DV_E_DVASPECT);
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, small.Dc(), nullptr,
                         nullptr, nullptr, 0),
              E_INVALIDARG);
}

// A fresh control has the default extent, which is also its natural one.
void ExpectDefaultExtent(IOleObject& object, IViewObjectEx& view) {
    SIZEL size{};
    ASSERT_EQ(object.GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 5080);
    EXPECT_EQ(size.cy, 5080);
    DVEXTENTINFO info{sizeof info, DVEXTENT_CONTENT, {}};
    SIZEL natural{};
    ASSERT_EQ(view.GetNaturalExtent(DVASPECT_CONTENT, -1, nullptr, nullptr, &info, &natural), S_OK);
    EXPECT_EQ(natural.cx, 5080);
    EXPECT_EQ(natural.cy, 5080);
}

// A new extent makes the control dirty and tells the view's sink.
void ExpectNewExtentDirtiesAndRedraws(IOleObject& object, IPersistStreamInit& persist,
                                      IViewObject2& view) {
    ViewSink sink;
    ASSERT_EQ(view.SetAdvise(DVASPECT_CONTENT, 0, &sink), S_OK);
    EXPECT_EQ(persist.IsDirty(), S_FALSE);
    SIZEL changed{1234, 98765};
    ASSERT_EQ(object.SetExtent(DVASPECT_CONTENT, &changed), S_OK);
    EXPECT_EQ(persist.IsDirty(), S_OK);
    EXPECT_EQ(sink.changes, 1);  // the container redraws at the new size
    SIZEL size{};
    ASSERT_EQ(view.GetExtent(DVASPECT_CONTENT, -1, nullptr, &size), S_OK);
    EXPECT_EQ(size.cx, 1234);
    EXPECT_EQ(size.cy, 98765);
    EXPECT_EQ(object.GetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);
    ASSERT_EQ(view.SetAdvise(DVASPECT_CONTENT, 0, nullptr), S_OK);
    EXPECT_EQ(sink.refs, 1u);
}

std::string StreamBytes(IStream& stream) {
    STATSTG stat{};
    stream.Stat(&stat, STATFLAG_NONAME);
    std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
    stream.Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream.Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    return bytes;
}

void SaveToStream(IPersistStreamInit& persist, ComPtr<IStream>& stream) {
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), S_OK);
    ASSERT_EQ(persist.Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(persist.IsDirty(), S_FALSE);
    const std::string saved = StreamBytes(*stream.Get());
    EXPECT_NE(saved.find("_cx"), std::string::npos);
    EXPECT_NE(saved.find("_cy"), std::string::npos);
}

void ExpectExtent(IOleObject& object, LONG width, LONG height) {
    SIZEL size{};
    ASSERT_EQ(object.GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, width);
    EXPECT_EQ(size.cy, height);
}

// Another extent saved into a storage and loaded from it by the other control.
void CopyThroughStorage(IOleObject& object, IPersistStorage& persist, ComPtr<IResBundle>& other) {
    ComPtr<IStorage> storage;
    ASSERT_EQ(
        ::StgCreateDocfile(
            nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
            storage.Put()),
        S_OK);
    SIZEL third{777, 888};
    ASSERT_EQ(object.SetExtent(DVASPECT_CONTENT, &third), S_OK);
    ASSERT_EQ(persist.Save(storage.Get(), FALSE), S_OK);
    ComPtr<IPersistStorage> otherStorage;
    ASSERT_EQ(other.As(IID_IPersistStorage, otherStorage), S_OK);
    ASSERT_EQ(otherStorage->Load(storage.Get()), S_OK);
}

TEST_F(OleControlTest, ExtentPersistsThroughStreamsAndStorages) {
    auto object = As<IOleObject>(IID_IOleObject);
    ASSERT_NO_FATAL_FAILURE(
        ExpectDefaultExtent(*object.Get(), *As<IViewObjectEx>(IID_IViewObjectEx).Get()));
    auto persist = As<IPersistStreamInit>(IID_IPersistStreamInit);
    ASSERT_NO_FATAL_FAILURE(ExpectNewExtentDirtiesAndRedraws(
        *object.Get(), *persist.Get(), *As<IViewObject2>(IID_IViewObject2).Get()));
    ComPtr<IStream> stream;
    ASSERT_NO_FATAL_FAILURE(SaveToStream(*persist.Get(), stream));

    // A second control reads it back.
    ComPtr<IResBundle> other = NewBundle();
    ComPtr<IPersistStreamInit> otherPersist;
    ASSERT_EQ(other.As(IID_IPersistStreamInit, otherPersist), S_OK);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(otherPersist->Load(stream.Get()), S_OK);
    ComPtr<IOleObject> otherObject;
    ASSERT_EQ(other.As(IID_IOleObject, otherObject), S_OK);
    ASSERT_NO_FATAL_FAILURE(ExpectExtent(*otherObject.Get(), 1234, 98765));

    // The same through a storage.
    ASSERT_NO_FATAL_FAILURE(
        CopyThroughStorage(*object.Get(), *As<IPersistStorage>(IID_IPersistStorage).Get(), other));
    ASSERT_NO_FATAL_FAILURE(ExpectExtent(*otherObject.Get(), 777, 888));

    // A damaged stream is refused and changes nothing.
    ComPtr<IStream> damaged;
    ASSERT_EQ(::CreateStreamOnHGlobal(nullptr, TRUE, damaged.Put()), S_OK);
    const ULONG header[] = {1, 1000000};  // one property with an absurd name length
    damaged->Write(header, sizeof header, nullptr);
    damaged->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(otherPersist->Load(damaged.Get()), STG_E_READFAULT);
    SIZEL size{};
    ASSERT_EQ(otherObject->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, 777);
}

TEST_F(OleControlTest, QuickActivationAndWindowlessInPlaceActivation) {
    FakeSite site(true, nullptr);
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = &site;
    QACONTROL result{};
    result.cbSize = sizeof result;
    ASSERT_EQ(As<IQuickActivate>(IID_IQuickActivate)->QuickActivate(&container, &result), S_OK);
    EXPECT_EQ(result.dwMiscStatus, 132497u);

    auto object = As<IOleObject>(IID_IOleObject);
    ComPtr<IOleClientSite> got;
    ASSERT_EQ(object->GetClientSite(got.Put()), S_OK);
    EXPECT_EQ(got.Get(), static_cast<IOleClientSite*>(&site));
    got.Reset();

    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(site.log, "activate-windowless;");
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(As<IOleInPlaceObject>(IID_IOleInPlaceObject)->GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);
    ASSERT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, &site, 0, nullptr, nullptr), S_OK);
    ASSERT_EQ(As<IOleInPlaceObject>(IID_IOleInPlaceObject)->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site.log, "activate-windowless;ui;ui-off;deactivate-ex;");
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, &site, 0, nullptr, nullptr), E_NOTIMPL);
    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
    EXPECT_EQ(site.refs, 1u);  // every reference the control took is given back
}

TEST_F(OleControlTest, WindowedContainersGetAChildWindow) {
    win::UniqueWindow parent(::CreateWindowExW(0, L"STATIC", L"container", WS_OVERLAPPEDWINDOW, 0,
                                               0, 300, 200, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(parent);
    FakeSite site(false, parent.get());
    auto object = As<IOleObject>(IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    ASSERT_EQ(object->DoVerb(OLEIVERB_SHOW, nullptr, &site, 0, parent.get(), nullptr), S_OK);
    EXPECT_EQ(site.log, "activate;");
    HWND window = nullptr;
    ASSERT_EQ(As<IOleWindow>(IID_IOleWindow)->GetWindow(&window), S_OK);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::GetParent(window), parent.get());
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)) & 0xFFFF0000u, 0x56000000u);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 100);
    EXPECT_EQ(rect.bottom - rect.top, 50);
    ::UpdateWindow(window);  // paints through the control

    ASSERT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site.log, "activate;deactivate;");
    EXPECT_FALSE(::IsWindow(window));
    ASSERT_EQ(object->SetClientSite(nullptr), S_OK);
}

}  // namespace
}  // namespace resmelder::com::test
