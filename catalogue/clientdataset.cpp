#include "clientdataset.h"

#include "casefold.h"
#include "error.h"
#include "packetdecoder.h"
#include "packetlocale.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace kavinto {
namespace {

const QString kClosedDataset = QStringLiteral("Cannot perform this operation on a closed dataset");
const QString kMissingProvider = QStringLiteral("Missing data provider or data packet");

// Orders two non-null values of one field's kind; texts go through sort keys.
int compareValues(const Value& a, const Value& b) {
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    const std::optional<Number> na = a.kind() == Value::Kind::Text ? std::nullopt : numberOf(a);
    const std::optional<Number> nb = b.kind() == Value::Kind::Text ? std::nullopt : numberOf(b);
    if (na && nb)
        return compareNumbers(*na, *nb);
    switch (a.kind()) {
        case Value::Kind::Date: return cmp(a.dateValue().day, b.dateValue().day);
        case Value::Kind::Time: return cmp(a.timeValue().msecs, b.timeValue().msecs);
        case Value::Kind::Timestamp: return cmp(a.timestampValue().msecs, b.timestampValue().msecs);
        case Value::Kind::Bytes: return cmp(a.bytesValue(), b.bytesValue());
        default: return cmp(a.toText(), b.toText());
    }
}

}  // namespace

TClientDataSet::TClientDataSet(QString name) : m_name(std::move(name)) {}

void TClientDataSet::fail(const QString& message) const { throw Error(m_name + QStringLiteral(": ") + message); }

void TClientDataSet::requireOpen() const {
    if (!m_active)
        fail(kClosedDataset);
}

void TClientDataSet::CloseTable() {
    m_active = false;
    m_pendingChanges = false;
    m_fields.clear();
    m_fieldByFoldedName.clear();
    m_records.clear();
    m_order.clear();
    m_lookup.clear();
    m_positionOf.clear();
    m_lcid.reset();
    m_position = 0;
    m_atEnd = true;
}

void TClientDataSet::setActive(bool active) {
    if (active)
        OpenTable();
    else
        CloseTable();
}

void TClientDataSet::setIndexFieldNames(const QString& names) {
    if (names == m_indexFieldNames)
        return;
    const QString previous = m_indexFieldNames;
    m_indexFieldNames = names;
    if (!m_active)
        return;
    try {
        applyOrder();
    } catch (...) {
        m_indexFieldNames = previous;
        throw;
    }
}

void TClientDataSet::LoadPacket(QIODevice& stream) { LoadPacket(stream.readAll()); }

void TClientDataSet::LoadPacket(const QByteArray& bytes) {
    CloseTable();
    Packet packet = decodePacket(bytes);
    m_fields = std::move(packet.fields);
    m_records = std::move(packet.records);
    m_lcid = packet.lcid;
    m_pendingChanges = packet.hasPendingChanges;
    for (int i = 0; i < int(m_fields.size()); ++i) {
        const QString key = fullCaseFolded(m_fields[i].name);
        if (!m_fieldByFoldedName.contains(key))
            m_fieldByFoldedName.insert(key, i);
    }
    m_active = true;
    try {
        applyOrder();
    } catch (...) {
        CloseTable();
        throw;
    }
    GoFirst();
}

int TClientDataSet::ApplyPending(int) {
    requireOpen();
    if (m_pendingChanges)
        fail(kMissingProvider);
    return 0;
}

void TClientDataSet::OpenTable() {
    if (m_active)
        return;
    // No provider can supply a packet again once the table has been closed.
    fail(kMissingProvider);
}

void TClientDataSet::GoFirst() {
    requireOpen();
    m_position = 0;
    m_atEnd = m_order.empty();
}

void TClientDataSet::GoNext() {
    requireOpen();
    if (m_position + 1 < int(m_order.size()))
        ++m_position;
    else
        m_atEnd = true;
}

bool TClientDataSet::AtEnd() const { return !m_active || m_atEnd; }

int TClientDataSet::fieldIndex(const QString& fieldName) const {
    const auto it = m_fieldByFoldedName.constFind(fullCaseFolded(fieldName));
    if (it == m_fieldByFoldedName.cend())
        fail(QStringLiteral("Field '%1' not found").arg(fieldName));
    return it.value();
}

Value TClientDataSet::ReadValue(const QString& fieldName) const {
    requireOpen();
    return valueAt(fieldIndex(fieldName));
}

int TClientDataSet::Bookmark() const {
    requireOpen();
    return m_order.empty() ? -1 : m_order[std::size_t(m_position)];
}

