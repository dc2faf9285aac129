#include "image/manifest_level.h"

#include <algorithm>
#include <array>

#include "image/xml_scan.h"

namespace resmelder {
namespace {

constexpr std::string_view kAssemblyNamespace = "urn:schemas-microsoft-com:asm.v1";
// trustInfo and what it holds are read in either namespace; new ones take the newer.
constexpr std::string_view kTrustNamespaceV2 = "urn:schemas-microsoft-com:asm.v2";
constexpr std::string_view kTrustNamespaceV3 = "urn:schemas-microsoft-com:asm.v3";

struct LevelName {
    ExecutionLevel level;
    const char* name;
};
constexpr std::array<LevelName, 3> kLevels = {{
    {ExecutionLevel::kAsInvoker, "asInvoker"},
    {ExecutionLevel::kHighestAvailable, "highestAvailable"},
    {ExecutionLevel::kRequireAdministrator, "requireAdministrator"},
}};

// The chain from trustInfo down to the element that asks.
constexpr std::array<std::string_view, 4> kTrustPath = {
    "trustInfo", "security", "requestedPrivileges", "requestedExecutionLevel"};

struct Splice {
    std::size_t at = 0;
    std::size_t length = 0;
    std::string text;
};

std::string_view AsText(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool InTrustNamespace(const XmlElement& element) {
    return element.namespaceUri == kTrustNamespaceV2 || element.namespaceUri == kTrustNamespaceV3;
}

// The manifest read, with its root checked: an assembly in the assembly namespace.
std::optional<XmlDocument> ScanManifest(std::string_view text, std::string& problem) {
    auto document = ScanXml(text, problem);
    if (document && (document->elements.front().localName != "assembly" ||
                     document->elements.front().namespaceUri != kAssemblyNamespace)) {
        problem = "its root element is not an assembly of " + std::string(kAssemblyNamespace);
        return std::nullopt;
    }
    return document;
}

// The requestedExecutionLevel elements; refused when there is more than one.
std::optional<std::vector<std::size_t>> LevelElements(const XmlDocument& document,
                                                      std::string& problem) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < document.elements.size(); ++i) {
        const XmlElement& element = document.elements[i];
        if (element.localName == kTrustPath.back() && InTrustNamespace(element)) {
            found.push_back(i);
        }
    }
    if (found.size() > 1) {
        problem = "it asks for an execution level more than once";
        return std::nullopt;
    }
    return found;
}

// The first child of `parent` called `localName` in a trust namespace.
std::optional<std::size_t> TrustChild(const XmlDocument& document, std::size_t parent,
                                      std::string_view localName) {
    for (std::size_t i = parent + 1; i < document.elements.size(); ++i) {
        const XmlElement& element = document.elements[i];
        if (element.parent == parent && element.localName == localName &&
            InTrustNamespace(element)) {
            return i;
        }
    }
    return std::nullopt;
}

std::string Attributes(const ExecutionRequest& request) {
    return std::string("level=\"") + ExecutionLevelName(request.level) + "\" uiAccess=\"" +
           (request.uiAccess ? "true" : "false") + "\"";
}

// The elements of the trust path from `from` on, nested, each named with `prefix`.
std::string TrustElements(std::size_t from, std::string_view prefix,
                          const ExecutionRequest& request, const std::string& firstAttributes) {
    const auto qualified = [&](std::string_view local) {
        return prefix.empty() ? std::string(local) : std::string(prefix) + ":" + std::string(local);
    };
    std::string open;
    std::string close;
    for (std::size_t i = from; i + 1 < kTrustPath.size(); ++i) {
        open +=
            "<" + qualified(kTrustPath[i]) + (i == from ? firstAttributes : std::string()) + ">";
        close = "</" + qualified(kTrustPath[i]) + ">" + close;
    }
    return open + "<" + qualified(kTrustPath.back()) + " " + Attributes(request) + "/>" + close;
}

// Puts `content` at the end of `element`'s content (an empty element gets an end tag).
Splice InsertInto(std::string_view text, const XmlElement& element, std::string content) {
    if (element.empty) {
        return {element.startTagEnd, 2, ">" + content + "</" + std::string(element.name) + ">"};
    }
    // On a line of its own when the end tag starts one.
    if (element.endTagStart > 0 && text[element.endTagStart - 1] == '\n') {
        const bool crlf = element.endTagStart > 1 && text[element.endTagStart - 2] == '\r';
        content = "  " + content + (crlf ? "\r\n" : "\n");
    }
    return {element.endTagStart, 0, std::move(content)};
}

// The level element's level and uiAccess replaced, or added after its name.
std::vector<Splice> EditLevelElement(const XmlElement& element, const ExecutionRequest& request) {
    std::vector<Splice> splices;
    std::string added;
    const auto set = [&](std::string_view name, std::string_view value) {
        if (const XmlAttribute* attribute = element.Attribute(name)) {
            splices.push_back({attribute->valueStart, attribute->value.size(), std::string(value)});
        } else {
            added += " " + std::string(name) + "=\"" + std::string(value) + "\"";
        }
    };
    set("level", ExecutionLevelName(request.level));
    set("uiAccess", request.uiAccess ? "true" : "false");
    if (!added.empty()) {
        splices.push_back({element.nameEnd, 0, added});
    }
    return splices;
}

// Where the request goes when no element asks yet: the deepest part of the trust path there
// is, or a new trustInfo at the end of the assembly.
Splice AddLevelElement(std::string_view text, const XmlDocument& document,
                       const ExecutionRequest& request) {
    std::optional<std::size_t> deepest = TrustChild(document, 0, kTrustPath[0]);
    if (!deepest) {
        return InsertInto(
            text, document.elements.front(),
            TrustElements(0, {}, request, " xmlns=\"" + std::string(kTrustNamespaceV3) + "\""));
    }
    std::size_t depth = 1;
    while (depth + 1 < kTrustPath.size()) {
        const auto child = TrustChild(document, *deepest, kTrustPath[depth]);
        if (!child) {
            break;
        }
        deepest = child;
        ++depth;
    }
    const XmlElement& parent = document.elements[*deepest];
    // The parent's own prefix is bound inside it to the namespace it has.
    return InsertInto(text, parent, TrustElements(depth, parent.prefix, request, {}));
}

std::vector<std::uint8_t> Apply(std::string_view text, std::vector<Splice> splices) {
    std::sort(splices.begin(), splices.end(),
              [](const Splice& a, const Splice& b) { return a.at > b.at; });
    std::string edited(text);
    for (const Splice& splice : splices) {
        edited.replace(splice.at, splice.length, splice.text);
    }
    return {edited.begin(), edited.end()};
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

std::optional<ExecutionLevel> ParseExecutionLevel(std::string_view text) {
    for (const LevelName& entry : kLevels) {
        if (text == entry.name) {
            return entry.level;
        }
    }
    return std::nullopt;
}

const char* ExecutionLevelName(ExecutionLevel level) {
    for (const LevelName& entry : kLevels) {
        if (entry.level == level) {
            return entry.name;
        }
    }
    return kLevels.front().name;
}

std::optional<std::vector<std::uint8_t>> SetExecutionLevel(std::span<const std::uint8_t> manifest,
                                                           const ExecutionRequest& request,
                                                           std::string& problem) {
    const std::string_view text = AsText(manifest);
    const auto document = ScanManifest(text, problem);
    const auto levels = document ? LevelElements(*document, problem) : std::nullopt;
    if (!levels) {
        return std::nullopt;
    }
    auto edited = levels->empty()
                      ? Apply(text, {AddLevelElement(text, *document, request)})
                      : Apply(text, EditLevelElement(document->elements[levels->front()], request));
    // The result is read back: a manifest the edit did not leave asking for exactly this
    // is never written.
    const ExecutionLevelRead check = ReadExecutionLevel(edited);
    if (!check.readable || check.request != request) {
        problem = "the edited manifest does not read back as asked (" + check.problem + ")";
        return std::nullopt;
    }
    return edited;
}

ExecutionLevelRead ReadExecutionLevel(std::span<const std::uint8_t> manifest) {
    ExecutionLevelRead read;
    const auto document = ScanManifest(AsText(manifest), read.problem);
    const auto levels = document ? LevelElements(*document, read.problem) : std::nullopt;
    if (!levels) {
        return read;
    }
    if (!levels->empty()) {
        const XmlElement& element = document->elements[levels->front()];
        const XmlAttribute* level = element.Attribute("level");
        const auto parsed = level ? ParseExecutionLevel(level->value) : std::nullopt;
        if (!parsed) {
            read.problem = "its requestedExecutionLevel has no level of the three";
            return read;
        }
        const XmlAttribute* uiAccess = element.Attribute("uiAccess");
        read.request = ExecutionRequest{
            *parsed, uiAccess != nullptr && EqualsIgnoringAsciiCase(uiAccess->value, "true")};
    }
    read.readable = true;
    return read;
}

std::vector<std::uint8_t> MinimalManifest(const ExecutionRequest& request) {
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<assembly xmlns=\"" +
        std::string(kAssemblyNamespace) + "\" manifestVersion=\"1.0\">\r\n" +
        "  <trustInfo xmlns=\"" + std::string(kTrustNamespaceV3) + "\">\r\n" +
        "    <security>\r\n"
        "      <requestedPrivileges>\r\n"
        "        <requestedExecutionLevel " +
        Attributes(request) +
        "/>\r\n"
        "      </requestedPrivileges>\r\n"
        "    </security>\r\n"
        "  </trustInfo>\r\n"
        "</assembly>\r\n";
    return {text.begin(), text.end()};
}

}  // namespace resmelder
