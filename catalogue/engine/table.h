#pragma once

#include "column.h"
#include "packet.h"

#include <QHashFunctions>  // std::hash<QString>

#include <optional>
#include <unordered_map>
#include <vector>

namespace kavinto {

using CellSources = std::unordered_map<quint64, quint32>;

// A decoded data packet as read-only columns: its declared fields, its
// current records (pending changes already applied) in the packet's order,
// its locale. Records are numbered from 0 in packet order.
class Table {
public:
    Table() = default;
    Table(std::vector<Column> columns, std::size_t recordCount);
    Table(Table&&) noexcept = default;
    Table& operator=(Table&&) noexcept = default;

    std::size_t recordCount() const { return m_recordCount; }
    int fieldCount() const { return int(m_columns.size()); }
    const Column& column(int field) const { return m_columns[std::size_t(field)]; }
    const FieldDef& field(int index) const { return column(index).def(); }
    std::vector<FieldDef> fields() const;
    // The first field of that name, compared without regard to case; -1 if none.
    int fieldIndex(const QString& name) const;

    Value value(std::size_t record, int field) const { return column(field).value(record); }

    std::optional<qint32> lcid;
    bool hasPendingChanges = false;

    // A table of `rows` of this one (record numbers, each at most once, in
    // their new order). A cell listed in `sources` (key: record * 65536 +
    // field) takes its value from that record instead.
    Table select(const std::vector<quint32>& rows, const CellSources& sources) const;

    // The table of a packet given as records of values; throws an Error
    // naming the value that does not fit its field.
    static Table fromPacket(const Packet& packet);

private:
    std::vector<Column> m_columns;
    std::size_t m_recordCount = 0;
    // Standard containers where a table grows with its input: they report a
    // failed allocation as std::bad_alloc, where QHash may end the program.
    std::unordered_map<QString, int> m_fieldByFoldedName;
};

// Adds one value to a column being built, converting it to the column's
// kind; throws an Error when it does not fit.
void pushValue(Column& column, std::size_t record, const Value& value);

}  // namespace kavinto
