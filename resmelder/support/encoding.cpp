#include "support/encoding.h"

#include <atomic>
#include <cstring>

#include "portable/utf8.h"

namespace resmelder {
namespace {

std::atomic<std::uint32_t> g_ansiOverride{0};

bool IsAscii(std::string_view in) {
    for (const char c : in) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

bool IsAscii(std::u16string_view in) {
    for (const char16_t c : in) {
        if (c >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::uint32_t EncodingConvert::AnsiCodePage() {
    const std::uint32_t set = g_ansiOverride.load();
    return set != 0 ? set : encoding_backend::PlatformAnsiCodePage();
}

void EncodingConvert::SetAnsiCodePage(std::uint32_t codePage) {
    g_ansiOverride = codePage;
}

bool EncodingConvert::Utf8ToUtf16(std::string_view in, std::u16string& out) {
    out.clear();
    out.reserve(in.size());
    bool complete = true;
    std::size_t i = 0;
    while (i < in.size()) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t len = common::DecodeUtf8(in, i, cp);
        if (len == 0) {
            out.push_back(u'\uFFFD');
            complete = false;
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return complete;
}

bool EncodingConvert::Utf16ToUtf8(std::u16string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    bool complete = true;
    for (std::size_t i = 0; i < in.size(); ++i) {
        char32_t cp = in[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
            in[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
            complete = false;
        }
        common::AppendUtf8(out, cp);
    }
    return complete;
}

bool EncodingConvert::CodePageToUtf16(std::uint32_t codePage, std::string_view in,
                                      std::u16string& out) {
    if (codePage == kUtf8) {
        return Utf8ToUtf16(in, out);
    }
    if (codePage == kUtf16Le) {
        out.assign(in.size() / 2, u'\0');
        std::memcpy(out.data(), in.data(), out.size() * 2);
        return in.size() % 2 == 0;
    }
    // Every ANSI code page keeps ASCII as it is; names are mostly ASCII.
    if (IsAscii(in)) {
        out.assign(in.begin(), in.end());
        return true;
    }
    return encoding_backend::ToUtf16(codePage, in, out);
}

bool EncodingConvert::Utf16ToCodePage(std::uint32_t codePage, std::u16string_view in,
                                      std::string& out) {
    if (codePage == kUtf8) {
        return Utf16ToUtf8(in, out);
    }
    if (codePage == kUtf16Le) {
        out.assign(reinterpret_cast<const char*>(in.data()), in.size() * 2);
        return true;
    }
    if (IsAscii(in)) {
        out.clear();
        out.reserve(in.size());
        for (const char16_t c : in) {
            out.push_back(static_cast<char>(c));
        }
        return true;
    }
    return encoding_backend::FromUtf16(codePage, in, out);
}

bool EncodingConvert::AnsiToUtf16(std::string_view in, std::u16string& out) {
    return CodePageToUtf16(AnsiCodePage(), in, out);
}

bool EncodingConvert::Utf16ToAnsi(std::u16string_view in, std::string& out) {
    return Utf16ToCodePage(AnsiCodePage(), in, out);
}

bool EncodingConvert::Convert(std::uint32_t from, std::uint32_t to, std::string_view in,
                              std::string& out) {
    if (from == to) {
        out.assign(in);
        return true;
    }
    std::u16string wide;
    const bool decoded = CodePageToUtf16(from, in, wide);
    const bool encoded = Utf16ToCodePage(to, wide, out);
    return decoded && encoded;
}

}  // namespace resmelder
