// The mutator itself, on small built images: each kind applies, is deterministic, writes what
// its name says, and the mutator's own parser survives its mutants (they are fed back to it
// by the structure-aware fuzzer).

#include "fuzz/pe_mutator.h"

#include <gtest/gtest.h>

#include <set>

#include "fuzz/small_seed.h"
#include "image/test_pe.h"

namespace resmelder::fuzz {
namespace {

using testpe::Bytes;

constexpr std::size_t kTable = 0x80 + 24 + 240;  // PE32+ section table in built images
constexpr std::size_t kResourceHeader = kTable + 2 * 40;

Bytes Seed() {
    return SmallSeed();
}

std::size_t ResourceRoot(const Bytes& pe) {
    return testpe::Get32(pe, kResourceHeader + 20);
}

TEST(PeMutatorTest, EveryKindHasANameAndAppliesDeterministically) {
    const Bytes seed = Seed();
    std::set<std::string_view> names;
    for (const Mutation kind : AllMutations()) {
        const std::string_view name = MutationName(kind);
        SCOPED_TRACE(std::string(name));
        EXPECT_TRUE(names.insert(name).second);
        EXPECT_EQ(MutationFromName(name), kind);
        const auto first = Mutate(seed, kind, 5);
        ASSERT_TRUE(first);
        EXPECT_NE(first->bytes, seed);
        EXPECT_EQ(first->bytes.size(), seed.size()) << "mutations work in place";
        EXPECT_EQ(Mutate(seed, kind, 5)->bytes, first->bytes);
    }
    EXPECT_FALSE(MutationFromName("no-such-kind"));
}

TEST(PeMutatorTest, RefusesWhatIsNotAPeWithResources) {
    EXPECT_FALSE(Mutate({}, Mutation::kDirectoryCount32767, 0));
    Bytes notPe = Seed();
    notPe[0] = 'Z';
    EXPECT_FALSE(Mutate(notPe, Mutation::kDirectoryCount32767, 0));
    testpe::Options bare;
    bare.sections = {{".text", Bytes(0x10, 0xC3)}, {".data", Bytes(0x10, 1)}};
    EXPECT_FALSE(Mutate(testpe::Build(bare), Mutation::kRawSizeHuge, 0));
    Bytes truncated = Seed();
    truncated.resize(kResourceHeader + 8);  // the section table breaks off
    EXPECT_FALSE(Mutate(truncated, Mutation::kDirectoryCount32767, 0));
}

TEST(PeMutatorTest, CountsAndLoopsLandOnTheDirectories) {
    const Bytes seed = Seed();
    const std::size_t root = ResourceRoot(seed);
    const Bytes counted = Mutate(seed, Mutation::kDirectoryCount32767, 0)->bytes;
    EXPECT_EQ(testpe::Get16(counted, root + 14), 0x7FFF);  // the root's numeric count

    // The root's first type directory: every entry of it now leads back to the root.
    const Bytes looped = Mutate(seed, Mutation::kSubdirectoriesToRoot, 0)->bytes;
    const std::size_t type = root + (testpe::Get32(seed, root + 16 + 4) & 0x7FFFFFFF);
    const std::uint32_t entries = testpe::Get16(seed, type + 12) + testpe::Get16(seed, type + 14);
    ASSERT_GE(entries, 1u);
    for (std::uint32_t i = 0; i < entries; ++i) {
        EXPECT_EQ(testpe::Get32(looped, type + 16 + 8 * i + 4), 0x80000000u);
    }
    // Mutants parse again: the mutator's reader is bounded in depth and visits each
    // directory once.
    for (const Mutation kind : AllMutations()) {
        Mutate(looped, kind, 1);
        Mutate(Mutate(seed, Mutation::kOverlappingDirectories, 0)->bytes, kind, 1);
    }
}

TEST(PeMutatorTest, SharedNameAndSharedDataFillTheSection) {
    const Bytes seed = Seed();
    const std::size_t root = ResourceRoot(seed);
    const Bytes named = Mutate(seed, Mutation::kSharedLongName, 0)->bytes;
    const std::uint16_t count = testpe::Get16(named, root + 12);
    ASSERT_GE(count, 2u);
    EXPECT_EQ(testpe::Get16(named, root + 14), 0u);
    const std::uint32_t nameWord = testpe::Get32(named, root + 16);
    EXPECT_NE(nameWord & 0x80000000u, 0u);
    EXPECT_EQ(testpe::Get32(named, root + 16 + 8 * (count - 1)), nameWord);
    const std::uint16_t chars = testpe::Get16(named, root + (nameWord & 0x7FFFFFFF));
    EXPECT_GT(chars, 100u);
    // The whole structure lies inside the section's raw data.
    EXPECT_LE((nameWord & 0x7FFFFFFF) + 2u + 2u * chars, testpe::Get32(seed, kResourceHeader + 16));

    const Bytes shared = Mutate(seed, Mutation::kRootEntriesShareSubdirectory, 0)->bytes;
    const std::uint16_t rootEntries = testpe::Get16(shared, root + 14);
    ASSERT_GE(rootEntries, 2u);
    EXPECT_EQ(testpe::Get32(shared, root + 16 + 4),
              testpe::Get32(shared, root + 16 + 8 * (rootEntries - 1) + 4));
}

TEST(PeMutatorTest, SectionFieldsChangeAsNamed) {
    const Bytes seed = Seed();
    EXPECT_EQ(testpe::Get32(Mutate(seed, Mutation::kRawSizeHuge, 0)->bytes, kResourceHeader + 16),
              0x7FFFFFFFu);
    const Bytes early = Mutate(seed, Mutation::kEarlyResourceSectionHuge, 1)->bytes;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&early[kTable + 40]), 5), ".rsrc");
    EXPECT_EQ(testpe::Get32(early, kTable + 40 + 16), 0x7FFFFFFFu);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&early[kResourceHeader]), 5), ".data");

    const Bytes pastEnd = Mutate(seed, Mutation::kRawSizePastEnd, 0)->bytes;
    EXPECT_GT(std::uint64_t{testpe::Get32(pastEnd, kResourceHeader + 20)} +
                  testpe::Get32(pastEnd, kResourceHeader + 16),
              pastEnd.size());

    const Bytes overlapping = Mutate(seed, Mutation::kOverlappingVirtualRanges, 2)->bytes;
    const std::uint32_t rsrcStart = testpe::Get32(overlapping, kResourceHeader + 12);
    const std::uint32_t next = testpe::Get32(overlapping, kResourceHeader + 40 + 12);
    EXPECT_GE(next, rsrcStart);
    EXPECT_LT(next, rsrcStart + testpe::Get32(overlapping, kResourceHeader + 8));
    const Bytes front = Mutate(seed, Mutation::kOverlappingVirtualRanges, 0)->bytes;
    EXPECT_EQ(testpe::Get32(front, kTable + 40 + 12), testpe::Get32(front, kTable + 12));
}

