// Tree operations, offsets and serialization, on trees read from small built images.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "image/exe_image.h"
#include "image/folder_test.h"
#include "image/output_sink.h"
#include "image/test_pe.h"
#include "image/tree_dump.h"
#include "support/log.h"

namespace resmelder {
namespace {

namespace fs = std::filesystem;
using testpe::Bytes;
using testpe::LogText;

class ResourceTest : public testpe::FolderTest {
  protected:
    ResourceTest() : FolderTest("resmelder_res_") {}

    std::unique_ptr<ExeImage> LoadBytes(const Bytes& bytes, Logger* log = nullptr) {
        const fs::path path = dir_ / ("in" + std::to_string(serial_++) + ".exe");
        testpe::WriteFile(path, bytes);
        return ExeImage::Load(XString::FromUtf8(path.string()), log);
    }

    static testpe::Options Standard(std::vector<testpe::Leaf> leaves) {
        testpe::Options o;
        o.sections = {{".text", Bytes(0x300, 0xC3)},
                      {".data", Bytes(0x100, 0xDA)},
                      {".rsrc", {}, 0, 0x40000040, true},
                      {".reloc", Bytes(0x40, 0x11), 0, 0x42000040}};
        o.leaves = std::move(leaves);
        return o;
    }

    int serial_ = 0;
};

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST_F(ResourceTest, AddingCreatesTypeTenAtTheEndWithLanguageOne) {
    auto image = LoadBytes(
        testpe::Build(Standard({{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(8, 1)},
                                {std::uint16_t{24}, std::uint16_t{1}, 0x409, Bytes(4, 2)}})));
    ASSERT_TRUE(image);
    ASSERT_TRUE(image->AddBytes("A", Span("first"), nullptr));
    ASSERT_TRUE(image->AddBytes("B", Span("second"), nullptr));
    const ExeResource& root = *image->Resources();
    ASSERT_EQ(root.NumericChildren().Count(), 3u);
    const ExeResource& type = *root.NumericChildren().Get(2);
    EXPECT_EQ(type.Id(), 10);
    ASSERT_EQ(type.NamedChildren().Count(), 2u);
    EXPECT_EQ(type.NamedChildren().Get(0)->Name(), "A");
    EXPECT_EQ(type.NamedChildren().Get(1)->Name(), "B");
    for (std::uint32_t i = 0; i < 2; ++i) {
        const ExeResource& name = *type.NamedChildren().Get(i);
        ASSERT_EQ(name.NumericChildren().Count(), 1u);
        EXPECT_EQ(name.NumericChildren().Get(0)->Id(), 1);
        EXPECT_FALSE(name.NumericChildren().Get(0)->IsDirectory());
    }
    const auto found = image->FindNamed("B", nullptr);
    ASSERT_TRUE(found);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(found->data), found->size), "second");
}

TEST_F(ResourceTest, DuplicatesCaseAndNamedTypes) {
    auto image = LoadBytes(
        testpe::Build(Standard({{std::u16string(u"BIN"), std::uint16_t{7}, 0x409, Bytes{1, 2, 3}},
                                {std::uint16_t{10}, std::u16string(u"KEEP"), 0x409, Bytes{9}}})));
    ASSERT_TRUE(image);
    image->AddBytes("A", Span("one"), nullptr);
    image->AddBytes("A", Span("two"), nullptr);
    auto a = image->FindNamed("A", nullptr);
    ASSERT_TRUE(a);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(a->data), a->size), "one");
    // The loader finds names in any case; so does every lookup here.
    const auto lower = image->FindNamed("a", nullptr);
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->data, a->data);

    // A named type is matched by its own name: its first name's first language.
    const auto bin = image->FindNamed("BIN", nullptr);
    ASSERT_TRUE(bin);
    EXPECT_EQ(bin->size, 3u);

    Logger log;
    EXPECT_FALSE(image->FindNamed("missing", &log));
    EXPECT_NE(LogText(log).find("Failed to find named resource\r\n  resourceName: missing"),
              std::string::npos);

    image->DeleteNamed("A");
    image->DeleteNamed("BIN");
    EXPECT_FALSE(image->FindNamed("A", nullptr));
    EXPECT_FALSE(image->FindNamed("BIN", nullptr));
    EXPECT_TRUE(image->FindNamed("KEEP", nullptr));
    const ExeResource& root = *image->Resources();
    EXPECT_EQ(root.NamedChildren().Count(), 0u);
    // The emptied type directory stays.
    EXPECT_EQ(root.NumericChildren().Get(0)->NamedChildren().Count(), 1u);
}

