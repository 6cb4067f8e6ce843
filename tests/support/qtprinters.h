#pragma once

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

// Texts instead of UTF-16 code units in failure messages.
namespace testing::internal {
template <>
class UniversalPrinter<QString> {
public:
    static void Print(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
};
template <>
class UniversalPrinter<QStringList> {
public:
    static void Print(const QStringList& l, std::ostream* os) {
        *os << '[' << l.join(QStringLiteral("|")).toStdString() << ']';
    }
};
}  // namespace testing::internal
