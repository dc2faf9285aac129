// The tree's edits and lookups. Names enter the tree upper-cased, as the loader looks them up;
// lookups compare upper-cased forms, so names read from a file are found whatever their case.

#include <charconv>

#include "image/exe_resource.h"
#include "image/image_texts.h"
#include "image/pe_format.h"
#include "support/encoding.h"
#include "support/log.h"

namespace resmelder {
namespace {

// A data entry counts its bytes in 32 bits.
bool FitsInDataEntry(std::span<const std::uint8_t> bytes, LogBase* log) {
    if (bytes.size() <= UINT32_MAX) {
        return true;
    }
    if (log != nullptr) {
        log->LogError(image_texts::kDataTooLarge);
    }
    return false;
}

void LogName(LogBase* log, const char* text, std::string_view name) {
    if (log != nullptr) {
        log->LogError(text);
        const std::string copy(name);
        log->LogData("resourceName", copy.c_str());
    }
}

}  // namespace

ResourceQuery::ResourceQuery(std::string_view ansiName) : ansi(ansiName) {
    EncodingConvert::AnsiToUtf16(ansiName, upper);
    upper = UpcaseResourceName(upper);
}

ExeResource* ExeResource::TypeForAdding(LogBase* log, std::string_view name) {
    ExeResource* type = nullptr;
    for (std::uint32_t i = 0; i < numeric_.Count() && type == nullptr; ++i) {
        if (numeric_.Get(i)->id_ == pe::kRtRcdata) {
            type = numeric_.Get(i);
        }
    }
    if (type == nullptr) {
        auto fresh = std::make_unique<ExeResource>(owner_);
        fresh->isDirectory_ = true;
        fresh->id_ = pe::kRtRcdata;
        type = fresh.get();
        numeric_.Append(std::move(fresh));
        return type;
    }
    // A leaf in the type's place would take the name node, and the writer would drop it.
    if (!type->isDirectory_) {
        LogName(log, image_texts::kTypeNotDirectory, name);
        return nullptr;
    }
    if (type->named_.Count() >= kMaxDirectoryEntries) {
        LogName(log, image_texts::kTypeFull, name);
        return nullptr;
    }
    return type;
}

ExeResource* ExeResource::AddEntry(std::string_view name, LogBase* log) {
    if (name.size() > kMaxResourceNameBytes) {
        LogName(log, image_texts::kNameTooLong, name.substr(0, kMaxResourceNameBytes));
        if (log != nullptr) {
            log->LogDataLong("maximum", static_cast<std::int32_t>(kMaxResourceNameBytes));
        }
        return nullptr;
    }
    ExeResource* type = TypeForAdding(log, name);
    if (type == nullptr) {
        return nullptr;
    }
    auto leaf = std::make_unique<ExeResource>(owner_);
    leaf->id_ = pe::kAddedLanguage;
    ExeResource* added = leaf.get();

    auto nameNode = std::make_unique<ExeResource>(owner_);
    nameNode->isDirectory_ = true;
    nameNode->isNamed_ = true;
    nameNode->name16_ = ResourceQuery(name).upper;
    EncodingConvert::Utf16ToAnsi(nameNode->name16_, nameNode->name_);
    nameNode->numeric_.Append(std::move(leaf));
    type->named_.Append(std::move(nameNode));
    return added;
}

bool ExeResource::AddBytes(std::string_view name, std::span<const std::uint8_t> bytes,
                           LogBase* log) {
    return FitsInDataEntry(bytes, log) && StoreCopy(AddEntry(name, log), bytes);
}

bool ExeResource::AddFile(std::string_view name, const XString& fileName, LogBase* log) {
    return StoreFileName(AddEntry(name, log), fileName);
}

// Added and put entries end here: the size was checked before the leaf was made, so a
// refusal leaves the tree as it was.
bool ExeResource::StoreCopy(ExeResource* leaf, std::span<const std::uint8_t> bytes) {
    if (leaf == nullptr) {
        return false;
    }
    if (!bytes.empty()) {
        leaf->owned_.assign(bytes.begin(), bytes.end());
        leaf->data_ = leaf->owned_.data();
    }
    leaf->size_ = static_cast<std::uint32_t>(bytes.size());
    return true;
}

bool ExeResource::StoreFileName(ExeResource* leaf, const XString& fileName) {
    if (leaf == nullptr) {
        return false;
    }
    leaf->isFileBacked_ = true;
    leaf->fileName_ = std::make_unique<XString>(fileName);
    return true;
}

const XString& ExeResource::FileName() const {
    static const XString none;
    return fileName_ ? *fileName_ : none;
}

bool ExeResource::NameEquals(const ResourceQuery& query) const {
    if (isNamed_) {
        return ResourceNamesMatch(name16_, query.upper);
    }
    char digits[8] = {};
    const auto end = std::to_chars(digits, digits + sizeof digits, id_).ptr;
    return std::string_view(digits, static_cast<std::size_t>(end - digits)) == query.ansi;
}

void ExeResource::DeleteNamed(std::string_view name) {
    DeleteMatching(ResourceQuery(name));
}

void ExeResource::DeleteMatching(const ResourceQuery& query) {
    std::uint32_t i = 0;
    while (i < named_.Count()) {
        if (named_.Get(i)->NameEquals(query)) {
            named_.RemoveAt(i);  // destroyed with its subtree; the next entry takes index i
        } else {
            ++i;
        }
    }
    for (std::uint32_t k = 0; k < named_.Count(); ++k) {
        named_.Get(k)->DeleteMatching(query);
    }
    for (std::uint32_t k = 0; k < numeric_.Count(); ++k) {
        numeric_.Get(k)->DeleteMatching(query);
    }
}

ExeResource* ExeResource::FindCandidate(const ResourceQuery& query) const {
    for (std::uint32_t i = 0; i < named_.Count(); ++i) {
        const ExeResource* entry = named_.Get(i);
        if (entry->NameEquals(query) && entry->numeric_.Count() != 0) {
            return entry->numeric_.Get(0);
        }
    }
    for (std::uint32_t i = 0; i < numeric_.Count(); ++i) {
        if (ExeResource* found = numeric_.Get(i)->FindCandidate(query)) {
            return found;
        }
    }
    return nullptr;
}

std::optional<FoundResource> ExeResource::FindNamed(std::string_view name, LogBase* log) const {
    const ExeResource* candidate = FindCandidate(ResourceQuery(name));
    if (candidate == nullptr) {
        LogName(log, image_texts::kNotFound, name);
        return std::nullopt;
    }
    if (candidate->numeric_.Count() != 0) {
        candidate = candidate->numeric_.Get(0);
    }
    return FoundResource{candidate->data_, candidate->data_ != nullptr ? candidate->size_ : 0};
}

}  // namespace resmelder

