#include "fuzz/pe_mutator.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "fuzz/pe_mutator_seed.h"

namespace resmelder::fuzz {
namespace {

using seed::Directory;
using seed::Entry;
using seed::kHighBit;
using seed::kRawSizeField;
using seed::kVirtualAddressField;
using seed::kVirtualSizeField;
using seed::Leaf;
using seed::PeFile;
using seed::SectionHeader;

constexpr std::uint16_t kManyEntries = 0x7FFF;
constexpr std::uint32_t kHugeRawSize = 0x7FFFFFFF;

constexpr std::array<Mutation, 17> kAll = {
    Mutation::kDirectoryCount32767,
    Mutation::kSubdirectoriesToRoot,
    Mutation::kSubdirectoriesToParent,
    Mutation::kRootEntriesShareSubdirectory,
    Mutation::kOverlappingDirectories,
    Mutation::kSharedLongName,
    Mutation::kSharedDataEntry,
    Mutation::kRootLeafRcdata,
    Mutation::kRawSizeHuge,
    Mutation::kEarlyResourceSectionHuge,
    Mutation::kRawSizePastEnd,
    Mutation::kVirtualSizeOverRaw,
    Mutation::kOverlappingVirtualRanges,
    Mutation::kDataInHeaders,
    Mutation::kCodeAfterResources,
    Mutation::kResourceDirectoryCleared,
    Mutation::kNoHeaderRoom,
};

constexpr std::array<std::string_view, 17> kNames = {
    "directory-count-32767",
    "subdirectories-to-root",
    "subdirectories-to-parent",
    "root-entries-share-subdirectory",
    "overlapping-directories",
    "shared-long-name",
    "shared-data-entry",
    "root-leaf-rcdata",
    "raw-size-huge",
    "early-resource-section-huge",
    "raw-size-past-end",
    "virtual-size-over-raw",
    "overlapping-virtual-ranges",
    "data-in-headers",
    "code-after-resources",
    "resource-directory-cleared",
    "no-header-room",
};

std::uint64_t RoundUp(std::uint64_t value, std::uint32_t alignment) {
    if (alignment == 0) {
        return value;
    }
    return (value + alignment - 1) / alignment * alignment;
}

template <typename T>
const T* Pick(const std::vector<const T*>& candidates, std::uint32_t seedNumber) {
    return candidates.empty() ? nullptr : candidates[seedNumber % candidates.size()];
}

std::vector<const Directory*> DirectoriesAt(const PeFile& pe, int depth) {
    std::vector<const Directory*> found;
    for (const Directory& d : pe.Directories()) {
        if (d.depth == depth && d.entryCount > 0) {
            found.push_back(&d);
        }
    }
    return found;
}

void PointEntriesAt(PeFile& pe, const Directory& d, std::uint32_t target) {
    for (std::size_t i = 0; i < d.entryCount; ++i) {
        const Entry& e = pe.Entries()[d.firstEntry + i];
        pe.Put32(e.offset + 4, kHighBit | target);
    }
}

bool DirectoryCount(PeFile& pe, std::uint32_t seedNumber) {
    const auto& all = pe.Directories();
    const Directory& d = all[seedNumber % all.size()];
    const bool named = (seedNumber / all.size()) % 2 == 1;
    pe.Put16(d.offset + (named ? 12 : 14), kManyEntries);
    return true;
}

bool SubdirectoriesToRoot(PeFile& pe, std::uint32_t seedNumber) {
    const Directory* d = Pick(DirectoriesAt(pe, 1), seedNumber);
    if (d == nullptr) {
        return false;
    }
    PointEntriesAt(pe, *d, 0);
    return true;
}

bool SubdirectoriesToParent(PeFile& pe, std::uint32_t seedNumber) {
    const Directory* d = Pick(DirectoriesAt(pe, 2), seedNumber);
    if (d == nullptr) {
        return false;
    }
    PointEntriesAt(pe, *d, pe.Directories()[d->parent].offset);
    return true;
}

// Root: N numeric entries, ids 1..N, all leading to one type directory with one name and one
// language.
bool RootEntriesShareSubdirectory(PeFile& pe, std::uint32_t) {
    constexpr std::uint32_t kTail = 16 + 8 + 16 + 8 + 16;
    if (pe.Room() < 16 + 2 * 8 + kTail) {
        return false;
    }
    const std::uint32_t n = std::min<std::uint32_t>(kManyEntries, (pe.Room() - 16 - kTail) / 8);
    const std::uint32_t shared = 16 + 8 * n;
    pe.PutHeader(0, 0, static_cast<std::uint16_t>(n));
    for (std::uint32_t i = 0; i < n; ++i) {
        pe.PutEntry(16 + 8 * i, i + 1, kHighBit | shared);
    }
    pe.PutHeader(shared, 0, 1);
    pe.PutEntry(shared + 16, 1, kHighBit | (shared + 24));
    pe.PutHeader(shared + 24, 0, 1);
    pe.PutEntry(shared + 40, 0x409, shared + 48);
    pe.PutDataEntry(shared + 48, pe.ResourceRva() + shared, 48);
    return true;
}

// The root's subdirectory entries lead to a header that starts 8 bytes into a directory's
// entry array, so its counts are made of an entry's offset word.
bool OverlappingDirectories(PeFile& pe, std::uint32_t seedNumber) {
    std::vector<const Directory*> targets;
    for (const Directory& d : pe.Directories()) {
        if (d.entryCount >= 3) {
            targets.push_back(&d);
        }
    }
    const Directory* target = Pick(targets, seedNumber);
    const Directory& root = pe.Directories()[0];
    if (target == nullptr) {
        return false;
    }
    bool any = false;
    for (std::size_t i = 0; i < root.entryCount; ++i) {
        const Entry& e = pe.Entries()[root.firstEntry + i];
        if ((e.offsetWord & kHighBit) != 0) {
            pe.Put32(e.offset + 4, kHighBit | (target->offset + 16 + 8));
            any = true;
        }
    }
    return any;
}

// Root: N named entries, all named by one string of up to 65,535 characters, all leaves of
// one data entry.
bool SharedLongName(PeFile& pe, std::uint32_t) {
    constexpr std::uint32_t kFixed = 16 + 16 + 2;
    if (pe.Room() < kFixed + 2 * 8 + 2 * 2) {
        return false;
    }
    const std::uint32_t chars = std::min<std::uint32_t>(0xFFFF, (pe.Room() - kFixed) / 4);
    const std::uint32_t n = std::min<std::uint32_t>(0xFFFF, (pe.Room() - kFixed - 2 * chars) / 8);
    if (n < 2) {
        return false;
    }
    const std::uint32_t dataEntry = 16 + 8 * n;
    const std::uint32_t name = dataEntry + 16;
    pe.PutHeader(0, static_cast<std::uint16_t>(n), 0);
    for (std::uint32_t i = 0; i < n; ++i) {
        pe.PutEntry(16 + 8 * i, kHighBit | name, dataEntry);
    }
    pe.PutDataEntry(dataEntry, pe.ResourceRva() + name, 16);
    pe.Put16(name, static_cast<std::uint16_t>(chars));
    for (std::uint32_t i = 0; i < chars; ++i) {
        pe.Put16(name + 2 + 2 * i, u'N');
    }
    return true;
}

// Root -> type 3 -> N names, each with its own language directory, every language leading
// to the same data entry. Its size is chosen so that a writer copying the data once per leaf
// writes about 2 GB: under the 4 GB a 32-bit section size can describe, so only a bound on
// the output catches it.
bool SharedDataEntry(PeFile& pe, std::uint32_t) {
    constexpr std::uint32_t kFixed = 24 + 16 + 16;
    if (pe.Room() < kFixed + 2 * 32) {
        return false;
    }
    const std::uint32_t n = std::min<std::uint32_t>(kManyEntries, (pe.Room() - kFixed) / 32);
    const std::uint32_t languages = 24 + 16 + 8 * n;
    const std::uint32_t dataEntry = languages + 24 * n;
    pe.PutHeader(0, 0, 1);
    pe.PutEntry(16, 3, kHighBit | 24);
    pe.PutHeader(24, 0, static_cast<std::uint16_t>(n));
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t language = languages + 24 * i;
        pe.PutEntry(40 + 8 * i, i + 1, kHighBit | language);
        pe.PutHeader(language, 0, 1);
        pe.PutEntry(language + 16, 0x409, dataEntry);
    }
    pe.PutDataEntry(dataEntry, pe.ResourceRva(), std::min(pe.Room(), 0x7FFF0000u / n));
    return true;
}

bool RootLeafRcdata(PeFile& pe, std::uint32_t seedNumber) {
    const Directory& root = pe.Directories()[0];
    std::vector<const Entry*> numeric;
    const Entry* rcdata = nullptr;
    for (std::size_t i = 0; i < root.entryCount; ++i) {
        const Entry& e = pe.Entries()[root.firstEntry + i];
        if ((e.nameWord & kHighBit) == 0) {
            numeric.push_back(&e);
            if (e.nameWord == 10 && rcdata == nullptr) {
                rcdata = &e;
            }
        }
    }
    const Entry* entry = rcdata != nullptr ? rcdata : Pick(numeric, seedNumber);
    if (entry == nullptr || pe.Leaves().empty()) {
        return false;
    }
    pe.PutEntry(entry->offset, 10, pe.Leaves()[seedNumber % pe.Leaves().size()].dataEntry);
    return true;
}

std::size_t SectionFrom(const PeFile& pe, std::uint32_t seedNumber) {
    return (pe.ResourceSection() + seedNumber) % pe.Sections().size();
}

bool RawSizeHuge(PeFile& pe, std::uint32_t seedNumber) {
    pe.PutSectionField(SectionFrom(pe, seedNumber), kRawSizeField, kHugeRawSize);
    return true;
}

bool EarlyResourceSectionHuge(PeFile& pe, std::uint32_t seedNumber) {
    if (pe.Sections().size() < 2) {
        return false;
    }
    const std::size_t position = seedNumber % 2;
    if (pe.ResourceSection() != position) {
        pe.SwapSectionHeaders(position, pe.ResourceSection());
    }
    pe.PutSectionField(position, kRawSizeField, kHugeRawSize);
    return true;
}

bool RawSizePastEnd(PeFile& pe, std::uint32_t seedNumber) {
    const std::size_t i = SectionFrom(pe, seedNumber);
    const std::uint64_t pointer = pe.Sections()[i].rawPointer;
    const std::uint64_t size = pe.Bytes().size();
    const std::uint64_t raw =
        RoundUp((pointer < size ? size - pointer : 0) + 0x10000, pe.FileAlignment());
    pe.PutSectionField(i, kRawSizeField,
                       static_cast<std::uint32_t>(std::min<std::uint64_t>(raw, kHugeRawSize)));
    return true;
}

// The raw data ends just after the directories; the virtual size still covers the data. A
// leaf whose data lay behind the new end must not be read from the file's following bytes.
std::optional<LeafExpectation> VirtualSizeOverRaw(PeFile& pe, std::uint32_t seedNumber) {
    const std::size_t r = pe.ResourceSection();
    const SectionHeader s = pe.Sections()[r];
    const std::uint64_t rawEnd =
        RoundUp(std::uint64_t{pe.RootInSection()} + pe.StructuresEnd(), pe.FileAlignment());
    if (rawEnd >= s.rawSize) {
        return std::nullopt;
    }
    std::vector<std::pair<const Leaf*, std::vector<std::uint8_t>>> candidates;
    for (const Leaf& leaf : pe.Leaves()) {
        if (!leaf.numericPath || leaf.size == 0 || leaf.rva < s.virtualAddress ||
            leaf.rva - s.virtualAddress < rawEnd) {
            continue;
        }
        auto bytes = pe.RawBytesAt(leaf.rva, leaf.size);
        if (bytes && std::any_of(bytes->begin(), bytes->end(), [](auto b) { return b != 0; })) {
            candidates.emplace_back(&leaf, std::move(*bytes));
        }
    }
    if (candidates.empty()) {
        return std::nullopt;
    }
    auto& [leaf, bytes] = candidates[seedNumber % candidates.size()];
    LeafExpectation expectation{leaf->path, std::move(bytes), false};
    pe.PutSectionField(r, kRawSizeField, static_cast<std::uint32_t>(rawEnd));
    pe.PutSectionField(r, kVirtualSizeField, std::max(s.virtualSize, s.rawSize));
    return expectation;
}

bool OverlappingVirtualRanges(PeFile& pe, std::uint32_t seedNumber) {
    const std::size_t count = pe.Sections().size();
    if (count < 2) {
        return false;
    }
    // The first pair by default: the writer never moves the first two sections, so an
    // overlap there survives into what it writes.
    const std::size_t i = seedNumber % (count - 1);
    const SectionHeader& first = pe.Sections()[i];
    pe.PutSectionField(i + 1, kVirtualAddressField,
                       first.virtualAddress + (first.Extent() > 0x1000 ? 0x1000 : 0));
    return true;
}

// The headers are mapped at RVA 0 with the file's bytes, so data there has a definite value.
std::optional<LeafExpectation> DataInHeaders(PeFile& pe, std::uint32_t seedNumber) {
    constexpr std::uint32_t kRva = 0x40;
    const auto headers =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(pe.SizeOfHeaders(), pe.Bytes().size()));
    std::vector<const Leaf*> candidates;
    for (const Leaf& leaf : pe.Leaves()) {
        if (leaf.numericPath && leaf.size > 0) {
            candidates.push_back(&leaf);
        }
    }
    const Leaf* leaf = Pick(candidates, seedNumber);
    if (leaf == nullptr || headers <= kRva) {
        return std::nullopt;
    }
    const std::uint32_t size = std::min(leaf->size, std::min<std::uint32_t>(headers - kRva, 0x100));
    pe.PutDataEntry(leaf->dataEntry, kRva, size);
    const auto from = pe.Bytes().begin() + kRva;
    return LeafExpectation{leaf->path, std::vector<std::uint8_t>(from, from + size), true};
}

