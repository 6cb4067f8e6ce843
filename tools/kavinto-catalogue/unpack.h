#pragma once

#include <QString>
#include <QStringList>

namespace kavinto {

// Writes a catalogue folder's two tables back as the maintainers' CSV files,
// FOLDER/methods.csv and FOLDER/functions.csv: UTF-8 with a BOM, ";"
// separated, fields quoted where needed, the catalogue's columns first and
// any further fields after them, in the tables' own record order. What pack
// makes of these files again dumps as the original tables do, where the
// tables have the catalogue's own field types. Refuses to replace existing
// files unless `overwrite`; nothing is written when anything is refused.
// Returns the notes for the maintainer: further fields kept, fields missing,
// fields pack writes with another type, values pack would refuse.
QStringList unpackCatalogue(const QString& dir, const QString& outDir, bool overwrite);

}  // namespace kavinto
