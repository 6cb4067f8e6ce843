#include "bitvector.h"

namespace kavinto {
namespace {

using Counter = std::size_t (*)(const quint64*, std::size_t);

// The one loop, compiled into each counter below for its own instruction set.
[[gnu::always_inline]] inline std::size_t countLoop(const quint64* words, std::size_t n) {
    std::size_t bits = 0;
    for (std::size_t w = 0; w < n; ++w) bits += std::size_t(__builtin_popcountll(words[w]));
    return bits;
}

std::size_t countPortably(const quint64* words, std::size_t n) {
    return countLoop(words, n);
}

// x86-64's baseline has no popcount instruction: the compiler's own is a
// loop of shifts and masks, several times slower. Where the processor has
// one, the same loop is compiled for it.
#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("popcnt"))) std::size_t countByInstruction(const quint64* words,
                                                                 std::size_t n) {
    return countLoop(words, n);
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

}  // namespace

std::size_t countSetBits(const quint64* words, std::size_t n) {
    static const Counter counter = chooseCounter();
    return counter(words, n);
}

}  // namespace kavinto
