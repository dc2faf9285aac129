// Windows converters: the platform's own code-page tables.

#include <windows.h>

#include "support/encoding.h"

namespace resmelder::encoding_backend {

std::uint32_t PlatformAnsiCodePage() {
    return ::GetACP();
}

bool ToUtf16(std::uint32_t codePage, std::string_view in, std::u16string& out) {
    out.clear();
    if (in.empty()) {
        return true;
    }
    const int inLen = static_cast<int>(in.size());
    bool complete = true;
    int n = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), inLen, nullptr, 0);
    DWORD flags = MB_ERR_INVALID_CHARS;
    if (n <= 0) {
        complete = false;
        flags = 0;
        n = ::MultiByteToWideChar(codePage, 0, in.data(), inLen, nullptr, 0);
        if (n <= 0) {
            out.assign(in.size(), u'\uFFFD');
            return false;
        }
    }
    out.resize(static_cast<std::size_t>(n));
    ::MultiByteToWideChar(codePage, flags, in.data(), inLen, reinterpret_cast<wchar_t*>(out.data()),
                          n);
    return complete;
}

bool FromUtf16(std::uint32_t codePage, std::u16string_view in, std::string& out) {
    out.clear();
    if (in.empty()) {
        return true;
    }
    const auto* src = reinterpret_cast<const wchar_t*>(in.data());
    const int inLen = static_cast<int>(in.size());
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, src, inLen, nullptr, 0, "?",
                                        &usedDefault);
    if (n <= 0) {
        out.assign(in.size(), '?');
        return false;
    }
    out.resize(static_cast<std::size_t>(n));
    usedDefault = FALSE;
    ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, src, inLen, out.data(), n, "?",
                          &usedDefault);
    return usedDefault == FALSE;
}

}  // namespace resmelder::encoding_backend
