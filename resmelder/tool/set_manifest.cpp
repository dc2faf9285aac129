// set-manifest: the program's manifest, resource MANIFEST #1 (#2 for a DLL).

#include <algorithm>
#include <array>

#include "image/image_texts.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {
namespace {

constexpr std::array<std::string_view, 2> kOptions = {"--lang", "-o"};
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

}  // namespace

int RunSetManifest(CommandArguments given, ToolSession& session) {
    CommandArgs args;
    std::string problem;
    if (!SplitArgs(given, kOptions, args, problem)) {
        return session.Usage(problem, help::kSetManifest);
    }
    if (args.operands.size() != 2) {
        return session.Usage(args.operands.size() < 2 ? "missing arguments" : "too many arguments",
                             help::kSetManifest);
    }
    const std::string* out = args.Option("-o");
    if (out == nullptr) {
        return session.Usage("missing -o OUT", help::kSetManifest);
    }
    std::optional<std::uint16_t> language;
    if (const std::string* lang = args.Option("--lang")) {
        language = ReadLanguage(*lang, problem);
        if (!language) {
            return session.Usage(problem, help::kSetManifest);
        }
    }
    const std::string& in = args.operands[0];
    const std::string& manifestFile = args.operands[1];
    std::vector<std::uint8_t> manifest;
    if (!session.ReadSmallFile(manifestFile, kMaxManifestBytes, manifest)) {
        return session.Fail("cannot read the manifest " + manifestFile, in);
    }
    if (!LooksLikeXml(manifest)) {
        session.Log().LogError(tool_texts::kNotAManifest);
        session.Log().LogData("filename", manifestFile.c_str());
        return session.Fail("cannot use " + manifestFile + " as a manifest", in);
    }
    return session.EditAndWrite(in, *out, [&](ExeImage& image, std::string& doing) {
        const ResourceId type = ResourceId::Number(resource_type::kManifest);
        const ResourceId name =
            ResourceId::Number(IsDll(image) ? kLibraryManifest : kProgramManifest);
        ExeResource* tree = image.Resources();
        if (!language) {
            const ExeResource* old = tree ? tree->FindLeaf(type, name, std::nullopt) : nullptr;
            language = old != nullptr ? old->Id() : kNeutralLanguage;
        }
        const ResourceKey key{type, name, *language};
        doing = "cannot put the manifest into " + Describe(key) + " of " + in;
        if (tree == nullptr) {
            session.Log().LogError(image_texts::kNoTreeForBytes);
            return false;
        }
        // One manifest: the loader would take any of several languages.
        tree->DeleteLeaves(type, name, std::nullopt);
        return tree->PutBytes(key, manifest, &session.Log());
    });
}

}  // namespace resmelder
