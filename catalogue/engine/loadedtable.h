#pragma once

#include "bitvector.h"
#include "equalityindex.h"
#include "table.h"

#include <QHash>
#include <QLocale>

#include <future>
#include <map>
#include <memory>
#include <vector>

namespace kavinto {

// Record numbers in one order of a table, and the place of each record in it.
class RecordOrder {
public:
    // The packet's own order.
    explicit RecordOrder(std::size_t recordCount) : m_size(recordCount) {}
    explicit RecordOrder(std::vector<quint32> records)
        : m_size(records.size()), m_records(std::move(records)) {}

    std::size_t size() const { return m_size; }
    bool isPacketOrder() const { return m_records.empty(); }
    quint32 recordAt(std::size_t position) const {
        return isPacketOrder() ? quint32(position) : m_records[position];
    }
    // Computed on first use and kept.
    quint32 positionOf(quint32 record) const;

private:
    std::size_t m_size;
    std::vector<quint32> m_records;
    mutable std::vector<quint32> m_positions;
};

// A table as loaded, never changed again, with what has been computed for
// it so far: its orders, the FindValue index of a field, which records of an
// order hold a value. Each is computed on first use and kept, so it serves
// every later order change. Shared by whatever reads the table, on the
// thread that made it; an order may be computed on a worker meanwhile.
class LoadedTable {
public:
    explicit LoadedTable(Table table);
    ~LoadedTable();  // waits for an order being computed
    LoadedTable(const LoadedTable&) = delete;
    LoadedTable& operator=(const LoadedTable&) = delete;

    const Table& table() const { return m_table; }

    // The order by the fields; no fields: the packet's order.
    std::shared_ptr<const RecordOrder> order(const std::vector<int>& fields) const;
    // Starts computing the order by one field on a worker thread, so that it
    // may be ready when first needed; order() then waits for it, and takes
    // its error, if any, as its own.
    void prepareOrder(int field) const;
    const EqualityIndex& equalityIndex(int field) const;
    // Of the records, the one that comes first in the order by the fields;
    // computes the order only where it must.
    quint32 firstInOrder(const std::vector<int>& fields, const std::vector<quint32>& records) const;
    // Bit p is set where the record at position p of the order holds a value
    // equal to `value` (Value::equals).
    const BitVector& positionsEqualTo(const std::vector<int>& orderFields, int field,
                                      const Value& value) const;

private:
    Table m_table;
    QLocale m_locale;
    // What has been computed so far; the table itself never changes.
    mutable std::map<std::vector<int>, std::shared_ptr<const RecordOrder>> m_orders;
    mutable std::map<int, std::future<std::vector<quint32>>> m_preparing;
    mutable std::map<int, std::unique_ptr<EqualityIndex>> m_equality;
    using MaskKey = std::pair<Value::Kind, QString>;
    mutable std::map<std::pair<std::vector<int>, int>, std::map<MaskKey, BitVector>> m_masks;
};

// Which records of the column hold a value that equals `value` (Value::equals).
BitVector recordsEqualTo(const Column& column, const Value& value);

}  // namespace kavinto
