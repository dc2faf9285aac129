#include "fuzz/pe_mutator_seed.h"

#include <set>

#include "support/byte_reader.h"

namespace resmelder::fuzz::seed {
namespace {

// The parser's own bounds: the seeds are real libraries, far below these.
constexpr std::size_t kMaxSections = 96;
constexpr std::size_t kMaxDirectories = 1 << 13;
constexpr std::size_t kMaxEntries = 1 << 17;
constexpr int kDirectoryLevels = 3;  // type, name, language

}  // namespace

std::optional<std::vector<std::uint8_t>> PeFile::RawBytesAt(std::uint32_t rva,
                                                            std::uint32_t size) const {
    const SectionHeader& s = sections_[resourceSection_];
    if (rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize) {
        return std::nullopt;
    }
    const std::uint64_t from = std::uint64_t{s.rawPointer} + (rva - s.virtualAddress);
    if (from > bytes_.size() || size > bytes_.size() - from) {
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(bytes_.begin() + static_cast<std::ptrdiff_t>(from),
                                     bytes_.begin() + static_cast<std::ptrdiff_t>(from + size));
}

std::optional<std::uint32_t> PeFile::U32(std::size_t at) const {
    return ByteReader(bytes_).U32(at);
}

std::optional<std::uint16_t> PeFile::U16(std::size_t at) const {
    return ByteReader(bytes_).U16(at);
}

std::optional<std::uint32_t> PeFile::RelU32(std::uint32_t relative) const {
    return Fits(relative, 4) ? U32(root_ + relative) : std::nullopt;
}

std::optional<std::uint16_t> PeFile::RelU16(std::uint32_t relative) const {
    return Fits(relative, 2) ? U16(root_ + relative) : std::nullopt;
}

bool PeFile::ParseHeaders() {
    if (U16(0) != std::uint16_t{0x5A4D}) {
        return false;
    }
    const auto nt = U32(60);
    if (!nt || U32(*nt) != std::uint32_t{0x00004550}) {
        return false;
    }
    const auto count = U16(*nt + 6);
    const auto optionalSize = U16(*nt + 20);
    const std::size_t optional = std::size_t{*nt} + 24;
    const auto magic = U16(optional);
    if (!count || !optionalSize || !magic || (*magic != 0x10b && *magic != 0x20b)) {
        return false;
    }
    const bool plus = *magic == 0x20b;
    fileAlignment_ = U32(optional + 36).value_or(0);
    sizeOfHeaders_ = U32(optional + 60).value_or(0);
    optional_ = optional;
    resourceDirectoryAt_ = optional + (plus ? 112u : 96u) + 16;
    const auto rva = U32(resourceDirectoryAt_);
    if (!rva || *rva == 0) {
        return false;
    }
    resourceRva_ = *rva;
    const std::size_t table = optional + *optionalSize;
    tableEnd_ = table + 40 * std::size_t{*count};
    for (std::size_t i = 0; i < std::min<std::size_t>(*count, kMaxSections); ++i) {
        const std::size_t at = table + 40 * i;
        if (at > bytes_.size() || bytes_.size() - at < 40) {
            break;
        }
        sections_.push_back({at, *U32(at + kVirtualSizeField), *U32(at + kVirtualAddressField),
                             *U32(at + kRawSizeField), *U32(at + kRawPointerField)});
    }
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const SectionHeader& s = sections_[i];
        if (s.virtualAddress <= resourceRva_ && resourceRva_ - s.virtualAddress < s.Extent()) {
            resourceSection_ = i;
            root_ = std::size_t{s.rawPointer} + (resourceRva_ - s.virtualAddress);
            limit_ = std::min<std::size_t>(std::size_t{s.rawPointer} + s.rawSize, bytes_.size());
            return root_ + 16 <= limit_ && limit_ - root_ <= 0xFFFFFFFFu;
        }
    }
    return false;
}

void PeFile::Reach(std::uint64_t end) {
    structuresEnd_ = static_cast<std::uint32_t>(
        std::max<std::uint64_t>(structuresEnd_, std::min<std::uint64_t>(end, Room())));
}

// Breadth first, each directory once, three levels deep at most.
bool PeFile::ParseResources() {
    std::set<std::uint32_t> seen{0};
    directories_.push_back({0, 0, 0, 0, 0, {}, true});
    for (std::size_t d = 0; d < directories_.size(); ++d) {
        const std::uint32_t at = directories_[d].offset;
        const auto named = RelU16(at + 12);
        const auto numeric = RelU16(at + 14);
        if (!named || !numeric) {
            continue;
        }
        directories_[d].firstEntry = entries_.size();
        const std::uint32_t total = std::uint32_t{*named} + *numeric;
        Reach(std::uint64_t{at} + 16);
        for (std::uint32_t i = 0; i < total && entries_.size() < kMaxEntries; ++i) {
            const std::uint32_t entryAt = at + 16 + 8 * i;
            const auto nameWord = RelU32(entryAt);
            const auto offsetWord = RelU32(entryAt + 4);
            if (!nameWord || !offsetWord) {
                break;
            }
            entries_.push_back({entryAt, *nameWord, *offsetWord});
            ++directories_[d].entryCount;
            Reach(std::uint64_t{entryAt} + 8);
            const bool isNamed = (*nameWord & kHighBit) != 0;
            if (isNamed) {
                const std::uint32_t nameAt = *nameWord & ~kHighBit;
                if (const auto length = RelU16(nameAt)) {
                    Reach(std::uint64_t{nameAt} + 2 + 2 * std::uint64_t{*length});
                }
            }
            std::vector<std::uint16_t> path = directories_[d].path;
            path.push_back(static_cast<std::uint16_t>(*nameWord));
            const bool numericPath = directories_[d].numericPath && !isNamed;
            const std::uint32_t target = *offsetWord & ~kHighBit;
            if ((*offsetWord & kHighBit) != 0) {
                if (directories_[d].depth + 1 < kDirectoryLevels &&
                    directories_.size() < kMaxDirectories && seen.insert(target).second) {
                    directories_.push_back(
                        {target, directories_[d].depth + 1, d, 0, 0, std::move(path), numericPath});
                }
            } else if (const auto dataRva = RelU32(target)) {
                Reach(std::uint64_t{target} + 16);
                leaves_.push_back({target, std::move(path), numericPath, *dataRva,
                                   RelU32(target + 4).value_or(0)});
            }
        }
    }
    return true;
}

}  // namespace resmelder::fuzz::seed
