#include "phrase_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <string_view>
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

TEST(PhrasePool, CaseFoldingCoversEveryScript) {
    PhrasePool pool;
    AppendUnique(pool, "\u00c9T\u00c9 \u0160");
    AppendUnique(pool, "\u00e9t\u00e9 \u0161");  // the same phrase in small letters
    AppendUnique(pool, "\u0391\u039b\u03a6\u0391");
    AppendUnique(pool, "\u03b1\u03bb\u03c6\u03b1");
    AppendUnique(pool, "2\u00d73");  // the multiplication sign has no small form
    AppendUnique(pool, "2\u00f73");
    EXPECT_EQ(pool.Items(),
              (Items{"\u00c9T\u00c9 \u0160", "\u0391\u039b\u03a6\u0391", "2\u00d73", "2\u00f73"}));
    EXPECT_TRUE(PoolContains(pool, "\u03b1\u03bb\u03c6\u03b1"));
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

TEST(PhrasePool, GrowingPoolMatchesALinearScan) {
    // Enough phrases to grow the index several times, a third of them repeats in other case.
    std::vector<std::string> input;
    for (int i = 0; i < 3000; ++i) {
        if (i % 3 == 2) {
            std::string repeat = input[static_cast<std::size_t>(i * 7 % i)];
            for (char& c : repeat) {
                c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
            }
            input.push_back(repeat);
        } else {
            input.push_back("phrase " + std::to_string(i * 37 % 1000) +
                            (i % 2 ? " \xE9" : " \xC9"));
        }
    }
    std::vector<std::string> expected;
    std::vector<std::string> lowered;
    for (const std::string& phrase : input) {
        std::string lower = phrase;
        for (char& c : lower) {
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c == '\xC9' ? '\xE9' : c;
        }
        if (std::find(lowered.begin(), lowered.end(), lower) == lowered.end()) {
            lowered.push_back(lower);
            expected.push_back(phrase);
        }
    }
    const PhrasePool pool = PhrasePool::FromList(input);
    EXPECT_EQ(pool.Items(), expected);
    for (const std::string& phrase : input) {
        EXPECT_TRUE(PoolContains(pool, phrase)) << phrase;
    }
    EXPECT_FALSE(PoolContains(pool, "phrase 1000 \xE9"));

    // Whole batches (with repeats inside one batch, and empty phrases) give the same pool.
    std::vector<std::string_view> views(input.begin(), input.end());
    views.insert(views.begin() + 5, "");
    PhrasePool batched;
    AppendAllUnique(batched, std::span(views).first(1));
    AppendAllUnique(batched, std::span(views).subspan(1, 700));
    AppendAllUnique(batched, std::span(views).subspan(701));
    EXPECT_EQ(batched, pool);
    AppendAllUnique(batched, views);
    EXPECT_EQ(batched, pool);
}

}  // namespace
}  // namespace murmurex
