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

// The small records at the head of the section (directories, data entries, names) gathered
// in one reused block that goes to the sink whenever it fills: the head of a tree with many
// entries is never held whole in freshly allocated memory.
class RecordWriter {
  public:
    explicit RecordWriter(ByteSink& out) : out_(out) {}
    void U16(std::uint16_t v) {
        Room(2);
        StoreU16(block_.data() + used_, v);
        used_ += 2;
    }
    void U32(std::uint32_t v) {
        Room(4);
        StoreU32(block_.data() + used_, v);
        used_ += 4;
    }
    void Zeros(std::uint64_t n) {
        for (; n > 0; --n) {
            Room(1);
            block_[used_++] = 0;
        }
    }
    std::uint64_t Written() const { return flushed_ + used_; }
    /// False when the sink refused any of the bytes.
    bool Finish() {
        Flush();
        return ok_;
    }

  private:
    void Room(std::size_t n) {
        if (used_ + n > block_.size()) {
            Flush();
        }
    }
    void Flush() {
        if (used_ != 0) {
            ok_ = ok_ && out_.Write({block_.data(), used_});
            flushed_ += used_;
            used_ = 0;
        }
    }

    ByteSink& out_;
    std::array<std::uint8_t, 16384> block_;
    std::size_t used_ = 0;
    std::uint64_t flushed_ = 0;
    bool ok_ = true;
};

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
                // The list follows the entry's own kind: a named entry among the numeric ones
                // (or the reverse) would otherwise be written back with the wrong kind of word.
                if (child->isNamed_ != (k < named)) {
                    Complain("Resource entry is not where its kind belongs; entry moved", entryAt);
                }
                (child->isNamed_ ? node.named_ : node.numeric_).Append(std::move(child));
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

// Scratch space for sorting named entries, reused from one directory to the next.
struct SortScratch {
    struct Key {
        std::size_t at;  // in `folded`
        std::uint32_t length;
        std::uint32_t index;  // position in the list: equal names keep their order
    };
    std::vector<std::uint8_t> folded;
    std::vector<Key> keys;
};

namespace {

// The loaders find entries by binary search: numeric ids ascending, names in folded order.
// Lists read from a well-formed file are sorted already and are taken as they are.
void AppendNamedInWriteOrder(const ExtPtrArray<ExeResource>& list,
                             std::vector<ExeResource*>& entries, SortScratch& scratch) {
    const std::uint32_t count = list.Count();
    const std::size_t first = entries.size();
    for (std::uint32_t i = 0; i < count; ++i) {
        entries.push_back(list.Get(i));
    }
    const auto begin = entries.begin() + static_cast<std::ptrdiff_t>(first);
    if (std::is_sorted(begin, entries.end(), [](const ExeResource* a, const ExeResource* b) {
            return ResourceNameLess(a->Name16(), b->Name16());
        })) {
        return;
    }
    // Folded names side by side as big-endian bytes: one memcmp orders two names as their
    // folded units do, without chasing the nodes during the sort.
    scratch.folded.clear();
    scratch.keys.clear();
    std::size_t units = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        units += list.Get(i)->Name16().size();
    }
    scratch.folded.reserve(2 * units);
    scratch.keys.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::u16string& name = list.Get(i)->Name16();
        scratch.keys.push_back({scratch.folded.size(), static_cast<std::uint32_t>(name.size()), i});
        for (const char16_t c : name) {
            const char16_t f = FoldUpper(c);
            scratch.folded.push_back(static_cast<std::uint8_t>(f >> 8));
            scratch.folded.push_back(static_cast<std::uint8_t>(f & 0xFF));
        }
    }
    const std::uint8_t* folded = scratch.folded.data();
    std::sort(scratch.keys.begin(), scratch.keys.end(),
              [folded](const SortScratch::Key& a, const SortScratch::Key& b) {
                  const std::uint32_t common = std::min(a.length, b.length);
                  if (common != 0) {
                      const int c =
                          std::memcmp(folded + a.at, folded + b.at, 2 * std::size_t{common});
                      if (c != 0) {
                          return c < 0;
                      }
                  }
                  if (a.length != b.length) {
                      return a.length < b.length;
                  }
                  return a.index < b.index;
              });
    for (std::size_t k = 0; k < scratch.keys.size(); ++k) {
        *(begin + static_cast<std::ptrdiff_t>(k)) = list.Get(scratch.keys[k].index);
    }
}

