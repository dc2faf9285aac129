#include "image/xml_scan.h"

#include <map>
#include <set>

#include "support/encoding.h"

namespace resmelder {
namespace {

// Far deeper than any manifest; bounds the stack of open elements.
constexpr std::size_t kMaxDepth = 256;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNameChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') || c == '_' || c == ':' || c == '.' || c == '-';
}

bool IsNameStart(char c) {
    return IsNameChar(c) && !(c >= '0' && c <= '9') && c != '.' && c != '-' && c != ':';
}

class XmlScanner {
  public:
    explicit XmlScanner(std::string_view text) : text_(text) {}

    std::optional<XmlDocument> Run(std::string& problem) {
        std::u16string ignored;
        if (!EncodingConvert::Utf8ToUtf16(text_, ignored)) {
            problem = "it is not UTF-8 text";
            return std::nullopt;
        }
        pos_ = text_.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
        if (!ReadDocument()) {
            problem = problem_;
            return std::nullopt;
        }
        return std::move(document_);
    }

  private:
    bool Fail(const std::string& why) {
        problem_ = why + " at byte " + std::to_string(pos_);
        return false;
    }

    bool ReadDocument() {
        while (pos_ < text_.size()) {
            const std::size_t open = text_.find('<', pos_);
            const std::string_view between =
                text_.substr(pos_, std::min(open, text_.size()) - pos_);
            if (open_.empty() && between.find_first_not_of(" \t\r\n") != std::string_view::npos) {
                return Fail("text outside the root element");
            }
            if (open == std::string_view::npos) {
                pos_ = text_.size();
                break;
            }
            pos_ = open;
            if (!ReadMarkup()) {
                return false;
            }
        }
        if (!open_.empty()) {
            return Fail("element <" + std::string(document_.elements[open_.back()].name) +
                        "> is not closed");
        }
        if (document_.elements.empty()) {
            return Fail("no root element");
        }
        return true;
    }

    bool ReadMarkup() {
        const std::string_view rest = text_.substr(pos_);
        if (rest.starts_with("<?")) {
            return SkipPast("?>", "processing instruction");
        }
        if (rest.starts_with("<!--")) {
            return SkipPast("-->", "comment");
        }
        if (rest.starts_with("<![CDATA[")) {
            return !open_.empty() ? SkipPast("]]>", "CDATA section")
                                  : Fail("a CDATA section outside the root element");
        }
        if (rest.starts_with("<!")) {
            // A document type can define entities that change what the text means.
            return Fail("a document type declaration");
        }
        if (rest.starts_with("</")) {
            return ReadEndTag();
        }
        if (rootClosed_) {
            return Fail("a second root element");
        }
        return ReadStartTag();
    }

    bool SkipPast(std::string_view terminator, const char* what) {
        const std::size_t end = text_.find(terminator, pos_ + 2);
        if (end == std::string_view::npos) {
            return Fail(std::string("an unterminated ") + what);
        }
        pos_ = end + terminator.size();
        return true;
    }

    void SkipSpace() {
        while (pos_ < text_.size() && IsSpace(text_[pos_])) {
            ++pos_;
        }
    }