TEST_F(ResourceTest, ImageWithoutResourcesStartsWithAnEmptyTree) {
    testpe::Options o;
    o.sections = {{".text", Bytes(16, 0xC3)}, {".data", Bytes(16, 1)}};
    auto image = LoadBytes(testpe::Build(o));
    ASSERT_TRUE(image);
    ASSERT_NE(image->Resources(), nullptr);
    EXPECT_EQ(image->Resources()->NamedChildren().Count(), 0u);
    EXPECT_EQ(image->Resources()->NumericChildren().Count(), 0u);
    Logger log;
    EXPECT_FALSE(image->FindNamed("X", nullptr));
    EXPECT_TRUE(image->AddBytes("x", Span("x"), &log));
    EXPECT_TRUE(image->AddFile("Y", XString::FromUtf8("f"), &log));
    EXPECT_EQ(LogText(log), "VantrixLog:\r\n");
    ASSERT_TRUE(image->FindNamed("X", nullptr));
    image->DeleteNamed("X");
    EXPECT_FALSE(image->FindNamed("x", nullptr));
}

TEST_F(ResourceTest, ImageWithAnUnreadableResourceDirectoryRefusesInserts) {
    testpe::Options o;
    o.sections = {{".text", Bytes(16, 0xC3)}, {".data", Bytes(16, 1)}};
    Bytes file = testpe::Build(o);
    testpe::Put32(file, 0x80 + 24 + 112 + 16, 0x00700000);  // in no section
    auto image = LoadBytes(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Resources(), nullptr);
    Logger log;
    EXPECT_FALSE(image->AddFile("X", XString::FromUtf8("f"), &log));
    EXPECT_FALSE(image->AddBytes("X", Span("x"), &log));
    image->DeleteNamed("X");
    EXPECT_FALSE(image->FindNamed("X", nullptr));
    EXPECT_EQ(
        LogText(log),
        "VantrixLog:\r\n  Resources pointer is NULL (1)\r\n  Resources pointer is NULL (3)\r\n");
}