// The section that follows .rsrc in the table becomes code: it cannot move, so a tree that
// grows past its page must go into a new section at the end.
bool CodeAfterResources(PeFile& pe, std::uint32_t) {
    const std::size_t next = pe.ResourceSection() + 1;
    if (pe.ResourceSection() < 2 || next >= pe.Sections().size()) {
        return false;
    }
    pe.PutSectionName(next, ".text2\0\0");
    pe.PutSectionField(next, 36, 0x60000020);  // code, execute, read; not discardable
    return true;
}

// The image claims no resources; its old resource section is only bytes.
bool ResourceDirectoryCleared(PeFile& pe, std::uint32_t) {
    pe.PutHeaderField(pe.ResourceDirectoryAt(), 0);
    pe.PutHeaderField(pe.ResourceDirectoryAt() + 4, 0);
    return true;
}

// As CodeAfterResources, and the headers end where the section table ends: a new section
// header has nowhere to go.
bool NoHeaderRoom(PeFile& pe, std::uint32_t seedNumber) {
    if (!CodeAfterResources(pe, seedNumber) || pe.TableEnd() > 0xFFFFFFFFu) {
        return false;
    }
    pe.PutHeaderField(pe.SizeOfHeadersAt(), static_cast<std::uint32_t>(pe.TableEnd()));
    return true;
}

}  // namespace

