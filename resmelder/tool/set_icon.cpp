// set-icon: the program's main icon, from all the images of an icon file.

#include <algorithm>
#include <array>
#include <set>

#include "image/icon_file.h"
#include "image/image_texts.h"
#include "image/resource_name.h"
#include "tool/tool_args.h"
#include "tool/tool_commands.h"
#include "tool/tool_failure.h"
#include "tool/tool_session.h"

namespace resmelder {
namespace {

constexpr std::array<std::string_view, 2> kOptions = {"--lang", "-o"};
constexpr std::uint16_t kNeutralLanguage = 0;
constexpr std::uint16_t kFirstGroup = 1;

const ResourceId kIconType = ResourceId::Number(resource_type::kIcon);
const ResourceId kGroupType = ResourceId::Number(resource_type::kGroupIcon);

// The order the writer gives names, and so the order the shell meets groups in: names
// (upper-cased, as the loader sorts them) before numbers, numbers ascending.
bool WrittenBefore(const ResourceId& a, const ResourceId& b) {
    if (a.IsNumber() != b.IsNumber()) {
        return !a.IsNumber();
    }
    return a.IsNumber() ? a.Number() < b.Number() : ResourceNameLess(a.Text(), b.Text());
}

// The main icon: the first icon group as written, or group 1 when there is none.
ResourceId MainGroup(const std::vector<ResourceLeaf>& leaves) {
    std::optional<ResourceId> first;
    for (const ResourceLeaf& leaf : leaves) {
        if (leaf.key.type == kGroupType && (!first || WrittenBefore(leaf.key.name, *first))) {
            first = leaf.key.name;
        }
    }
    return first.value_or(ResourceId::Number(kFirstGroup));
}

// Ids no ICON resource has yet (in any language), lowest first; fewer when they run out.
std::vector<std::uint16_t> FreshIconIds(const std::vector<ResourceLeaf>& leaves,
                                        std::size_t count) {
    std::set<std::uint16_t> used;
    for (const ResourceLeaf& leaf : leaves) {
        if (leaf.key.type == kIconType && leaf.key.name.IsNumber()) {
            used.insert(leaf.key.name.Number());
        }
    }
    std::vector<std::uint16_t> fresh;
    for (std::uint32_t id = 1; id <= 0xFFFF && fresh.size() < count; ++id) {
        if (used.count(static_cast<std::uint16_t>(id)) == 0) {
            fresh.push_back(static_cast<std::uint16_t>(id));
        }
    }
    return fresh;
}

// Removes the numbered ICON resources no icon group refers to. When a group cannot be read
// there is no knowing what it needs, and every icon is kept.
void RemoveUnreferencedIcons(ExeResource& tree, LogBase& log) {
    const std::vector<ResourceLeaf> leaves = tree.Leaves();
    std::set<std::uint16_t> referenced;
    for (const ResourceLeaf& leaf : leaves) {
        if (leaf.key.type == kGroupType) {
            const auto ids = IconGroupIds(leaf.leaf->Data());
            if (!ids) {
                log.LogInfo(tool_texts::kGroupUnreadable);
                log.LogData("resourceName", leaf.key.name.ToString().c_str());
                return;
            }
            referenced.insert(ids->begin(), ids->end());
        }
    }
    for (const ResourceLeaf& leaf : leaves) {
        if (leaf.key.type == kIconType && leaf.key.name.IsNumber() &&
            referenced.count(leaf.key.name.Number()) == 0) {
            // Every language at once; the later leaves of this id are then already gone.
            tree.DeleteLeaves(kIconType, leaf.key.name, std::nullopt);
        }
    }
}

}  // namespace

int RunSetIcon(CommandArguments given, ToolSession& session) {
    CommandArgs args;
    std::string problem;
    if (!SplitArgs(given, kOptions, args, problem) || !CountOperands(args, 2, 2, problem)) {
        return session.Usage(problem, help::kSetIcon);
    }
    const std::string* out = args.Option("-o");
    if (out == nullptr) {
        return session.Usage(kMissingOutput, help::kSetIcon);
    }
    std::optional<std::uint16_t> language;
    if (!ReadLanguageOption(args, language, problem)) {
        return session.Usage(problem, help::kSetIcon);
    }
    const std::string& in = args.operands[0];
    const std::string& iconFile = args.operands[1];
    std::vector<std::uint8_t> bytes;
    if (!session.ReadSmallFile(iconFile, kMaxIconFileBytes, bytes)) {
        return session.Fail("cannot read the icon file " + iconFile, in);
    }
    const auto images = ParseIconFile(bytes, problem);
    if (!images) {
        session.Log().LogError(tool_texts::kNotAnIconFile);
        session.Log().LogData("filename", iconFile.c_str());
        session.Log().LogData("reason", problem.c_str());
        return session.Fail("cannot use " + iconFile + " as an icon (" + problem + ")", in);
    }
    return session.EditAndWrite(in, *out, [&](ExeImage& image, std::string& doing) {
        ExeResource* tree = image.Resources();
        doing = "cannot set the icon of " + in;
        if (tree == nullptr) {
            session.Log().LogError(image_texts::kNoTreeForBytes);
            return false;
        }
        const std::vector<ResourceLeaf> leaves = tree->Leaves();
        const ResourceId group = MainGroup(leaves);
        if (!language) {
            const ExeResource* old = tree->FindLeaf(kGroupType, group, std::nullopt);
            language = old != nullptr ? old->Id() : kNeutralLanguage;
        }
        const std::vector<std::uint16_t> ids = FreshIconIds(leaves, images->size());
        if (ids.size() < images->size()) {
            session.Log().LogError(tool_texts::kNoIdsLeft);
            return false;
        }
        // The group in one language only: the shell would show any of several.
        tree->DeleteLeaves(kGroupType, group, std::nullopt);
        for (std::size_t i = 0; i < images->size(); ++i) {
            const ResourceKey key{kIconType, ResourceId::Number(ids[i]), *language};
            if (!tree->PutBytes(key, (*images)[i].bytes, &session.Log())) {
                return false;
            }
        }
        const std::vector<std::uint8_t> groupBytes = BuildIconGroup(*images, ids);
        if (!tree->PutBytes({kGroupType, group, *language}, groupBytes, &session.Log())) {
            return false;
        }
        RemoveUnreferencedIcons(*tree, session.Log());
        return true;
    });
}

}  // namespace resmelder