TEST_F(ResourceTest, OffsetsPaddingAndSortedDirectories) {
    // Types 24 and 16 exist; adding type 10 must still be written first.
    auto image = LoadBytes(
        testpe::Build(Standard({{std::uint16_t{24}, std::uint16_t{1}, 0x409, Bytes(3, 0x24)},
                                {std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(5, 0x16)}})));
    ASSERT_TRUE(image);
    ExeResource& root = *image->Resources();
    image->AddBytes("zeta", Span("z"), nullptr);
    image->AddBytes("Alpha", {}, nullptr);  // zero length: an entry, no data bytes
    image->AddBytes("_under", Span("u"), nullptr);

    const ResourceLayout layout = root.Plan();
    // Directories: root(3) + 3 types(1,1,3) + 5 name dirs(1 each) = 9 directories.
    ASSERT_EQ(layout.directories.size(), 9u);
    std::uint64_t expected = 0;
    for (const ExeResource* d : layout.directories) {
        EXPECT_EQ(d->DirectoryOffset(), expected);
        expected += 16 + 8 * (d->NamedChildren().Count() + d->NumericChildren().Count());
    }
    ASSERT_EQ(layout.leaves.size(), 5u);
    for (const ExeResource* leaf : layout.leaves) {
        EXPECT_EQ(leaf->DataEntryOffset(), expected);
        expected += 16;
    }
    for (const ExeResource* n : layout.named) {
        EXPECT_EQ(n->NameOffset(), expected);
        expected += 2 + 2 * n->Name16().size();
    }
    EXPECT_EQ(layout.dataStart, (expected + 7) / 8 * 8);
    for (const ExeResource* leaf : layout.leaves) {
        EXPECT_EQ(leaf->DataOffset() % 8, 0u);
        EXPECT_EQ((leaf->DataOffset() + leaf->Size() + leaf->PaddingSize()) % 8, 0u);
    }
    EXPECT_EQ(layout.size % 8, 0u);
    EXPECT_EQ(root.SerializedSize(), layout.size);

    MemorySink sink;
    ASSERT_TRUE(root.Serialize(layout, sink, 0x1000, 0x5000, nullptr, nullptr));
    ASSERT_EQ(sink.data.size(), 0x1000u);
    EXPECT_TRUE(std::all_of(sink.data.begin() + static_cast<std::ptrdiff_t>(layout.size),
                            sink.data.end(), [](std::uint8_t b) { return b == 'X'; }));
    // Root entries: 10, 16, 24 ascending; the type-10 names in folded upper-case order.
    const auto& d = sink.data;
    EXPECT_EQ(testpe::Get16(d, 14), 3);
    EXPECT_EQ(testpe::Get32(d, 16), 10u);
    EXPECT_EQ(testpe::Get32(d, 24), 16u);
    EXPECT_EQ(testpe::Get32(d, 32), 24u);
    const std::uint32_t typeTen = testpe::Get32(d, 20) & 0x7FFFFFFF;
    std::vector<std::u16string> names;
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t at = testpe::Get32(d, typeTen + 16 + 8 * i) & 0x7FFFFFFF;
        names.emplace_back(reinterpret_cast<const char16_t*>(d.data() + at + 2),
                           testpe::Get16(d, at));
    }
    // Added names are stored upper-cased, as the loader looks them up.
    EXPECT_EQ(names, (std::vector<std::u16string>{u"ALPHA", u"ZETA", u"_UNDER"}));
    // The zero-length leaf has a data entry of size 0 at a section address.
    const ExeResource* empty = layout.leaves[0];
    EXPECT_EQ(testpe::Get32(d, empty->DataEntryOffset() + 4), 0u);
    EXPECT_EQ(testpe::Get32(d, empty->DataEntryOffset()), 0x5000u + empty->DataOffset());
    // In-memory lists keep their order.
    EXPECT_EQ(root.NumericChildren().Get(2)->Id(), 10);
    EXPECT_EQ(root.NumericChildren().Get(2)->NamedChildren().Get(0)->Name(), "ZETA");
}

TEST_F(ResourceTest, FileBackedEntriesAreReadWhenWritten) {
    auto image = LoadBytes(
        testpe::Build(Standard({{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(4, 7)}})));
    ASSERT_TRUE(image);
    const fs::path data = dir_ / "payload.bin";
    const XString name = XString::FromUtf8(data.string());
    image->AddFile("FILE", name, nullptr);
    image->AddFile("GONE", XString::FromUtf8((dir_ / "missing").string()), nullptr);
    const auto before = image->FindNamed("FILE", nullptr);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->data, nullptr);             // not in memory
    testpe::WriteFile(data, Bytes(10000, 0xAB));  // content at write time counts

    const fs::path out = dir_ / "out.exe";
    Logger log;
    ASSERT_TRUE(image->Write(XString::FromUtf8(out.string()), &log)) << LogText(log);
    auto again = ExeImage::Load(XString::FromUtf8(out.string()), &log);
    ASSERT_TRUE(again);
    const auto found = again->FindNamed("FILE", nullptr);
    ASSERT_TRUE(found);
    EXPECT_EQ(Bytes(found->data, found->data + found->size), Bytes(10000, 0xAB));
    const auto gone = again->FindNamed("GONE", nullptr);
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->size, 0u);
}

