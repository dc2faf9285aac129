#include "image/exe_resource.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <unordered_set>

#include "image/exe_image.h"
#include "image/output_sink.h"
#include "image/pe_format.h"
#include "support/byte_reader.h"
#include "support/encoding.h"
#include "support/file_sys.h"
#include "support/log.h"
#include "support/progress_monitor.h"

namespace resmelder {
namespace {

constexpr int kMaxDetailedComplaints = 16;
constexpr std::size_t kFileChunk = 4096;

std::uint64_t RoundUp8(std::uint64_t v) {
    return (v + 7) & ~std::uint64_t{7};
}

char16_t FoldUpper(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    return c;
}

}  // namespace

bool ResourceNameLess(std::u16string_view a, std::u16string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t x = FoldUpper(a[i]);
        const char16_t y = FoldUpper(b[i]);
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

// Reads a resource tree out of untrusted bytes. Every directory is read at most once (a
// directory that points back into its ancestry, or at one already read, ends that branch),
// nesting is bounded, and anything outside the file is skipped with a log line.
class ResourceTreeReader {
  public:
    ResourceTreeReader(ExeImage& image, std::size_t base, LogBase* log)
        : image_(image), src_(image.Source()), base_(base), log_(log) {}

    bool ReadDirectory(ExeResource& node, std::uint32_t relative, int depth) {
        const std::size_t at = Absolute(relative);
        const auto header = src_.Bytes(at, pe::kResourceDirectorySize);
        if (at == kOutside || !header) {
            return false;
        }
        const ByteReader h(*header);
        node.header_.characteristics = *h.U32(0);
        node.header_.timeDateStamp = *h.U32(4);
        node.header_.majorVersion = *h.U16(8);
        node.header_.minorVersion = *h.U16(10);
        node.header_.namedCount = *h.U16(12);
        node.header_.numericCount = *h.U16(14);
        node.isDirectory_ = true;
        const std::uint32_t named = node.header_.namedCount;
        const std::uint32_t total = named + node.header_.numericCount;
        for (std::uint32_t k = 0; k < total; ++k) {
            const std::size_t entryAt =
                at + pe::kResourceDirectorySize + std::size_t{k} * pe::kResourceEntrySize;
            const auto w1 = src_.U32(entryAt);
            const auto w2 = src_.U32(entryAt + 4);
            if (!w1 || !w2) {
                Complain("Resource directory entries run past the end of the file", entryAt);
                break;
            }
            auto child = ReadEntry(*w1, *w2, depth, entryAt);
            if (child) {
                (k < named ? node.named_ : node.numeric_).Append(std::move(child));
            }
        }
        return true;
    }

    void Finish() {
        if (log_ != nullptr && complaints_ > kMaxDetailedComplaints) {
            log_->LogError("More malformed resource entries were skipped");
            log_->LogDataLong("count", complaints_ - kMaxDetailedComplaints);
        }
    }

  private:
    static constexpr std::size_t kOutside = SIZE_MAX;

    std::size_t Absolute(std::uint32_t relative) const {
        if (base_ > src_.Size() || relative > src_.Size() - base_) {
            return kOutside;
        }
        return base_ + relative;
    }

    void Complain(const char* text, std::uint64_t offset) {
        ++complaints_;
        if (log_ != nullptr && complaints_ <= kMaxDetailedComplaints) {
            log_->LogError(text);
            char digits[24] = {};
            std::to_chars(digits, digits + sizeof digits - 1, offset, 16);
            log_->LogData("fileOffset", digits);
        }
    }

    std::unique_ptr<ExeResource> ReadEntry(std::uint32_t w1, std::uint32_t w2, int depth,
                                           std::size_t entryAt) {
        auto child = std::make_unique<ExeResource>(&image_);
        child->nameWord_ = w1;
        child->offsetWord_ = w2;
        child->isDirectory_ = (w2 & pe::kHighBit) != 0;
        child->isNamed_ = (w1 & pe::kHighBit) != 0;
        if (child->isNamed_) {
            if (!ReadName(*child, w1 & ~pe::kHighBit)) {
                Complain("Resource name lies outside the file; entry skipped", entryAt);
                return nullptr;
            }
        } else {
            child->id_ = static_cast<std::uint16_t>(w1 & 0xFFFF);
        }
        if (child->isDirectory_) {
            const std::uint32_t relative = w2 & ~pe::kHighBit;
            if (depth + 1 >= ExeResource::kMaxDepth) {
                Complain("Resource directories nested too deeply; branch ended", entryAt);
                return nullptr;
            }
            if (!visited_.insert(relative).second) {
                Complain("Resource directory refers back to a directory already read; branch ended",
                         entryAt);
                return nullptr;
            }
            if (!ReadDirectory(*child, relative, depth + 1)) {
                Complain("Resource directory lies outside the file; entry skipped", entryAt);
                return nullptr;
            }
            return child;
        }
        const std::size_t dataEntryAt = Absolute(w2);
        const auto entry = src_.Bytes(dataEntryAt, pe::kResourceDataEntrySize);
        if (dataEntryAt == kOutside || !entry) {
            Complain("Resource data entry lies outside the file; entry skipped", entryAt);
            return nullptr;
        }
        const ByteReader e(*entry);
        child->dataEntry_ = {*e.U32(0), *e.U32(4), *e.U32(8), *e.U32(12)};
        child->size_ = child->dataEntry_.size;
        auto offset = image_.RvaToOffset(child->dataEntry_.dataRva);
        if (!offset) {
            offset = image_.RvaToOffsetInResourceSection(child->dataEntry_.dataRva);
        }
        const auto bytes = offset ? src_.Bytes(*offset, child->size_) : std::nullopt;
        if (!bytes) {
            Complain("Resource data lies outside the file; leaf kept without data", dataEntryAt);
            child->size_ = 0;
            return child;
        }
        child->data_ = bytes->data();
        return child;
    }

    bool ReadName(ExeResource& node, std::uint32_t relative) {
        const std::size_t at = Absolute(relative);
        const auto length = src_.U16(at);
        if (at == kOutside || !length) {
            return false;
        }
        const auto units = src_.Bytes(at + 2, std::size_t{*length} * 2);
        if (!units) {
            return false;
        }
        node.name16_.resize(*length);
        std::memcpy(node.name16_.data(), units->data(), units->size());
        EncodingConvert::Utf16ToAnsi(node.name16_, node.name_);
        if (node.name_.size() > ExeResource::kMaxNameBytes) {
            node.name_.resize(ExeResource::kMaxNameBytes);
        }
        return true;
    }

    ExeImage& image_;
    ByteReader src_;
    std::size_t base_;
    LogBase* log_;
    std::unordered_set<std::uint32_t> visited_{0};
    int complaints_ = 0;
};

std::unique_ptr<ExeResource> ExeResource::Build(ExeImage& image, std::size_t directoryOffset,
                                                LogBase* log) {
    auto root = std::make_unique<ExeResource>(&image);
    ResourceTreeReader reader(image, directoryOffset, log);
    if (!reader.ReadDirectory(*root, 0, 0)) {
        if (log != nullptr) {
            log->LogError("Resource directory lies outside the file");
        }
        return nullptr;
    }
    reader.Finish();
    return root;
}

bool ExeResource::AddBytes(ExeImage* image, std::string_view name,
                           std::span<const std::uint8_t> bytes) {
    auto leaf = std::make_unique<ExeResource>(image);
    leaf->id_ = pe::kAddedLanguage;
    if (!bytes.empty()) {
        leaf->owned_.assign(bytes.begin(), bytes.end());
        leaf->data_ = leaf->owned_.data();
    }
    leaf->size_ = static_cast<std::uint32_t>(bytes.size());

    auto nameNode = std::make_unique<ExeResource>(image);
    nameNode->isDirectory_ = true;
    nameNode->isNamed_ = true;
    nameNode->name_.assign(name);
    EncodingConvert::AnsiToUtf16(name, nameNode->name16_);
    nameNode->numeric_.Append(std::move(leaf));

    ExeResource* type = nullptr;
    for (std::uint32_t i = 0; i < numeric_.Count() && type == nullptr; ++i) {
        if (numeric_.Get(i)->id_ == pe::kRtRcdata) {
            type = numeric_.Get(i);
        }
    }
    if (type == nullptr) {
        auto fresh = std::make_unique<ExeResource>(image);
        fresh->isDirectory_ = true;
        fresh->id_ = pe::kRtRcdata;
        type = fresh.get();
        numeric_.Append(std::move(fresh));
    }
    type->named_.Append(std::move(nameNode));
    return true;
}

bool ExeResource::AddFile(ExeImage* image, std::string_view name, const XString& fileName) {
    AddBytes(image, name, {});
    // The new leaf is the only child of the name node just appended under type 10.
    ExeResource* type = nullptr;
    for (std::uint32_t i = 0; i < numeric_.Count() && type == nullptr; ++i) {
        if (numeric_.Get(i)->id_ == pe::kRtRcdata) {
            type = numeric_.Get(i);
        }
    }
    ExeResource* leaf = type->named_.Last()->numeric_.Get(0);
    leaf->isFileBacked_ = true;
    leaf->fileName_ = std::make_unique<XString>(fileName);
    return true;
}

const XString& ExeResource::FileName() const {
    static const XString none;
    return fileName_ ? *fileName_ : none;
}

bool ExeResource::NameEquals(std::string_view name) const {
    if (isNamed_) {
        return name_ == name;
    }
    char digits[8] = {};
    const auto end = std::to_chars(digits, digits + sizeof digits, id_).ptr;
    return std::string_view(digits, static_cast<std::size_t>(end - digits)) == name;
}

void ExeResource::DeleteNamed(std::string_view name) {
    std::uint32_t i = 0;
    while (i < named_.Count()) {
        if (named_.Get(i)->NameEquals(name)) {
            named_.RemoveAt(i);  // destroyed with its subtree; the next entry takes index i
        } else {
            ++i;
        }
    }
    for (std::uint32_t k = 0; k < named_.Count(); ++k) {
        named_.Get(k)->DeleteNamed(name);
    }
    for (std::uint32_t k = 0; k < numeric_.Count(); ++k) {
        numeric_.Get(k)->DeleteNamed(name);
    }
}

ExeResource* ExeResource::FindCandidate(std::string_view name) const {
    for (std::uint32_t i = 0; i < named_.Count(); ++i) {
        const ExeResource* entry = named_.Get(i);
        if (entry->NameEquals(name) && entry->numeric_.Count() != 0) {
            return entry->numeric_.Get(0);
        }
    }
    for (std::uint32_t i = 0; i < numeric_.Count(); ++i) {
        if (ExeResource* found = numeric_.Get(i)->FindCandidate(name)) {
            return found;
        }
    }
    return nullptr;
}

std::optional<FoundResource> ExeResource::FindNamed(std::string_view name, LogBase* log) const {
    const ExeResource* candidate = FindCandidate(name);
    if (candidate == nullptr) {
        if (log != nullptr) {
            log->LogError("Failed to find named resource");
            const std::string copy(name);
            log->LogData("resourceName", copy.c_str());
        }
        return std::nullopt;
    }
    if (candidate->numeric_.Count() != 0) {
        candidate = candidate->numeric_.Get(0);
    }
    return FoundResource{candidate->data_, candidate->data_ != nullptr ? candidate->size_ : 0};
}

std::vector<ExeResource*> ExeResource::WriteOrder(const ExtPtrArray<ExeResource>& list,
                                                  bool named) {
    std::vector<ExeResource*> order;
    order.reserve(list.Count());
    for (std::uint32_t i = 0; i < list.Count(); ++i) {
        order.push_back(list.Get(i));
    }
    // The loaders find entries by binary search: numeric ids ascending, names in folded order.
    if (named) {
        // Folded names side by side in one buffer: sorting thousands of names then compares
        // neighbouring memory instead of chasing every node.
        std::u16string arena;
        struct Key {
            std::size_t at;
            std::size_t length;
            ExeResource* node;
        };
        std::vector<Key> keys;
        keys.reserve(order.size());
        for (ExeResource* node : order) {
            keys.push_back({arena.size(), node->name16_.size(), node});
            for (const char16_t c : node->name16_) {
                arena.push_back(FoldUpper(c));
            }
        }
        const std::u16string_view all(arena);
        std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
            return all.substr(a.at, a.length) < all.substr(b.at, b.length);
        });
        for (std::size_t i = 0; i < keys.size(); ++i) {
            order[i] = keys[i].node;
        }
    } else {
        std::stable_sort(
            order.begin(), order.end(),
            [](const ExeResource* a, const ExeResource* b) { return a->id_ < b->id_; });
    }
    return order;
}

