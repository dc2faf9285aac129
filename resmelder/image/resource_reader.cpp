// Reads a resource tree out of untrusted bytes in time and memory linear in the bytes of the
// resource section, whatever counts, offsets and loops its directories claim.

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "image/exe_image.h"
#include "image/exe_resource.h"
#include "image/image_texts.h"
#include "image/pe_format.h"
#include "support/byte_reader.h"
#include "support/encoding.h"
#include "support/log.h"

namespace resmelder {
namespace {

constexpr int kMaxDetailedComplaints = 16;

}  // namespace

// Every directory is read at most once (one that points back into its ancestry, or at one
// already read, ends that branch) and nesting is bounded. Directories, entries and names are
// read only inside the resource section, and the tree is charged for what it holds: 8 bytes
// per entry and the bytes of each name, against the section's size. Overlapping directories
// pass the visited check, but they cannot hold more than the section holds: when the budget
// is spent, reading stops with one log line and what was read is kept. Offsets below are
// inside the section's bytes; the file offset is only for the log.
class ResourceTreeReader {
  public:
    ResourceTreeReader(ExeImage& image, std::span<const std::uint8_t> section,
                       std::size_t sectionOffset, LogBase* log)
        : image_(image),
          src_(section),
          sectionOffset_(sectionOffset),
          end_(section.size()),
          budget_(end_),
          zeroBudget_(static_cast<std::size_t>(image.SourceSize())),  // at most 4 GB
          log_(log) {}

    bool ReadDirectory(ExeResource& node, std::uint32_t relative, int depth) {
        const std::size_t at = Absolute(relative, pe::kResourceDirectorySize);
        if (at == kOutside) {
            return false;
        }
        const ByteReader h(*src_.Bytes(at, pe::kResourceDirectorySize));
        node.header_.characteristics = *h.U32(0);
        node.header_.timeDateStamp = *h.U32(4);
        node.header_.majorVersion = *h.U16(8);
        node.header_.minorVersion = *h.U16(10);
        node.header_.namedCount = *h.U16(12);
        node.header_.numericCount = *h.U16(14);
        node.isDirectory_ = true;
        const std::uint32_t named = node.header_.namedCount;
        std::uint32_t total = named + node.header_.numericCount;
        // A count cannot exceed what fits between the directory and the end of the section.
        const std::size_t room = (end_ - at - pe::kResourceDirectorySize) / pe::kResourceEntrySize;
        if (total > room) {
            Complain(image_texts::kEntriesPastSection, at);
            total = static_cast<std::uint32_t>(room);
        }
        for (std::uint32_t k = 0; k < total && !Spent(); ++k) {
            const std::size_t entryAt =
                at + pe::kResourceDirectorySize + std::size_t{k} * pe::kResourceEntrySize;
            if (!Charge(pe::kResourceEntrySize)) {
                break;
            }
            auto child = ReadEntry(*src_.U32(entryAt), *src_.U32(entryAt + 4), depth, entryAt);
            if (child) {
                // The list follows the entry's own kind: a named entry among the numeric ones
                // (or the reverse) would otherwise be written back with the wrong kind of word.
                if (child->isNamed_ != (k < named)) {
                    Complain(image_texts::kEntryOutOfPlace, entryAt);
                }
                (child->isNamed_ ? node.named_ : node.numeric_).Append(std::move(child));
            }
        }
        return true;
    }

    // Leaf data outside the section, read after the walk. Overlapping and adjacent ranges
    // are merged, so each byte of the file is read at most once whatever the leaves claim.
    // False when the file became shorter meanwhile.
    bool ReadWantedData() {
        std::sort(wanted_.begin(), wanted_.end(),
                  [](const Wanted& a, const Wanted& b) { return a.offset < b.offset; });
        for (std::size_t first = 0; first < wanted_.size();) {
            const std::uint64_t low = wanted_[first].offset;
            std::uint64_t high = low + wanted_[first].inFile;
            std::size_t next = first + 1;
            for (; next < wanted_.size() && wanted_[next].offset <= high; ++next) {
                high = std::max(high, wanted_[next].offset + wanted_[next].inFile);
            }
            const auto bytes = image_.HoldSource(low, static_cast<std::size_t>(high - low), log_);
            if (!bytes) {
                return false;
            }
            for (; first < next; ++first) {
                const Wanted& w = wanted_[first];
                SetData(*w.leaf,
                        bytes->subspan(static_cast<std::size_t>(w.offset - low), w.inFile));
            }
        }
        return true;
    }

