#include "support/xstring.h"

#include "support/encoding.h"

namespace resmelder {

XString XString::FromAnsi(std::string_view text) {
    XString s;
    s.SetAnsi(text);
    return s;
}

XString XString::FromUtf8(std::string_view text) {
    XString s;
    s.SetUtf8(text);
    return s;
}

XString XString::FromUtf16(std::u16string_view text) {
    XString s;
    s.SetUtf16(text);
    return s;
}

void XString::Clear() {
    ansi_.clear();
    utf16_.clear();
    utf8_.clear();
    current_ = 0;
    representable_ = Representable::kUnknown;
}

void XString::SetAnsi(std::string_view text) {
    Clear();
    if (text.empty()) {
        return;
    }
    ansi_.assign(text);
    current_ = kAnsi;
    representable_ = Representable::kYes;
}

void XString::SetUtf8(std::string_view text) {
    Clear();
    if (text.empty()) {
        return;
    }
    utf8_.assign(text);
    current_ = kUtf8;
}

void XString::SetUtf16(std::u16string_view text) {
    Clear();
    if (text.empty()) {
        return;
    }
    utf16_.assign(text);
    current_ = kUtf16;
}

const std::u16string& XString::Wide() const {
    if ((current_ & kUtf16) == 0 && current_ != 0) {
        if ((current_ & kUtf8) != 0) {
            EncodingConvert::Utf8ToUtf16(utf8_, utf16_);
        } else {
            EncodingConvert::AnsiToUtf16(ansi_, utf16_);
        }
        current_ |= kUtf16;
    }
    return utf16_;
}

const std::string& XString::Ansi() const {
    if ((current_ & kAnsi) == 0 && current_ != 0) {
        const bool complete = EncodingConvert::Utf16ToAnsi(Wide(), ansi_);
        representable_ = complete ? Representable::kYes : Representable::kNo;
        current_ |= kAnsi;
    }
    return ansi_;
}

const std::string& XString::Utf8() const {
    if ((current_ & kUtf8) == 0 && current_ != 0) {
        EncodingConvert::Utf16ToUtf8(Wide(), utf8_);
        current_ |= kUtf8;
    }
    return utf8_;
}

const std::u16string& XString::Utf16() const {
    return Wide();
}

std::size_t XString::Length() const {
    return Wide().size();
}

bool XString::IsEmpty() const {
    return current_ == 0;
}

bool XString::IsRepresentableInAnsi() const {
    if (current_ == 0) {
        return true;
    }
    Ansi();
    if (representable_ == Representable::kUnknown) {
        // The ANSI form was the one set; it represents itself.
        representable_ = Representable::kYes;
    }
    return representable_ == Representable::kYes;
}

}  // namespace resmelder