TEST_F(ResourceTest, MalformedTreesAreCutWithoutReadingOutsideTheFile) {
    Bytes file =
        testpe::Build(Standard({{std::uint16_t{10}, std::u16string(u"ONE"), 0x409, Bytes(4, 1)},
                                {std::uint16_t{10}, std::u16string(u"TWO"), 0x409, Bytes(4, 2)},
                                {std::uint16_t{6}, std::uint16_t{1}, 0x409, Bytes(4, 3)}}));
    auto clean = LoadBytes(file);
    ASSERT_TRUE(clean);
    const std::uint32_t rsrc = static_cast<std::uint32_t>(*clean->RvaToOffset(0x3000));
    clean.reset();
    // Root: 0 named, 2 numeric (10 then 6). Make type 6 point back at the root.
    Bytes cycle = file;
    testpe::Put32(cycle, rsrc + 16 + 8 + 4, 0x80000000u);
    Logger log;
    auto image = LoadBytes(cycle, &log);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Resources()->NumericChildren().Count(), 1u);
    EXPECT_TRUE(image->FindNamed("TWO", nullptr));
    EXPECT_NE(LogText(log).find("refers back"), std::string::npos) << LogText(log);

    // Type 10's first name string far outside the file; the data of "TWO" likewise.
    Bytes bad = file;
    const std::uint32_t typeTen = testpe::Get32(bad, rsrc + 16 + 4) & 0x7FFFFFFF;
    testpe::Put32(bad, rsrc + typeTen + 16, 0xFFFFFFF0u);
    const std::uint32_t twoDir = testpe::Get32(bad, rsrc + typeTen + 24 + 4) & 0x7FFFFFFF;
    const std::uint32_t twoEntry = testpe::Get32(bad, rsrc + twoDir + 16 + 4);
    testpe::Put32(bad, rsrc + twoEntry + 4, 0x7FFFFFFF);  // size far past the end
    Logger badLog;
    image = LoadBytes(bad, &badLog);
    ASSERT_TRUE(image);
    EXPECT_FALSE(image->FindNamed("ONE", nullptr));
    const auto two = image->FindNamed("TWO", nullptr);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->size, 0u);
    EXPECT_NE(LogText(badLog).find("Resource name lies outside the file"), std::string::npos);
    EXPECT_NE(LogText(badLog).find("leaf kept without data"), std::string::npos);

    // Every truncation of the file either loads or fails cleanly.
    for (std::size_t n = 0; n < file.size(); n += 7) {
        Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        auto partial = LoadBytes(cut);
        if (partial && partial->Resources()) {
            partial->Resources()->SerializedSize();
        }
    }
}

// The reference writer's view of the tree: every node with its entries in written order.
struct ReferenceNode {
    const ExeResource* r;
    std::vector<std::size_t> entries;  // indices into the node table, in written order
};

// Pre-order, each directory's named entries sorted by name, then its numeric ones by id.
std::size_t CollectInWrittenOrder(const ExeResource* r, std::vector<ReferenceNode>& nodes) {
    const std::size_t at = nodes.size();
    nodes.push_back({r, {}});
    std::vector<const ExeResource*> named;
    std::vector<const ExeResource*> numeric;
    for (std::uint32_t i = 0; i < r->NamedChildren().Count(); ++i) {
        named.push_back(r->NamedChildren().Get(i));
    }
    for (std::uint32_t i = 0; i < r->NumericChildren().Count(); ++i) {
        numeric.push_back(r->NumericChildren().Get(i));
    }
    std::stable_sort(named.begin(), named.end(),
                     [](auto* a, auto* b) { return ResourceNameLess(a->Name16(), b->Name16()); });
    std::stable_sort(numeric.begin(), numeric.end(),
                     [](auto* a, auto* b) { return a->Id() < b->Id(); });
    named.insert(named.end(), numeric.begin(), numeric.end());
    for (const ExeResource* c : named) {
        const std::size_t child = CollectInWrittenOrder(c, nodes);
        nodes[at].entries.push_back(child);
    }
    return at;
}

// Where each node's records go: directories, data entries, names, then 8-aligned data, each
// region in walk order.
struct ReferenceOffsets {
    std::vector<std::uint64_t> dirAt, entryAt, nameAt, dataAt;
    std::uint64_t size = 0;
};