    void Finish() {
        if (log_ == nullptr) {
            return;
        }
        if (complaints_ > kMaxDetailedComplaints) {
            log_->LogError(image_texts::kMoreSkipped);
            log_->LogDataLong("count", complaints_ - kMaxDetailedComplaints);
        }
        if (spent_) {
            log_->LogError(image_texts::kTreeBudgetSpent);
            log_->LogDataLong("sectionBytes",
                              static_cast<std::int32_t>(std::min<std::size_t>(end_, INT32_MAX)));
        }
    }

  private:
    static constexpr std::size_t kOutside = SIZE_MAX;

    // A leaf whose bytes lie outside the section: `inFile` bytes at `offset` in the file.
    struct Wanted {
        ExeResource* leaf;
        std::uint64_t offset;
        std::size_t inFile;
    };

    // Where `n` bytes at `relative` lie inside the section, or kOutside.
    std::size_t Absolute(std::uint32_t relative, std::size_t n) const {
        if (relative > end_ || n > end_ - relative) {
            return kOutside;
        }
        return relative;
    }

    bool Spent() const { return spent_; }

    // Takes `n` bytes from the budget; false (once logged at the end) when it is spent.
    bool Charge(std::size_t n) {
        if (n > budget_) {
            budget_ = 0;
            spent_ = true;
            return false;
        }
        budget_ -= n;
        return true;
    }

    void Complain(const char* text, std::uint64_t offset) {
        ++complaints_;
        if (log_ != nullptr && complaints_ <= kMaxDetailedComplaints) {
            log_->LogError(text);
            char digits[24] = {};
            std::to_chars(digits, digits + sizeof digits - 1, sectionOffset_ + offset, 16);
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
                if (!spent_) {
                    Complain(image_texts::kNameOutside, entryAt);
                }
                return nullptr;
            }
        } else {
            child->id_ = static_cast<std::uint16_t>(w1 & 0xFFFF);
        }
        if (child->isDirectory_) {
            return ReadSubdirectory(std::move(child), w2 & ~pe::kHighBit, depth, entryAt);
        }
        if (!ReadLeaf(*child, w2, entryAt)) {
            return nullptr;
        }
        return child;
    }

    std::unique_ptr<ExeResource> ReadSubdirectory(std::unique_ptr<ExeResource> child,
                                                  std::uint32_t relative, int depth,
                                                  std::size_t entryAt) {
        if (depth + 1 >= ExeResource::kMaxDepth) {
            Complain(image_texts::kNestedTooDeeply, entryAt);
            return nullptr;
        }
        if (!visited_.insert(relative).second) {
            Complain(image_texts::kRefersBack, entryAt);
            return nullptr;
        }
        if (!ReadDirectory(*child, relative, depth + 1)) {
            Complain(image_texts::kDirectoryOutside, entryAt);
            return nullptr;
        }
        return child;
    }

    bool ReadLeaf(ExeResource& leaf, std::uint32_t relative, std::size_t entryAt) {
        const std::size_t dataEntryAt = Absolute(relative, pe::kResourceDataEntrySize);
        if (dataEntryAt == kOutside) {
            Complain(image_texts::kDataEntryOutside, entryAt);
            return false;
        }
        const ByteReader e(*src_.Bytes(dataEntryAt, pe::kResourceDataEntrySize));
        leaf.dataEntry_ = {*e.U32(0), *e.U32(4), *e.U32(8), *e.U32(12)};
        leaf.size_ = leaf.dataEntry_.size;
        if (!ReadData(leaf)) {
            Complain(image_texts::kDataOutside, dataEntryAt);
            leaf.size_ = 0;
        }
        return true;
    }

