#include "support/string_buffer.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/encoding.h"
#include "support/platform.h"

namespace resmelder {

StringBuffer::StringBuffer() {
    Reallocate(kInitialIncrement);
}

StringBuffer::StringBuffer(std::string_view text) {
    Reallocate(static_cast<std::uint64_t>(text.size()) + 1);
    std::memcpy(text_.get(), text.data(), text.size());
    length_ = static_cast<std::uint32_t>(text.size());
    text_[length_] = 0;
}

StringBuffer::~StringBuffer() {
    CheckMarker();
    marker_ = 0;
}

void StringBuffer::CheckMarker() const {
    // A wrong marker means the object was used after destruction: a programming error.
    if (marker_ != kMarker) {
        std::abort();
    }
}

void StringBuffer::Reallocate(std::uint64_t capacity) {
    if (capacity > UINT32_MAX || capacity <= length_) {
        std::abort();
    }
    // At most UINT32_MAX now, which a size_t holds on every target.
    static_assert(SIZE_MAX >= UINT32_MAX);
    auto fresh = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(capacity));
    if (text_) {
        std::memcpy(fresh.get(), text_.get(), length_);
    }
    fresh[length_] = 0;
    text_ = std::move(fresh);
    capacity_ = static_cast<std::uint32_t>(capacity);
}

void StringBuffer::GrowForAppend(std::uint32_t n, bool extraByte) {
    if (static_cast<std::uint64_t>(length_) + n < capacity_) {
        return;
    }
    const std::uint64_t fresh =
        static_cast<std::uint64_t>(length_) + increment_ + n + (extraByte ? 1 : 0);
    Reallocate(fresh);
    if (increment_ < capacity_ && increment_ < kMaxIncrement) {
        increment_ = std::min(capacity_ / 2, kMaxIncrement);
    }
}

void StringBuffer::Append(std::string_view text) {
    CheckMarker();
    if (text.empty()) {
        return;
    }
    const auto n = static_cast<std::uint32_t>(text.size());
    GrowForAppend(n, true);
    std::memcpy(text_.get() + length_, text.data(), n);
    length_ += n;
    text_[length_] = 0;
}

void StringBuffer::AppendBytes(const char* bytes, std::uint32_t n) {
    CheckMarker();
    if (n == 0 || bytes == nullptr) {
        return;
    }
    GrowForAppend(n, false);
    std::memcpy(text_.get() + length_, bytes, n);
    length_ += n;
    text_[length_] = 0;
}

void StringBuffer::AppendChar(char c) {
    Append(std::string_view(&c, 1));
}

void StringBuffer::Prepend(std::string_view text) {
    CheckMarker();
    if (text.empty()) {
        return;
    }
    const auto n = static_cast<std::uint32_t>(text.size());
    if (static_cast<std::uint64_t>(length_) + n >= capacity_) {
        Reallocate(static_cast<std::uint64_t>(length_) + increment_ + n + 1);
    }
    std::memmove(text_.get() + n, text_.get(), length_);
    std::memcpy(text_.get(), text.data(), n);
    length_ += n;
    text_[length_] = 0;
}

void StringBuffer::AppendInt(std::int32_t value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    Append(std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void StringBuffer::Set(std::string_view text) {
    CheckMarker();
    // The text may lie inside this buffer; copy it before clearing.
    const std::string copy(text);
    Clear();
    Append(copy);
}

void StringBuffer::Clear() {
    CheckMarker();
    length_ = 0;
    text_[0] = 0;
}

void StringBuffer::Trim() {
    CheckMarker();
    auto isSpace = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u == '\t' || u == '\n' || u == '\r' || u == ' ' || u == 0xA0;
    };
    std::uint32_t begin = 0;
    std::uint32_t end = length_;
    while (begin < end && isSpace(text_[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(text_[end - 1])) {
        --end;
    }
    std::memmove(text_.get(), text_.get() + begin, end - begin);
    length_ = end - begin;
    text_[length_] = 0;
}

std::uint32_t StringBuffer::Replace(std::string_view from, std::string_view to) {
    CheckMarker();
    if (from.empty()) {
        return 0;
    }
    std::string result;
    std::uint32_t count = 0;
    const std::string_view text = View();
    std::size_t pos = 0;
    for (;;) {
        const std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos) {
            break;
        }
        result.append(text, pos, hit - pos);
        result.append(to);
        pos = hit + from.size();
        ++count;
    }
    if (count != 0) {
        result.append(text.substr(pos));
        Set(result);
    }
    return count;
}

void StringBuffer::EscapeMarkup() {
    Replace("&", "&amp;");
    Replace("<", "&lt;");
    Replace(">", "&gt;");
    Replace("\"", "&quot;");
}

void StringBuffer::ShrinkToFit() {
    CheckMarker();
    if (static_cast<std::uint64_t>(length_) + 4 < capacity_) {
        Reallocate(static_cast<std::uint64_t>(length_) + 1);
    }
}

bool StringBuffer::Equals(const char* text) const {
    CheckMarker();
    if (text == nullptr) {
        return length_ == 0;
    }
    return View() == std::string_view(text);
}

void StringBuffer::AppendOsErrorText() {
    AppendOsErrorText(platform::LastOsError());
}

void StringBuffer::AppendOsErrorText(std::uint32_t osError) {
    Append(platform::OsErrorText(osError));
    Trim();
}

std::u16string StringBuffer::ToUtf16() const {
    std::u16string out;
    EncodingConvert::AnsiToUtf16(View(), out);
    return out;
}

void StringBuffer::SetFromUtf16(std::u16string_view text) {
    std::string out;
    EncodingConvert::Utf16ToAnsi(text, out);
    Set(out);
}

const char* StringBuffer::CStr() const {
    CheckMarker();
    return text_.get();
}

std::string_view StringBuffer::View() const {
    CheckMarker();
    return {text_.get(), length_};
}

std::uint32_t StringBuffer::Length() const {
    CheckMarker();
    return length_;
}

std::uint32_t StringBuffer::Capacity() const {
    CheckMarker();
    return capacity_;
}

std::uint32_t StringBuffer::Increment() const {
    CheckMarker();
    return increment_;
}

}  // namespace resmelder