void TClientDataSet::GotoBookmark(int bookmark) {
    requireOpen();
    if (bookmark < 0 || bookmark >= int(m_records.size()))
        fail(QStringLiteral("Record not found"));
    if (m_positionOf.empty()) {
        m_positionOf.assign(m_order.size(), 0);
        for (int pos = 0; pos < int(m_order.size()); ++pos)
            m_positionOf[std::size_t(m_order[std::size_t(pos)])] = pos;
    }
    m_position = m_positionOf[std::size_t(bookmark)];
    m_atEnd = false;
}

Value TClientDataSet::valueAt(int index) const {
    requireOpen();
    if (index < 0 || index >= int(m_fields.size()))
        fail(QStringLiteral("Field index %1 out of range").arg(index));
    if (m_order.empty())
        return {};
    return m_records[std::size_t(m_order[std::size_t(m_position)])][std::size_t(index)];
}

void TClientDataSet::applyOrder() {
    const int current = m_order.empty() ? -1 : m_order[std::size_t(m_position)];
    std::vector<int> keyFields;
    for (const QString& part : m_indexFieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        keyFields.push_back(fieldIndex(part.trimmed()));

    std::vector<int> order(m_records.size());
    std::iota(order.begin(), order.end(), 0);
    if (!keyFields.empty()) {
        QCollator collator(packetLocale(m_lcid).locale);
        collator.setCaseSensitivity(Qt::CaseSensitive);
        // One sort key per text value, computed once per order change.
        std::vector<std::vector<std::optional<QCollatorSortKey>>> sortKeys(keyFields.size());
        for (std::size_t k = 0; k < keyFields.size(); ++k) {
            sortKeys[k].reserve(m_records.size());
            for (const Record& r : m_records) {
                const Value& v = r[std::size_t(keyFields[k])];
                sortKeys[k].push_back(v.kind() == Value::Kind::Text
                                          ? std::optional<QCollatorSortKey>(collator.sortKey(v.textValue()))
                                          : std::nullopt);
            }
        }
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            for (std::size_t k = 0; k < keyFields.size(); ++k) {
                const Value& va = m_records[std::size_t(a)][std::size_t(keyFields[k])];
                const Value& vb = m_records[std::size_t(b)][std::size_t(keyFields[k])];
                if (va.isNull() || vb.isNull()) {
                    if (va.isNull() != vb.isNull())
                        return va.isNull();
                    continue;
                }
                const auto& ka = sortKeys[k][std::size_t(a)];
                const auto& kb = sortKeys[k][std::size_t(b)];
                const int c = ka && kb ? ka->compare(*kb) : compareValues(va, vb);
                if (c != 0)
                    return c < 0;
            }
            return false;
        });
    }
    m_order = std::move(order);
    m_lookup.clear();
    m_positionOf.clear();
    m_position = 0;
    if (current >= 0)
        m_position = int(std::find(m_order.begin(), m_order.end(), current) - m_order.begin());
    m_atEnd = m_order.empty();
}

QString TClientDataSet::lookupKey(const FieldDef& field, const Value& value) {
    if (value.isNull())
        return QStringLiteral("null:");
    if (isNumericType(field.type)) {
        const std::optional<Number> n = numberOf(value);
        if (!n)
            return {};
        switch (n->kind) {
            case Number::Kind::Signed: return QStringLiteral("n:") + QString::number(n->s);
            case Number::Kind::Unsigned: return QStringLiteral("n:") + QString::number(n->u);
            case Number::Kind::Float:
                if (std::trunc(n->f) == n->f && std::fabs(n->f) < 9.0e18)
                    return QStringLiteral("n:") + QString::number(qint64(n->f));
                return QStringLiteral("n:") + QString::number(n->f, 'g', 17);
        }
    }
    return QStringLiteral("t:") + fullCaseFolded(value.toText());
}

const QHash<QString, int>& TClientDataSet::lookupIndex(int field) {
    auto it = m_lookup.find(field);
    if (it != m_lookup.end())
        return it->second;
    QHash<QString, int> index;
    index.reserve(qsizetype(m_order.size()));
    const FieldDef& def = m_fields[std::size_t(field)];
    for (int pos = 0; pos < int(m_order.size()); ++pos) {
        const QString key = lookupKey(def, m_records[std::size_t(m_order[std::size_t(pos)])][std::size_t(field)]);
        if (!key.isEmpty() && !index.contains(key))
            index.insert(key, pos);
    }
    return m_lookup.emplace(field, std::move(index)).first->second;
}

bool TClientDataSet::FindValue(const QString& fieldName, const Value& value) {
    requireOpen();
    const int field = fieldIndex(fieldName);
    const FieldDef& def = m_fields[std::size_t(field)];
    const QString key = lookupKey(def, value);
    if (key.isEmpty())
        return false;
    const QHash<QString, int>& index = lookupIndex(field);
    const auto it = index.constFind(key);
    if (it == index.cend())
        return false;
    m_position = it.value();
    m_atEnd = false;
    return true;
}

}  // namespace kavinto