    // A name (with at most one colon, not at either end) at pos_.
    bool ReadName(std::string_view& name) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) {
            ++pos_;
        }
        name = text_.substr(start, pos_ - start);
        const std::size_t colon = name.find(':');
        if (name.empty() || !IsNameStart(name.front()) || name.back() == ':' ||
            (colon != std::string_view::npos &&
             name.find(':', colon + 1) != std::string_view::npos)) {
            pos_ = start;
            return Fail("a malformed name");
        }
        return true;
    }

    bool ReadAttribute(XmlElement& element, std::set<std::string_view>& seen) {
        XmlAttribute attribute;
        if (!ReadName(attribute.name)) {
            return false;
        }
        if (!seen.insert(attribute.name).second) {
            return Fail("attribute " + std::string(attribute.name) + " given twice");
        }
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_] != '=') {
            return Fail("attribute " + std::string(attribute.name) + " without a value");
        }
        ++pos_;
        SkipSpace();
        if (pos_ >= text_.size() || (text_[pos_] != '"' && text_[pos_] != '\'')) {
            return Fail("attribute " + std::string(attribute.name) + " without quotes");
        }
        const char quote = text_[pos_++];
        const std::size_t close = text_.find(quote, pos_);
        if (close == std::string_view::npos) {
            return Fail("an unterminated attribute value");
        }
        attribute.valueStart = pos_;
        attribute.value = text_.substr(pos_, close - pos_);
        if (attribute.value.find('<') != std::string_view::npos) {
            return Fail("a \"<\" in an attribute value");
        }
        pos_ = close + 1;
        element.attributes.push_back(attribute);
        return true;
    }

    bool ReadStartTag() {
        if (open_.size() >= kMaxDepth) {
            return Fail("elements nested too deeply");
        }
        XmlElement element;
        element.start = pos_++;
        if (!ReadName(element.name)) {
            return false;
        }
        element.nameEnd = pos_;
        std::set<std::string_view> seen;
        while (true) {
            const std::size_t before = pos_;
            SkipSpace();
            if (pos_ >= text_.size()) {
                return Fail("an unterminated start tag");
            }
            if (text_[pos_] == '>' || text_.substr(pos_).starts_with("/>")) {
                element.empty = text_[pos_] == '/';
                element.startTagEnd = pos_;
                pos_ += element.empty ? 2 : 1;
                break;
            }
            if (pos_ == before) {
                return Fail("attributes not separated by white space");
            }
            if (!ReadAttribute(element, seen)) {
                return false;
            }
        }
        return OpenElement(std::move(element));
    }

    bool OpenElement(XmlElement element) {
        std::vector<std::string_view> declared;
        for (const XmlAttribute& attribute : element.attributes) {
            if (attribute.name == "xmlns" || attribute.name.starts_with("xmlns:")) {
                const std::string_view prefix =
                    attribute.name == "xmlns" ? std::string_view() : attribute.name.substr(6);
                bindings_[prefix].emplace_back(attribute.value);
                declared.push_back(prefix);
            }
        }
        const std::size_t colon = element.name.find(':');
        element.prefix =
            colon == std::string_view::npos ? std::string_view() : element.name.substr(0, colon);
        element.localName = element.name.substr(colon == std::string_view::npos ? 0 : colon + 1);
        const auto uri = Lookup(element.prefix);
        if (!uri) {
            return Fail("prefix " + std::string(element.prefix) + " is not declared");
        }
        element.namespaceUri = *uri;
        for (const XmlAttribute& attribute : element.attributes) {
            const std::size_t at = attribute.name.find(':');
            const std::string_view prefix = attribute.name.substr(0, at);
            if (at != std::string_view::npos && prefix != "xmlns" && !Lookup(prefix)) {
                return Fail("prefix " + std::string(prefix) + " is not declared");
            }
        }
        if (!open_.empty()) {
            element.parent = open_.back();
        }
        const bool empty = element.empty;
        if (empty) {
            element.endTagStart = element.startTagEnd;
        }
        document_.elements.push_back(std::move(element));
        declared_.push_back(std::move(declared));
        open_.push_back(document_.elements.size() - 1);
        return empty ? CloseElement() : true;
    }

    bool ReadEndTag() {
        const std::size_t start = pos_;
        pos_ += 2;
        std::string_view name;
        if (!ReadName(name)) {
            return false;
        }
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_] != '>') {
            return Fail("an unterminated end tag");
        }
        ++pos_;
        if (open_.empty() || document_.elements[open_.back()].name != name) {
            return Fail("end tag </" + std::string(name) + "> does not match its start tag");
        }
        document_.elements[open_.back()].endTagStart = start;
        return CloseElement();
    }

    bool CloseElement() {
        for (const std::string_view prefix : declared_.back()) {
            auto found = bindings_.find(prefix);
            found->second.pop_back();
            if (found->second.empty()) {
                bindings_.erase(found);
            }
        }
        declared_.pop_back();
        open_.pop_back();
        rootClosed_ = open_.empty();
        return true;
    }

    std::optional<std::string> Lookup(std::string_view prefix) const {
        if (prefix == "xml") {
            return std::string(kXmlNamespace);
        }
        const auto found = bindings_.find(prefix);
        if (found == bindings_.end() || found->second.empty()) {
            // An element without a prefix and without a default namespace has none.
            return prefix.empty() ? std::optional<std::string>(std::string()) : std::nullopt;
        }
        return std::string(found->second.back());
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    XmlDocument document_;
    std::vector<std::size_t> open_;
    std::vector<std::vector<std::string_view>> declared_;  // prefixes each open element declared
    std::map<std::string_view, std::vector<std::string_view>> bindings_;
    bool rootClosed_ = false;
    std::string problem_;
};

}  // namespace

const XmlAttribute* XmlElement::Attribute(std::string_view attributeName) const {
    for (const XmlAttribute& attribute : attributes) {
        if (attribute.name == attributeName) {
            return &attribute;
        }
    }
    return nullptr;
}

std::optional<XmlDocument> ScanXml(std::string_view text, std::string& problem) {
    return XmlScanner(text).Run(problem);
}

}  // namespace resmelder
