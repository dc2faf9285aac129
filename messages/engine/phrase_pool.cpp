#include "phrase_pool.h"

#include <utility>

#include "ansi_text.h"

namespace murmurex {

PhrasePool PhrasePool::FromList(const std::vector<std::string>& phrases) {
    PhrasePool pool;
    for (const std::string& phrase : phrases) {
        AppendUnique(pool, phrase);
    }
    return pool;
}

void AppendUnique(PhrasePool& pool, std::string_view phrase) {
    // An empty phrase would flash nothing.
    if (phrase.empty()) {
        return;
    }
    if (pool.lowered_.insert(AnsiLower(phrase)).second) {
        pool.phrases_.emplace_back(phrase);
    }
}

bool PoolContains(const PhrasePool& pool, std::string_view phrase) {
    return !pool.IsEmpty() && pool.lowered_.contains(AnsiLower(phrase));
}

}  // namespace murmurex