// Edits and lookups by type, name and language.
namespace resmelder {
namespace {

void LogKey(LogBase* log, const char* text, const ResourceKey& key) {
    if (log != nullptr) {
        log->LogError(text);
        log->LogData("resourceType", key.type.ToString().c_str());
        log->LogData("resourceName", key.name.ToString().c_str());
        log->LogDataLong("language", key.language);
    }
}

bool TextTooLong(const ResourceId& id) {
    return !id.IsNumber() && id.Text().size() > kMaxResourceNameBytes;
}

ExeResource* FirstWithId(const ExtPtrArray<ExeResource>& list, const ResourceId& id) {
    for (std::uint32_t i = 0; i < list.Count(); ++i) {
        if (id.Matches(*list.Get(i))) {
            return list.Get(i);
        }
    }
    return nullptr;
}

bool IsEmptyDirectory(const ExeResource& node) {
    return node.IsDirectory() && node.NamedChildren().Count() == 0 &&
           node.NumericChildren().Count() == 0;
}

// The language leaf to answer for a name directory: the one asked for, or else the lowest
// language id, which is the first the loader meets in a written directory.
const ExeResource* LanguageLeaf(const ExeResource& name, std::optional<std::uint16_t> language) {
    const ExeResource* best = nullptr;
    for (std::uint32_t i = 0; i < name.NumericChildren().Count(); ++i) {
        const ExeResource* leaf = name.NumericChildren().Get(i);
        if (leaf->IsDirectory()) {
            continue;
        }
        if (language ? leaf->Id() == *language : best == nullptr || leaf->Id() < best->Id()) {
            best = leaf;
            if (language) {
                break;
            }
        }
    }
    return best;
}

}  // namespace

// The child directory carrying `id`, appended to its list when there is none.
ExeResource* ExeResource::DirectoryFor(const ResourceId& id) {
    auto& list = id.IsNumber() ? numeric_ : named_;
    if (ExeResource* found = FirstWithId(list, id)) {
        return found;
    }
    auto fresh = std::make_unique<ExeResource>(owner_);
    fresh->isDirectory_ = true;
    if (id.IsNumber()) {
        fresh->id_ = id.Number();
    } else {
        fresh->isNamed_ = true;
        fresh->name16_ = id.Text();
        EncodingConvert::Utf16ToAnsi(fresh->name16_, fresh->name_);
        if (fresh->name_.size() > kMaxResourceNameBytes) {
            fresh->name_.resize(kMaxResourceNameBytes);
        }
    }
    ExeResource* added = fresh.get();
    list.Append(std::move(fresh));
    return added;
}

// The directories on a key's way and the leaf already there; null where they are missing.
struct LeafPlace {
    ExeResource* type = nullptr;
    ExeResource* name = nullptr;
    ExeResource* leaf = nullptr;
};

ExeResource* ExeResource::PutLeaf(const ResourceKey& key, LogBase* log) {
    if (TextTooLong(key.type) || TextTooLong(key.name)) {
        LogKey(log, image_texts::kNameTooLong, key);
        if (log != nullptr) {
            log->LogDataLong("maximum", static_cast<std::int32_t>(kMaxResourceNameBytes));
        }
        return nullptr;
    }
    LeafPlace place;
    if (!FindLeafPlace(key, place, log)) {
        return nullptr;
    }
    if (place.type == nullptr) {
        place.type = DirectoryFor(key.type);
    }
    if (place.name == nullptr) {
        place.name = place.type->DirectoryFor(key.name);
    }
    if (place.leaf != nullptr) {
        // Replaced in place: its neighbours keep their order.
        place.leaf->MakeEmptyLeaf();
    } else {
        auto fresh = std::make_unique<ExeResource>(owner_);
        fresh->id_ = key.language;
        place.leaf = fresh.get();
        place.name->numeric_.Append(std::move(fresh));
    }
    DropDuplicateLanguage(key, *place.name);
    return place.leaf;
}

// Each level is checked before anything is made, so a refusal leaves the tree as it was.
bool ExeResource::FindLeafPlace(const ResourceKey& key, LeafPlace& place, LogBase* log) {
    const auto& types = key.type.IsNumber() ? numeric_ : named_;
    place.type = FirstWithId(types, key.type);
    if (place.type == nullptr) {
        if (types.Count() >= kMaxDirectoryEntries) {
            LogKey(log, image_texts::kRootFull, key);
            return false;
        }
        return true;
    }
    // A leaf in the type's place would take the name node, and the writer would drop it.
    if (!place.type->isDirectory_) {
        LogKey(log, image_texts::kTypeNotDirectory, key);
        return false;
    }
    const auto& names = key.name.IsNumber() ? place.type->numeric_ : place.type->named_;
    place.name = FirstWithId(names, key.name);
    if (place.name == nullptr) {
        if (names.Count() >= kMaxDirectoryEntries) {
            LogKey(log, image_texts::kTypeFull, key);
            return false;
        }
        return true;
    }
    if (!place.name->isDirectory_) {
        LogKey(log, image_texts::kNameNotDirectory, key);
        return false;
    }
    const auto& languages = place.name->numeric_;
    for (std::uint32_t i = 0; i < languages.Count() && place.leaf == nullptr; ++i) {
        if (languages.Get(i)->id_ == key.language) {
            place.leaf = languages.Get(i);
        }
    }
    if (place.leaf == nullptr && languages.Count() >= kMaxDirectoryEntries) {
        LogKey(log, image_texts::kNameFull, key);
        return false;
    }
    return true;
}

void ExeResource::MakeEmptyLeaf() {
    isDirectory_ = false;
    named_.DestroyAll();
    numeric_.DestroyAll();
    owned_.clear();
    data_ = nullptr;
    size_ = 0;
    isFileBacked_ = false;
    fileName_.reset();
    dataEntry_ = {};
    header_ = {};
}

// A second entry of the same type and name (written by another tool, or added twice through
// the component) would let the loader find the old bytes: it loses this language.
void ExeResource::DropDuplicateLanguage(const ResourceKey& key, const ExeResource& kept) {
    for (auto* list : {&named_, &numeric_}) {
        for (std::uint32_t t = 0; t < list->Count(); ++t) {
            ExeResource* other = list->Get(t);
            if (!key.type.Matches(*other) || !other->isDirectory_) {
                continue;
            }
            auto& names = key.name.IsNumber() ? other->numeric_ : other->named_;
            std::uint32_t n = 0;
            while (n < names.Count()) {
                ExeResource* duplicate = names.Get(n);
                if (duplicate != &kept && key.name.Matches(*duplicate) &&
                    duplicate->DeleteLanguage(key.language) != 0 && IsEmptyDirectory(*duplicate)) {
                    names.RemoveAt(n);
                } else {
                    ++n;
                }
            }
        }
    }
}

bool ExeResource::PutBytes(const ResourceKey& key, std::span<const std::uint8_t> bytes,
                           LogBase* log) {
    return FitsInDataEntry(bytes, log) && StoreCopy(PutLeaf(key, log), bytes);
}

bool ExeResource::PutFile(const ResourceKey& key, const XString& fileName, LogBase* log) {
    return StoreFileName(PutLeaf(key, log), fileName);
}

const ExeResource* ExeResource::FindLeaf(const std::optional<ResourceId>& type,
                                         const ResourceId& name,
                                         std::optional<std::uint16_t> language) const {
    // Numbered types first, as the component's own lookup walks them.
    for (const auto* list : {&numeric_, &named_}) {
        for (std::uint32_t t = 0; t < list->Count(); ++t) {
            const ExeResource* typeNode = list->Get(t);
            if (!typeNode->isDirectory_ || (type && !type->Matches(*typeNode))) {
                continue;
            }
            const auto& names = name.IsNumber() ? typeNode->numeric_ : typeNode->named_;
            for (std::uint32_t n = 0; n < names.Count(); ++n) {
                const ExeResource* nameNode = names.Get(n);
                if (!name.Matches(*nameNode)) {
                    continue;
                }
                if (const ExeResource* leaf = LanguageLeaf(*nameNode, language)) {
                    return leaf;
                }
            }
        }
    }
    return nullptr;
}

std::uint32_t ExeResource::DeleteLanguage(std::optional<std::uint16_t> language) {
    std::uint32_t removed = 0;
    std::uint32_t i = 0;
    while (i < numeric_.Count()) {
        if (!language || numeric_.Get(i)->id_ == *language) {
            numeric_.RemoveAt(i);
            ++removed;
        } else {
            ++i;
        }
    }
    if (!language) {
        // Named entries have no place at the language level; all languages take them too.
        removed += named_.Count();
        named_.DestroyAll();
    }
    return removed;
}

std::uint32_t ExeResource::DeleteLeaves(const std::optional<ResourceId>& type,
                                        const ResourceId& name,
                                        std::optional<std::uint16_t> language) {
    std::uint32_t removed = 0;
    for (auto* list : {&named_, &numeric_}) {
        std::uint32_t t = 0;
        while (t < list->Count()) {
            ExeResource* typeNode = list->Get(t);
            std::uint32_t removedHere = 0;
            if (typeNode->isDirectory_ && (!type || type->Matches(*typeNode))) {
                auto& names = name.IsNumber() ? typeNode->numeric_ : typeNode->named_;
                std::uint32_t n = 0;
                while (n < names.Count()) {
                    ExeResource* nameNode = names.Get(n);
                    const std::uint32_t gone = nameNode->isDirectory_ && name.Matches(*nameNode)
                                                   ? nameNode->DeleteLanguage(language)
                                                   : 0;
                    removedHere += gone;
                    if (gone != 0 && IsEmptyDirectory(*nameNode)) {
                        names.RemoveAt(n);
                    } else {
                        ++n;
                    }
                }
            }
            removed += removedHere;
            if (removedHere != 0 && IsEmptyDirectory(*typeNode)) {
                list->RemoveAt(t);
            } else {
                ++t;
            }
        }
    }
    return removed;
}

std::vector<ResourceLeaf> ExeResource::Leaves() const {
    std::vector<ResourceLeaf> leaves;
    const auto idOf = [](const ExeResource& node) {
        return node.isNamed_ ? ResourceId::Text(node.name16_) : ResourceId::Number(node.id_);
    };
    for (const auto* types : {&named_, &numeric_}) {
        for (std::uint32_t t = 0; t < types->Count(); ++t) {
            const ExeResource& typeNode = *types->Get(t);
            for (const auto* names : {&typeNode.named_, &typeNode.numeric_}) {
                for (std::uint32_t n = 0; n < names->Count(); ++n) {
                    const ExeResource& nameNode = *names->Get(n);
                    for (std::uint32_t l = 0; l < nameNode.numeric_.Count(); ++l) {
                        const ExeResource& leaf = *nameNode.numeric_.Get(l);
                        if (!leaf.isDirectory_) {
                            leaves.push_back({{idOf(typeNode), idOf(nameNode), leaf.id_}, &leaf});
                        }
                    }
                }
            }
        }
    }
    return leaves;
}

}  // namespace resmelder
