#include "image/string_table.h"

#include "image/exe_resource.h"
#include "image/image_texts.h"
#include "support/byte_reader.h"
#include "support/log.h"

namespace resmelder {
namespace {

const ResourceId kStringType = ResourceId::Number(resource_type::kString);
// Block names run from 1 (IDs 0 to 15) to 4096 (IDs 65520 to 65535).
constexpr std::uint32_t kLastBlock = 0xFFFF / StringBlock::kStrings + 1;

void LogBlock(LogBase* log, const char* text, std::uint16_t block, std::uint16_t language) {
    if (log != nullptr) {
        log->LogError(text);
        log->LogDataLong("block", block);
        log->LogDataLong("language", language);
    }
}

// The block's bytes as a block; a cut-short block is logged (as information: what was there
// is kept).
StringBlock ReadBlock(const ExeResource& leaf, std::uint16_t block, LogBase* log) {
    StringBlock parsed = StringBlock::Parse(leaf.Data());
    if ((parsed.cutShort || leaf.Data().size() < leaf.Size()) && log != nullptr) {
        log->LogInfo(image_texts::kStringBlockCutShort);
        log->LogDataLong("block", block);
        log->LogDataLong("language", leaf.Id());
    }
    return parsed;
}

}  // namespace

StringBlock StringBlock::Parse(std::span<const std::uint8_t> bytes) {
    StringBlock block;
    const ByteReader reader(bytes);
    std::size_t at = 0;
    for (std::u16string& text : block.strings) {
        const auto count = reader.U16(at);
        if (!count) {
            // Ended before this string's count: the rest are empty.
            block.cutShort = true;
            break;
        }
        at += 2;
        const std::size_t available = (bytes.size() - at) / 2;
        const std::size_t units = std::min<std::size_t>(*count, available);
        block.cutShort = block.cutShort || units < *count;
        text.resize(units);
        for (std::size_t i = 0; i < units; ++i) {
            text[i] = static_cast<char16_t>(*reader.U16(at + 2 * i));
        }
        at += 2 * units;
    }
    return block;
}

std::vector<std::uint8_t> StringBlock::Serialize() const {
    std::vector<std::uint8_t> bytes;
    for (const std::u16string& text : strings) {
        const auto units = static_cast<std::uint16_t>(std::min(text.size(), kMaxUnits));
        const std::size_t at = bytes.size();
        bytes.resize(at + 2 + 2 * std::size_t{units});
        StoreU16(bytes.data() + at, units);
        for (std::size_t i = 0; i < units; ++i) {
            StoreU16(bytes.data() + at + 2 + 2 * i, text[i]);
        }
    }
    return bytes;
}

bool StringBlock::IsEmpty() const {
    for (const std::u16string& text : strings) {
        if (!text.empty()) {
            return false;
        }
    }
    return true;
}

std::uint16_t StringBlockName(std::uint16_t id) {
    return static_cast<std::uint16_t>(id / StringBlock::kStrings + 1);
}

std::size_t StringBlockPlace(std::uint16_t id) {
    return id % StringBlock::kStrings;
}

namespace {

// The lowest language whose block holds string `id`; none when no block does.
std::optional<std::uint16_t> LanguageHolding(const ExeResource& tree, std::uint16_t id) {
    const ResourceId name = ResourceId::Number(StringBlockName(id));
    std::optional<std::uint16_t> found;
    for (const ResourceLeaf& leaf : tree.Leaves()) {
        if (leaf.key.type == kStringType && leaf.key.name == name && !leaf.leaf->IsFileBacked() &&
            (!found || leaf.key.language < *found) &&
            !StringBlock::Parse(leaf.leaf->Data()).strings[StringBlockPlace(id)].empty()) {
            found = leaf.key.language;
        }
    }
    return found;
}

}  // namespace

std::uint16_t StringLanguageFor(const ExeResource& tree, std::uint16_t id) {
    if (const auto holding = LanguageHolding(tree, id)) {
        return *holding;
    }
    if (const ExeResource* own =
            tree.FindLeaf(kStringType, ResourceId::Number(StringBlockName(id)), std::nullopt)) {
        return own->Id();
    }
    // A new block joins the table in the language its other blocks have.
    for (const ResourceLeaf& leaf : tree.Leaves()) {
        if (leaf.key.type == kStringType) {
            return leaf.key.language;
        }
    }
    return 0;
}

bool SetTableString(ExeResource& tree, std::uint16_t id, std::uint16_t language,
                    std::u16string_view text, LogBase* log) {
    const std::uint16_t blockName = StringBlockName(id);
    if (text.size() > StringBlock::kMaxUnits) {
        LogBlock(log, image_texts::kStringTooLong, blockName, language);
        return false;
    }
    const ResourceId name = ResourceId::Number(blockName);
    StringBlock block;
    if (const ExeResource* leaf = tree.FindLeaf(kStringType, name, language)) {
        if (leaf->IsFileBacked()) {
            LogBlock(log, image_texts::kStringBlockFromFile, blockName, language);
            return false;
        }
        block = ReadBlock(*leaf, blockName, log);
    }
    block.strings[StringBlockPlace(id)] = text;
    if (block.IsEmpty()) {
        tree.DeleteLeaves(kStringType, name, language);
        return true;
    }
    return tree.PutBytes({kStringType, name, language}, block.Serialize(), log);
}

std::optional<std::u16string> GetTableString(const ExeResource& tree, std::uint16_t id,
                                             std::optional<std::uint16_t> language, LogBase* log) {
    const std::uint16_t blockName = StringBlockName(id);
    if (!language) {
        language = LanguageHolding(tree, id);
    }
    const ExeResource* leaf =
        language ? tree.FindLeaf(kStringType, ResourceId::Number(blockName), language) : nullptr;
    if (leaf == nullptr || leaf->IsFileBacked()) {
        return std::nullopt;
    }
    StringBlock block = ReadBlock(*leaf, blockName, log);
    std::u16string& text = block.strings[StringBlockPlace(id)];
    if (text.empty()) {
        return std::nullopt;
    }
    return std::move(text);
}

std::vector<TableString> TableStrings(const ExeResource& tree, LogBase* log) {
    std::vector<TableString> strings;
    for (const ResourceLeaf& leaf : tree.Leaves()) {
        if (leaf.key.type != kStringType || !leaf.key.name.IsNumber() ||
            leaf.key.name.Number() == 0 || leaf.key.name.Number() > kLastBlock ||
            leaf.leaf->IsFileBacked()) {
            continue;
        }
        const std::uint16_t blockName = leaf.key.name.Number();
        StringBlock block = ReadBlock(*leaf.leaf, blockName, log);
        const std::uint32_t first = (std::uint32_t{blockName} - 1) * StringBlock::kStrings;
        for (std::size_t place = 0; place < StringBlock::kStrings; ++place) {
            if (!block.strings[place].empty()) {
                strings.push_back({static_cast<std::uint16_t>(first + place), leaf.key.language,
                                   std::move(block.strings[place])});
            }
        }
    }
    return strings;
}

}  // namespace resmelder
