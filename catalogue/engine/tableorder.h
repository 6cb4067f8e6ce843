#pragma once

#include "table.h"

#include <QLocale>

#include <vector>

namespace kavinto {

// Record numbers in ascending order of one field: nulls first, texts by
// the collation of the locale with regard to case, numbers by value, other
// kinds by their natural order; records with equal keys keep their order.
std::vector<quint32> fieldOrder(const Column& column, const QLocale& locale);

// Of some records of a text column, the one that comes first in the
// column's order, without computing the whole order.
quint32 firstInFieldOrder(const Column& column, const QLocale& locale,
                          const std::vector<quint32>& records);

// The same for several fields, the first deciding first, given the order of
// each of them.
std::vector<quint32> combinedOrder(const Table& table, const std::vector<int>& fields,
                                   const std::vector<const std::vector<quint32>*>& orders,
                                   const QLocale& locale);

}  // namespace kavinto
