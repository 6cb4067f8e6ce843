#pragma once

#include <QString>

namespace kavinto {

// Full Unicode case folding: QString::toCaseFolded() plus the foldings that
// expand to several characters ("ß" -> "ss"), so that texts compared after
// folding match as a case-insensitive whole-text comparison should.
QString fullCaseFolded(const QString& text);

}  // namespace kavinto
