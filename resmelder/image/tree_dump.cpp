#include "image/tree_dump.h"

#include <algorithm>
#include <cstdio>

namespace resmelder::testpe {
namespace {

std::string Label(const ExeResource& n) {
    return n.IsNamed() ? "\"" + n.Name() + "\"" : std::to_string(n.Id());
}

void Walk(const ExeResource& node, const std::string& path, std::vector<DumpLine>& out) {
    if (!node.IsDirectory()) {
        std::string bytes;
        if (node.IsFileBacked()) {
            bytes = "file:" + node.FileName().Utf8();
        } else {
            // Content as hex: the comparison is byte for byte.
            static const char* hex = "0123456789abcdef";
            for (const std::uint8_t b : node.Data()) {
                bytes.push_back(hex[b >> 4]);
                bytes.push_back(hex[b & 15]);
            }
        }
        out.push_back({path, "leaf size=" + std::to_string(node.Data().size()) +
                                 " cp=" + std::to_string(node.DataEntry().codePage) + " " + bytes});
        return;
    }
    const auto& h = node.Header();
    out.push_back({path, "dir ts=" + std::to_string(h.timeDateStamp) +
                             " ch=" + std::to_string(h.characteristics)});
    std::vector<const ExeResource*> named;
    std::vector<const ExeResource*> numeric;
    for (std::uint32_t i = 0; i < node.NamedChildren().Count(); ++i) {
        named.push_back(node.NamedChildren().Get(i));
    }
    for (std::uint32_t i = 0; i < node.NumericChildren().Count(); ++i) {
        numeric.push_back(node.NumericChildren().Get(i));
    }
    std::stable_sort(named.begin(), named.end(), [](const ExeResource* a, const ExeResource* b) {
        return ResourceNameLess(a->Name16(), b->Name16());
    });
    std::stable_sort(numeric.begin(), numeric.end(),
                     [](const ExeResource* a, const ExeResource* b) { return a->Id() < b->Id(); });
    for (const auto* list : {&named, &numeric}) {
        for (const ExeResource* c : *list) {
            Walk(*c, path + "/" + Label(*c), out);
        }
    }
}

}  // namespace

std::vector<DumpLine> DumpTree(const ExeResource& root) {
    std::vector<DumpLine> out;
    Walk(root, "", out);
    return out;
}

std::string Format(const std::vector<DumpLine>& lines) {
    std::string text;
    for (const auto& l : lines) {
        text += l.path + " " + l.detail.substr(0, 120) + "\n";
    }
    return text;
}

std::string LogText(Logger& log) {
    StringBuffer out;
    log.GetLogText(out);
    return std::string(out.View());
}

}  // namespace resmelder::testpe
