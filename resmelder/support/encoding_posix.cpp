// POSIX converters: code page 1252 from its published table (the default ANSI code page here),
// every other 8-bit code page through iconv.

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <mutex>
#include <string>

#include "support/encoding.h"

namespace resmelder::encoding_backend {
namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes map to the C1 controls, as on Windows.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Cp1252ToUtf16(std::string_view in, std::u16string& out) {
    out.clear();
    out.reserve(in.size());
    for (const char c : in) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
    }
    return true;
}

bool Utf16ToCp1252(std::u16string_view in, std::string& out) {
    out.clear();
    out.reserve(in.size());
    bool complete = true;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const char16_t c = in[i];
        int byte = -1;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            byte = c;
        } else {
            for (std::size_t k = 0; k < kCp1252High.size(); ++k) {
                if (kCp1252High[k] == c) {
                    byte = static_cast<int>(0x80 + k);
                    break;
                }
            }
        }
        if (byte < 0) {
            complete = false;
            byte = '?';
            // A surrogate pair is one character: one replacement.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
                in[i + 1] <= 0xDFFF) {
                ++i;
            }
        }
        out.push_back(static_cast<char>(byte));
    }
    return complete;
}

std::string IconvName(std::uint32_t codePage) {
    return "CP" + std::to_string(codePage);
}

// iconv descriptors are costly to open; keep one per direction and code page.
class IconvCache {
  public:
    ~IconvCache() {
        for (auto& [key, cd] : open_) {
            iconv_close(cd);
        }
    }
    iconv_t Get(std::uint32_t codePage, bool toUtf16) {
        const auto key = std::make_pair(codePage, toUtf16);
        auto it = open_.find(key);
        if (it != open_.end()) {
            return it->second;
        }
        const std::string name = IconvName(codePage);
        iconv_t cd =
            toUtf16 ? iconv_open("UTF-16LE", name.c_str()) : iconv_open(name.c_str(), "UTF-16LE");
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            open_.emplace(key, cd);
        }
        return cd;
    }
    std::mutex& Lock() { return lock_; }

  private:
    std::mutex lock_;
    std::map<std::pair<std::uint32_t, bool>, iconv_t> open_;
};

IconvCache& Cache() {
    static IconvCache cache;
    return cache;
}

// Runs iconv over the input; an unconvertible input unit is replaced and skipped.
bool RunIconv(iconv_t cd, const char* in, std::size_t inBytes, std::size_t unit, std::string& out,
              std::string_view replacement) {
    bool complete = true;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buf[4096];
    while (inBytes > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        char* src = const_cast<char*>(in);
        const std::size_t rc = iconv(cd, &src, &inBytes, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        in = src;
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                continue;
            }
            complete = false;
            out.append(replacement);
            const std::size_t skip = std::min(unit, inBytes);
            in += skip;
            inBytes -= skip;
        }
    }
    char* dst = buf;
    std::size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    return complete;
}

}  // namespace

std::uint32_t PlatformAnsiCodePage() {
    return EncodingConvert::kDefaultPosixAnsi;
}

bool ToUtf16(std::uint32_t codePage, std::string_view in, std::u16string& out) {
    if (codePage == 1252) {
        return Cp1252ToUtf16(in, out);
    }
    std::string bytes;
    bool complete = false;
    {
        std::lock_guard guard(Cache().Lock());
        iconv_t cd = Cache().Get(codePage, true);
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            out.assign(in.size(), u'\uFFFD');
            return false;
        }
        complete = RunIconv(cd, in.data(), in.size(), 1, bytes, std::string_view("\xFD\xFF", 2));
    }
    out.assign(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return complete;
}

bool FromUtf16(std::uint32_t codePage, std::u16string_view in, std::string& out) {
    if (codePage == 1252) {
        return Utf16ToCp1252(in, out);
    }
    std::string bytes;
    bytes.reserve(in.size() * 2);
    for (const char16_t c : in) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    out.clear();
    std::lock_guard guard(Cache().Lock());
    iconv_t cd = Cache().Get(codePage, false);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        out.assign(in.size(), '?');
        return false;
    }
    return RunIconv(cd, bytes.data(), bytes.size(), 2, out, "?");
}

}  // namespace resmelder::encoding_backend
