#pragma once
// COM and OLE pictures, from ole32 and oleaut32 in the system folder, loaded the first time a
// picture or a system colour asks for them: the tray start needs neither. Each call answers as its
// own failure when the library or the function is missing.

#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <olectl.h>

namespace murmurex::ole {

HRESULT CoInitializeEx(void* reserved, DWORD model) noexcept;
void CoUninitialize() noexcept;
HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, IStream** stream) noexcept;
HRESULT OleCreatePictureIndirect(PICTDESC* description, REFIID id, BOOL own,
                                 void** picture) noexcept;
HRESULT OleLoadPicture(IStream* stream, LONG size, BOOL runMode, REFIID id,
                       void** picture) noexcept;
HRESULT OleTranslateColor(OLE_COLOR colour, HPALETTE palette, COLORREF* rgb) noexcept;

}  // namespace murmurex::ole
