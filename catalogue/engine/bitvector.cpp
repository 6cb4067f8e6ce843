#include "bitvector.h"

#include <algorithm>

namespace kavinto {
namespace {

// Counts the set bits of n words; with `ranks`, also those before each word.
using Counter = std::size_t (*)(const quint64*, std::size_t, quint32* ranks);

// The one loop, compiled into each counter below for its own instruction set.
[[gnu::always_inline]] inline std::size_t countLoop(const quint64* words, std::size_t n,
                                                    quint32* ranks) {
    std::size_t bits = 0;
    if (ranks)
        for (std::size_t w = 0; w < n; ++w) {
            ranks[w] = quint32(bits);
            bits += std::size_t(__builtin_popcountll(words[w]));
        }
    else
        for (std::size_t w = 0; w < n; ++w) bits += std::size_t(__builtin_popcountll(words[w]));
    return bits;
}

std::size_t countPortably(const quint64* words, std::size_t n, quint32* ranks) {
    return countLoop(words, n, ranks);
}

// x86-64's baseline has no popcount instruction: the compiler's own is a
// loop of shifts and masks, several times slower. Where the processor has
// one, the same loop is compiled for it.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("popcnt"))) std::size_t countByInstruction(const quint64* words,
                                                                 std::size_t n, quint32* ranks) {
    return countLoop(words, n, ranks);
}

Counter chooseCounter() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("popcnt") ? countByInstruction : countPortably;
}
#else
Counter chooseCounter() {
    return countPortably;
}
#endif

Counter counter() {
    static const Counter chosen = chooseCounter();
    return chosen;
}

}  // namespace

std::size_t countSetBits(const quint64* words, std::size_t n) {
    return counter()(words, n, nullptr);
}

void countSetBitsBefore(const quint64* words, std::size_t n, quint32* ranks) {
    counter()(words, n, ranks);
}

BitVector BitVector::allOf(const std::vector<const BitVector*>& vectors) {
    BitVector all = *vectors.front();
    all.m_rank.clear();
    for (std::size_t v = 1; v < vectors.size(); ++v) {
        const quint64* other = vectors[v]->m_words.data();
        for (std::size_t w = 0; w < all.m_words.size(); ++w) all.m_words[w] &= other[w];
    }
    return all;
}

std::size_t BitVector::select(std::size_t n) const {
    // The last word with at most n set bits before it holds the bit.
    const std::size_t w =
        std::size_t(std::upper_bound(m_rank.begin(), m_rank.end(), quint32(n)) - m_rank.begin()) -
        1;
    quint64 word = m_words[w];
    for (std::size_t skip = n - m_rank[w]; skip > 0; --skip) word &= word - 1;
    return w * 64 + std::size_t(__builtin_ctzll(word));
}

}  // namespace kavinto
