#pragma once

#include "column.h"

#include <vector>

namespace kavinto {

// The records of one column grouped by what FindValue compares: texts whole
// and without regard to case (full case folding), numbers by value whatever
// their kind, other values by their text, null only with null. Built once
// for a column; 8 bytes a record.
class EqualityIndex {
public:
    explicit EqualityIndex(const Column& column);

    // The records whose value equals `value`, ascending.
    std::vector<quint32> find(const Value& value) const;

private:
    const Column& m_column;
    std::vector<quint32> m_slots;   // record + 1, 0 where empty
    std::vector<quint32> m_hashes;  // the hash of the slot's key
    quint32 m_mask = 0;
};

}  // namespace kavinto
