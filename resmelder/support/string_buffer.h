#pragma once
// Growable 8-bit text, always NUL-terminated, with a growth increment that doubles up to
// 500000 bytes.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "support/vantrix_object.h"

namespace resmelder {

class StringBuffer : public VantrixObject {
  public:
    static constexpr std::uint8_t kMarker = 0xAA;
    static constexpr std::uint32_t kInitialIncrement = 200;
    static constexpr std::uint32_t kMaxIncrement = 500000;

    StringBuffer();
    explicit StringBuffer(std::string_view text);
    StringBuffer(const StringBuffer&) = delete;
    StringBuffer& operator=(const StringBuffer&) = delete;
    ~StringBuffer() override;

    void Append(std::string_view text);
    /// Appends raw bytes (a slightly tighter growth than text).
    void AppendBytes(const char* bytes, std::uint32_t n);
    void AppendChar(char c);
    void Prepend(std::string_view text);
    /// Appends the number in decimal ("%d").
    void AppendInt(std::int32_t value);
    /// Replaces the contents.
    void Set(std::string_view text);
    void Clear();
    /// Removes tab, LF, CR, space and 0xA0 from both ends.
    void Trim();
    /// Replaces every occurrence of `from` by `to`; answers the number of replacements.
    std::uint32_t Replace(std::string_view from, std::string_view to);
    /// Escapes &, <, > and the double quote for markup.
    void EscapeMarkup();
    /// Reallocates to length + 1 when at least 4 bytes would be saved.
    void ShrinkToFit();
    /// Exact, case-sensitive; a null text equals only the empty buffer.
    bool Equals(const char* text) const;
    /// Appends the system's message for `osError` (the last OS error by default), trimmed.
    void AppendOsErrorText();
    void AppendOsErrorText(std::uint32_t osError);
    /// UTF-16 through the ANSI code page.
    std::u16string ToUtf16() const;
    /// Sets the contents from UTF-16 through the ANSI code page.
    void SetFromUtf16(std::u16string_view text);

    const char* CStr() const;
    std::string_view View() const;
    std::uint32_t Length() const;
    std::uint32_t Capacity() const;
    std::uint32_t Increment() const;

  private:
    void CheckMarker() const;
    void Reallocate(std::uint64_t capacity);
    void GrowForAppend(std::uint32_t n, bool extraByte);

    std::uint8_t marker_ = kMarker;
    std::unique_ptr<char[]> text_;
    std::uint32_t length_ = 0;
    std::uint32_t capacity_ = 0;
    std::uint32_t increment_ = kInitialIncrement;
};

}  // namespace resmelder
