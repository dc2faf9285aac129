#include "image/res_file.h"

#include <cstdio>

#include "image/exe_resource.h"
#include "portable/little_endian.h"
#include "support/byte_reader.h"

namespace resmelder {
namespace {

constexpr std::size_t kFixedHeader = 8;      // data size, header size
constexpr std::size_t kTrailingHeader = 16;  // data version .. characteristics
constexpr std::size_t kEmptyEntrySize = 32;
constexpr std::uint16_t kOrdinalMark = 0xFFFF;
// Moveable, pure and discardable: what the resource compilers write for most entries; the
// loader ignores these flags.
constexpr std::uint16_t kMemoryFlags = 0x1030;

std::size_t AlignUp4(std::size_t v) {
    return v + (4 - v % 4) % 4;
}

std::string Hex(std::size_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%zX", offset);
    return text;
}

// A type or name at `at`, read before `end`; `at` moves past it. None, with `problem`, when
// it runs past `end`, has no terminator or is an empty text.
std::optional<ResourceId> ReadId(const ByteReader& reader, std::size_t& at, std::size_t end,
                                 std::string& problem) {
    const auto first = at + 2 <= end ? reader.U16(at) : std::nullopt;
    if (!first) {
        problem = "runs past its header";
        return std::nullopt;
    }
    if (*first == kOrdinalMark) {
        const auto number = at + 4 <= end ? reader.U16(at + 2) : std::nullopt;
        if (!number) {
            problem = "runs past its header";
            return std::nullopt;
        }
        at += 4;
        return ResourceId::Number(*number);
    }
    std::u16string text;
    for (std::size_t p = at; p + 2 <= end; p += 2) {
        const char16_t unit = static_cast<char16_t>(*reader.U16(p));
        if (unit == 0) {
            if (text.empty()) {
                problem = "has an empty name";
                return std::nullopt;
            }
            at = p + 2;
            return ResourceId::Text(text);
        }
        text.push_back(unit);
    }
    problem = "has a name without its terminator";
    return std::nullopt;
}

struct EntryHeader {
    std::uint32_t dataSize = 0;
    std::uint32_t headerSize = 0;
};

// The entry at `at`: its key and data, or none with `problem` (without the offset).
std::optional<ResFileEntry> ReadEntry(const ByteReader& reader, std::size_t at,
                                      std::string& problem) {
    const auto dataSize = reader.U32(at);
    const auto headerSize = reader.U32(at + 4);
    if (!dataSize || !headerSize) {
        problem = "is cut short";
        return std::nullopt;
    }
    if (*headerSize < kEmptyEntrySize || *headerSize % 4 != 0) {
        problem = "has a header size of " + std::to_string(*headerSize) +
                  " (at least 32, a multiple of 4)";
        return std::nullopt;
    }
    if (!reader.Has(at, *headerSize) || !reader.Has(at + *headerSize, *dataSize)) {
        problem = "runs past the end of the file";
        return std::nullopt;
    }
    const std::size_t headerEnd = at + *headerSize;
    std::size_t cursor = at + kFixedHeader;
    auto type = ReadId(reader, cursor, headerEnd, problem);
    auto name = type ? ReadId(reader, cursor, headerEnd, problem) : std::nullopt;
    if (!type || !name) {
        return std::nullopt;
    }
    cursor = at + AlignUp4(cursor - at);
    if (cursor > headerEnd || headerEnd - cursor < kTrailingHeader) {
        problem = "has a header size of " + std::to_string(*headerSize) +
                  ", too small for its type and name";
        return std::nullopt;
    }
    const std::uint16_t language = *reader.U16(cursor + 6);
    return ResFileEntry{
        {std::move(*type), std::move(*name), language}, *reader.Bytes(headerEnd, *dataSize), at};
}

bool IsEmptyEntry(const ResFileEntry& entry) {
    return entry.data.empty() && entry.key.type == ResourceId::Number(0) &&
           entry.key.name == ResourceId::Number(0);
}

void AppendId(std::vector<std::uint8_t>& out, const ResourceId& id) {
    if (id.IsNumber()) {
        common::AppendLe16(out, kOrdinalMark);
        common::AppendLe16(out, id.Number());
        return;
    }
    for (const char16_t unit : id.Text()) {
        common::AppendLe16(out, unit);
    }
    common::AppendLe16(out, 0);
}

void AppendEntry(std::vector<std::uint8_t>& out, const ResourceKey& key,
                 std::span<const std::uint8_t> data, std::uint16_t memoryFlags) {
    std::vector<std::uint8_t> header;
    AppendId(header, key.type);
    AppendId(header, key.name);
    header.resize(AlignUp4(kFixedHeader + header.size()) - kFixedHeader);
    common::AppendLe32(header, 0);  // data version
    common::AppendLe16(header, memoryFlags);
    common::AppendLe16(header, key.language);
    common::AppendLe32(header, 0);  // version
    common::AppendLe32(header, 0);  // characteristics
    common::AppendLe32(out, static_cast<std::uint32_t>(data.size()));
    common::AppendLe32(out, static_cast<std::uint32_t>(kFixedHeader + header.size()));
    out.insert(out.end(), header.begin(), header.end());
    out.insert(out.end(), data.begin(), data.end());
    out.resize(AlignUp4(out.size()));
}

}  // namespace

std::optional<std::vector<ResFileEntry>> ParseResFile(std::span<const std::uint8_t> bytes,
                                                      std::string& problem) {
    const ByteReader reader(bytes);
    // A .res file opens with the empty entry; without it these are other bytes.
    std::string why;
    const auto opening = ReadEntry(reader, 0, why);
    if (!opening || !IsEmptyEntry(*opening) || reader.U32(4) != kEmptyEntrySize) {
        problem = "it does not start with the empty entry of a 32-bit .res file";
        return std::nullopt;
    }
    std::vector<ResFileEntry> entries;
    std::size_t at = kEmptyEntrySize;
    while (at < bytes.size()) {
        auto entry = ReadEntry(reader, at, why);
        if (!entry) {
            problem = "the entry at offset " + Hex(at) + " " + why;
            return std::nullopt;
        }
        // Each entry takes at least 32 bytes, so the loop ends within the file's size.
        at = AlignUp4(at + std::size_t{*reader.U32(at + 4)} + entry->data.size());
        if (!IsEmptyEntry(*entry)) {
            entries.push_back(std::move(*entry));
        }
    }
    return entries;
}

std::vector<std::uint8_t> BuildResFile(const ExeResource& tree) {
    std::vector<std::uint8_t> out;
    AppendEntry(out, {ResourceId::Number(0), ResourceId::Number(0), 0}, {}, 0);
    for (const ResourceLeaf& leaf : tree.Leaves()) {
        AppendEntry(out, leaf.key, leaf.leaf->Data(), kMemoryFlags);
    }
    return out;
}

}  // namespace resmelder