std::span<const Mutation> AllMutations() {
    return kAll;
}

std::string_view MutationName(Mutation kind) {
    return kNames[static_cast<std::size_t>(kind)];
}

std::optional<Mutation> MutationFromName(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) {
            return kAll[i];
        }
    }
    return std::nullopt;
}

std::optional<Mutant> Mutate(std::span<const std::uint8_t> seed, Mutation kind,
                             std::uint32_t seedNumber) {
    PeFile pe(std::vector<std::uint8_t>(seed.begin(), seed.end()));
    if (!pe.Parse()) {
        return std::nullopt;
    }
    bool applied = false;
    std::optional<LeafExpectation> leaf;
    switch (kind) {
        case Mutation::kDirectoryCount32767:
            applied = DirectoryCount(pe, seedNumber);
            break;
        case Mutation::kSubdirectoriesToRoot:
            applied = SubdirectoriesToRoot(pe, seedNumber);
            break;
        case Mutation::kSubdirectoriesToParent:
            applied = SubdirectoriesToParent(pe, seedNumber);
            break;
        case Mutation::kRootEntriesShareSubdirectory:
            applied = RootEntriesShareSubdirectory(pe, seedNumber);
            break;
        case Mutation::kOverlappingDirectories:
            applied = OverlappingDirectories(pe, seedNumber);
            break;
        case Mutation::kSharedLongName:
            applied = SharedLongName(pe, seedNumber);
            break;
        case Mutation::kSharedDataEntry:
            applied = SharedDataEntry(pe, seedNumber);
            break;
        case Mutation::kRootLeafRcdata:
            applied = RootLeafRcdata(pe, seedNumber);
            break;
        case Mutation::kRawSizeHuge:
            applied = RawSizeHuge(pe, seedNumber);
            break;
        case Mutation::kEarlyResourceSectionHuge:
            applied = EarlyResourceSectionHuge(pe, seedNumber);
            break;
        case Mutation::kRawSizePastEnd:
            applied = RawSizePastEnd(pe, seedNumber);
            break;
        case Mutation::kVirtualSizeOverRaw:
            leaf = VirtualSizeOverRaw(pe, seedNumber);
            applied = leaf.has_value();
            break;
        case Mutation::kOverlappingVirtualRanges:
            applied = OverlappingVirtualRanges(pe, seedNumber);
            break;
        case Mutation::kDataInHeaders:
            leaf = DataInHeaders(pe, seedNumber);
            applied = leaf.has_value();
            break;
        case Mutation::kCodeAfterResources:
            applied = CodeAfterResources(pe, seedNumber);
            break;
        case Mutation::kResourceDirectoryCleared:
            applied = ResourceDirectoryCleared(pe, seedNumber);
            break;
        case Mutation::kNoHeaderRoom:
            applied = NoHeaderRoom(pe, seedNumber);
            break;
    }
    if (!applied) {
        return std::nullopt;
    }
    return Mutant{pe.Take(), std::move(leaf)};
}

}  // namespace resmelder::fuzz
