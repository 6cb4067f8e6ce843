#pragma once

#include <QString>
#include <QStringList>

namespace kavinto {

// Loads DIR's two catalogue files as the program does and lists every
// problem a user would meet: a file that is missing or does not load, a
// missing field, a null or duplicate id, a null, empty or "-" name, a name
// that occurs twice, a null flag, a function number outside 1-17, a flagged
// function that the functions table lacks or names emptily, a document
// missing from DIR/pdf/. Empty when the catalogue is clean.
QStringList checkCatalogue(const QString& dir);

}  // namespace kavinto