TEST(PeMutatorTest, LeafExpectationsDescribeTheMovedData) {
    const Bytes seed = Seed();
    const auto headers = Mutate(seed, Mutation::kDataInHeaders, 0);
    ASSERT_TRUE(headers && headers->leaf);
    EXPECT_TRUE(headers->leaf->mustEqual);
    EXPECT_EQ(headers->leaf->path.size(), 3u);
    ASSERT_FALSE(headers->leaf->bytes.empty());
    EXPECT_TRUE(std::equal(headers->leaf->bytes.begin(), headers->leaf->bytes.end(),
                           headers->bytes.begin() + 0x40));

    const auto cut = Mutate(seed, Mutation::kVirtualSizeOverRaw, 0);
    ASSERT_TRUE(cut && cut->leaf);
    EXPECT_FALSE(cut->leaf->mustEqual);
    const std::uint32_t raw = testpe::Get32(cut->bytes, kResourceHeader + 16);
    EXPECT_LT(raw, testpe::Get32(cut->bytes, kResourceHeader + 8));
    EXPECT_LT(raw, testpe::Get32(seed, kResourceHeader + 16));
}

TEST(PeMutatorTest, NewSectionLayoutsChangeTheHeaders) {
    const Bytes seed = Seed();
    const std::size_t reloc = kResourceHeader + 40;  // the section after .rsrc
    const Bytes code = Mutate(seed, Mutation::kCodeAfterResources, 0)->bytes;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(code.data() + reloc)), ".text2");
    EXPECT_EQ(testpe::Get32(code, reloc + 36), 0x60000020u);
    EXPECT_TRUE(
        std::equal(code.begin() + reloc + 8, code.begin() + reloc + 36, seed.begin() + reloc + 8))
        << "the section keeps its place";

    const Bytes cleared = Mutate(seed, Mutation::kResourceDirectoryCleared, 0)->bytes;
    const std::size_t directory = 0x80 + 24 + 112 + 16;
    EXPECT_NE(testpe::Get32(seed, directory), 0u);
    EXPECT_EQ(testpe::Get32(cleared, directory), 0u);
    EXPECT_EQ(testpe::Get32(cleared, directory + 4), 0u);
    EXPECT_FALSE(Mutate(cleared, Mutation::kRawSizeHuge, 0)) << "no resources left to mutate";

    const Bytes full = Mutate(seed, Mutation::kNoHeaderRoom, 0)->bytes;
    EXPECT_EQ(testpe::Get32(full, 0x80 + 24 + 60), kTable + 4 * 40);  // size of headers
    EXPECT_EQ(testpe::Get32(full, reloc + 36), 0x60000020u);
}

}  // namespace
}  // namespace resmelder::fuzz
