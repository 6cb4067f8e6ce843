#include "equalityindex.h"

#include "casefold.h"
#include "tableorder.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kavinto {
namespace {

// What two values that FindValue finds equal have in common.
struct Key {
    enum class Tag { Null, Integer, Unsigned, Float, Text } tag = Tag::Null;
    qint64 integer = 0;
    quint64 unsignedInteger = 0;
    double real = 0;
    QString text;

    friend bool operator==(const Key& a, const Key& b) {
        if (a.tag != b.tag)
            return false;
        switch (a.tag) {
            case Tag::Null:
                return true;
            case Tag::Integer:
                return a.integer == b.integer;
            case Tag::Unsigned:
                return a.unsignedInteger == b.unsignedInteger;
            case Tag::Float:
                return a.real == b.real;  // not a number equals nothing
            case Tag::Text:
                return a.text == b.text;
        }
        return false;
    }
    quint32 hash() const {
        switch (tag) {
            case Tag::Null:
                return 0x9E3779B9u;
            case Tag::Integer:
                return quint32(qHash(integer, 1));
            case Tag::Unsigned:
                return quint32(qHash(unsignedInteger, 2));
            case Tag::Float:
                return std::isnan(real) ? 0x7FF8u : quint32(qHash(real, 3));
            case Tag::Text:
                return unitsHash(text);
        }
        return 0;
    }
};

// Nothing where the value cannot equal any value of the field (a text that
// is no number, for a numeric field).
std::optional<Key> keyOf(const FieldDef& field, const Value& value) {
    Key k;
    if (value.isNull())
        return k;
    if (isNumericType(field.type)) {
        const std::optional<Number> n = numberOf(value);
        if (!n)
            return std::nullopt;
        switch (n->kind) {
            case Number::Kind::Signed:
                k.tag = Key::Tag::Integer;
                k.integer = n->s;
                return k;
            case Number::Kind::Unsigned:
                k.tag = Key::Tag::Unsigned;
                k.unsignedInteger = n->u;
                return k;
            case Number::Kind::Float:
                if (std::trunc(n->f) == n->f && std::fabs(n->f) < 9.0e18) {
                    k.tag = Key::Tag::Integer;
                    k.integer = qint64(n->f);
                } else {
                    k.tag = Key::Tag::Float;
                    k.real = n->f;
                }
                return k;
        }
    }
    k.tag = Key::Tag::Text;
    k.text = fullCaseFolded(value.toText());
    return k;
}

}  // namespace

EqualityIndex::EqualityIndex(const Column& column) : m_column(column) {
    const std::size_t n = column.recordCount();
    const bool texts = column.valueKind() == Value::Kind::Text;
    m_entries.reserve(n);
    for (std::size_t r = 0; r < n; ++r) {
        quint32 h = 0;
        const qint64 slot = column.slot(r);
        if (texts && slot >= 0) {
            h = foldedHash(column.textAt(std::size_t(slot)));
        } else {
            const std::optional<Key> key = keyOf(column.def(), column.value(r));
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
    const std::optional<Key> key = keyOf(m_column.def(), value);
    if (!key)
        return found;
    const quint64 h = quint64(key->hash()) << 32;
    for (auto it = std::lower_bound(m_entries.begin(), m_entries.end(), h);
         it != m_entries.end() && (*it & ~quint64(0xFFFFFFFF)) == h; ++it) {
        const auto record = quint32(*it & 0xFFFFFFFF);
        if (keyOf(m_column.def(), m_column.value(record)) == key)
            found.push_back(record);
    }
    return found;
}

EqualsTest::EqualsTest(const Column& column, const Value& value)
    : m_column(column), m_value(value) {
    const bool integers = (column.storage() == Column::Storage::Int32 ||
                           column.storage() == Column::Storage::Int64) &&
                          column.valueKind() == Value::Kind::Integer &&
                          column.def().type != FieldType::UInt64;
    const std::optional<Number> number = value.isNull() ? std::nullopt : numberOf(value);
    if (integers && number && number->kind == Number::Kind::Signed) {
        m_way = Way::Integer;
        m_integer = number->s;
    } else if (column.valueKind() == Value::Kind::Text && value.kind() == Value::Kind::Text) {
        m_way = Way::Text;
    }
}

bool EqualsTest::operator()(std::size_t record) const {
    if (m_way == Way::General)
        return m_column.value(record).equals(m_value);
    const qint64 slot = m_column.slot(record);
    if (slot < 0)
        return false;
    if (m_way == Way::Integer)
        return m_column.integerAt(std::size_t(slot)) == m_integer;
    return m_column.textAt(std::size_t(slot)) == m_value.textValue();
}

}  // namespace kavinto
