#pragma once
// The program's UTF-8 text at the platform's edge, where every call takes UTF-16.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace murmurex {

/// `bytes` of code page `codePage` as UTF-16, as the platform converts them.
inline std::wstring WideFromCodePage(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), size);
    return wide;
}

/// `text` as UTF-16 for a wide call; bytes that are no UTF-8 show as U+FFFD.
inline std::wstring WideFromUtf8(std::string_view text) {
    return WideFromCodePage(CP_UTF8, text);
}

/// `text` as UTF-16, or nothing when it is no well-formed UTF-8 (a name made of it could not be
/// found again).
inline std::optional<std::wstring> ExactWideFromUtf8(std::string_view text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length = static_cast<int>(text.size());
    const int size =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    if (::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(),
                              size) != size) {
        return std::nullopt;
    }
    return wide;
}

/// UTF-16 from a wide call as the program's UTF-8; a lone surrogate shows as U+FFFD.
inline std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) {
        return {};
    }
    const int length = static_cast<int>(wide.size());
    const int size =
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
    return text;
}

/// UTF-16 as UTF-8, or nothing when it holds a lone surrogate (a file name may; the program
/// could not name that file again).
inline std::optional<std::string> ExactUtf8FromWide(std::wstring_view wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int length = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length,
                                           nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, text.data(), size,
                              nullptr, nullptr) != size) {
        return std::nullopt;
    }
    return text;
}

}  // namespace murmurex