void AppendNumericInWriteOrder(const ExtPtrArray<ExeResource>& list,
                               std::vector<ExeResource*>& entries) {
    const std::size_t first = entries.size();
    for (std::uint32_t i = 0; i < list.Count(); ++i) {
        entries.push_back(list.Get(i));
    }
    const auto begin = entries.begin() + static_cast<std::ptrdiff_t>(first);
    const auto byId = [](const ExeResource* a, const ExeResource* b) { return a->Id() < b->Id(); };
    if (!std::is_sorted(begin, entries.end(), byId)) {
        std::stable_sort(begin, entries.end(), byId);
    }
}

}  // namespace

// What a tree holds, counted in list order before the tree is walked in written order: the
// start of every region of the section is then known, so one walk places every node, and
// every array is allocated once.
struct TreeCounts {
    std::uint64_t directoryBytes = 0;
    std::uint64_t nameBytes = 0;
    std::size_t directories = 0;
    std::size_t leaves = 0;
    std::size_t named = 0;
    std::size_t entries = 0;
    std::vector<const ExeResource*> ancestors;  // the walk's path, to name an overfull directory
    std::optional<OverfullDirectory> overfull;  // the first one met
};

// Running offsets of the four regions while the tree is walked in written order.
struct LayoutCursor {
    std::uint64_t directory = 0;
    std::uint64_t dataEntry = 0;
    std::uint64_t name = 0;
    std::uint64_t data = 0;
};

void ExeResource::Count(TreeCounts& counts) const {
    const std::size_t entries = std::size_t{named_.Count()} + numeric_.Count();
    counts.ancestors.push_back(this);
    if (!counts.overfull &&
        (named_.Count() > kMaxDirectoryEntries || numeric_.Count() > kMaxDirectoryEntries)) {
        OverfullDirectory& d = counts.overfull.emplace();
        d.named = named_.Count() > kMaxDirectoryEntries;
        d.count = d.named ? named_.Count() : numeric_.Count();
        d.path = "root";
        for (std::size_t k = 1; k < counts.ancestors.size(); ++k) {
            const ExeResource* level = counts.ancestors[k];
            d.path += '/';
            d.path += level->isNamed_ ? level->name_ : std::to_string(level->id_);
        }
    }
    if (isDirectory_) {
        ++counts.directories;
        counts.directoryBytes += pe::kResourceDirectorySize + pe::kResourceEntrySize * entries;
    } else {
        ++counts.leaves;
    }
    if (isNamed_) {
        ++counts.named;
        counts.nameBytes += 2 + 2 * std::uint64_t{name16_.size()};
    }
    counts.entries += entries;
    for (std::uint32_t i = 0; i < named_.Count(); ++i) {
        named_.Get(i)->Count(counts);
    }
    for (std::uint32_t i = 0; i < numeric_.Count(); ++i) {
        numeric_.Get(i)->Count(counts);
    }
    counts.ancestors.pop_back();
}

void ExeResource::Place(ResourceLayout& layout, SortScratch& scratch, LayoutCursor& at) {
    const std::size_t count = std::size_t{named_.Count()} + numeric_.Count();
    if (isDirectory_) {
        layout.directories.push_back(this);
        directoryOffset_ = static_cast<std::uint32_t>(at.directory);
        at.directory += pe::kResourceDirectorySize + pe::kResourceEntrySize * count;
    } else {
        layout.leaves.push_back(this);
        dataEntryOffset_ = static_cast<std::uint32_t>(at.dataEntry);
        at.dataEntry += pe::kResourceDataEntrySize;
        if (isFileBacked_) {
            const FileSizeResult size = FileSys::FileSize(*fileName_, nullptr);
            // A file too large for a data entry keeps the largest size, so the section is
            // refused as too large instead of being written with the entry silently empty.
            size_ = size.found
                        ? static_cast<std::uint32_t>(std::min<std::uint64_t>(size.size, UINT32_MAX))
                        : 0;
        }
        dataOffset_ = static_cast<std::uint32_t>(at.data);
        at.data += size_;
        padding_ = static_cast<std::uint32_t>(RoundUp8(at.data) - at.data);
        at.data += padding_;
    }
    if (isNamed_) {
        layout.named.push_back(this);
        nameOffset_ = static_cast<std::uint32_t>(at.name);
        at.name += 2 + 2 * std::uint64_t{name16_.size()};
    }
    firstEntry_ = static_cast<std::uint32_t>(layout.entries.size());
    AppendNamedInWriteOrder(named_, layout.entries, scratch);
    AppendNumericInWriteOrder(numeric_, layout.entries);
    // By index: the walk appends to the same array.
    for (std::size_t k = 0; k < count; ++k) {
        layout.entries[firstEntry_ + k]->Place(layout, scratch, at);
    }
}

