#pragma once
// Test helper: the whole resource tree as comparable text, children in the order the writer
// puts them (named entries first, by folded name; then numeric ids ascending).

#include <string>
#include <vector>

#include "image/exe_resource.h"

namespace resmelder::testpe {

struct DumpLine {
    std::string path;  // e.g. "10/HELLO/1033"
    std::string detail;
    bool operator==(const DumpLine&) const = default;
};

std::vector<DumpLine> DumpTree(const ExeResource& root);
std::string Format(const std::vector<DumpLine>& lines);

}  // namespace resmelder::testpe
