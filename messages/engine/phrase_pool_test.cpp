#include "phrase_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace murmurex {
namespace {

using Items = std::vector<std::string>;

TEST(PhrasePool, EmptyPoolHasNoList) {
    PhrasePool pool;
    EXPECT_TRUE(pool.IsEmpty());
    EXPECT_EQ(pool.Count(), 0u);
    EXPECT_EQ(pool.LastIndex(), -1);
    EXPECT_FALSE(PoolContains(pool, ""));
    EXPECT_FALSE(PoolContains(pool, "Rest"));
}

TEST(PhrasePool, FirstOccurrenceWinsWithoutRegardToCase) {
    PhrasePool pool;
    AppendUnique(pool, "Relax");
    AppendUnique(pool, "relax");
    AppendUnique(pool, "Rest");
    AppendUnique(pool, "REST");
    AppendUnique(pool, "Relax now");
    EXPECT_EQ(pool.Items(), (Items{"Relax", "Rest", "Relax now"}));
    EXPECT_EQ(pool.LastIndex(), 2);
    EXPECT_EQ(pool[1], "Rest");
    EXPECT_TRUE(PoolContains(pool, "rElAx"));
    EXPECT_FALSE(PoolContains(pool, "Relax "));
}

TEST(PhrasePool, CaseFoldingCoversTheCodePageLetters) {
    PhrasePool pool;
    AppendUnique(pool, "\xC9T\xC9 \x8A");
    AppendUnique(pool, "\xE9t\xE9 \x9A");  // the same phrase in small letters
    AppendUnique(pool,
                 "2\xD7"
                 "3");  // the multiplication sign has no small form
    AppendUnique(pool,
                 "2\xF7"
                 "3");
    EXPECT_EQ(pool.Items(), (Items{"\xC9T\xC9 \x8A",
                                   "2\xD7"
                                   "3",
                                   "2\xF7"
                                   "3"}));
}

TEST(PhrasePool, EmptyPhraseNeverEnters) {
    PhrasePool pool;
    AppendUnique(pool, "");
    EXPECT_TRUE(pool.IsEmpty());
    AppendUnique(pool, " ");
    AppendUnique(pool, "");
    EXPECT_EQ(pool.Items(), (Items{" "}));
}

TEST(PhrasePool, FromListAndEquality) {
    const PhrasePool pool = PhrasePool::FromList({"a", "B", "A", "", "b", "c"});
    EXPECT_EQ(pool.Items(), (Items{"a", "B", "c"}));
    PhrasePool built;
    for (const char* phrase : {"a", "B", "c"}) {
        AppendUnique(built, phrase);
    }
    EXPECT_EQ(pool, built);
    EXPECT_FALSE(pool == PhrasePool::FromList({"a", "c", "B"}));
    EXPECT_TRUE(PhrasePool::FromList({}).IsEmpty());
}

}  // namespace
}  // namespace murmurex
