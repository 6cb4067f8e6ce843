#include "value.h"
#include "casefold.h"
#include "error.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kavinto;

TEST(Value, TextAndIntegerConversions) {
    EXPECT_EQ(Value::integer(-42).toText(), QStringLiteral("-42"));
    EXPECT_EQ(Value::unsignedInteger(18446744073709551615ull).toText(),
              QStringLiteral("18446744073709551615"));
    EXPECT_EQ(Value::floating(90.15748031496062).toText(), QStringLiteral("90.1574803149606"));
    EXPECT_EQ(Value::boolean(true).toText(), QStringLiteral("TRUE"));
    EXPECT_EQ(Value::date(Date{dayNumber(2004, 2, 29)}).toText(), QStringLiteral("2004-02-29"));
    EXPECT_EQ(Value::time(Time{49507250}).toText(), QStringLiteral("13:45:07.250"));
    EXPECT_EQ(Value::timestamp(Timestamp{double(dayNumber(1999, 12, 31)) * 86400000.0 + 86399999})
                  .toText(),
              QStringLiteral("1999-12-31T23:59:59.999"));
    EXPECT_EQ(Value::text(QStringLiteral("17")).toInteger(), 17);
    try {
        Value().toText();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    }
    try {
        Value().toInteger();
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Could not convert variant of type (Null) into type (Integer)"));
    }
}

TEST(Value, DayNumbersRoundTrip) {
    EXPECT_EQ(dayNumber(1, 1, 1), 1);
    EXPECT_EQ(dayNumber(1899, 12, 30), 693594);
    EXPECT_EQ(formatDate(Date{0}), QStringLiteral("0000-12-31"));
    for (qint32 d : {-800000, 0, 1, 59, 60, 693594, 731640, 3652059}) {
        const CivilDate c = civilFromDayNumber(d);
        EXPECT_EQ(dayNumber(c.year, c.month, c.day), d);
    }
}

TEST(Value, ComparisonRules) {
    const Value one = Value::integer(1);
    EXPECT_TRUE(one.equals(Value::text(QStringLiteral("1"))));
    EXPECT_TRUE(Value::text(QStringLiteral("1")).equals(Value::floating(1.0)));
    EXPECT_FALSE(one.equals(Value::text(QStringLiteral(" 1"))));
    EXPECT_FALSE(one.equals(Value::text(QStringLiteral("egy"))));
    EXPECT_FALSE(Value::text(QStringLiteral("a")).equals(Value::text(QStringLiteral("A"))));
    EXPECT_FALSE(Value::text(QStringLiteral("1 ")).equals(Value::text(QStringLiteral("1"))));
    EXPECT_TRUE(Value().equals(Value()));
    EXPECT_FALSE(Value().equals(Value::text(QString())));
    EXPECT_FALSE(Value::text(QString()).equals(Value()));
    EXPECT_FALSE(Value::unsignedInteger(18446744073709551615ull).equals(Value::integer(-1)));
    const Value nan = Value::floating(std::nan(""));
    EXPECT_FALSE(nan.equals(nan));
    EXPECT_FALSE(nan.equals(Value::text(QStringLiteral("1"))));
    EXPECT_FALSE(Value::integer(0).equals(nan));
}

TEST(CaseFold, FullFolding) {
    EXPECT_EQ(fullCaseFolded(QStringLiteral("ŐSZ")), fullCaseFolded(QStringLiteral("ősz")));
    EXPECT_EQ(fullCaseFolded(QStringLiteral("STRASSE")), fullCaseFolded(QStringLiteral("straße")));
    EXPECT_EQ(fullCaseFolded(QStringLiteral("ﬁnom")), QStringLiteral("finom"));
    EXPECT_NE(fullCaseFolded(QStringLiteral("Ötlet")), fullCaseFolded(QStringLiteral("Otlet")));
}