    // The leaf's bytes as the loader maps them: from the headers, from a section's raw data,
    // and zeros where a section's virtual size goes past its raw data.
    bool ReadData(ExeResource& leaf) {
        const std::uint32_t size = leaf.size_;
        if (const auto mapped = image_.MapRva(leaf.dataEntry_.dataRva)) {
            if (size > mapped->mapped) {
                return false;
            }
            const std::size_t inFile = std::min<std::size_t>(size, mapped->inFile);
            // The tail is zeros to the loader; the copies are bounded by the file's size in all.
            if (size - inFile > zeroBudget_) {
                return false;
            }
            zeroBudget_ -= size - inFile;
            Locate(leaf, mapped->offset, inFile);
            return true;
        }
        // Outside every section: taken relative to the resource section, where it is in the file.
        const auto offset = image_.RvaToOffsetInResourceSection(leaf.dataEntry_.dataRva);
        const std::uint64_t fileSize = image_.SourceSize();
        if (!offset || *offset > fileSize || size > fileSize - *offset) {
            return false;
        }
        Locate(leaf, *offset, size);
        return true;
    }

    // Points the leaf at its bytes in the section, or notes them to be read after the walk.
    void Locate(ExeResource& leaf, std::uint64_t offset, std::size_t inFile) {
        const std::uint64_t inSection = offset - sectionOffset_;
        if (inFile == 0) {
            SetData(leaf, src_.All().first(0));
        } else if (offset >= sectionOffset_ && inSection <= end_ && inFile <= end_ - inSection) {
            SetData(leaf, src_.All().subspan(static_cast<std::size_t>(inSection), inFile));
        } else {
            wanted_.push_back({&leaf, offset, inFile});
        }
    }

    // The leaf's bytes: those read from the file, then zeros up to its size.
    static void SetData(ExeResource& leaf, std::span<const std::uint8_t> inFile) {
        if (inFile.size() == leaf.size_) {
            leaf.data_ = inFile.data();
            return;
        }
        leaf.owned_.assign(leaf.size_, 0);
        if (!inFile.empty()) {
            std::memcpy(leaf.owned_.data(), inFile.data(), inFile.size());
        }
        leaf.data_ = leaf.owned_.data();
    }

    bool ReadName(ExeResource& node, std::uint32_t relative) {
        const std::size_t at = Absolute(relative, 2);
        if (at == kOutside) {
            return false;
        }
        const std::size_t length = *src_.U16(at);
        if (Absolute(relative + 2, 2 * length) == kOutside) {
            return false;
        }
        // Names are charged like entries: many entries sharing one long name cannot eat memory.
        if (!Charge(2 + 2 * length)) {
            return false;
        }
        node.name16_.resize(length);
        if (length != 0) {
            std::memcpy(node.name16_.data(), src_.All().data() + at + 2, 2 * length);
        }
        EncodingConvert::Utf16ToAnsi(node.name16_, node.name_);
        if (node.name_.size() > kMaxResourceNameBytes) {
            node.name_.resize(kMaxResourceNameBytes);
        }
        return true;
    }

    ExeImage& image_;
    ByteReader src_;
    std::size_t sectionOffset_;
    std::size_t end_;
    std::size_t budget_;
    std::size_t zeroBudget_;
    bool spent_ = false;
    LogBase* log_;
    std::unordered_set<std::uint32_t> visited_{0};
    int complaints_ = 0;
    std::vector<Wanted> wanted_;
};

std::unique_ptr<ExeResource> ExeResource::Build(ExeImage& image,
                                                std::span<const std::uint8_t> section,
                                                std::size_t sectionOffset, LogBase* log,
                                                bool& sourceChanged) {
    auto root = std::make_unique<ExeResource>(&image);
    ResourceTreeReader reader(image, section, sectionOffset, log);
    if (!reader.ReadDirectory(*root, 0, 0)) {
        if (log != nullptr) {
            log->LogError(image_texts::kRootDirectoryOutside);
        }
        return nullptr;
    }
    sourceChanged = !reader.ReadWantedData();
    reader.Finish();
    return root;
}

std::unique_ptr<ExeResource> ExeResource::EmptyRoot(ExeImage& image) {
    auto root = std::make_unique<ExeResource>(&image);
    root->isDirectory_ = true;
    return root;
}

}  // namespace resmelder