ReferenceOffsets PlaceRegions(const std::vector<ReferenceNode>& nodes) {
    ReferenceOffsets o{
        std::vector<std::uint64_t>(nodes.size()), std::vector<std::uint64_t>(nodes.size()),
        std::vector<std::uint64_t>(nodes.size()), std::vector<std::uint64_t>(nodes.size()), 0};
    std::uint64_t running = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].r->IsDirectory()) {
            o.dirAt[i] = running;
            running += 16 + 8 * nodes[i].entries.size();
        }
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i].r->IsDirectory()) {
            o.entryAt[i] = running;
            running += 16;
        }
    }
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (nodes[i].r->IsNamed()) {
            o.nameAt[i] = running;
            running += 2 + 2 * nodes[i].r->Name16().size();
        }
    }
    running = (running + 7) / 8 * 8;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (!nodes[i].r->IsDirectory()) {
            o.dataAt[i] = running;
            running = (running + nodes[i].r->Size() + 7) / 8 * 8;
        }
    }
    o.size = running;
    return o;
}

void Put16(Bytes& out, std::uint64_t at, std::uint16_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void WriteReferenceDirectory(Bytes& out, const std::vector<ReferenceNode>& nodes,
                             const ReferenceOffsets& o, std::size_t i) {
    const ExeResource& r = *nodes[i].r;
    testpe::Put32(out, o.dirAt[i], r.Header().characteristics);
    testpe::Put32(out, o.dirAt[i] + 4, r.Header().timeDateStamp);
    Put16(out, o.dirAt[i] + 8, r.Header().majorVersion);
    Put16(out, o.dirAt[i] + 10, r.Header().minorVersion);
    Put16(out, o.dirAt[i] + 12, static_cast<std::uint16_t>(r.NamedChildren().Count()));
    Put16(out, o.dirAt[i] + 14, static_cast<std::uint16_t>(r.NumericChildren().Count()));
    for (std::size_t k = 0; k < nodes[i].entries.size(); ++k) {
        const std::size_t c = nodes[i].entries[k];
        const ExeResource& e = *nodes[c].r;
        const std::uint64_t at = o.dirAt[i] + 16 + 8 * k;
        testpe::Put32(out, at,
                      e.IsNamed() ? static_cast<std::uint32_t>(o.nameAt[c]) | 0x80000000u : e.Id());
        testpe::Put32(out, at + 4,
                      e.IsDirectory() ? static_cast<std::uint32_t>(o.dirAt[c]) | 0x80000000u
                                      : static_cast<std::uint32_t>(o.entryAt[c]));
    }
}

void WriteReferenceLeaf(Bytes& out, const ExeResource& r, const ReferenceOffsets& o, std::size_t i,
                        std::uint32_t sectionRva) {
    testpe::Put32(out, o.entryAt[i], sectionRva + static_cast<std::uint32_t>(o.dataAt[i]));
    testpe::Put32(out, o.entryAt[i] + 4, r.Size());
    testpe::Put32(out, o.entryAt[i] + 8, r.DataEntry().codePage);
    testpe::Put32(out, o.entryAt[i] + 12, r.DataEntry().reserved);
    std::copy(r.Data().begin(), r.Data().end(),
              out.begin() + static_cast<std::ptrdiff_t>(o.dataAt[i]));
}

// The section as the layout rules describe it, written the plain way: a recursive walk that
// sorts each directory on the spot. The writer under test must produce the same bytes.
Bytes ReferenceSection(const ExeResource& root, std::uint32_t sectionRva, std::uint32_t padTo) {
    std::vector<ReferenceNode> nodes;
    CollectInWrittenOrder(&root, nodes);
    const ReferenceOffsets o = PlaceRegions(nodes);
    Bytes out(o.size, 0);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const ExeResource& r = *nodes[i].r;
        if (r.IsDirectory()) {
            WriteReferenceDirectory(out, nodes, o, i);
        } else {
            WriteReferenceLeaf(out, r, o, i, sectionRva);
        }
        if (r.IsNamed()) {
            Put16(out, o.nameAt[i], static_cast<std::uint16_t>(r.Name16().size()));
            for (std::size_t k = 0; k < r.Name16().size(); ++k) {
                Put16(out, o.nameAt[i] + 2 + 2 * k, r.Name16()[k]);
            }
        }
    }
    out.resize((out.size() + padTo - 1) / padTo * padTo, 'X');
    return out;
}

