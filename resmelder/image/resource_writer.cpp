// Writes the tree as a new resource section: the layout is frozen once (write order and every
// size), then written in one pass. Work is linear in the entries written.

#include <algorithm>
#include <array>
#include <cstring>

#include "image/exe_resource.h"
#include "image/image_texts.h"
#include "image/output_sink.h"
#include "image/pe_format.h"
#include "support/byte_reader.h"
#include "support/file_sys.h"
#include "support/log.h"
#include "support/progress_monitor.h"

namespace resmelder {
namespace {

// Large enough that a data file of megabytes takes few reads.
constexpr std::size_t kFileChunk = 64 << 10;

std::uint64_t RoundUp8(std::uint64_t v) {
    return (v + 7) & ~std::uint64_t{7};
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
            const char16_t f = UpcaseResourceUnit(c);
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
        if (isFileBacked_ || !owned_.empty()) {
            layout.addedBytes += size_;
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
    log->LogError(directory.named ? image_texts::kTooManyNamed : image_texts::kTooManyNumeric);
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
    auto report = [&](std::uint64_t n) {
        if (progress != nullptr) {
            progress->Consumed(n);
        }
        return progress == nullptr || !progress->Aborted();
    };
    if (!WriteRecords(layout, out, sectionRva) || !report(layout.dataStart)) {
        return false;
    }
    for (const ExeResource* leaf : layout.leaves) {
        if (!leaf->WriteData(out, log) || !out.Fill(0, leaf->padding_) ||
            !report(leaf->size_ + leaf->padding_)) {
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

// The section's head: every directory with its entries, the data entries, the names, and
// zeros up to the data. Entry words and headers for this layout are filled as they go out.
bool ExeResource::WriteRecords(const ResourceLayout& layout, ByteSink& out,
                               std::uint32_t sectionRva) {
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
    return head.Finish();
}

// One leaf's bytes, exactly as many as the layout gave it.
bool ExeResource::WriteData(ByteSink& out, LogBase* log) const {
    if (!isFileBacked_) {
        return out.Write(Data()) && out.Fill(0, size_ - Data().size());
    }
    return size_ == 0 || CopyBackingFile(out, log);
}

// The file's size was taken when the section was laid out; a file that shrank since is
// completed with zeros so the layout stays true.
bool ExeResource::CopyBackingFile(ByteSink& out, LogBase* log) const {
    File file = FileSys::OpenForRead(*fileName_, nullptr);
    std::vector<std::uint8_t> chunk(kFileChunk);
    std::uint64_t left = size_;
    while (left > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kFileChunk));
        const std::size_t got = file.Read({chunk.data(), want});
        if (got == 0) {
            break;
        }
        if (!out.Write({chunk.data(), got})) {
            return false;
        }
        left -= got;
    }
    if (left == 0) {
        return true;
    }
    if (log != nullptr) {
        log->LogInfo(image_texts::kResourceFileShort);
        log->LogData("filename", fileName_->Utf8().c_str());
    }
    return out.Fill(0, left);
}

}  // namespace resmelder
