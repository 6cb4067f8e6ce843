#pragma once

#include <QString>

namespace kavinto {

// Full Unicode case folding, ICU's: it also folds the characters that fold to
// several ("ß" -> "ss"), so that texts compared after folding match as a
// case-insensitive whole-text comparison should.
QString fullCaseFolded(const QString& text);

// A hash of the UTF-16 units of a text, and of the full case folding of a
// text, computed without making the folded text: foldedHash(t) ==
// unitsHash(fullCaseFolded(t)).
quint32 unitsHash(QStringView text);
quint32 foldedHash(QStringView text);

}  // namespace kavinto
