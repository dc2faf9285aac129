// The system's ANSI code page through the platform's own conversions. Whether a text fits is
// decided with WC_NO_BEST_FIT_CHARS and the used-default flag: without them a character the
// code page lacks silently becomes "?" or a look-alike letter.
#include <windows.h>

#include "text_file_encoding.h"
#include "utf16_win.h"

namespace murmurex {
namespace {

class SystemAnsiCodePage final : public AnsiCodePage {
  public:
    std::optional<std::string> FromUtf8(std::string_view text) const override {
        const std::optional<std::wstring> wide = ExactWideFromUtf8(text);
        if (!wide) {
            return std::nullopt;
        }
        if (::GetACP() == CP_UTF8) {
            return std::string(text);  // a system whose ANSI code page is UTF-8 holds anything
        }
        const int length = static_cast<int>(wide->size());
        BOOL usedDefault = FALSE;
        const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide->data(), length,
                                               nullptr, 0, nullptr, &usedDefault);
        if (size <= 0 || usedDefault) {
            return std::nullopt;
        }
        std::string bytes(static_cast<std::size_t>(size), '\0');
        if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide->data(), length, bytes.data(),
                                  size, nullptr, &usedDefault) != size ||
            usedDefault) {
            return std::nullopt;
        }
        return bytes;
    }

    std::string ToUtf8(std::string_view bytes) const override {
        return Utf8FromWide(WideFromCodePage(CP_ACP, bytes));
    }
};

}  // namespace

const AnsiCodePage& SystemCodePage() {
    static const SystemAnsiCodePage codePage;
    return codePage;
}

}  // namespace murmurex
