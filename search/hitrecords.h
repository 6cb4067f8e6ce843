#pragma once

#include "bitvector.h"
#include "loadedtable.h"

#include <memory>

namespace kavinto {

// The records of a function search's hits, in an order of the methods
// table, kept as the set of their positions in that order: hit i's record
// is found when a row asks for it, in logarithmic time, instead of every
// hit's record being listed at the search.
class HitRecords {
public:
    HitRecords() = default;
    HitRecords(std::shared_ptr<const RecordOrder> order, BitVector positions);

    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // Hit i's record, i < size().
    quint32 operator[](std::size_t i) const { return m_order->recordAt(m_positions.select(i)); }
    // Calls f(i, record) for hit i = 0, 1, ... while f returns true.
    template <typename F>
    void forEachWhile(F&& f) const {
        std::size_t i = 0;
        for (std::size_t p = m_positions.findNext(0); p < m_positions.size();
             p = m_positions.findNext(p + 1), ++i)
            if (!f(i, m_order->recordAt(p)))
                return;
    }

private:
    std::shared_ptr<const RecordOrder> m_order;
    BitVector m_positions;
    std::size_t m_size = 0;
};

}  // namespace kavinto
