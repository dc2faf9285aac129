#pragma once
// Test helper: builds small PE32 and PE32+ files byte by byte, with a resource section
// written by its own simple tree writer (independent of the one under test).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace resmelder::testpe {

using Bytes = std::vector<std::uint8_t>;
using NameOrId = std::variant<std::uint16_t, std::u16string>;

struct Leaf {
    NameOrId type;
    NameOrId name;
    std::uint16_t language = 0x409;
    Bytes data;
};

struct Section {
    std::string name;
    Bytes data;                     // raw data (rounded up to the file alignment)
    std::uint32_t virtualSize = 0;  // 0: the data's size
    std::uint32_t characteristics = 0x40000040;
    bool resources = false;  // filled from `leaves`
};

struct Options {
    bool pe32Plus = true;
    std::uint32_t fileAlignment = 0x200;
    std::uint32_t sectionAlignment = 0x1000;
    std::vector<Section> sections;
    std::vector<Leaf> leaves;  // written in this order, grouped by type then name
    Bytes overlay;
    bool checksum = false;
    bool symbolTableInOverlay = false;
    std::optional<std::uint32_t> certificateInOverlay;  // size of a certificate blob
    std::uint32_t relocDirectoryRva = 0;                // set automatically for ".reloc"
};

Bytes Build(const Options& options);
/// The resource section for `leaves`, laid out for `sectionRva`.
Bytes BuildResources(const std::vector<Leaf>& leaves, std::uint32_t sectionRva);
/// The PE checksum of a whole file (its checksum field counted as zero).
std::uint32_t Checksum(const Bytes& file);
std::uint32_t ChecksumOffset(const Bytes& file);

Bytes ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);
std::uint32_t Get32(const Bytes& b, std::size_t at);
std::uint16_t Get16(const Bytes& b, std::size_t at);

/// Bytes that look like data, different for each seed (pefile warns about files made mostly
/// of one byte value).
Bytes Pattern(std::size_t size, std::uint8_t seed);

// The names of what `folder` holds, sorted: to check that nothing was left behind.
std::vector<std::string> FileNames(const std::filesystem::path& folder);
void Put32(Bytes& b, std::size_t at, std::uint32_t v);

}  // namespace resmelder::testpe
