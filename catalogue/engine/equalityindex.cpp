#include "equalityindex.h"

#include "casefold.h"
#include "comparison.h"
#include "radixsort.h"

#include <algorithm>
#include <optional>

namespace kavinto {

EqualityIndex::EqualityIndex(const Column& column) : m_column(column) {
    const std::size_t n = column.recordCount();
    const bool texts = column.valueKind() == Value::Kind::Text;
    m_entries.reserve(n);
    for (std::size_t r = 0; r < n; ++r) {
        quint32 h = 0;
        const std::optional<QStringView> text = texts ? column.textOf(r) : std::nullopt;
        if (text) {
            h = foldedHash(*text);
        } else {
            const std::optional<FindKey> key = findKeyOf(column.def(), column.value(r));
            if (!key)
                continue;
            h = key->hash();
        }
        m_entries.push_back(quint64(h) << 32 | r);
    }
    radixSortHigh32(m_entries);  // records stay ascending among equal hashes
}

std::vector<quint32> EqualityIndex::find(const Value& value) const {
    std::vector<quint32> found;
    const std::optional<FindKey> key = findKeyOf(m_column.def(), value);
    if (!key)
        return found;
    const quint64 h = quint64(key->hash()) << 32;
    for (auto it = std::lower_bound(m_entries.begin(), m_entries.end(), h);
         it != m_entries.end() && (*it & ~quint64(0xFFFFFFFF)) == h; ++it) {
        const auto record = quint32(*it & 0xFFFFFFFF);
        if (findKeyOf(m_column.def(), m_column.value(record)) == key)
            found.push_back(record);
    }
    return found;
}

}  // namespace kavinto
