#include "image/test_pe.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

namespace resmelder::testpe {
namespace {

std::uint32_t Align(std::uint32_t v, std::uint32_t a) {
    return (v + a - 1) / a * a;
}

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
    std::memcpy(b.data() + at, &v, 2);
}

// Leaves grouped in first-seen order: type -> name -> languages.
struct LeafGroups {
    std::vector<NameOrId> types;
    std::vector<std::vector<NameOrId>> names;
    std::vector<std::vector<std::vector<const Leaf*>>> langs;
};

LeafGroups GroupLeaves(const std::vector<Leaf>& leaves) {
    LeafGroups g;
    for (const Leaf& leaf : leaves) {
        std::size_t t = 0;
        while (t < g.types.size() && g.types[t] != leaf.type) ++t;
        if (t == g.types.size()) {
            g.types.push_back(leaf.type);
            g.names.emplace_back();
            g.langs.emplace_back();
        }
        std::size_t n = 0;
        while (n < g.names[t].size() && g.names[t][n] != leaf.name) ++n;
        if (n == g.names[t].size()) {
            g.names[t].push_back(leaf.name);
            g.langs[t].emplace_back();
        }
        g.langs[t][n].push_back(&leaf);
    }
    return g;
}

std::uint16_t CountNamed(const std::vector<NameOrId>& ids) {
    std::uint16_t k = 0;
    for (const auto& x : ids)
        k = static_cast<std::uint16_t>(k + (std::holds_alternative<std::u16string>(x) ? 1 : 0));
    return k;
}

// The three levels of directories, root first.
std::size_t DirectoryBytes(const LeafGroups& g) {
    std::size_t dirBytes = 16 + 8 * g.types.size();
    for (std::size_t t = 0; t < g.types.size(); ++t) {
        dirBytes += 16 + 8 * g.names[t].size();
        for (const auto& l : g.langs[t]) dirBytes += 16 + 8 * l.size();
    }
    return dirBytes;
}

}  // namespace

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}

std::uint16_t Get16(const Bytes& b, std::size_t at) {
    std::uint16_t v = 0;
    std::memcpy(&v, b.data() + at, 2);
    return v;
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    std::memcpy(b.data() + at, &v, 4);
}

Bytes BuildResources(const std::vector<Leaf>& leaves, std::uint32_t sectionRva) {
    const LeafGroups groups = GroupLeaves(leaves);
    const auto& types = groups.types;
    const auto& names = groups.names;
    const auto& langs = groups.langs;
    const std::size_t entriesAt = DirectoryBytes(groups);
    const std::size_t stringsAt = entriesAt + 16 * leaves.size();
    Bytes out(stringsAt, 0);
    std::map<std::u16string, std::uint32_t> strings;
    auto nameWord = [&](const NameOrId& id) -> std::uint32_t {
        if (const auto* n = std::get_if<std::uint16_t>(&id))
            return *n;
        const auto& s = std::get<std::u16string>(id);
        auto it = strings.find(s);
        if (it == strings.end()) {
            const auto at = static_cast<std::uint32_t>(out.size());
            out.resize(out.size() + 2 + 2 * s.size());
            Put16(out, at, static_cast<std::uint16_t>(s.size()));
            std::memcpy(out.data() + at + 2, s.data(), 2 * s.size());
            it = strings.emplace(s, at).first;
        }
        return it->second | 0x80000000u;
    };
    std::size_t dirAt = 0;
    std::size_t leafIndex = 0;
    auto header = [&](std::size_t at, std::uint16_t named, std::uint16_t numeric) {
        Put32(out, at + 4, 0x12345678);  // a time stamp the round trip must keep
        Put16(out, at + 12, named);
        Put16(out, at + 14, numeric);
    };
    // Root, then each type directory followed by its name directories and their languages.
    header(0, CountNamed(types), static_cast<std::uint16_t>(types.size() - CountNamed(types)));
    dirAt = 16 + 8 * types.size();
    std::vector<std::pair<const Leaf*, std::size_t>> entryFixups;
    for (std::size_t t = 0; t < types.size(); ++t) {
        Put32(out, 16 + 8 * t, nameWord(types[t]));
        Put32(out, 16 + 8 * t + 4, static_cast<std::uint32_t>(dirAt) | 0x80000000u);
        const std::size_t typeDir = dirAt;
        header(typeDir, CountNamed(names[t]),
               static_cast<std::uint16_t>(names[t].size() - CountNamed(names[t])));
        dirAt += 16 + 8 * names[t].size();
        for (std::size_t n = 0; n < names[t].size(); ++n) {
            Put32(out, typeDir + 16 + 8 * n, nameWord(names[t][n]));
            Put32(out, typeDir + 16 + 8 * n + 4, static_cast<std::uint32_t>(dirAt) | 0x80000000u);
            const std::size_t nameDir = dirAt;
            header(nameDir, 0, static_cast<std::uint16_t>(langs[t][n].size()));
            dirAt += 16 + 8 * langs[t][n].size();
            for (std::size_t l = 0; l < langs[t][n].size(); ++l) {
                Put32(out, nameDir + 16 + 8 * l, langs[t][n][l]->language);
                const std::size_t entry = entriesAt + 16 * leafIndex++;
                Put32(out, nameDir + 16 + 8 * l + 4, static_cast<std::uint32_t>(entry));
                entryFixups.emplace_back(langs[t][n][l], entry);
            }
        }
    }
    for (auto& [leaf, entry] : entryFixups) {
        out.resize(Align(static_cast<std::uint32_t>(out.size()), 8), 0);
        Put32(out, entry, sectionRva + static_cast<std::uint32_t>(out.size()));
        Put32(out, entry + 4, static_cast<std::uint32_t>(leaf->data.size()));
        Put32(out, entry + 8, 1252);
        out.insert(out.end(), leaf->data.begin(), leaf->data.end());
    }
    return out;
}

