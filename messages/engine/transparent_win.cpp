#include "transparent_win.h"

namespace murmurex::modTransparent {

bool MakeTransparent(HWND window, std::uint32_t colourKey) noexcept {
    // GetWindowLongA answers 0 both for "no extended style" and for an error: only the
    // last-error value tells them apart.
    ::SetLastError(ERROR_SUCCESS);
    const LONG exStyle = ::GetWindowLongA(window, GWL_EXSTYLE);
    bool ok = exStyle != 0 || ::GetLastError() == ERROR_SUCCESS;
    ::SetLastError(ERROR_SUCCESS);
    const LONG previous = ::SetWindowLongA(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    ok = ok && (previous != 0 || ::GetLastError() == ERROR_SUCCESS);
    // Alpha 0 is ignored with LWA_COLORKEY alone: only the key colour becomes transparent.
    ok = ::SetLayeredWindowAttributes(window, static_cast<COLORREF>(colourKey), 0, LWA_COLORKEY) &&
         ok;
    return ok;
}

}  // namespace murmurex::modTransparent
