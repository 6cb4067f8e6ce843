#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace kavinto {

// A CSV file as a spreadsheet exports it: UTF-8 (with or without BOM) or
// windows-1250, comma- or semicolon-separated (whichever the header line
// uses), fields optionally quoted with "" for a quote inside.
struct CsvTable {
    struct Row {
        int line = 0;  // where the row starts, counted from 1
        QStringList cells;
    };
    QString fileName;
    QStringList header;
    std::vector<Row> rows;  // blank lines skipped

    // Column index by header name (trimmed, case-insensitive), or -1. A
    // header "name[N]" names the column "name" and declares its width N.
    int column(const QString& name) const;
    // The width the header of a column declares, or 0.
    int declaredWidth(int column) const;
};

// Throws an Error "FILE: line N: ..." for an unreadable file, text that is
// neither UTF-8 nor windows-1250, or an unterminated quote.
CsvTable readCsvFile(const QString& path);
CsvTable parseCsv(const QByteArray& bytes, const QString& fileName);

// A field as written to a CSV file: in double quotes, its own doubled, when
// it holds a quote, a line break or one of `separators`.
QString csvField(const QString& text, QStringView separators);

}  // namespace kavinto
