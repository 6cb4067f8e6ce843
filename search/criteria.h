#pragma once

#include "records.h"

#include <QString>

#include <optional>

namespace kavinto {

inline const QString kNoCriterionMessage =
    QStringLiteral("Adjon meg legalább egy keresési feltételt!");
inline const QString kOrderMessage = QStringLiteral("Adja meg sorrendben a funkciókat!");

// The refusal message for the selection, or nothing when it may be searched:
// no criterion at all, or a second or third function without a method or a
// first function. Comparisons with "-" are exact.
std::optional<QString> refusalOf(const select& selection);

}  // namespace kavinto
