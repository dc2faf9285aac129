#include "support/log.h"

#include <charconv>
#include <string>
#include <string_view>

#include "support/file_sys.h"
#include "support/platform.h"

namespace resmelder {
namespace {

constexpr std::string_view kEol = "\r\n";

void Indent(StringBuffer& out, std::uint32_t depth) {
    for (std::uint32_t i = 0; i < depth; ++i) {
        out.Append("  ");
    }
}

void RenderText(const LogEntry2& e, std::uint32_t depth, StringBuffer& out) {
    switch (e.Kind()) {
        case LogEntry2::kContext:
            if (e.Tag().Length() != 0) {
                Indent(out, depth);
                out.Append(e.Tag().View());
                out.Append(":");
                out.Append(kEol);
            }
            for (std::uint32_t i = 0; i < e.Children().Count(); ++i) {
                RenderText(*e.Children().Get(i), depth + 1, out);
            }
            break;
        case LogEntry2::kTagged:
            Indent(out, depth);
            out.Append(e.Tag().View());
            out.Append(": ");
            out.Append(e.Text().View());
            out.Append(kEol);
            break;
        default:
            Indent(out, depth);
            out.Append(e.Text().View());
            out.Append(kEol);
            break;
    }
}

// CDATA when the text holds characters markup would misread, unless it already carries its
// own CDATA section.
void AppendXmlValue(std::string_view v, StringBuffer& out) {
    const bool special = v.find_first_of("\n\t&<>") != std::string_view::npos;
    const bool ownCdata =
        v.find("<![CDATA[") != std::string_view::npos && v.find("]]>") != std::string_view::npos;
    if (!special || ownCdata) {
        out.Append(v);
        return;
    }
    // A "]]>" inside would end the section early: split it across two sections.
    StringBuffer body(v);
    body.Replace("]]>", "]]]]><![CDATA[>");
    out.Append("<![CDATA[");
    out.Append(body.View());
    out.Append("]]>");
}

void RenderXml(const LogEntry2& e, StringBuffer& out) {
    switch (e.Kind()) {
        case LogEntry2::kContext:
            out.Append("<");
            out.Append(e.Tag().View());
            out.Append(">");
            out.Append(kEol);
            for (std::uint32_t i = 0; i < e.Children().Count(); ++i) {
                RenderXml(*e.Children().Get(i), out);
            }
            out.Append("</");
            out.Append(e.Tag().View());
            out.Append(">");
            out.Append(kEol);
            break;
        case LogEntry2::kTagged:
            out.Append("<");
            out.Append(e.Tag().View());
            out.Append(">");
            AppendXmlValue(e.Text().View(), out);
            out.Append("</");
            out.Append(e.Tag().View());
            out.Append(">");
            out.Append(kEol);
            break;
        case LogEntry2::kError:
            out.Append("<error>");
            AppendXmlValue(e.Text().View(), out);
            out.Append("</error>");
            out.Append(kEol);
            break;
        case LogEntry2::kInfo:
            out.Append("<info>");
            AppendXmlValue(e.Text().View(), out);
            out.Append("</info>");
            out.Append(kEol);
            break;
        default:
            AppendXmlValue(e.Text().View(), out);
            out.Append(kEol);
            break;
    }
}

void AppendEscaped(std::string_view v, StringBuffer& out) {
    StringBuffer escaped(v);
    escaped.EscapeMarkup();
    out.Append(escaped.View());
}

void RenderHtml(const LogEntry2& e, StringBuffer& out) {
    switch (e.Kind()) {
        case LogEntry2::kContext:
            out.Append(e.Tag().View());
            out.Append(":<blockquote>");
            out.Append(kEol);
            for (std::uint32_t i = 0; i < e.Children().Count(); ++i) {
                RenderHtml(*e.Children().Get(i), out);
            }
            out.Append("</blockquote>");
            out.Append(kEol);
            break;
        case LogEntry2::kTagged:
            out.Append(e.Tag().View());
            out.Append(": ");
            AppendEscaped(e.Text().View(), out);
            out.Append("<br>");
            out.Append(kEol);
            break;
        default:
            AppendEscaped(e.Text().View(), out);
            out.Append("<br>");
            out.Append(kEol);
            break;
    }
}

}  // namespace

ErrorLog::ErrorLog() {
    Reset();
}

void ErrorLog::Reset() {
    root_ = std::make_unique<LogEntry2>(LogEntry2::kContext);
    root_->Tag().Set(kRootName);
    contexts_.assign(1, root_.get());
}

void ErrorLog::Add(std::unique_ptr<LogEntry2> entry) {
    Current().Children().Append(std::move(entry));
}

void ErrorLog::Push(std::unique_ptr<LogEntry2> context) {
    LogEntry2* raw = context.get();
    Add(std::move(context));
    contexts_.push_back(raw);
}

void ErrorLog::Pop() {
    if (contexts_.size() > 1) {
        contexts_.pop_back();
    }
}

bool Logger::GetLogXml(StringBuffer& out) {
    out.Clear();
    RenderXml(log_.Root(), out);
    return true;
}

bool Logger::GetLogHtml(StringBuffer& out) {
    out.Clear();
    RenderHtml(log_.Root(), out);
    return true;
}

bool Logger::GetLogText(StringBuffer& out) {
    out.Clear();
    RenderText(log_.Root(), 0, out);
    return true;
}

bool Logger::AddText(char kind, const char* text) {
    if (text != nullptr) {
        auto entry = std::make_unique<LogEntry2>(kind);
        entry->Text().Set(text);
        log_.Add(std::move(entry));
    }
    return true;
}

bool Logger::LogError(const char* text) {
    return AddText(LogEntry2::kError, text);
}
bool Logger::LogInfo(const char* text) {
    return AddText(LogEntry2::kInfo, text);
}
bool Logger::LogLine(const char* text) {
    return AddText(LogEntry2::kLine, text);
}

bool Logger::ClearLog() {
    log_.Reset();
    return true;
}

bool Logger::EnterContext(const char* name, bool /*flag*/) {
    auto entry = std::make_unique<LogEntry2>(LogEntry2::kContext);
    if (name != nullptr) {
        entry->Tag().Set(name);
    }
    log_.Push(std::move(entry));
    return true;
}

bool Logger::LeaveContext() {
    log_.Pop();
    return true;
}

bool Logger::LogData(const char* tag, const char* value) {
    if (tag == nullptr || value == nullptr) {
        return false;
    }
    auto entry = std::make_unique<LogEntry2>(LogEntry2::kTagged);
    entry->Tag().Set(tag);
    entry->Tag().Trim();
    entry->Tag().Replace(" ", "_");
    if (entry->Tag().Length() == 0) {
        return false;
    }
    entry->Text().Set(value);
    log_.Add(std::move(entry));
    return true;
}

bool Logger::LogDataLong(const char* tag, std::int32_t value) {
    StringBuffer text;
    text.AppendInt(value);
    return LogData(tag, text.CStr());
}

bool Logger::LogTickCount(const char* tag) {
    char digits[16] = {};
    std::to_chars(digits, digits + sizeof digits - 1, platform::TickCount(), 16);
    return LogData(tag, digits);
}

bool Logger::SaveLogXml(const XString& fileName) {
    StringBuffer xml;
    GetLogXml(xml);
    return FileSys::WriteWholeFile(
        fileName, {reinterpret_cast<const std::uint8_t*>(xml.CStr()), xml.Length()}, nullptr);
}

}  // namespace resmelder
