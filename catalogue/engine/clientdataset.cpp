#include "clientdataset.h"

#include "error.h"
#include "packetdecoder.h"

namespace kavinto {

QString TextRun::at(std::size_t i) const {
    const Column& column = m_table->table().column(m_field);
    const quint32 record = m_order->recordAt(m_first + i);
    if (column.valueKind() == Value::Kind::Text)
        return column.textOf(record)->toString();
    return column.value(record).toText();
}

TClientDataSet::TClientDataSet(QString name) : m_name(std::move(name)) {}

void TClientDataSet::requireOpen() const {
    if (!m_active)
        throw Error::closedDataset(m_name);
}

void TClientDataSet::CloseTable() {
    m_active = false;
    m_loaded.reset();
    m_orderFields.clear();
    m_order.reset();
    m_record = -1;
    m_positionKnown = false;
    m_atEnd = true;
}

void TClientDataSet::setActive(bool active) {
    if (active)
        OpenTable();
    else
        CloseTable();
}

std::vector<int> TClientDataSet::resolveFields(const QString& names) const {
    std::vector<int> fields;
    for (const QString& part : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        fields.push_back(fieldNumber(part.trimmed()));
    return fields;
}

void TClientDataSet::setIndexFieldNames(const QString& names) {
    if (names == m_indexFieldNames)
        return;
    if (m_active) {
        m_orderFields = resolveFields(names);
        m_order.reset();
        m_positionKnown = false;
        m_atEnd = m_loaded->table().recordCount() == 0;
    }
    m_indexFieldNames = names;
}

void TClientDataSet::prepareIndex(const QString& fieldName) {
    requireOpen();
    if (const int field = m_loaded->table().fieldIndex(fieldName); field >= 0)
        m_loaded->prepareOrder(field);  // a missing field fails where the order is used
}

void TClientDataSet::LoadPacket(QIODevice& stream) {
    LoadPacket(stream.readAll());
}

void TClientDataSet::LoadPacket(const QByteArray& bytes) {
    CloseTable();
    m_loaded = std::make_shared<LoadedTable>(decodePacket(bytes));
    m_active = true;
    try {
        m_orderFields = resolveFields(m_indexFieldNames);
    } catch (...) {
        CloseTable();
        throw;
    }
    GoFirst();
}

int TClientDataSet::ApplyPending(int) {
    requireOpen();
    if (m_loaded->table().hasPendingChanges)
        throw Error::missingProvider(m_name);
    return 0;
}

void TClientDataSet::OpenTable() {
    if (m_active)
        return;
    // No provider can supply a packet again once the table has been closed.
    throw Error::missingProvider(m_name);
}

const RecordOrder& TClientDataSet::order() {
    if (!m_order)
        m_order = m_loaded->order(m_orderFields);
    return *m_order;
}

std::size_t TClientDataSet::position() {
    if (!m_positionKnown) {
        m_position = order().positionOf(quint32(m_record));
        m_positionKnown = true;
    }
    return m_position;
}

void TClientDataSet::GoFirst() {
    requireOpen();
    const RecordOrder& o = order();
    m_atEnd = o.size() == 0;
    m_record = m_atEnd ? -1 : qint64(o.recordAt(0));
    m_position = 0;
    m_positionKnown = !m_atEnd;
}

void TClientDataSet::GoNext() {
    requireOpen();
    if (m_record < 0) {
        m_atEnd = true;
        return;
    }
    const std::size_t next = position() + 1;
    if (next < order().size()) {
        m_position = next;
        m_record = order().recordAt(next);
    } else {
        m_atEnd = true;
    }
}

bool TClientDataSet::AtEnd() const {
    return !m_active || m_atEnd;
}

int TClientDataSet::fieldNumber(const QString& fieldName) const {
    const int field = m_loaded ? m_loaded->table().fieldIndex(fieldName) : -1;
    if (field < 0)
        throw Error::fieldNotFound(m_name, fieldName);
    return field;
}

Value TClientDataSet::ReadValue(const QString& fieldName) const {
    requireOpen();
    const int field = fieldNumber(fieldName);
    return m_record < 0 ? Value() : m_loaded->table().value(std::size_t(m_record), field);
}

int TClientDataSet::Bookmark() const {
    requireOpen();
    return int(m_record);
}

void TClientDataSet::GotoBookmark(int bookmark) {
    requireOpen();
    if (bookmark < 0 || std::size_t(bookmark) >= m_loaded->table().recordCount())
        throw Error::recordNotFound(m_name);
    m_record = bookmark;
    m_positionKnown = false;
    m_atEnd = false;
}

bool TClientDataSet::FindValue(const QString& fieldName, const Value& value) {
    requireOpen();
    const int field = fieldNumber(fieldName);
    const std::vector<quint32> found = m_loaded->equalityIndex(field).find(value);
    if (found.empty())
        return false;
    m_record = found.size() == 1 ? found.front() : m_loaded->firstInOrder(m_orderFields, found);
    m_positionKnown = false;
    m_atEnd = false;
    return true;
}

std::shared_ptr<const LoadedTable> TClientDataSet::content() const {
    requireOpen();
    return m_loaded;
}

std::shared_ptr<const RecordOrder> TClientDataSet::currentOrder() {
    requireOpen();
    order();
    return m_order;
}

const BitVector& TClientDataSet::positionsEqualTo(int field, const Value& value) {
    requireOpen();
    return m_loaded->positionsEqualTo(m_orderFields, field, value);
}

TextRun TClientDataSet::textsToEnd(const QString& fieldName) {
    requireOpen();
    if (AtEnd())
        return {};
    const int field = fieldNumber(fieldName);
    const RecordOrder& o = order();
    const Column& column = m_loaded->table().column(field);
    const std::size_t start = position();
    std::size_t end = start;
    while (end < o.size() && (!column.hasNulls() || !column.isNull(o.recordAt(end)))) ++end;
    TextRun run(m_loaded, m_order, field, start, end - start);
    m_position = end < o.size() ? end : o.size() - 1;
    m_record = o.recordAt(m_position);
    m_atEnd = end == o.size();
    return run;
}

Value TClientDataSet::valueAt(int index) const {
    requireOpen();
    if (index < 0 || index >= m_loaded->table().fieldCount())
        throw Error::fieldIndexOutOfRange(m_name, index);
    return m_record < 0 ? Value() : m_loaded->table().value(std::size_t(m_record), index);
}

std::vector<FieldDef> TClientDataSet::fields() const {
    return m_loaded ? m_loaded->table().fields() : std::vector<FieldDef>();
}

int TClientDataSet::recordCount() const {
    return m_loaded ? int(m_loaded->table().recordCount()) : 0;
}

std::optional<qint32> TClientDataSet::lcid() const {
    return m_loaded ? m_loaded->table().lcid : std::nullopt;
}

}  // namespace kavinto
