#pragma once
// The seed as the PE mutator sees it: its headers, section table and resource directories,
// parsed once by a small bounded parser of the mutator's own (independent of the one under
// test), with bounded writes relative to the resource root.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace resmelder::fuzz::seed {

constexpr std::uint32_t kHighBit = 0x80000000u;

// Offsets of the section header fields.
constexpr std::size_t kVirtualSizeField = 8;
constexpr std::size_t kVirtualAddressField = 12;
constexpr std::size_t kRawSizeField = 16;
constexpr std::size_t kRawPointerField = 20;

struct SectionHeader {
    std::size_t at = 0;  // file offset of the 40-byte header
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
    std::uint32_t Extent() const { return std::max(virtualSize, rawSize); }
};

struct Directory {
    std::uint32_t offset = 0;  // from the resource root
    int depth = 0;
    std::size_t parent = 0;  // index; the root is its own parent
    std::size_t firstEntry = 0;
    std::size_t entryCount = 0;  // entries that lie inside the section
    std::vector<std::uint16_t> path;
    bool numericPath = true;
};

struct Entry {
    std::uint32_t offset = 0;  // of the 8-byte entry, from the resource root
    std::uint32_t nameWord = 0;
    std::uint32_t offsetWord = 0;
};

struct Leaf {
    std::uint32_t dataEntry = 0;  // from the resource root
    std::vector<std::uint16_t> path;
    bool numericPath = true;
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
};

// The seed's layout, parsed once, with bounded writes relative to the resource root.
class PeFile {
  public:
    explicit PeFile(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool Parse() { return ParseHeaders() && ParseResources(); }

    std::vector<std::uint8_t> Take() { return std::move(bytes_); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

    // Room for new structures: from the resource root to the end of its section's raw data.
    std::uint32_t Room() const { return static_cast<std::uint32_t>(limit_ - root_); }
    bool Fits(std::uint64_t relative, std::uint64_t n) const {
        return relative <= Room() && n <= Room() - relative;
    }
    void Put16(std::uint32_t relative, std::uint16_t v) {
        if (Fits(relative, 2)) {
            std::memcpy(bytes_.data() + root_ + relative, &v, 2);
        }
    }
    void Put32(std::uint32_t relative, std::uint32_t v) {
        if (Fits(relative, 4)) {
            std::memcpy(bytes_.data() + root_ + relative, &v, 4);
        }
    }
    void PutEntry(std::uint32_t relative, std::uint32_t nameWord, std::uint32_t offsetWord) {
        Put32(relative, nameWord);
        Put32(relative + 4, offsetWord);
    }
    // A directory header with no flags, stamps or versions.
    void PutHeader(std::uint32_t relative, std::uint16_t named, std::uint16_t numeric) {
        for (std::uint32_t i = 0; i < 12; i += 4) {
            Put32(relative + i, 0);
        }
        Put16(relative + 12, named);
        Put16(relative + 14, numeric);
    }
    void PutDataEntry(std::uint32_t relative, std::uint32_t rva, std::uint32_t size) {
        Put32(relative, rva);
        Put32(relative + 4, size);
        Put32(relative + 8, 0);
        Put32(relative + 12, 0);
    }
    void PutHeaderField(std::size_t at, std::uint32_t v) { std::memcpy(bytes_.data() + at, &v, 4); }
    void PutSectionName(std::size_t section, const char (&name)[9]) {
        std::memcpy(bytes_.data() + sections_[section].at, name, 8);
    }
    void PutSectionField(std::size_t section, std::size_t field, std::uint32_t v) {
        std::memcpy(bytes_.data() + sections_[section].at + field, &v, 4);
    }
    void SwapSectionHeaders(std::size_t a, std::size_t b) {
        std::swap_ranges(bytes_.begin() + static_cast<std::ptrdiff_t>(sections_[a].at),
                         bytes_.begin() + static_cast<std::ptrdiff_t>(sections_[a].at + 40),
                         bytes_.begin() + static_cast<std::ptrdiff_t>(sections_[b].at));
    }
    /// The leaf data bytes at an RVA inside the resource section's raw data, if they are there.
    std::optional<std::vector<std::uint8_t>> RawBytesAt(std::uint32_t rva,
                                                        std::uint32_t size) const;

    const std::vector<SectionHeader>& Sections() const { return sections_; }
    std::size_t ResourceSection() const { return resourceSection_; }
    std::uint32_t ResourceRva() const { return resourceRva_; }
    std::uint32_t FileAlignment() const { return fileAlignment_ ? fileAlignment_ : 0x200; }
    std::uint32_t SizeOfHeaders() const { return sizeOfHeaders_; }
    std::size_t SizeOfHeadersAt() const { return optional_ + 60; }
    std::size_t ResourceDirectoryAt() const { return resourceDirectoryAt_; }
    // The end of the section table in the file.
    std::size_t TableEnd() const { return tableEnd_; }
    // Where the resource root lies inside its section's raw data.
    std::uint32_t RootInSection() const {
        return static_cast<std::uint32_t>(root_ - sections_[resourceSection_].rawPointer);
    }
    const std::vector<Directory>& Directories() const { return directories_; }
    const std::vector<Entry>& Entries() const { return entries_; }
    const std::vector<Leaf>& Leaves() const { return leaves_; }
    // The end of the last directory, entry, data entry or name string, from the root.
    std::uint32_t StructuresEnd() const { return structuresEnd_; }

  private:
    std::optional<std::uint32_t> U32(std::size_t at) const;
    std::optional<std::uint16_t> U16(std::size_t at) const;
    std::optional<std::uint32_t> RelU32(std::uint32_t relative) const;
    std::optional<std::uint16_t> RelU16(std::uint32_t relative) const;
    bool ParseHeaders();
    void Reach(std::uint64_t end);
    bool ParseResources();

    std::vector<std::uint8_t> bytes_;
    std::vector<SectionHeader> sections_;
    std::uint32_t fileAlignment_ = 0;
    std::uint32_t sizeOfHeaders_ = 0;
    std::size_t optional_ = 0;
    std::size_t resourceDirectoryAt_ = 0;
    std::size_t tableEnd_ = 0;
    std::uint32_t resourceRva_ = 0;
    std::size_t resourceSection_ = 0;
    std::size_t root_ = 0;
    std::size_t limit_ = 0;
    std::uint32_t structuresEnd_ = 0;
    std::vector<Directory> directories_;
    std::vector<Entry> entries_;
    std::vector<Leaf> leaves_;
};

}  // namespace resmelder::fuzz::seed
