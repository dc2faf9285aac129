#pragma once
// The phrase pool: the ordered, case-insensitively unique list of phrases the message
// window flashes. "Empty" is a state of its own (no list at all), never a list of length 0.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace murmurex {

class PhrasePool {
  public:
    PhrasePool() = default;
    /// A pool holding `phrases` in order, duplicates (ignoring case) dropped, first one kept.
    static PhrasePool FromList(const std::vector<std::string>& phrases);

    /// True for the empty pool (no list).
    bool IsEmpty() const noexcept { return phrases_.empty(); }
    std::size_t Count() const noexcept { return phrases_.size(); }
    /// Last valid index, or -1 for the empty pool.
    int LastIndex() const noexcept { return static_cast<int>(phrases_.size()) - 1; }
    const std::string& operator[](std::size_t index) const { return phrases_[index]; }
    const std::vector<std::string>& Items() const noexcept { return phrases_; }

    friend bool operator==(const PhrasePool& a, const PhrasePool& b) {
        return a.phrases_ == b.phrases_;
    }

  private:
    friend void AppendUnique(PhrasePool& pool, std::string_view phrase);
    friend void AppendAllUnique(PhrasePool& pool, std::span<const std::string_view> phrases);
    friend bool PoolContains(const PhrasePool& pool, std::string_view phrase);

    /// Slot of `phrase` in slots_, or of the free slot where it would go.
    std::size_t FindSlot(std::string_view phrase, std::uint64_t hash) const noexcept;
    void Insert(std::string_view phrase, std::uint64_t hash);
    void Grow();
    void AppendAll(std::span<const std::string_view> phrases);

    std::vector<std::string> phrases_;
    // An open-addressing index over phrases_ keyed by the hash of the lower-cased text: keeps
    // the duplicate test linear overall without a lower-cased copy of every phrase. A slot
    // holds the hash's high half (which also picks the slot) beside the phrase index + 1;
    // 0 is a free slot.
    std::vector<std::uint64_t> slots_;
};

/// Adds `phrase` at the end unless the pool holds it already (compared in lower case).
/// An empty phrase is never added: it would flash nothing.
void AppendUnique(PhrasePool& pool, std::string_view phrase);

/// AppendUnique for each phrase in order; faster than one by one for a whole file's phrases.
void AppendAllUnique(PhrasePool& pool, std::span<const std::string_view> phrases);

/// True when an element equals `phrase` after both are lower-cased.
bool PoolContains(const PhrasePool& pool, std::string_view phrase);

}  // namespace murmurex