std::uint32_t ChecksumOffset(const Bytes& file) {
    return Get32(file, 60) + 24 + 64;
}

std::uint32_t Checksum(const Bytes& file) {
    const std::uint32_t skip = ChecksumOffset(file);
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        if (i == skip || i == skip + 2)
            continue;
        std::uint32_t w = file[i];
        if (i + 1 < file.size())
            w |= static_cast<std::uint32_t>(file[i + 1]) << 8;
        sum += w;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + file.size());
}

Bytes Build(const Options& o) {
    const std::uint32_t lfanew = 0x80;
    const std::uint16_t optionalSize = o.pe32Plus ? 240 : 224;
    const std::uint32_t tableAt = lfanew + 24 + optionalSize;
    const auto count = static_cast<std::uint32_t>(o.sections.size());
    const std::uint32_t headersSize = Align(tableAt + 40 * count, o.fileAlignment);
    Bytes out(headersSize, 0);
    out[0] = 'M';
    out[1] = 'Z';
    Put32(out, 60, lfanew);
    std::memcpy(out.data() + 64, "stub!", 5);
    Put32(out, lfanew, 0x4550);
    Put16(out, lfanew + 4, o.pe32Plus ? 0x8664 : 0x14C);
    Put16(out, lfanew + 6, static_cast<std::uint16_t>(count));
    Put16(out, lfanew + 20, optionalSize);
    Put16(out, lfanew + 22, 0x22);
    const std::size_t opt = lfanew + 24;
    Put16(out, opt, o.pe32Plus ? 0x20B : 0x10B);
    Put32(out, opt + 32, o.sectionAlignment);
    Put32(out, opt + 36, o.fileAlignment);
    Put16(out, opt + 40, 6);  // OS version
    Put16(out, opt + 48, 6);  // subsystem version
    Put32(out, opt + 60, headersSize);
    Put16(out, opt + 68, 3);  // console
    const std::size_t dirs = opt + (o.pe32Plus ? 112 : 96);
    Put32(out, opt + (o.pe32Plus ? 108 : 92), 16);

    std::uint32_t raw = headersSize;
    std::uint32_t va = o.sectionAlignment;
    for (std::uint32_t i = 0; i < count; ++i) {
        const Section& s = o.sections[i];
        Bytes data = s.resources ? BuildResources(o.leaves, va) : s.data;
        const auto vsize =
            s.virtualSize != 0 ? s.virtualSize : static_cast<std::uint32_t>(data.size());
        const std::uint32_t rawSize =
            Align(static_cast<std::uint32_t>(data.size()), o.fileAlignment);
        const std::size_t h = tableAt + 40 * i;
        std::memcpy(out.data() + h, s.name.data(), std::min<std::size_t>(8, s.name.size()));
        Put32(out, h + 8, vsize);
        Put32(out, h + 12, va);
        Put32(out, h + 16, rawSize);
        Put32(out, h + 20, rawSize != 0 ? raw : 0);
        Put32(out, h + 36, s.characteristics);
        if (s.resources) {
            Put32(out, dirs + 16, va);
            Put32(out, dirs + 20, static_cast<std::uint32_t>(data.size()));
        }
        if (s.name == ".reloc") {
            Put32(out, dirs + 40, va);
            Put32(out, dirs + 44, static_cast<std::uint32_t>(data.size()));
        }
        data.resize(rawSize, 0);
        out.insert(out.end(), data.begin(), data.end());
        raw += rawSize;
        va = Align(va + std::max(vsize, 1u), o.sectionAlignment);
    }
    Put32(out, opt + 56, va);
    const auto overlayAt = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), o.overlay.begin(), o.overlay.end());
    if (o.symbolTableInOverlay) {
        Put32(out, lfanew + 12, overlayAt);
        Put32(out, lfanew + 16, 1);
    }
    if (o.certificateInOverlay) {
        out.resize(Align(static_cast<std::uint32_t>(out.size()), 8), 0);
        const auto at = static_cast<std::uint32_t>(out.size());
        Bytes cert(*o.certificateInOverlay, 0xCE);
        Put32(cert, 0, *o.certificateInOverlay);
        out.insert(out.end(), cert.begin(), cert.end());
        Put32(out, dirs + 32, at);
        Put32(out, dirs + 36, *o.certificateInOverlay);
    }
    if (o.checksum) {
        Put32(out, opt + 64, Checksum(out));
    }
    return out;
}

Bytes ReadFile(const std::filesystem::path& path) {
    // Sized first and read in one call: a byte-wise read of a 15 MB library takes seconds
    // in a debug build.
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return {};
    }
    Bytes bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

Bytes Pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + seed) % 251);
    }
    return bytes;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> FileNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace resmelder::testpe
