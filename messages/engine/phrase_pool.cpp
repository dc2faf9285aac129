#include "phrase_pool.h"

#include "unicode_text.h"

namespace murmurex {
namespace {

constexpr std::size_t kFirstSlotCount = 64;  // a power of two, as every later size
constexpr std::uint64_t kTagMask = 0xFFFFFFFF00000000u;
// Slots hold a 32-bit index; this many phrases is far beyond any real library.
constexpr std::size_t kMaxPhrases = 0xFFFFFFFEu;

std::uint64_t SlotOf(std::size_t index, std::uint64_t hash) noexcept {
    return (hash & kTagMask) | static_cast<std::uint32_t>(index + 1);
}

std::size_t IndexOf(std::uint64_t slot) noexcept {
    return static_cast<std::uint32_t>(slot) - 1u;
}

std::size_t HomeOf(std::uint64_t hashOrSlot, std::size_t mask) noexcept {
    return static_cast<std::size_t>(hashOrSlot >> 32) & mask;
}

}  // namespace

PhrasePool PhrasePool::FromList(const std::vector<std::string>& phrases) {
    PhrasePool pool;
    for (const std::string& phrase : phrases) {
        AppendUnique(pool, phrase);
    }
    return pool;
}

std::size_t PhrasePool::FindSlot(std::string_view phrase, std::uint64_t hash) const noexcept {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = HomeOf(hash, mask);; slot = (slot + 1) & mask) {
        const std::uint64_t entry = slots_[slot];
        if (entry == 0) {
            return slot;
        }
        if (((entry ^ hash) & kTagMask) == 0 && TextEqualNoCase(phrases_[IndexOf(entry)], phrase)) {
            return slot;
        }
    }
}

void PhrasePool::Grow() {
    std::vector<std::uint64_t> old(slots_.empty() ? kFirstSlotCount : slots_.size() * 2, 0);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const std::uint64_t entry : old) {
        if (entry == 0) {
            continue;
        }
        std::size_t slot = HomeOf(entry, mask);
        while (slots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        slots_[slot] = entry;
    }
}

void PhrasePool::Insert(std::string_view phrase, std::uint64_t hash) {
    // At most three quarters full, so probe runs stay short and a free slot always exists.
    if ((phrases_.size() + 1) * 4 > slots_.size() * 3) {
        if (phrases_.size() >= kMaxPhrases) {
            return;
        }
        Grow();
    }
    const std::size_t slot = FindSlot(phrase, hash);
    if (slots_[slot] != 0) {
        return;
    }
    slots_[slot] = SlotOf(phrases_.size(), hash);
    phrases_.emplace_back(phrase);
}

void PhrasePool::AppendAll(std::span<const std::string_view> phrases) {
    if (phrases_.size() + phrases.size() >= kMaxPhrases) {
        for (std::string_view phrase : phrases) {
            AppendUnique(*this, phrase);
        }
        return;
    }
    // Room for the whole batch first, so that no slot moves while it is being prefetched.
    while ((phrases_.size() + phrases.size()) * 4 > slots_.size() * 3) {
        Grow();
    }
    std::vector<std::uint64_t> hashes(phrases.size());
    for (std::size_t i = 0; i < phrases.size(); ++i) {
        hashes[i] = TextNoCaseHash(phrases[i]);
    }
    // The slots are scattered over a large table: ask for a later phrase's slot while this
    // one is being placed, so the memory latency overlaps.
    constexpr std::size_t kAhead = 8;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = 0; i < phrases.size(); ++i) {
        if (i + kAhead < phrases.size()) {
            __builtin_prefetch(&slots_[HomeOf(hashes[i + kAhead], mask)]);
        }
        if (phrases[i].empty()) {
            continue;  // an empty phrase would flash nothing
        }
        const std::size_t slot = FindSlot(phrases[i], hashes[i]);
        if (slots_[slot] == 0) {
            slots_[slot] = SlotOf(phrases_.size(), hashes[i]);
            phrases_.emplace_back(phrases[i]);
        }
    }
}

void AppendAllUnique(PhrasePool& pool, std::span<const std::string_view> phrases) {
    pool.AppendAll(phrases);
}

void AppendUnique(PhrasePool& pool, std::string_view phrase) {
    // An empty phrase would flash nothing.
    if (phrase.empty()) {
        return;
    }
    pool.Insert(phrase, TextNoCaseHash(phrase));
}

bool PoolContains(const PhrasePool& pool, std::string_view phrase) {
    if (pool.IsEmpty()) {
        return false;
    }
    return pool.slots_[pool.FindSlot(phrase, TextNoCaseHash(phrase))] != 0;
}

}  // namespace murmurex
