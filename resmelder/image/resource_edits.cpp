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
    ExeResource* leaf = AddEntry(name, log);
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

bool ExeResource::AddFile(std::string_view name, const XString& fileName, LogBase* log) {
    ExeResource* leaf = AddEntry(name, log);
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
