#include "ole_library_win.h"

#include "win/system_library.h"

namespace murmurex::ole {

namespace {

// Kept until the process ends: pictures and streams made through them may be released by
// objects that outlive any owner here.
HMODULE KeptSystemLibrary(const wchar_t* name) noexcept {
    return win::LoadSystemLibrary(name).release();
}

HMODULE Ole32() noexcept {
    static const HMODULE module = KeptSystemLibrary(L"ole32.dll");
    return module;
}

HMODULE OleAut32() noexcept {
    static const HMODULE module = KeptSystemLibrary(L"oleaut32.dll");
    return module;
}

}  // namespace

HRESULT CoInitializeEx(void* reserved, DWORD model) noexcept {
    return win::CallExportOr<decltype(::CoInitializeEx)>(Ole32(), "CoInitializeEx", E_FAIL,
                                                         reserved, model);
}

// Called only after a CoInitializeEx that succeeded, so the library is there.
void CoUninitialize() noexcept {
    if (auto* uninitialize =
            win::FindExport<decltype(::CoUninitialize)>(Ole32(), "CoUninitialize")) {
        uninitialize();
    }
}

HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, IStream** stream) noexcept {
    return win::CallExportOr<decltype(::CreateStreamOnHGlobal)>(
        Ole32(), "CreateStreamOnHGlobal", E_FAIL, memory, deleteOnRelease, stream);
}

HRESULT OleCreatePictureIndirect(PICTDESC* description, REFIID id, BOOL own,
                                 void** picture) noexcept {
    return win::CallExportOr<decltype(::OleCreatePictureIndirect)>(
        OleAut32(), "OleCreatePictureIndirect", E_FAIL, description, id, own, picture);
}

HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID id,
                       void** picture) noexcept {
    return win::CallExportOr<decltype(::OleLoadPicture)>(OleAut32(), "OleLoadPicture", E_FAIL,
                                                         stream, size, runMode, id, picture);
}

HRESULT OleTranslateColor(OLE_COLOR colour, HPALETTE palette, COLORREF* rgb) noexcept {
    // A plain RGB colour (high byte 0) is its own translation: the default style, which the
    // screen object tries at start-up, then never loads oleaut32.
    if ((colour & 0xFF000000u) == 0) {
        if (rgb != nullptr) {
            *rgb = colour;
        }
        return S_OK;
    }
    return win::CallExportOr<decltype(::OleTranslateColor)>(OleAut32(), "OleTranslateColor", E_FAIL,
                                                            colour, palette, rgb);
}

}  // namespace murmurex::ole
