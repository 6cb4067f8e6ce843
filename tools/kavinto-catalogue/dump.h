#pragma once

#include <QString>
#include <QTextStream>

namespace kavinto {

class TClientDataSet;

enum class DumpFormat { Csv, Json };

// Loads a catalogue file, or a bare binary or XML packet, into a table the
// way the program does. Throws the loader's Error unchanged.
void loadTableFile(TClientDataSet& table, const QString& path);

// The table's fields with their types, then every record in packet order.
// CSV: a field list "field,type,width,subtype,attributes", a blank line, then
// the records with a header line; JSON: {"lcid", "fields", "records"}, each record an array of
// values in field order, null for a null value.
QString dumpTable(const TClientDataSet& table, DumpFormat format);

}  // namespace kavinto
