// set-manifest: the program's manifest, resource MANIFEST #1 (#2 for a DLL), from a file or
// with the execution level it asks for edited in place.

#include <algorithm>
#include <array>

#include "image/image_texts.h"
#include "image/manifest_level.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {
namespace {

constexpr std::array<std::string_view, 3> kOptions = {"--lang", "-o", "--execution-level"};
// Far beyond any real manifest; the whole file is read to check it.
constexpr std::size_t kMaxManifestBytes = 4u << 20;
// The program's own manifest, and the one the loader reads for a DLL it loads.
constexpr std::uint16_t kProgramManifest = 1;
constexpr std::uint16_t kLibraryManifest = 2;
// LANG_NEUTRAL: every lookup takes it first.
constexpr std::uint16_t kNeutralLanguage = 0;

// A manifest is XML: after a byte-order mark and white space comes "<". Anything else (an
// icon, a wrong file) would keep the program from starting.
bool LooksLikeXml(std::span<const std::uint8_t> bytes) {
    constexpr std::array<std::uint8_t, 3> kUtf8Bom = {0xEF, 0xBB, 0xBF};
    if (bytes.size() >= kUtf8Bom.size() &&
        std::equal(kUtf8Bom.begin(), kUtf8Bom.end(), bytes.begin())) {
        bytes = bytes.subspan(kUtf8Bom.size());
    }
    const auto first = std::find_if(bytes.begin(), bytes.end(), [](std::uint8_t b) {
        return b != ' ' && b != '\t' && b != '\r' && b != '\n';
    });
    return first != bytes.end() && *first == '<';
}

// The command line: IN, the manifest file (unless only the level is set), the options.
struct ManifestCommand {
    std::string in;
    std::string out;
    std::optional<std::string> manifestFile;
    std::optional<std::uint16_t> language;
    std::optional<ExecutionRequest> request;
};

bool ReadCommand(CommandArguments given, ManifestCommand& command, std::string& problem) {
    std::vector<std::string> flagged(given.begin(), given.end());
    const bool uiAccess = TakeFlag(flagged, "--ui-access");
    CommandArgs args;
    if (!SplitArgs(flagged, kOptions, args, problem)) {
        return false;
    }
    if (const std::string* level = args.Option("--execution-level")) {
        const auto parsed = ParseExecutionLevel(*level);
        if (!parsed) {
            problem = "--execution-level " + *level +
                      " is not one of asInvoker, highestAvailable and requireAdministrator";
            return false;
        }
        command.request = ExecutionRequest{*parsed, uiAccess};
    } else if (uiAccess) {
        problem = "--ui-access goes with --execution-level";
        return false;
    }
    if (!CountOperands(args, command.request ? 1 : 2, 2, problem)) {
        return false;
    }
    const std::string* out = args.Option("-o");
    if (out == nullptr) {
        problem = kMissingOutput;
        return false;
    }
    if (!ReadLanguageOption(args, command.language, problem)) {
        return false;
    }
    command.in = args.operands[0];
    command.out = *out;
    if (args.operands.size() == 2) {
        command.manifestFile = args.operands[1];
    }
    return true;
}

ResourceId ManifestName(const ExeImage& image) {
    return ResourceId::Number(IsDll(image) ? kLibraryManifest : kProgramManifest);
}

// The manifest asking for `request`; false, logged with the reason, when it cannot be edited.
bool EditLevel(std::span<const std::uint8_t> manifest, const ExecutionRequest& request,
               LogBase& log, std::vector<std::uint8_t>& edited) {
    std::string problem;
    auto result = SetExecutionLevel(manifest, request, problem);
    if (!result) {
        log.LogError((std::string(tool_texts::kManifestNotEditable) + ": " + problem).c_str());
        return false;
    }
    edited = std::move(*result);
    return true;
}

// set-manifest IN FILE: the file's manifest (its level set first when asked) in place of
// the manifest in every language.
int PutManifestFile(const ManifestCommand& command, ToolSession& session) {
    const std::string& file = *command.manifestFile;
    std::vector<std::uint8_t> manifest;
    if (!session.ReadSmallFile(file, kMaxManifestBytes, manifest)) {
        return session.Fail("cannot read the manifest " + file, command.in);
    }
    if (!LooksLikeXml(manifest)) {
        session.Log().LogError(tool_texts::kNotAManifest);
        session.Log().LogData("filename", file.c_str());
        return session.Fail("cannot use " + file + " as a manifest", command.in);
    }
    if (command.request) {
        std::vector<std::uint8_t> edited;
        if (!EditLevel(manifest, *command.request, session.Log(), edited)) {
            return session.Fail("cannot set the execution level in " + file, command.in);
        }
        manifest = std::move(edited);
    }
    std::optional<std::uint16_t> language = command.language;
    return session.EditAndWrite(command.in, command.out, [&](ExeImage& image, std::string& doing) {
        const ResourceId type = ResourceId::Number(resource_type::kManifest);
        const ResourceId name = ManifestName(image);
        ExeResource* tree = image.Resources();
        if (!language) {
            const ExeResource* old = tree ? tree->FindLeaf(type, name, std::nullopt) : nullptr;
            language = old != nullptr ? old->Id() : kNeutralLanguage;
        }
        const ResourceKey key{type, name, *language};
        doing = "cannot put the manifest into " + Describe(key) + " of " + command.in;
        if (tree == nullptr) {
            session.Log().LogError(image_texts::kNoTreeForBytes);
            return false;
        }
        // One manifest: the loader would take any of several languages.
        tree->DeleteLeaves(type, name, std::nullopt);
        return tree->PutBytes(key, manifest, &session.Log());
    });
}

// set-manifest IN --execution-level: the level edited in the manifest of the language given,
// else in every language there is; a minimal manifest where there is none.
int SetLevelInPlace(const ManifestCommand& command, ToolSession& session) {
    return session.EditAndWrite(command.in, command.out, [&](ExeImage& image, std::string& doing) {
        const ResourceId type = ResourceId::Number(resource_type::kManifest);
        const ResourceId name = ManifestName(image);
        ExeResource* tree = image.Resources();
        doing = "cannot set the execution level of " + command.in;
        if (tree == nullptr) {
            session.Log().LogError(image_texts::kNoTreeForBytes);
            return false;
        }
        std::vector<ResourceKey> keys;
        for (const ResourceLeaf& leaf : tree->Leaves()) {
            if (leaf.key.type == type && leaf.key.name == name &&
                (!command.language || leaf.key.language == *command.language)) {
                keys.push_back(leaf.key);
            }
        }
        if (keys.empty()) {
            return tree->PutBytes({type, name, command.language.value_or(kNeutralLanguage)},
                                  MinimalManifest(*command.request), &session.Log());
        }
        for (const ResourceKey& key : keys) {
            doing = "cannot set the execution level in " + Describe(key) + " of " + command.in;
            const ExeResource* leaf = tree->FindLeaf(type, name, key.language);
            std::vector<std::uint8_t> edited;
            if (!EditLevel(leaf->Data(), *command.request, session.Log(), edited) ||
                !tree->PutBytes(key, edited, &session.Log())) {
                return false;
            }
        }
        return true;
    });
}

}  // namespace

int RunSetManifest(CommandArguments given, ToolSession& session) {
    ManifestCommand command;
    std::string problem;
    if (!ReadCommand(given, command, problem)) {
        return session.Usage(problem, help::kSetManifest);
    }
    return command.manifestFile ? PutManifestFile(command, session)
                                : SetLevelInPlace(command, session);
}

}  // namespace resmelder