void ExeResource::CollectPreOrder(ResourceLayout& layout) {
    writeNamed_ = WriteOrder(named_, true);
    writeNumeric_ = WriteOrder(numeric_, false);
    (isDirectory_ ? layout.directories : layout.leaves).push_back(this);
    if (isNamed_) {
        layout.named.push_back(this);
    }
    for (ExeResource* child : writeNamed_) {
        child->CollectPreOrder(layout);
    }
    for (ExeResource* child : writeNumeric_) {
        child->CollectPreOrder(layout);
    }
}

ResourceLayout ExeResource::Plan() {
    ResourceLayout layout;
    CollectPreOrder(layout);
    std::uint64_t running = 0;
    for (ExeResource* d : layout.directories) {
        d->directoryOffset_ = static_cast<std::uint32_t>(running);
        running += pe::kResourceDirectorySize +
                   pe::kResourceEntrySize * (d->writeNamed_.size() + d->writeNumeric_.size());
    }
    for (ExeResource* leaf : layout.leaves) {
        leaf->dataEntryOffset_ = static_cast<std::uint32_t>(running);
        running += pe::kResourceDataEntrySize;
    }
    for (ExeResource* n : layout.named) {
        n->nameOffset_ = static_cast<std::uint32_t>(running);
        running += 2 + 2 * std::uint64_t{n->name16_.size()};
    }
    // Data starts 8-aligned, as every later leaf does: templates such as dialogs must not
    // start at an odd address.
    running = RoundUp8(running);
    layout.dataStart = running;
    for (ExeResource* leaf : layout.leaves) {
        if (leaf->isFileBacked_) {
            const FileSizeResult size = FileSys::FileSize(*leaf->fileName_, nullptr);
            leaf->size_ =
                size.found && size.size <= UINT32_MAX ? static_cast<std::uint32_t>(size.size) : 0;
        }
        leaf->dataOffset_ = static_cast<std::uint32_t>(running);
        running += leaf->size_;
        leaf->padding_ = static_cast<std::uint32_t>(RoundUp8(running) - running);
        running += leaf->padding_;
    }
    layout.size = running;
    return layout;
}

