#include "equalityindex.h"

#include "casefold.h"

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
            case Tag::Null: return true;
            case Tag::Integer: return a.integer == b.integer;
            case Tag::Unsigned: return a.unsignedInteger == b.unsignedInteger;
            case Tag::Float: return (std::isnan(a.real) && std::isnan(b.real)) || a.real == b.real;
            case Tag::Text: return a.text == b.text;
        }
        return false;
    }
    quint32 hash() const {
        switch (tag) {
            case Tag::Null: return 0x9E3779B9u;
            case Tag::Integer: return quint32(qHash(integer, 1));
            case Tag::Unsigned: return quint32(qHash(unsignedInteger, 2));
            case Tag::Float: return std::isnan(real) ? 0x7FF8u : quint32(qHash(real, 3));
            case Tag::Text: return quint32(qHash(text, 4));
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
    std::size_t capacity = 16;
    while (capacity < 2 * n)
        capacity *= 2;
    m_slots.assign(capacity, 0);
    m_hashes.assign(capacity, 0);
    m_mask = quint32(capacity - 1);
    for (std::size_t r = 0; r < n; ++r) {
        const std::optional<Key> key = keyOf(column.def(), column.value(r));
        if (!key)
            continue;
        const quint32 h = key->hash();
        quint32 i = h & m_mask;
        while (m_slots[i] != 0)
            i = (i + 1) & m_mask;
        m_slots[i] = quint32(r + 1);
        m_hashes[i] = h;
    }
}

std::vector<quint32> EqualityIndex::find(const Value& value) const {
    std::vector<quint32> found;
    const std::optional<Key> key = keyOf(m_column.def(), value);
    if (!key)
        return found;
    const quint32 h = key->hash();
    for (quint32 i = h & m_mask; m_slots[i] != 0; i = (i + 1) & m_mask) {
        if (m_hashes[i] != h)
            continue;
        const quint32 record = m_slots[i] - 1;
        if (keyOf(m_column.def(), m_column.value(record)) == key)
            found.push_back(record);
    }
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace kavinto