TEST_F(ResourceTest, ManyEntriesAreWrittenExactlyAsTheLayoutRulesSay) {
    // Existing named and numeric types out of order, a named type equal to an added name,
    // then thousands of added names in shuffled order with duplicates, names equal under
    // folding, characters between the cases, Latin-1 letters and empty names.
    auto image = LoadBytes(
        testpe::Build(Standard({{std::uint16_t{24}, std::uint16_t{1}, 0x409, Bytes(3, 0x24)},
                                {std::u16string(u"zType"), std::uint16_t{5}, 0x409, Bytes(7, 9)},
                                {std::u16string(u"ENTRY_7"), std::uint16_t{5}, 0x409, Bytes(2, 8)},
                                {std::uint16_t{3}, std::u16string(u"b"), 0x409, Bytes(5, 3)},
                                {std::uint16_t{3}, std::u16string(u"A"), 0x407, Bytes(1, 4)}})));
    ASSERT_TRUE(image);
    const char* tricky[] = {"abc",       "ABC",  "Abc",  "_x", "Zed", "zed", "\xe9t\xe9",
                            "\xc9T\xc9", "\xff", "\x9f", "",   "a b", "A_B"};
    for (int i = 0; i < 3000; ++i) {
        const std::string name =
            i % 5 == 0 ? tricky[i % 13] : "ENTRY_" + std::to_string(i * 7919 % 3000);
        const std::string data(static_cast<std::size_t>(i % 41), static_cast<char>(i));
        ASSERT_TRUE(image->AddBytes(name, Span(data), nullptr));
    }
    image->DeleteNamed("Zed");
    ExeResource& root = *image->Resources();
    const ResourceLayout layout = root.Plan();
    MemorySink sink;
    ASSERT_TRUE(root.Serialize(layout, sink, 0x1000, 0x7000, nullptr, nullptr));
    const Bytes expected = ReferenceSection(root, 0x7000, 0x1000);
    ASSERT_EQ(sink.data.size(), expected.size());
    EXPECT_TRUE(sink.data == expected);
    // A second write of the same tree gives the same bytes.
    MemorySink again;
    ASSERT_TRUE(root.Serialize(root.Plan(), again, 0x1000, 0x7000, nullptr, nullptr));
    EXPECT_TRUE(again.data == sink.data);
}

// Accepts `room` bytes, then writes what still fits of a call and refuses it: a short write.
class ShortSink : public ByteSink {
  public:
    explicit ShortSink(std::size_t room) : room_(room) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
        const std::size_t n = std::min(bytes.size(), room_ - data.size());
        data.insert(data.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
        return n == bytes.size();
    }
    std::uint64_t Position() const override { return data.size(); }
    Bytes data;

  private:
    std::size_t room_;
};

