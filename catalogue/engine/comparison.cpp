#include "comparison.h"

#include "casefold.h"

#include <QHash>

#include <cmath>

namespace kavinto {

bool Value::equals(const Value& other) const {
    if (isNull() || other.isNull())
        return isNull() && other.isNull();
    if (kind() == Kind::Text && other.kind() == Kind::Text)
        return textValue() == other.textValue();
    const std::optional<Number> a = numberOf(*this);
    const std::optional<Number> b = numberOf(other);
    if (a && b) {
        // Not a number equals nothing, not even itself.
        const auto isNaN = [](const Number& n) {
            return n.kind == Number::Kind::Float && std::isnan(n.f);
        };
        return !isNaN(*a) && !isNaN(*b) && compareNumbers(*a, *b) == 0;
    }
    if (kind() == other.kind())
        return m_value == other.m_value;
    return false;
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
    if (m_way == Way::Integer)
        return m_column.integerOf(record) == m_integer;  // null equals no number
    return m_column.textOf(record) == QStringView(m_value.textValue());
}

quint32 FindKey::hash() const {
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

std::optional<FindKey> findKeyOf(const FieldDef& field, const Value& value) {
    FindKey k;
    if (value.isNull())
        return k;
    if (isNumericType(field.type)) {
        const std::optional<Number> n = numberOf(value);
        if (!n)
            return std::nullopt;
        switch (n->kind) {
            case Number::Kind::Signed:
                k.tag = FindKey::Tag::Integer;
                k.integer = n->s;
                return k;
            case Number::Kind::Unsigned:
                k.tag = FindKey::Tag::Unsigned;
                k.unsignedInteger = n->u;
                return k;
            case Number::Kind::Float:
                if (std::trunc(n->f) == n->f && std::fabs(n->f) < 9.0e18) {
                    k.tag = FindKey::Tag::Integer;
                    k.integer = qint64(n->f);
                } else {
                    k.tag = FindKey::Tag::Float;
                    k.real = n->f;
                }
                return k;
        }
    }
    k.tag = FindKey::Tag::Text;
    k.text = fullCaseFolded(value.toText());
    return k;
}

bool orderedBefore(const Value& a, const Value& b) {
    const std::optional<Number> na = numberOf(a);
    const std::optional<Number> nb = numberOf(b);
    if (na && nb)
        return compareNumbers(*na, *nb) < 0;
    if (a.kind() == Value::Kind::Bytes && b.kind() == Value::Kind::Bytes)
        return a.bytesValue() < b.bytesValue();
    return a.toText() < b.toText();
}

}  // namespace kavinto
