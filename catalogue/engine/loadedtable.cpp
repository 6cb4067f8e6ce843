#include "loadedtable.h"

#include "comparison.h"
#include "packetlocale.h"
#include "tableorder.h"

#include <system_error>

namespace kavinto {

quint32 RecordOrder::positionOf(quint32 record) const {
    if (isPacketOrder())
        return record;
    if (m_positions.empty()) {
        m_positions.resize(m_size);
        for (std::size_t p = 0; p < m_size; ++p) m_positions[m_records[p]] = quint32(p);
    }
    return m_positions[record];
}

LoadedTable::LoadedTable(Table table)
    : m_table(std::move(table)), m_locale(packetLocale(m_table.lcid).locale) {}

LoadedTable::~LoadedTable() {
    for (auto& [field, records] : m_preparing) records.wait();
}

void LoadedTable::prepareOrder(int field) const {
    if (m_orders.count({field}) || m_preparing.count(field))
        return;
    // The worker reads only the column, which never changes, and a locale of its own.
    const Column& column = m_table.column(field);
    try {
        m_preparing.emplace(field, std::async(std::launch::async, [&column, locale = m_locale] {
                                return fieldOrder(column, locale);
                            }));
    } catch (const std::system_error&) {
        // No thread to be had: the order is computed when first needed.
    }
}

std::shared_ptr<const RecordOrder> LoadedTable::order(const std::vector<int>& fields) const {
    auto it = m_orders.find(fields);
    if (it != m_orders.end())
        return it->second;
    std::shared_ptr<const RecordOrder> made;
    if (fields.empty()) {
        made = std::make_shared<RecordOrder>(m_table.recordCount());
    } else if (const auto preparing =
                   fields.size() == 1 ? m_preparing.find(fields[0]) : m_preparing.end();
               preparing != m_preparing.end()) {
        std::future<std::vector<quint32>> records = std::move(preparing->second);
        m_preparing.erase(preparing);
        made = std::make_shared<RecordOrder>(records.get());
    } else if (fields.size() == 1) {
        made = std::make_shared<RecordOrder>(fieldOrder(m_table.column(fields[0]), m_locale));
    } else {
        std::vector<std::vector<quint32>> records;
        for (int f : fields) {
            const std::shared_ptr<const RecordOrder> part = order({f});
            std::vector<quint32> r(part->size());
            for (std::size_t p = 0; p < r.size(); ++p) r[p] = part->recordAt(p);
            records.push_back(std::move(r));
        }
        std::vector<const std::vector<quint32>*> pointers;
        for (const auto& r : records) pointers.push_back(&r);
        made = std::make_shared<RecordOrder>(combinedOrder(m_table, fields, pointers, m_locale));
    }
    m_orders.emplace(fields, made);
    return made;
}

quint32 LoadedTable::firstInOrder(const std::vector<int>& fields,
                                  const std::vector<quint32>& records) const {
    const auto known = m_orders.find(fields);
    if (known == m_orders.end() && fields.size() == 1 &&
        m_table.column(fields[0]).valueKind() == Value::Kind::Text)
        return firstInFieldOrder(m_table.column(fields[0]), m_locale, records);
    const std::shared_ptr<const RecordOrder> o = order(fields);
    quint32 first = records.front();
    for (quint32 r : records)
        if (o->positionOf(r) < o->positionOf(first))
            first = r;
    return first;
}

const EqualityIndex& LoadedTable::equalityIndex(int field) const {
    std::unique_ptr<EqualityIndex>& index = m_equality[field];
    if (!index)
        index = std::make_unique<EqualityIndex>(m_table.column(field));
    return *index;
}

const BitVector& LoadedTable::positionsEqualTo(const std::vector<int>& orderFields, int field,
                                               const Value& value) const {
    std::map<MaskKey, BitVector>& masks = m_masks[{orderFields, field}];
    // Values of one kind and text are the same value.
    const MaskKey key{value.kind(), value.isNull() ? QString() : value.toText()};
    auto it = masks.find(key);
    if (it != masks.end())
        return it->second;
    const BitVector records = recordsEqualTo(m_table.column(field), value);
    const std::shared_ptr<const RecordOrder> o = order(orderFields);
    BitVector positions(o->size());
    for (std::size_t p = 0; p < o->size(); ++p)
        if (records.test(o->recordAt(p)))
            positions.set(p);
    return masks.emplace(key, std::move(positions)).first->second;
}

BitVector recordsEqualTo(const Column& column, const Value& value) {
    const EqualsTest equals(column, value);
    BitVector out(column.recordCount());
    for (std::size_t r = 0; r < column.recordCount(); ++r)
        if (equals(r))
            out.set(r);
    return out;
}

}  // namespace kavinto
