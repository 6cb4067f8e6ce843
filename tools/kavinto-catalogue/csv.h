#pragma once

#include <QString>
#include <QStringDecoder>
#include <QStringList>

#include <vector>

namespace kavinto {

// A CSV file as a spreadsheet exports it: UTF-8 or UTF-16 with a byte order
// mark, UTF-8 without one, or windows-1250; comma-, semicolon- or
// tab-separated (whichever the header line uses most), fields optionally
// quoted with "" for a quote inside.
struct CsvTable {
    struct Row {
        int line = 0;  // the line where the row starts, counted from 1
        int row = 0;   // the row as a spreadsheet numbers it: the header is row 1
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

// The same file read one row at a time, each cell decoded alone, so that a
// large file is never held as rows or as one decoded text. The encoding and
// the separator are decided, and the header read, at construction.
class CsvReader {
public:
    CsvReader(QByteArray bytes, QString fileName);
    static CsvReader open(const QString& path);

    const QString& fileName() const { return m_fileName; }
    // "UTF-8", "UTF-16 LE", "UTF-16 BE" or "windows-1250".
    const QString& encoding() const { return m_encoding; }
    char separator() const { return m_separator; }
    const QStringList& header() const { return m_header; }
    int column(const QString& name) const;
    int declaredWidth(int column) const;

    // The next row with a cell that is not empty; false at the end.
    bool next(CsvTable::Row& row);
    // Back to the first row after the header.
    void rewind();
    // Where the next row starts, and back there: rows read again out of order.
    qsizetype position() const { return m_pos; }
    void seek(qsizetype position) { m_pos = position; }

private:
    bool readRow(CsvTable::Row& row);

    void decideEncoding();

    QByteArray m_bytes;
    QString m_fileName;
    QString m_encoding;
    bool m_utf8 = true;
    // A cell's own leading U+FEFF is kept: only the file's was a byte order mark.
    QStringDecoder m_utf8Decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                           QStringDecoder::Flag::ConvertInitialBom};
    QStringDecoder m_ansi{"windows-1250", QStringDecoder::Flag::Stateless};
    QByteArray m_cell;  // a quoted cell's bytes
    char m_separator = ',';
    QStringList m_header;
    qsizetype m_pos = 0;
    int m_line = 1;
    int m_row = 1;
    qsizetype m_bodyPos = 0;
    int m_bodyLine = 1;
    int m_bodyRow = 1;
};

// Throws an Error "FILE: line N: ..." for an unreadable file, text that is
// neither UTF-8 nor windows-1250, UTF-8 mixed with another encoding, or an
// unterminated quote.
CsvTable readCsvFile(const QString& path);
CsvTable parseCsv(const QByteArray& bytes, const QString& fileName);

// A field as written to a CSV file: in double quotes, its own doubled, when
// it holds a quote, a line break or one of `separators`.
QString csvField(const QString& text, QStringView separators);

}  // namespace kavinto
