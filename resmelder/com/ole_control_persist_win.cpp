// Persistence of the control's extent: a stream of named properties, on its own or inside a
// storage.

#include "ole_control_win.h"

#include <array>
#include <string_view>

namespace resmelder::com {
namespace {

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

}  // namespace

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

}  // namespace resmelder::com
