#pragma once

#include "podbuffer.h"

#include <QtGlobal>

#include <cstdint>
#include <vector>

namespace kavinto {

// The set bits of n words, by the processor's popcount instruction where it
// has one.
std::size_t countSetBits(const quint64* words, std::size_t n);
// ranks[w] = the set bits of words 0..w-1, by the same instruction.
void countSetBitsBefore(const quint64* words, std::size_t n, quint32* ranks);

// A sequence of bits, least significant bit of each 64-bit word first, with
// an optional rank directory for counting set bits before a position in
// constant time.
class BitVector {
public:
    BitVector() = default;
    explicit BitVector(std::size_t size, bool value = false) { appendRun(value, size); }

    std::size_t size() const { return m_size; }
    bool test(std::size_t i) const { return (m_words[i >> 6] >> (i & 63)) & 1; }
    void set(std::size_t i) { m_words[i >> 6] |= quint64(1) << (i & 63); }

    void push_back(bool bit) {
        if ((m_size & 63) == 0)
            m_words.push_back(0);
        if (bit)
            m_words.back() |= quint64(1) << (m_size & 63);
        ++m_size;
    }
    void appendRun(bool bit, std::size_t count) {
        while (count > 0 && (m_size & 63) != 0) {
            push_back(bit);
            --count;
        }
        const std::size_t whole = count / 64;
        if (whole > 0) {
            m_words.resize(m_words.size() + whole, bit ? ~quint64(0) : 0);
            m_size += whole * 64;
        }
        for (std::size_t i = whole * 64; i < count; ++i) push_back(bit);
    }

    std::size_t count() const { return countSetBits(m_words.data(), m_words.size()); }
    // The first set bit at or after i; size() when there is none.
    std::size_t findNext(std::size_t i) const {
        if (i >= m_size)
            return m_size;
        std::size_t w = i >> 6;
        quint64 word = m_words[w] & (~quint64(0) << (i & 63));
        while (word == 0) {
            if (++w >= m_words.size())
                return m_size;
            word = m_words[w];
        }
        return std::min(m_size, w * 64 + std::size_t(__builtin_ctzll(word)));
    }
    // Calls f(i) for every bit set in all of `vectors` (of one size), in
    // ascending order, reading each word once and writing nothing.
    template <typename F>
    static void forEachSetInAll(const std::vector<const BitVector*>& vectors, F&& f) {
        for (std::size_t w = 0; w < wordsOf(vectors); ++w)
            forEachBitOf(wordInAll(vectors, w), w, f);
    }
    // Whether some bit is set in all of `vectors`; stops at the first.
    static bool anySetInAll(const std::vector<const BitVector*>& vectors) {
        for (std::size_t w = 0; w < wordsOf(vectors); ++w)
            if (wordInAll(vectors, w) != 0)
                return true;
        return false;
    }

    // The bits set in all of `vectors`, at least one, of one size.
    static BitVector allOf(const std::vector<const BitVector*>& vectors);

    // After buildRank(): the number of set bits before position i.
    void buildRank() {
        m_rank.clear();
        countSetBitsBefore(m_words.data(), m_words.size(), m_rank.reserveMore(m_words.size()));
        m_rank.commit(m_words.size());
    }
    std::size_t rank(std::size_t i) const {
        const std::size_t w = i >> 6;
        const quint64 below = (i & 63) == 0 ? 0 : m_words[w] << (64 - (i & 63));
        return m_rank[w] + std::size_t(__builtin_popcountll(below));
    }

    // After buildRank(): the position of set bit number n, counted from 0;
    // n is less than count().
    std::size_t select(std::size_t n) const;

private:
    static std::size_t wordsOf(const std::vector<const BitVector*>& vectors) {
        return vectors.empty() ? 0 : vectors.front()->m_words.size();
    }
    static quint64 wordInAll(const std::vector<const BitVector*>& vectors, std::size_t w) {
        quint64 word = vectors.front()->m_words[w];
        for (std::size_t v = 1; v < vectors.size() && word != 0; ++v)
            word &= vectors[v]->m_words[w];
        return word;
    }
    template <typename F>
    static void forEachBitOf(quint64 word, std::size_t w, F& f) {
        for (; word != 0; word &= word - 1) f(w * 64 + std::size_t(__builtin_ctzll(word)));
    }

    PodBuffer<quint64> m_words;
    PodBuffer<quint32> m_rank;
    std::size_t m_size = 0;
};

}  // namespace kavinto