std::span<ExeResource* const> ExeResource::WrittenEntries(const ResourceLayout& layout) const {
    return {layout.entries.data() + firstEntry_, std::size_t{named_.Count()} + numeric_.Count()};
}

ResourceLayout ExeResource::Plan() {
    TreeCounts counts;
    Count(counts);
    ResourceLayout layout;
    layout.directories.reserve(counts.directories);
    layout.leaves.reserve(counts.leaves);
    layout.named.reserve(counts.named);
    layout.entries.reserve(counts.entries);
    // Directories, then data entries, then name strings; the data starts 8-aligned, as every
    // later leaf does: templates such as dialogs must not start at an odd address.
    LayoutCursor at;
    at.dataEntry = counts.directoryBytes;
    at.name = at.dataEntry + pe::kResourceDataEntrySize * std::uint64_t{counts.leaves};
    layout.dataStart = RoundUp8(at.name + counts.nameBytes);
    at.data = layout.dataStart;
    SortScratch scratch;
    Place(layout, scratch, at);
    layout.size = at.data;
    layout.overfull = std::move(counts.overfull);
    return layout;
}

void LogOverfullDirectory(const OverfullDirectory& directory, LogBase* log) {
    if (log == nullptr) {
        return;
    }
    log->LogError(directory.named ? "Too many named resource entries in one directory"
                                  : "Too many numeric resource entries in one directory");
    log->LogData("directory", directory.path.c_str());
    log->LogDataLong(
        "count", static_cast<std::int32_t>(std::min<std::uint32_t>(directory.count, INT32_MAX)));
    log->LogDataLong("maximum", static_cast<std::int32_t>(ExeResource::kMaxDirectoryEntries));
}

bool ExeResource::Serialize(const ResourceLayout& layout, ByteSink& out, std::uint32_t padTo,
                            std::uint32_t sectionRva, ProgressMonitor* progress, LogBase* log) {
    // A count that wraps in its 16-bit field would hide entries from every reader.
    if (layout.overfull) {
        LogOverfullDirectory(*layout.overfull, log);
        return false;
    }
    // Entry words and headers for this layout, filled as the records are written: one walk
    // over the directories and their entries.
    RecordWriter head(out);
    if (!layout.directories.empty()) {
        ExeResource* root = layout.directories.front();
        root->offsetWord_ = root->directoryOffset_ | pe::kHighBit;
    }
    for (ExeResource* d : layout.directories) {
        d->header_.namedCount = static_cast<std::uint16_t>(d->named_.Count());
        d->header_.numericCount = static_cast<std::uint16_t>(d->numeric_.Count());
        head.U32(d->header_.characteristics);
        head.U32(d->header_.timeDateStamp);
        head.U16(d->header_.majorVersion);
        head.U16(d->header_.minorVersion);
        head.U16(d->header_.namedCount);
        head.U16(d->header_.numericCount);
        for (ExeResource* c : d->WrittenEntries(layout)) {
            c->nameWord_ = c->isNamed_ ? (c->nameOffset_ | pe::kHighBit) : c->id_;
            c->offsetWord_ =
                c->isDirectory_ ? (c->directoryOffset_ | pe::kHighBit) : c->dataEntryOffset_;
            head.U32(c->nameWord_);
            head.U32(c->offsetWord_);
        }
    }
    for (ExeResource* leaf : layout.leaves) {
        leaf->dataEntry_.dataRva = sectionRva + leaf->dataOffset_;
        leaf->dataEntry_.size = leaf->size_;
        head.U32(leaf->dataEntry_.dataRva);
        head.U32(leaf->dataEntry_.size);
        head.U32(leaf->dataEntry_.codePage);
        head.U32(leaf->dataEntry_.reserved);
    }
    for (const ExeResource* n : layout.named) {
        head.U16(static_cast<std::uint16_t>(n->name16_.size()));
        for (const char16_t unit : n->name16_) {
            head.U16(unit);
        }
    }
    head.Zeros(layout.dataStart - std::min(layout.dataStart, head.Written()));
    if (!head.Finish()) {
        return false;
    }
    auto report = [&](std::uint64_t n) {
        if (progress != nullptr) {
            progress->Consumed(n);
        }
        return progress == nullptr || !progress->Aborted();
    };
    if (!report(layout.dataStart)) {
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
