#pragma once

#include "column.h"

#include <vector>

namespace kavinto {

// The records of one column grouped by what FindValue compares: texts whole
// and without regard to case (full case folding), numbers by value whatever
// their kind, other values by their text, null only with null. Built once
// for a column, in linear time: the records sorted by a hash of their key,
// 8 bytes a record.
class EqualityIndex {
public:
    explicit EqualityIndex(const Column& column);

    // The records whose value equals `value`, ascending.
    std::vector<quint32> find(const Value& value) const;

private:
    const Column& m_column;
    std::vector<quint64> m_entries;  // hash << 32 | record, ascending
};

}  // namespace kavinto
