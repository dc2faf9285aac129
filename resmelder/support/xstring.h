#pragma once
// A string kept in up to three forms (8-bit ANSI, UTF-16LE, UTF-8). Setting one form drops
// the others; they are made again on demand.

#include <cstdint>
#include <string>
#include <string_view>

#include "support/vantrix_object.h"

namespace resmelder {

class XString : public VantrixObject {
  public:
    XString() = default;

    static XString FromAnsi(std::string_view text);
    static XString FromUtf8(std::string_view text);
    static XString FromUtf16(std::u16string_view text);

    void SetAnsi(std::string_view text);
    void SetUtf8(std::string_view text);
    void SetUtf16(std::u16string_view text);
    void Clear();

    const std::string& Ansi() const;
    const std::string& Utf8() const;
    /// UTF-16LE; `c_str()` gives the two-byte terminator.
    const std::u16string& Utf16() const;
    /// Length in UTF-16 code units.
    std::size_t Length() const;
    bool IsEmpty() const;
    /// Whether every character has an ANSI form (computes and caches that form).
    bool IsRepresentableInAnsi() const;

  private:
    enum Form : std::uint8_t { kAnsi = 1, kUtf16 = 2, kUtf8 = 4 };
    enum class Representable : std::uint8_t { kUnknown, kYes, kNo };

    const std::u16string& Wide() const;

    mutable std::string ansi_;
    mutable std::u16string utf16_;
    mutable std::string utf8_;
    mutable std::uint8_t current_ = 0;
    mutable Representable representable_ = Representable::kUnknown;
};

}  // namespace resmelder
