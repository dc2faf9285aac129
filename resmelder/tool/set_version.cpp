// set-version: the version resource's numbers and strings, or a new version resource.

#include <array>
#include <string_view>

#include "image/image_texts.h"
#include "image/resource_key.h"
#include "image/version_block.h"
#include "support/encoding.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {

namespace help {
const CommandHelp kSetVersion = {
    "resmelder set-version IN [--file-version A.B.C.D] [--product-version A.B.C.D]\n"
    "                         [--string KEY=VALUE]... -o OUT",
    "Edits the version resource: the file and product version numbers, and strings such as\n"
    "CompanyName, FileDescription, ProductName or LegalCopyright in the string table of every\n"
    "language present (keys match in any case; a key already there keeps its spelling). A\n"
    "version number also becomes the FileVersion or ProductVersion string unless --string sets\n"
    "it. Without a version resource, makes one (VERSION #1, language 0) with a table for\n"
    "English (United States), Unicode, and its translation.",
    "resmelder set-version app.exe --file-version 2.1.0.7 --string \"CompanyName=Acme Tools\" "
    "-o app.exe"};
}  // namespace help

namespace {

constexpr std::array<std::string_view, 4> kOptions = {"--file-version", "--product-version",
                                                      "--string", "-o"};
// The name the platform's version functions look up.
constexpr std::uint16_t kVersionName = 1;
// LANG_NEUTRAL: every lookup takes it first.
constexpr std::uint16_t kNeutralLanguage = 0;

// Reads the edits from the options; false, with the problem a person reads, when one is
// not usable.
bool ReadEdits(const CommandArgs& args, VersionEdits& edits, std::string& problem) {
    const auto readNumber = [&](std::string_view option, std::optional<VersionNumber>& number) {
        const std::string* text = args.Option(option);
        if (text == nullptr) {
            return true;
        }
        number = VersionNumber::Parse(*text);
        if (!number) {
            problem = std::string(option) + " wants four numbers A.B.C.D, each 0 to 65535, not \"" +
                      *text + "\"";
            return false;
        }
        return true;
    };
    if (!readNumber("--file-version", edits.fileVersion) ||
        !readNumber("--product-version", edits.productVersion)) {
        return false;
    }
    for (const std::string& pair : args.Options("--string")) {
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos || equals == 0) {
            problem = "--string wants KEY=VALUE, not \"" + pair + "\"";
            return false;
        }
        std::u16string key;
        std::u16string value;
        if (!EncodingConvert::Utf8ToUtf16(std::string_view(pair).substr(0, equals), key) ||
            !EncodingConvert::Utf8ToUtf16(std::string_view(pair).substr(equals + 1), value)) {
            problem = "--string \"" + pair + "\" is not UTF-8 text";
            return false;
        }
        edits.strings.emplace_back(std::move(key), std::move(value));
    }
    if (!edits.fileVersion && !edits.productVersion && edits.strings.empty()) {
        problem = "nothing to set: give --file-version, --product-version or --string";
        return false;
    }
    return true;
}

// Edits one version resource's bytes; false, logged, when they cannot be read or the edited
// block cannot be written.
bool EditBlock(std::span<const std::uint8_t> bytes, const VersionEdits& edits,
               std::vector<std::uint8_t>& written, LogBase& log) {
    std::string reason;
    auto block = VersionBlock::Parse(bytes, &reason);
    if (!block) {
        log.LogError(tool_texts::kVersionUnreadable);
        log.LogData("reason", reason.c_str());
        return false;
    }
    ApplyVersionEdits(*block, edits);
    auto serialized = block->Serialize(&reason);
    if (!serialized) {
        log.LogError(tool_texts::kVersionTooLong);
        log.LogData("reason", reason.c_str());
        return false;
    }
    written = std::move(*serialized);
    return true;
}

}  // namespace

int RunSetVersion(CommandArguments given, ToolSession& session) {
    CommandArgs args;
    std::string problem;
    if (!SplitArgs(given, kOptions, args, problem) || !CountOperands(args, 1, 1, problem)) {
        return session.Usage(problem, help::kSetVersion);
    }
    const std::string* out = args.Option("-o");
    if (out == nullptr) {
        return session.Usage(kMissingOutput, help::kSetVersion);
    }
    VersionEdits edits;
    if (!ReadEdits(args, edits, problem)) {
        return session.Usage(problem, help::kSetVersion);
    }
    const std::string& in = args.operands[0];
    return session.EditAndWrite(in, *out, [&](ExeImage& image, std::string& doing) {
        doing = "cannot set the version of " + in;
        ExeResource* tree = image.Resources();
        if (tree == nullptr) {
            session.Log().LogError(image_texts::kNoTreeForBytes);
            return false;
        }
        const ResourceId versionType = ResourceId::Number(resource_type::kVersion);
        // Every version resource (each language may have its own) gets the same edits, so
        // the platform reports them whichever one it picks.
        std::vector<std::pair<ResourceKey, std::vector<std::uint8_t>>> edited;
        for (const ResourceLeaf& leaf : tree->Leaves()) {
            if (!leaf.key.type.IsNumber() || leaf.key.type.Number() != resource_type::kVersion) {
                continue;
            }
            doing = "cannot set the version of " + in + " in " + Describe(leaf.key);
            std::vector<std::uint8_t> written;
            if (leaf.leaf->IsFileBacked() ||
                !EditBlock(leaf.leaf->Data(), edits, written, session.Log())) {
                return false;
            }
            edited.emplace_back(leaf.key, std::move(written));
        }
        if (edited.empty()) {
            const bool dll = IsDll(image);
            VersionBlock block = VersionBlock::CreateDefault(dll ? FixedFileInfo::kFileTypeDll
                                                                 : FixedFileInfo::kFileTypeApp);
            std::vector<std::uint8_t> written;
            const auto bytes = block.Serialize();
            if (!bytes || !EditBlock(*bytes, edits, written, session.Log())) {
                return false;
            }
            edited.emplace_back(
                ResourceKey{versionType, ResourceId::Number(kVersionName), kNeutralLanguage},
                std::move(written));
        }
        for (const auto& [key, bytes] : edited) {
            doing = "cannot put the version resource into " + Describe(key) + " of " + in;
            if (!tree->PutBytes(key, bytes, &session.Log())) {
                return false;
            }
        }
        return true;
    });
}

}  // namespace resmelder
