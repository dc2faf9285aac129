// list --json and get-version: what an executable holds, for people and for scripts.

#include <array>
#include <cstdio>

#include "image/pe_format.h"
#include "image/version_block.h"
#include "support/encoding.h"
#include "tool/json_writer.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {

namespace help {
const CommandHelp kGetVersion = {
    "resmelder get-version FILE [--lang L] [--json]",
    "Prints the version resource (VERSION #1; without --lang its lowest language): the file\n"
    "and product versions, the flags, operating system and file type, then every string of\n"
    "every language, one a line as LANGUAGE+CODEPAGE (hexadecimal), key and value, separated\n"
    "by tabs. With --json, prints the same as one JSON document.",
    "resmelder get-version app.exe --json"};
}  // namespace help

namespace {

struct MachineName {
    std::uint16_t id;
    const char* name;
};
constexpr std::array<MachineName, 6> kMachines = {{{0x14C, "I386"},
                                                   {0x8664, "AMD64"},
                                                   {0x1C0, "ARM"},
                                                   {0x1C4, "ARMNT"},
                                                   {0xAA64, "ARM64"},
                                                   {0x200, "IA64"}}};
constexpr std::array<std::string_view, 1> kVersionOptions = {"--lang"};
constexpr std::uint16_t kVersionName = 1;

// A known number's name, or null.
void WriteNameOrNull(JsonWriter& json, const char* name) {
    if (name != nullptr) {
        json.StringUtf8(name);
    } else {
        json.Null();
    }
}

void WriteMachine(JsonWriter& json, const ExeImage& image) {
    const std::uint16_t machine = image.NtHeaders().U16(pe::kFileHeaderOffset).value_or(0);
    json.BeginObject(JsonWriter::Layout::kInline);
    json.Key("id");
    json.Number(machine);
    json.Key("name");
    const char* name = nullptr;
    for (const MachineName& known : kMachines) {
        name = known.id == machine ? known.name : name;
    }
    WriteNameOrNull(json, name);
    json.EndObject();
}

void WriteSections(JsonWriter& json, const ExeImage& image) {
    json.BeginArray();
    for (std::uint32_t i = 0; i < image.Sections().Count(); ++i) {
        const ExeSection& section = *image.Sections().Get(i);
        json.BeginObject(JsonWriter::Layout::kInline);
        json.Key("name");
        json.StringUtf8(section.Name());
        json.Key("virtualAddress");
        json.Number(section.VirtualAddress());
        json.Key("virtualSize");
        json.Number(section.VirtualSize());
        json.Key("rawOffset");
        json.Number(section.PointerToRawData());
        json.Key("rawSize");
        json.Number(section.SizeOfRawData());
        json.EndObject();
    }
    json.EndArray();
}

// A type: {"id": 3, "name": "ICON"} when numbered, its text when named.
void WriteType(JsonWriter& json, const ExeResource& type) {
    if (type.IsNamed()) {
        json.String(type.Name16());
        return;
    }
    json.BeginObject(JsonWriter::Layout::kInline);
    json.Key("id");
    json.Number(type.Id());
    json.Key("name");
    WriteNameOrNull(json, UsualResourceTypeName(type.Id()));
    json.EndObject();
}

// A name or language level: its text, its number, or null when the leaf sits above it.
void WriteLevel(JsonWriter& json, const ExeResource* node) {
    if (node == nullptr) {
        json.Null();
    } else if (node->IsNamed()) {
        json.String(node->Name16());
    } else {
        json.Number(node->Id());
    }
}

void WriteLeaf(JsonWriter& json, const std::vector<const ExeResource*>& path,
               const ExeResource& leaf) {
    json.BeginObject(JsonWriter::Layout::kInline);
    json.Key("type");
    WriteType(json, *path[0]);
    json.Key("name");
    WriteLevel(json, path.size() > 1 ? path[1] : nullptr);
    json.Key("language");
    WriteLevel(json, path.size() > 2 ? path[2] : nullptr);
    json.Key("size");
    json.Number(leaf.Size());
    json.Key("codePage");
    json.Number(leaf.DataEntry().codePage);
    json.EndObject();
}

// Every leaf, at any depth: one that sits above the language level has null there, and one
// below it is listed by its first three levels.
void WriteLeaves(JsonWriter& json, const ExeResource& node, std::vector<const ExeResource*>& path) {
    for (const auto* list : {&node.NamedChildren(), &node.NumericChildren()}) {
        for (std::uint32_t i = 0; i < list->Count(); ++i) {
            const ExeResource& child = *list->Get(i);
            path.push_back(&child);
            if (child.IsDirectory()) {
                WriteLeaves(json, child, path);
            } else {
                WriteLeaf(json, path, child);
            }
            path.pop_back();
        }
    }
}

std::string Hex8(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string Utf8(std::u16string_view text) {
    std::string utf8;
    EncodingConvert::Utf16ToUtf8(text, utf8);
    return utf8;
}

void PrintVersionText(const VersionBlock& block, std::ostream& out) {
    const FixedFileInfo& fixed = block.Fixed();
    out << "FileVersion\t" << fixed.FileVersion().ToString() << "\nProductVersion\t"
        << fixed.ProductVersion().ToString() << "\nFileFlags\t" << Hex8(fixed.fileFlags)
        << "\nFileOS\t" << Hex8(fixed.fileOs) << "\nFileType\t" << Hex8(fixed.fileType) << '\n';
    for (const VersionStringTable& table : block.StringTables()) {
        char key[16];
        std::snprintf(key, sizeof key, "%04x%04x", table.language, table.codePage);
        for (const auto& [name, value] : table.strings) {
            out << key << '\t' << Utf8(name) << '\t' << Utf8(value) << '\n';
        }
    }
}

void PrintVersionJson(const VersionBlock& block, std::ostream& out) {
    const FixedFileInfo& fixed = block.Fixed();
    JsonWriter json(out);
    json.BeginObject();
    json.Key("fileVersion");
    json.StringUtf8(fixed.FileVersion().ToString());
    json.Key("productVersion");
    json.StringUtf8(fixed.ProductVersion().ToString());
    const std::pair<const char*, std::uint32_t> numbers[] = {{"fileFlagsMask", fixed.fileFlagsMask},
                                                             {"fileFlags", fixed.fileFlags},
                                                             {"fileOS", fixed.fileOs},
                                                             {"fileType", fixed.fileType},
                                                             {"fileSubtype", fixed.fileSubtype}};
    for (const auto& [key, value] : numbers) {
        json.Key(key);
        json.Number(value);
    }
    json.Key("stringTables");
    json.BeginArray();
    for (const VersionStringTable& table : block.StringTables()) {
        json.BeginObject();
        json.Key("language");
        json.Number(table.language);
        json.Key("codePage");
        json.Number(table.codePage);
        json.Key("strings");
        json.BeginObject();
        for (const auto& [name, value] : table.strings) {
            json.Key(name);
            json.String(value);
        }
        json.EndObject();
        json.EndObject();
    }
    json.EndArray();
    json.EndObject();
    json.Finish();
}

}  // namespace

int ListJson(const std::string& file, ToolSession& session) {
    auto image = session.Open(file);
    if (!image) {
        return session.Fail("cannot load " + file, file);
    }
    JsonWriter json(session.Out());
    json.BeginObject();
    json.Key("file");
    json.StringUtf8(file);
    json.Key("format");
    json.StringUtf8(image->IsPe32Plus() ? "PE32+" : "PE32");
    json.Key("machine");
    WriteMachine(json, *image);
    json.Key("sections");
    WriteSections(json, *image);
    json.Key("resources");
    json.BeginArray();
    if (image->Resources() != nullptr) {
        std::vector<const ExeResource*> path;
        WriteLeaves(json, *image->Resources(), path);
    }
    json.EndArray();
    json.EndObject();
    json.Finish();
    return session.Succeed();
}

int RunGetVersion(CommandArguments given, ToolSession& session) {
    std::vector<std::string> flagged(given.begin(), given.end());
    const bool json = TakeFlag(flagged, "--json");
    CommandArgs args;
    std::string problem;
    if (!SplitArgs(flagged, kVersionOptions, args, problem)) {
        return session.Usage(problem, help::kGetVersion);
    }
    std::optional<std::uint16_t> language;
    if (!ReadLanguageOption(args, language, problem)) {
        return session.Usage(problem, help::kGetVersion);
    }
    if (args.operands.size() != 1) {
        return session.Usage(args.operands.empty() ? "missing FILE" : "too many arguments",
                             help::kGetVersion);
    }
    const std::string& file = args.operands[0];
    auto image = session.Open(file);
    if (!image) {
        return session.Fail("cannot load " + file, file);
    }
    const ExeResource* leaf = image->Resources() ? image->Resources()->FindLeaf(
                                                       ResourceId::Number(resource_type::kVersion),
                                                       ResourceId::Number(kVersionName), language)
                                                 : nullptr;
    if (leaf == nullptr) {
        session.Log().LogError(tool_texts::kNoVersion);
        return session.Fail("cannot get the version of " + file, file);
    }
    const auto block = VersionBlock::Parse(leaf->Data(), &problem);
    if (!block) {
        session.Log().LogError(tool_texts::kVersionUnreadable);
        session.Log().LogData("reason", problem.c_str());
        return session.Fail("cannot get the version of " + file, file);
    }
    if (json) {
        PrintVersionJson(*block, session.Out());
    } else {
        PrintVersionText(*block, session.Out());
    }
    return session.Succeed();
}

}  // namespace resmelder
