#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

namespace kavinto {

// Sorts 64-bit values by their upper 32 bits, in linear time, a byte at a
// time from the lowest; values with equal upper bits keep their order.
inline void radixSortHigh32(std::vector<quint64>& values) {
    std::vector<quint64> sorted(values.size());
    for (int shift = 32; shift < 64; shift += 8) {
        std::size_t start[257] = {};
        for (quint64 v : values) ++start[((v >> shift) & 0xFF) + 1];
        for (int b = 1; b <= 256; ++b) start[b] += start[b - 1];
        for (quint64 v : values) sorted[start[(v >> shift) & 0xFF]++] = v;
        values.swap(sorted);
    }
}

}  // namespace kavinto
