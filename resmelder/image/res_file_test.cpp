// Compiled resource files: read (names upper-cased, padding followed) and refused when
// damaged, with the damaged entry's offset. Whole programs go through .res files and windres
// in tool_formats_test.

#include <gtest/gtest.h>

#include "image/res_file.h"
#include "image/test_pe.h"
#include "portable/little_endian.h"

namespace resmelder {
namespace {

using common::AppendLe16;
using common::AppendLe32;

using testpe::Bytes;

// One entry written by hand, as a resource compiler lays it out; `headerSize` 0 means the
// true size.
Bytes Entry(const std::u16string& type, std::uint16_t typeId, const std::u16string& name,
            std::uint16_t language, const Bytes& data, std::uint32_t headerSize = 0) {
    Bytes header;
    for (const auto& [text, id] : {std::pair{type, typeId}, std::pair{name, std::uint16_t{0}}}) {
        if (text.empty()) {
            AppendLe16(header, 0xFFFF), AppendLe16(header, id);
        } else {
            for (const char16_t c : text) {
                AppendLe16(header, c);
            }
            AppendLe16(header, 0);
        }
    }
    header.resize((header.size() + 8 + 3) / 4 * 4 - 8);
    AppendLe32(header, 0), AppendLe16(header, 0x1030), AppendLe16(header, language);
    AppendLe32(header, 0), AppendLe32(header, 0);
    Bytes entry;
    AppendLe32(entry, static_cast<std::uint32_t>(data.size()));
    AppendLe32(entry, headerSize != 0 ? headerSize : static_cast<std::uint32_t>(header.size() + 8));
    entry.insert(entry.end(), header.begin(), header.end());
    entry.insert(entry.end(), data.begin(), data.end());
    entry.resize((entry.size() + 3) / 4 * 4);
    return entry;
}

Bytes ResFile(const std::vector<Bytes>& entries) {
    Bytes file = Entry({}, 0, {}, 0, {});
    for (const Bytes& entry : entries) {
        file.insert(file.end(), entry.begin(), entry.end());
    }
    return file;
}

TEST(ResFileTest, EntriesAreReadWithTheirNamesUpperCased) {
    const Bytes file =
        ResFile({Entry(u"My Type", 0, u"Gr\u00FC\u00DFe Caf\u00E9", 0x407, Bytes{1, 2, 3}),
                 Entry({}, 6, u"Odd", 0x409, Bytes(5, 7)), Entry({}, 0, {}, 0, {})});
    std::string problem;
    const auto entries = ParseResFile(file, problem);
    ASSERT_TRUE(entries) << problem;
    ASSERT_EQ(entries->size(), 2u) << "empty entries are left out";
    EXPECT_EQ((*entries)[0].key.type, ResourceId::Text(u"MY TYPE"));
    EXPECT_EQ((*entries)[0].key.name.Text(), u"GR\u00DC\u00DFE CAF\u00C9");
    EXPECT_EQ((*entries)[0].key.language, 0x407);
    EXPECT_EQ(Bytes((*entries)[0].data.begin(), (*entries)[0].data.end()), (Bytes{1, 2, 3}));
    EXPECT_EQ((*entries)[1].offset,
              32u + Entry(u"My Type", 0, u"Gr\u00FC\u00DFe Caf\u00E9", 0, Bytes{1, 2, 3}).size());
    EXPECT_EQ((*entries)[1].key.type, ResourceId::Number(6));
}

TEST(ResFileTest, DamagedFilesAreRefusedNamingTheEntry) {
    const Bytes good = Entry({}, 10, u"A", 0, Bytes{1, 2, 3, 4});
    Bytes pastEnd = good;
    pastEnd[0] = 0x40;  // data size 64, with four bytes there
    Bytes odd = Entry({}, 10, u"A", 0, {}, 34);
    Bytes emptyName = good;
    emptyName[12] = 0;  // "A" becomes its own terminator
    Bytes unterminated = good;
    // The name's terminator becomes a letter, and so does the rest of the header.
    for (std::size_t i = 12; i < 32; ++i) {
        unterminated[i] = 'C';
    }
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {ResFile({pastEnd}), "the entry at offset 0x20 runs past the end of the file"},
        {ResFile({good, Entry({}, 10, u"B", 0, {}, 16)}),
         "the entry at offset 0x44 has a header size of 16 (at least 32, a multiple of 4)"},
        {ResFile({Entry({}, 10, u"AB", 0, {}, 32)}),
         "the entry at offset 0x20 has a header size of 32, too small for its type and name"},
        {ResFile({odd}), "the entry at offset 0x20 has a header size of 34"},
        {ResFile({unterminated}), "the entry at offset 0x20 has a name without its terminator"},
        {ResFile({emptyName}), "the entry at offset 0x20 has an empty name"},
        {ResFile({good, Bytes{1, 2}}), "the entry at offset 0x44 is cut short"},
        {good, "it does not start with the empty entry"},
        {Bytes{'M', 'Z', 0x90, 0}, "it does not start with the empty entry"},
        {{}, "it does not start with the empty entry"},
    };
    for (const auto& [bytes, expected] : cases) {
        std::string problem;
        EXPECT_FALSE(ParseResFile(bytes, problem)) << expected;
        EXPECT_EQ(problem.substr(0, expected.size()), expected);
    }
    // A header size of 0xFFFFFFF0 and a data size of 0xFFFFFFF0 cannot wrap the reader.
    Bytes huge = good;
    for (const std::size_t at : {0, 4}) {
        huge[at] = 0xF0, huge[at + 1] = huge[at + 2] = huge[at + 3] = 0xFF;
    }
    std::string problem;
    EXPECT_FALSE(ParseResFile(ResFile({huge}), problem));
    EXPECT_EQ(problem, "the entry at offset 0x20 runs past the end of the file");
}

}  // namespace
}  // namespace resmelder
