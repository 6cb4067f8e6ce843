#include "hitrecords.h"

namespace kavinto {

HitRecords::HitRecords(std::shared_ptr<const RecordOrder> order, BitVector positions)
    : m_order(std::move(order)), m_positions(std::move(positions)) {
    m_positions.buildRank();
    m_size = m_positions.count();
}

}  // namespace kavinto