bool ExeResource::Serialize(const ResourceLayout& layout, ByteSink& out, std::uint32_t padTo,
                            std::uint32_t sectionRva, ProgressMonitor* progress, LogBase* log) {
    // Entry words and headers for this layout.
    for (ExeResource* d : layout.directories) {
        d->offsetWord_ = d->directoryOffset_ | pe::kHighBit;
        d->header_.namedCount = static_cast<std::uint16_t>(d->writeNamed_.size());
        d->header_.numericCount = static_cast<std::uint16_t>(d->writeNumeric_.size());
    }
    for (ExeResource* leaf : layout.leaves) {
        leaf->offsetWord_ = leaf->dataEntryOffset_;
        leaf->dataEntry_.dataRva = sectionRva + leaf->dataOffset_;
        leaf->dataEntry_.size = leaf->size_;
    }
    auto setNameWord = [](ExeResource* n) {
        n->nameWord_ = n->isNamed_ ? (n->nameOffset_ | pe::kHighBit) : n->id_;
    };
    for (ExeResource* d : layout.directories) {
        std::for_each(d->writeNamed_.begin(), d->writeNamed_.end(), setNameWord);
        std::for_each(d->writeNumeric_.begin(), d->writeNumeric_.end(), setNameWord);
    }

    // Directories, data entries and names are small: build them in memory, write once.
    std::vector<std::uint8_t> head(static_cast<std::size_t>(layout.dataStart), 0);
    std::size_t at = 0;
    auto put16 = [&](std::uint16_t v) {
        StoreU16(head.data() + at, v);
        at += 2;
    };
    auto put32 = [&](std::uint32_t v) {
        StoreU32(head.data() + at, v);
        at += 4;
    };
    for (ExeResource* d : layout.directories) {
        put32(d->header_.characteristics);
        put32(d->header_.timeDateStamp);
        put16(d->header_.majorVersion);
        put16(d->header_.minorVersion);
        put16(d->header_.namedCount);
        put16(d->header_.numericCount);
        for (const auto* list : {&d->writeNamed_, &d->writeNumeric_}) {
            for (const ExeResource* c : *list) {
                put32(c->nameWord_);
                put32(c->offsetWord_);
            }
        }
    }
    for (ExeResource* leaf : layout.leaves) {
        put32(leaf->dataEntry_.dataRva);
        put32(leaf->dataEntry_.size);
        put32(leaf->dataEntry_.codePage);
        put32(leaf->dataEntry_.reserved);
    }
    for (ExeResource* n : layout.named) {
        put16(static_cast<std::uint16_t>(n->name16_.size()));
        for (const char16_t unit : n->name16_) {
            put16(unit);
        }
    }
    if (!out.Write(head)) {
        return false;
    }
    auto report = [&](std::uint64_t n) {
        if (progress != nullptr) {
            progress->Consumed(n);
        }
        return progress == nullptr || !progress->Aborted();
    };
    if (!report(head.size())) {
        return false;
    }

    for (ExeResource* leaf : layout.leaves) {
        if (!leaf->isFileBacked_) {
            if (!out.Write(leaf->Data()) || !out.Fill(0, leaf->size_ - leaf->Data().size())) {
                return false;
            }
        } else if (leaf->size_ != 0) {
            // The file's size was taken when the section was laid out; a file that shrank
            // since is completed with zeros so the layout stays true.
            File file = FileSys::OpenForRead(*leaf->fileName_, nullptr);
            std::array<std::uint8_t, kFileChunk> chunk;
            std::uint64_t left = leaf->size_;
            while (left > 0) {
                const auto want =
                    static_cast<std::size_t>(std::min<std::uint64_t>(left, kFileChunk));
                const std::size_t got = file.Read({chunk.data(), want});
                if (got == 0) {
                    break;
                }
                if (!out.Write({chunk.data(), got})) {
                    return false;
                }
                left -= got;
            }
            if (left > 0) {
                if (log != nullptr) {
                    log->LogInfo("Resource file ended early; the rest of its entry is zeros");
                    log->LogData("filename", leaf->fileName_->Utf8().c_str());
                }
                if (!out.Fill(0, left)) {
                    return false;
                }
            }
        }
        if (!out.Fill(0, leaf->padding_) || !report(leaf->size_ + leaf->padding_)) {
            return false;
        }
    }
    if (padTo != 0 && layout.size % padTo != 0) {
        const std::uint64_t pad = padTo - layout.size % padTo;
        if (!out.Fill('X', pad) || !report(pad)) {
            return false;
        }
    }
    return true;
}

}  // namespace resmelder
