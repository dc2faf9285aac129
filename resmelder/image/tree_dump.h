#pragma once
// Test helpers: the whole resource tree as comparable text, children in the order the writer
// puts them (named entries first, by folded name; then numeric ids ascending), and a log's text.

#include <string>
#include <vector>

#include "image/exe_resource.h"
#include "support/log.h"

namespace resmelder::testpe {

struct DumpLine {
    std::string path;  // e.g. "10/HELLO/1033"
    std::string detail;
    bool operator==(const DumpLine&) const = default;
};

std::vector<DumpLine> DumpTree(const ExeResource& root);
std::string Format(const std::vector<DumpLine>& lines);

// The log rendered as text, for comparing with the expected lines.
std::string LogText(Logger& log);

}  // namespace resmelder::testpe
