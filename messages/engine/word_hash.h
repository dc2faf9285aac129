#pragma once
// The case-blind hashes' one mixing rule: eight bytes of text per multiply, then a final mix so
// that every bit of the result (the pool picks its slot from the high half) depends on every
// byte. Portable.

#include <cstdint>

namespace murmurex::word_hash {

inline constexpr std::uint64_t kStart = 0x243F6A8885A308D3u;
inline constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15u;

/// `hash` with eight more bytes, packed low byte first into `word`, mixed in.
constexpr std::uint64_t MixWord(std::uint64_t hash, std::uint64_t word) noexcept {
    hash = (hash ^ word) * kMultiplier;
    return hash ^ (hash >> 29);
}

/// The final mix: each bit of the result depends on each bit of `hash`.
constexpr std::uint64_t Finish(std::uint64_t hash) noexcept {
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53u;
    hash ^= hash >> 33;
    return hash;
}

}  // namespace murmurex::word_hash
