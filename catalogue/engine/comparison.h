#pragma once

#include "column.h"
#include "value.h"

#include <optional>

namespace kavinto {

// How the tables compare values. Three relations, each defined here alone:
//
// - Exact equality (Value::equals, and EqualsTest over a column): null only
//   with null; two texts by their characters, letter case included; two
//   values that both read as numbers by value, a text that is no number
//   unequal, not-a-number equal to nothing; otherwise values of one kind by
//   value. Filters and flag tests use it, and ranks in an order of values
//   that are not texts.
// - FindValue's equality (FindKey): by the field's type. In a numeric field,
//   numbers by value whatever their kind, and a text that is no number finds
//   nothing; in any other field texts whole, by full case folding.
// - Order of values (orderedBefore): numbers by value, bytes by their bytes,
//   anything else by its text. A field of texts is ordered by collation
//   instead (collation.h).

// Whether a record's value equals a given value exactly, without making a
// Value for the common kinds.
class EqualsTest {
public:
    EqualsTest(const Column& column, const Value& value);
    bool operator()(std::size_t record) const;

private:
    enum class Way { Integer, Text, General } m_way = Way::General;
    const Column& m_column;
    Value m_value;
    qint64 m_integer = 0;
};

// What two values that FindValue finds equal have in common, and a hash of it.
struct FindKey {
    enum class Tag { Null, Integer, Unsigned, Float, Text } tag = Tag::Null;
    qint64 integer = 0;
    quint64 unsignedInteger = 0;
    double real = 0;
    QString text;

    friend bool operator==(const FindKey& a, const FindKey& b) {
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
    quint32 hash() const;
};

// The key of a value looked up in, or held by, a field; nothing where the
// value cannot equal any value of the field (a text that is no number, for a
// numeric field).
std::optional<FindKey> findKeyOf(const FieldDef& field, const Value& value);

// Whether a comes before b in the order of values.
bool orderedBefore(const Value& a, const Value& b);

}  // namespace kavinto