const ExeResource& Leaf(const ExeResource& root, const std::string& name) {
    const ExeResource* found = nullptr;
    for (std::uint32_t t = 0; t < root.NumericChildren().Count() && found == nullptr; ++t) {
        const ExeResource& type = *root.NumericChildren().Get(t);
        for (std::uint32_t n = 0; n < type.NamedChildren().Count(); ++n) {
            if (type.NamedChildren().Get(n)->Name() == name) {
                found = type.NamedChildren().Get(n)->NumericChildren().Get(0);
            }
        }
    }
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

// Wherever the sink stops taking bytes (directories, data entries, names, memory data, file
// data, padding, the "X" fill), the serializer answers false; it succeeds only with room for
// the whole section.
TEST_F(ResourceTest, ShortWriteAnywhereInTheSectionFailsIt) {
    auto image = LoadBytes(testpe::Build(
        Standard({{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(13, 7)},
                  {std::uint16_t{10}, std::u16string(u"NAMED"), 0x409, Bytes(5, 1)}})));
    ASSERT_TRUE(image);
    const fs::path data = dir_ / "data.bin";
    testpe::WriteFile(data, Bytes(300, 0xF1));
    image->AddFile("FILE", XString::FromUtf8(data.string()), nullptr);
    image->AddBytes("BYTES", Span("bytes"), nullptr);
    ExeResource& root = *image->Resources();
    const ResourceLayout layout = root.Plan();
    MemorySink whole;
    ASSERT_TRUE(root.Serialize(layout, whole, 0x200, 0x4000, nullptr, nullptr));
    ASSERT_GT(whole.data.size(), layout.size) << "the section ends in X padding";
    for (std::size_t room = 0; room < whole.data.size(); ++room) {
        ShortSink sink(room);
        ASSERT_FALSE(root.Serialize(layout, sink, 0x200, 0x4000, nullptr, nullptr)) << room;
        ASSERT_TRUE(std::equal(sink.data.begin(), sink.data.end(), whole.data.begin())) << room;
    }
    ShortSink exact(whole.data.size());
    EXPECT_TRUE(root.Serialize(layout, exact, 0x200, 0x4000, nullptr, nullptr));
    EXPECT_EQ(exact.data, whole.data);
}

// A file-backed entry takes its file's size when the section is laid out. If the file then
// shrinks or disappears, the entry is completed with zeros and the log says so; if it grows,
// only the planned bytes are written. Either way the section is exactly as laid out.
TEST_F(ResourceTest, FileBackedEntryKeepsItsLaidOutSizeWhenTheFileChanges) {
    auto image = LoadBytes(
        testpe::Build(Standard({{std::uint16_t{16}, std::uint16_t{1}, 0x409, Bytes(4, 7)}})));
    ASSERT_TRUE(image);
    const fs::path shrinks = dir_ / "shrinks.bin";
    const fs::path grows = dir_ / "grows.bin";
    const fs::path vanishes = dir_ / "vanishes.bin";
    testpe::WriteFile(shrinks, Bytes(5000, 0xA1));
    testpe::WriteFile(grows, Bytes(100, 0xB1));
    testpe::WriteFile(vanishes, Bytes(64, 0xC1));
    image->AddFile("SHRINKS", XString::FromUtf8(shrinks.string()), nullptr);
    image->AddFile("GROWS", XString::FromUtf8(grows.string()), nullptr);
    image->AddFile("VANISHES", XString::FromUtf8(vanishes.string()), nullptr);
    ExeResource& root = *image->Resources();
    const ResourceLayout layout = root.Plan();

    Bytes shorter(10, 0xA2);
    testpe::WriteFile(shrinks, shorter);
    Bytes longer(4096 * 3 + 5, 0xB2);
    longer[0] = 0xB3;
    testpe::WriteFile(grows, longer);
    fs::remove(vanishes);
    Logger log;
    MemorySink sink;
    ASSERT_TRUE(root.Serialize(layout, sink, 0x1000, 0x6000, nullptr, &log));
    ASSERT_EQ(sink.data.size(), (layout.size + 0xFFF) / 0x1000 * 0x1000);
    EXPECT_EQ(sink.data[layout.size], 'X');

    auto entryBytes = [&](const ExeResource& leaf) {
        // The data entry written for the leaf and the bytes it points at.
        EXPECT_EQ(testpe::Get32(sink.data, leaf.DataEntryOffset()), 0x6000 + leaf.DataOffset());
        EXPECT_EQ(testpe::Get32(sink.data, leaf.DataEntryOffset() + 4), leaf.Size());
        const auto begin = sink.data.begin() + leaf.DataOffset();
        return Bytes(begin, begin + leaf.Size());
    };
    Bytes expectShrunk(5000, 0);
    std::fill_n(expectShrunk.begin(), 10, 0xA2);
    EXPECT_EQ(entryBytes(Leaf(root, "SHRINKS")), expectShrunk);
    EXPECT_EQ(entryBytes(Leaf(root, "GROWS")), Bytes(longer.begin(), longer.begin() + 100));
    EXPECT_EQ(entryBytes(Leaf(root, "VANISHES")), Bytes(64, 0));
    const ExeResource& grown = Leaf(root, "GROWS");
    EXPECT_EQ(Bytes(sink.data.begin() + grown.DataOffset() + 100,
                    sink.data.begin() + grown.DataOffset() + 104),
              Bytes(4, 0))
        << "padding, not more of the file";
    EXPECT_EQ(LogText(log),
              "VantrixLog:\r\n"
              "  Resource file ended early; the rest of its entry is zeros\r\n"
              "  filename: " +
                  shrinks.string() +
                  "\r\n"
                  "  Resource file ended early; the rest of its entry is zeros\r\n"
                  "  filename: " +
                  vanishes.string() + "\r\n");
}

}  // namespace
}  // namespace resmelder
