#pragma once
// A small XML reader for editing manifests in place: it finds every element with its
// namespace and the offsets of its tags and attribute values, and refuses a document that is
// not well-formed enough to edit safely (unbalanced or unterminated markup, an undeclared
// prefix, a repeated attribute, a document type, text that is not UTF-8). It builds no tree
// of text and never changes a byte; the editor splices at the offsets it reports.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace resmelder {

struct XmlAttribute {
    std::string_view name;   // as written, with its prefix
    std::string_view value;  // between the quotes, as written
    std::size_t valueStart = 0;
};

struct XmlElement {
    std::string_view name;  // as written, with its prefix
    std::string_view prefix;
    std::string_view localName;
    std::string namespaceUri;
    std::vector<XmlAttribute> attributes;
    std::size_t start = 0;              // the "<" of its start tag
    std::size_t nameEnd = 0;            // just after its name in the start tag
    std::size_t startTagEnd = 0;        // the "/>" of an empty element, else the ">"
    std::size_t endTagStart = 0;        // the "</" of its end tag (empty elements: startTagEnd)
    bool empty = false;                 // written as <name/>
    std::optional<std::size_t> parent;  // index in XmlDocument::elements

    const XmlAttribute* Attribute(std::string_view attributeName) const;
};

struct XmlDocument {
    /// Every element in document order; the first is the root.
    std::vector<XmlElement> elements;
};

/// Reads `text` (UTF-8, a byte-order mark allowed). Nothing, with `problem`, when it cannot be
/// edited safely.
std::optional<XmlDocument> ScanXml(std::string_view text, std::string& problem);

}  // namespace resmelder
