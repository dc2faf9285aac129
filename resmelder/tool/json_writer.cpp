#include "tool/json_writer.h"

#include <cstdio>

#include "portable/utf8.h"
#include "support/encoding.h"

namespace resmelder {
namespace {

void AppendEscape(std::string& out, std::uint32_t unit) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04X", static_cast<unsigned>(unit));
    out += text;
}

// One ASCII character: the escapes JSON requires, the rest as it is.
void AppendAscii(std::string& out, char cp) {
    switch (cp) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
    }
    if (static_cast<unsigned char>(cp) < 0x20) {
        AppendEscape(out, static_cast<unsigned char>(cp));
    } else {
        out.push_back(cp);
    }
}

bool IsHighSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char32_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::string JsonQuote(std::u16string_view text) {
    std::string out = "\"";
    std::string piece;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        const bool pair =
            IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
        if (unit < 0x80) {
            AppendAscii(out, static_cast<char>(unit));
        } else if (!pair && (IsHighSurrogate(unit) || IsLowSurrogate(unit))) {
            AppendEscape(out, unit);
        } else {
            EncodingConvert::Utf16ToUtf8(text.substr(i, pair ? 2 : 1), piece);
            out += piece;
            i += pair ? 1 : 0;
        }
    }
    return out + "\"";
}

std::string JsonQuoteUtf8(std::string_view text) {
    std::string out = "\"";
    std::size_t at = 0;
    while (at < text.size()) {
        char32_t cp = 0;
        const std::size_t length = common::DecodeUtf8(text, at, cp);
        if (length == 0) {
            AppendEscape(out, static_cast<unsigned char>(text[at]));
            ++at;
            continue;
        }
        if (cp < 0x80) {
            AppendAscii(out, static_cast<char>(cp));
        } else {
            out += text.substr(at, length);
        }
        at += length;
    }
    return out + "\"";
}

void JsonWriter::NewLine() {
    out_ << '\n' << std::string(2 * open_.size(), ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (open_.empty()) {
        return;
    }
    Open& container = open_.back();
    if (container.members++ > 0) {
        out_ << ',';
        if (container.layout == Layout::kInline) {
            out_ << ' ';
        }
    }
    if (container.layout == Layout::kLines) {
        NewLine();
    }
}

void JsonWriter::Begin(char bracket, Layout layout) {
    BeforeValue();
    // Inside a one-line container everything stays on that line.
    if (!open_.empty() && open_.back().layout == Layout::kInline) {
        layout = Layout::kInline;
    }
    out_ << bracket;
    open_.push_back({layout});
}

void JsonWriter::End(char bracket) {
    const Open closed = open_.back();
    open_.pop_back();
    if (closed.layout == Layout::kLines && closed.members > 0) {
        NewLine();
    }
    out_ << bracket;
}

void JsonWriter::BeginObject(Layout layout) {
    Begin('{', layout);
}

void JsonWriter::EndObject() {
    End('}');
}

void JsonWriter::BeginArray(Layout layout) {
    Begin('[', layout);
}

void JsonWriter::EndArray() {
    End(']');
}

void JsonWriter::Key(std::string_view name) {
    BeforeValue();
    out_ << JsonQuoteUtf8(name) << ": ";
    afterKey_ = true;
}

void JsonWriter::Key(std::u16string_view name) {
    BeforeValue();
    out_ << JsonQuote(name) << ": ";
    afterKey_ = true;
}

void JsonWriter::String(std::u16string_view text) {
    BeforeValue();
    out_ << JsonQuote(text);
}

void JsonWriter::StringUtf8(std::string_view text) {
    BeforeValue();
    out_ << JsonQuoteUtf8(text);
}

void JsonWriter::Number(std::uint64_t number) {
    BeforeValue();
    out_ << number;
}

void JsonWriter::Null() {
    BeforeValue();
    out_ << "null";
}

void JsonWriter::Finish() {
    out_ << '\n';
}

}  // namespace resmelder
