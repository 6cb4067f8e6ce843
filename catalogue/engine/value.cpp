#include "value.h"

#include "error.h"

#include <QDate>

#include <cmath>
#include <limits>

namespace kavinto {
namespace {

constexpr qint64 kMsecsPerDay = 86400000;

const char* variantTypeName(Value::Kind kind) {
    switch (kind) {
        case Value::Kind::Null:
            return "Null";
        case Value::Kind::Integer:
            return "Int64";
        case Value::Kind::Unsigned:
            return "UInt64";
        case Value::Kind::Float:
            return "Double";
        case Value::Kind::Boolean:
            return "Boolean";
        case Value::Kind::Text:
            return "String";
        case Value::Kind::Date:
        case Value::Kind::Time:
        case Value::Kind::Timestamp:
            return "Date";
        case Value::Kind::Decimal:
            return "FMTBcdVariantType";
        case Value::Kind::Bytes:
            return "Array Byte";
    }
    return "Unknown";
}

[[noreturn]] void conversionError(Value::Kind from, const char* to) {
    throw Error::conversion(QLatin1String(variantTypeName(from)), QLatin1String(to));
}

QString pad(qint64 v, int width) {
    return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
}

}  // namespace

Value Value::unsignedInteger(quint64 v) {
    if (v <= static_cast<quint64>(std::numeric_limits<qint64>::max()))
        return integer(static_cast<qint64>(v));
    return Value(Storage(v));
}

QString Value::toText() const {
    switch (kind()) {
        case Kind::Null:
            conversionError(kind(), "String");
        case Kind::Integer:
            return QString::number(integerValue());
        case Kind::Unsigned:
            return QString::number(unsignedValue());
        case Kind::Float:
            return QString::number(floatValue(), 'g', 15);
        case Kind::Boolean:
            return booleanValue() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case Kind::Text:
            return textValue();
        case Kind::Date:
            return formatDate(dateValue());
        case Kind::Time:
            return formatTime(timeValue());
        case Kind::Timestamp:
            return formatTimestamp(timestampValue());
        case Kind::Decimal:
            return std::get<Decimal>(m_value).text;
        case Kind::Bytes:
            return QString::fromLatin1(bytesValue().toBase64());
    }
    return {};
}

qint64 Value::toInteger() const {
    if (kind() == Kind::Integer)
        return integerValue();
    if (kind() == Kind::Boolean)
        return booleanValue() ? -1 : 0;
    if (kind() == Kind::Text || kind() == Kind::Float || kind() == Kind::Decimal) {
        const std::optional<Number> n =
            kind() == Kind::Text ? parseNumber(textValue()) : numberOf(*this);
        if (n && n->kind == Number::Kind::Signed)
            return n->s;
        if (n && n->kind == Number::Kind::Float && std::isfinite(n->f) && n->f >= -9.2e18 &&
            n->f <= 9.2e18)
            return std::llround(n->f);
    }
    conversionError(kind(), "Integer");
}

std::optional<Number> numberOf(const Value& v) {
    Number n;
    switch (v.kind()) {
        case Value::Kind::Integer:
            n.s = v.integerValue();
            return n;
        case Value::Kind::Unsigned:
            n.kind = Number::Kind::Unsigned;
            n.u = v.unsignedValue();
            return n;
        case Value::Kind::Float:
            n.kind = Number::Kind::Float;
            n.f = v.floatValue();
            return n;
        case Value::Kind::Boolean:
            n.s = v.booleanValue() ? 1 : 0;
            return n;
        case Value::Kind::Text:
        case Value::Kind::Decimal:
            return parseNumber(v.toText());
        default:
            return std::nullopt;
    }
}

std::optional<Number> parseNumber(const QString& text) {
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace())
        return std::nullopt;
    bool ok = false;
    Number n;
    n.s = text.toLongLong(&ok);
    if (ok)
        return n;
    n.u = text.toULongLong(&ok);
    if (ok && !text.startsWith(QLatin1Char('-')) && !text.startsWith(QLatin1Char('+'))) {
        n.kind = Number::Kind::Unsigned;
        return n;
    }
    // QString::toDouble is locale-independent ("C"); reject its special words.
    n.f = text.toDouble(&ok);
    if (!ok || !std::isfinite(n.f))
        return std::nullopt;
    n.kind = Number::Kind::Float;
    return n;
}

int compareNumbers(const Number& a, const Number& b) {
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    using K = Number::Kind;
    if (a.kind == K::Float || b.kind == K::Float) {
        auto asDouble = [](const Number& n) {
            return n.kind == K::Float ? n.f
                                      : (n.kind == K::Signed ? static_cast<double>(n.s)
                                                             : static_cast<double>(n.u));
        };
        return cmp(asDouble(a), asDouble(b));
    }
    if (a.kind == K::Signed && b.kind == K::Signed)
        return cmp(a.s, b.s);
    if (a.kind == K::Unsigned && b.kind == K::Unsigned)
        return cmp(a.u, b.u);
    // One signed, one unsigned above the signed range.
    return a.kind == K::Signed ? -1 : 1;
}

namespace {
// Day 1 (0001-01-01) is Julian day 1721426. The packets count years as
// astronomers do, with a year 0 before year 1; QDate has none.
constexpr qint64 kJulianDayOfDayZero = 1721425;
}  // namespace

qint32 dayNumber(int year, int month, int day) {
    // From the first of the month, so that a day past the month's end runs on into the next.
    const QDate first(year > 0 ? year : year - 1, month, 1);
    return static_cast<qint32>(first.toJulianDay() - kJulianDayOfDayZero + day - 1);
}

CivilDate civilFromDayNumber(qint32 dayNo) {
    const QDate date = QDate::fromJulianDay(qint64(dayNo) + kJulianDayOfDayZero);
    return CivilDate{date.year() > 0 ? date.year() : date.year() + 1, date.month(), date.day()};
}

QString formatDate(Date d) {
    const CivilDate c = civilFromDayNumber(d.day);
    return QStringLiteral("%1-%2-%3").arg(pad(c.year, 4), pad(c.month, 2), pad(c.day, 2));
}

QString formatTime(Time t) {
    const qint64 ms = t.msecs;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(pad(ms / 3600000, 2), pad(ms / 60000 % 60, 2), pad(ms / 1000 % 60, 2),
             pad(ms % 1000, 3));
}

QString formatTimestamp(Timestamp t) {
    if (!std::isfinite(t.msecs) || std::fabs(t.msecs) > 1.8e17)
        return QString::number(t.msecs, 'g', 15);
    const qint64 total = std::llround(t.msecs);
    qint64 day = total / kMsecsPerDay;
    qint64 ms = total % kMsecsPerDay;
    if (ms < 0) {
        ms += kMsecsPerDay;
        --day;
    }
    return formatDate(Date{static_cast<qint32>(day)}) + QLatin1Char('T') +
           formatTime(Time{static_cast<qint32>(ms)});
}

}  // namespace kavinto
