#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

namespace kavinto {

// Day number as in the packets: day 1 is 0001-01-01 (proleptic Gregorian).
struct Date {
    qint32 day = 0;
    friend bool operator==(Date a, Date b) { return a.day == b.day; }
};
// Milliseconds since midnight.
struct Time {
    qint32 msecs = 0;
    friend bool operator==(Time a, Time b) { return a.msecs == b.msecs; }
};
// Day number x 86,400,000 + milliseconds of the day.
struct Timestamp {
    double msecs = 0;
    friend bool operator==(Timestamp a, Timestamp b) { return a.msecs == b.msecs; }
};
// An exact decimal (BCD field), kept as its canonical text.
struct Decimal {
    QString text;
    friend bool operator==(const Decimal& a, const Decimal& b) { return a.text == b.text; }
};

// One field value of a table record.
//
// Canonical text forms (toText): integers in decimal; floats with at most 15
// significant digits (QString::number(v, 'g', 15)); booleans "TRUE"/"FALSE";
// dates "YYYY-MM-DD"; times "HH:MM:SS.mmm"; timestamps "YYYY-MM-DDTHH:MM:SS.mmm";
// decimals as plain decimal text without superfluous zeros; binary blobs in
// standard base64; texts and memos as they are.
class Value {
public:
    enum class Kind {
        Null,
        Integer,
        Unsigned,
        Float,
        Boolean,
        Text,
        Date,
        Time,
        Timestamp,
        Decimal,
        Bytes
    };

    Value() = default;
    static Value integer(qint64 v) { return Value(Storage(v)); }
    // Unsigned values that fit a qint64 are stored as integers.
    static Value unsignedInteger(quint64 v);
    static Value floating(double v) { return Value(Storage(v)); }
    static Value boolean(bool v) { return Value(Storage(v)); }
    static Value text(QString v) { return Value(Storage(std::move(v))); }
    static Value date(Date v) { return Value(Storage(v)); }
    static Value time(Time v) { return Value(Storage(v)); }
    static Value timestamp(Timestamp v) { return Value(Storage(v)); }
    static Value decimal(Decimal v) { return Value(Storage(std::move(v))); }
    static Value bytes(QByteArray v) { return Value(Storage(std::move(v))); }

    Kind kind() const { return static_cast<Kind>(m_value.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    // Value as text; a null value throws "Could not convert variant of type
    // (Null) into type (String)".
    QString toText() const;
    // Value as integer; throws the same conversion error, with "(Integer)", for
    // a null value and for anything that is no whole number.
    qint64 toInteger() const;

    // Exact equality (comparison.h, where it is defined beside the table's
    // other comparisons). Never throws.
    bool equals(const Value& other) const;

    // Getters for callers that know the kind.
    const QString& textValue() const { return std::get<QString>(m_value); }
    const QByteArray& bytesValue() const { return std::get<QByteArray>(m_value); }
    qint64 integerValue() const { return std::get<qint64>(m_value); }
    quint64 unsignedValue() const { return std::get<quint64>(m_value); }
    double floatValue() const { return std::get<double>(m_value); }
    bool booleanValue() const { return std::get<bool>(m_value); }
    Date dateValue() const { return std::get<Date>(m_value); }
    Time timeValue() const { return std::get<Time>(m_value); }
    Timestamp timestampValue() const { return std::get<Timestamp>(m_value); }

    friend bool operator==(const Value& a, const Value& b) { return a.m_value == b.m_value; }
    friend bool operator!=(const Value& a, const Value& b) { return !(a == b); }

private:
    // The order of the alternatives is the order of Kind.
    using Storage = std::variant<std::monostate, qint64, quint64, double, bool, QString, Date, Time,
                                 Timestamp, Decimal, QByteArray>;
    explicit Value(Storage v) : m_value(std::move(v)) {}
    Storage m_value;
};

// A number read from a value or from a text, for comparisons across kinds.
struct Number {
    enum class Kind { Signed, Unsigned, Float } kind = Kind::Signed;
    qint64 s = 0;
    quint64 u = 0;
    double f = 0;
};
std::optional<Number> numberOf(const Value& v);
// Decimal integer or decimal fraction with "." and an optional exponent; no spaces.
std::optional<Number> parseNumber(const QString& text);
// -1, 0, 1; floats compare as doubles, whole numbers exactly.
int compareNumbers(const Number& a, const Number& b);

QString formatDate(Date d);
QString formatTime(Time t);
QString formatTimestamp(Timestamp t);
// Calendar conversions for the packet day numbers.
qint32 dayNumber(int year, int month, int day);
struct CivilDate {
    int year = 1;
    int month = 1;
    int day = 1;
};
CivilDate civilFromDayNumber(qint32 day);

}  // namespace kavinto
