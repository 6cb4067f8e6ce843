#include "table.h"

#include "casefold.h"
#include "error.h"

#include <limits>

namespace kavinto {

Table::Table(std::vector<Column> columns, std::size_t recordCount)
    : m_columns(std::move(columns)), m_recordCount(recordCount) {
    m_fieldByFoldedName.reserve(m_columns.size());
    for (int i = 0; i < int(m_columns.size()); ++i) {
        const QString key = fullCaseFolded(m_columns[std::size_t(i)].def().name);
        m_fieldByFoldedName.emplace(key, i);  // the first of equal names stays
    }
}

std::vector<FieldDef> Table::fields() const {
    std::vector<FieldDef> out;
    out.reserve(m_columns.size());
    for (const Column& c : m_columns) out.push_back(c.def());
    return out;
}

int Table::fieldIndex(const QString& name) const {
    const auto it = m_fieldByFoldedName.find(fullCaseFolded(name));
    return it == m_fieldByFoldedName.end() ? -1 : it->second;
}

Table Table::select(const std::vector<quint32>& rows, const CellSources& sources) const {
    std::vector<Column> columns;
    columns.reserve(m_columns.size());
    for (int f = 0; f < fieldCount(); ++f) {
        const Column& from = m_columns[std::size_t(f)];
        Column to(from.def());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            std::size_t record = rows[i];
            if (!sources.empty()) {
                const auto source = sources.find(quint64(record) * 65536 + quint64(f));
                if (source != sources.end())
                    record = source->second;
            }
            if (from.isNull(record))
                continue;
            to.beginValue(i);
            to.pushFrom(from, record);
        }
        to.finish(rows.size());
        columns.push_back(std::move(to));
    }
    Table out(std::move(columns), rows.size());
    out.lcid = lcid;
    out.hasPendingChanges = hasPendingChanges;
    return out;
}

void pushValue(Column& column, std::size_t record, const Value& v) {
    const FieldDef& f = column.def();
    auto misfit = [&]() {
        return Error(
            QStringLiteral("field '%1' of record %2 holds a value that does not fit its type %3")
                .arg(f.name)
                .arg(record + 1)
                .arg(fieldTypeName(f.type)));
    };
    auto integerIn = [&](qint64 low, qint64 high) {
        const qint64 x = v.toInteger();
        if (x < low || x > high)
            throw misfit();
        return x;
    };
    if (v.isNull())
        return;
    switch (f.type) {
        case FieldType::Int8:
            column.beginValue(record);
            column.pushInt32(qint32(integerIn(-128, 127)));
            return;
        case FieldType::Int16:
            column.beginValue(record);
            column.pushInt32(qint32(integerIn(-32768, 32767)));
            return;
        case FieldType::Int32:
            column.beginValue(record);
            column.pushInt32(qint32(
                integerIn(std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max())));
            return;
        case FieldType::UInt8:
            column.beginValue(record);
            column.pushInt32(qint32(integerIn(0, 255)));
            return;
        case FieldType::UInt16:
            column.beginValue(record);
            column.pushInt32(qint32(integerIn(0, 65535)));
            return;
        case FieldType::UInt32:
            column.beginValue(record);
            column.pushInt64(integerIn(0, 0xFFFFFFFFLL));
            return;
        case FieldType::Int64:
            column.beginValue(record);
            column.pushInt64(v.toInteger());
            return;
        case FieldType::UInt64: {
            const quint64 x = v.kind() == Value::Kind::Unsigned
                                  ? v.unsignedValue()
                                  : quint64(integerIn(0, std::numeric_limits<qint64>::max()));
            column.beginValue(record);
            column.pushInt64(qint64(x));
            return;
        }
        case FieldType::Boolean: {
            const std::optional<Number> n = numberOf(v);
            if (!n || n->kind != Number::Kind::Signed)
                throw misfit();
            column.beginValue(record);
            column.pushBoolean(n->s != 0);
            return;
        }
        case FieldType::Float32:
        case FieldType::Float64: {
            const std::optional<Number> n = numberOf(v);
            if (!n)
                throw misfit();
            double x = n->kind == Number::Kind::Float    ? n->f
                       : n->kind == Number::Kind::Signed ? double(n->s)
                                                         : double(n->u);
            if (f.type == FieldType::Float32)
                x = double(float(x));
            column.beginValue(record);
            column.pushFloat(x);
            return;
        }
        case FieldType::Date:
            if (v.kind() != Value::Kind::Date)
                throw misfit();
            column.beginValue(record);
            column.pushInt32(v.dateValue().day);
            return;
        case FieldType::Time:
            if (v.kind() != Value::Kind::Time)
                throw misfit();
            column.beginValue(record);
            column.pushInt32(v.timeValue().msecs);
            return;
        case FieldType::Timestamp:
            if (v.kind() != Value::Kind::Timestamp)
                throw misfit();
            column.beginValue(record);
            column.pushFloat(v.timestampValue().msecs);
            return;
        case FieldType::Decimal:
        case FieldType::String:
        case FieldType::WideString:
            column.beginValue(record);
            column.pushText(v.toText());
            return;
        case FieldType::Blob:
            if (column.storage() == Column::Storage::Text) {
                column.beginValue(record);
                column.pushText(v.toText());
            } else {
                if (v.kind() != Value::Kind::Bytes)
                    throw misfit();
                column.beginValue(record);
                column.pushBytes(v.bytesValue());
            }
            return;
    }
}

Table Table::fromPacket(const Packet& packet) {
    std::vector<Column> columns;
    columns.reserve(packet.fields.size());
    for (const FieldDef& f : packet.fields) columns.emplace_back(f);
    for (std::size_t r = 0; r < packet.records.size(); ++r) {
        const Record& rec = packet.records[r];
        for (std::size_t i = 0; i < columns.size() && i < rec.size(); ++i)
            pushValue(columns[i], r, rec[i]);
    }
    for (Column& c : columns) c.finish(packet.records.size());
    Table out(std::move(columns), packet.records.size());
    out.lcid = packet.lcid;
    out.hasPendingChanges = packet.hasPendingChanges;
    return out;
}

}  // namespace kavinto
