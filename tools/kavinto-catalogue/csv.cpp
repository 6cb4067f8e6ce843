#include "csv.h"

#include "error.h"
#include "sharedfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace kavinto {
namespace {

// Whether the bytes decode without error, decoded in pieces so that no
// whole decoded copy is made; a piece never ends inside a UTF-8 sequence.
bool decodesCleanly(QByteArrayView bytes, const char* encoding) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    constexpr qsizetype kPiece = 1 << 16;
    for (qsizetype at = 0, end = 0; at < bytes.size() && !decoder.hasError(); at = end) {
        end = std::min(at + kPiece, bytes.size());
        for (int back = 0; back < 3 && end < bytes.size() && (quint8(bytes[end]) & 0xC0) == 0x80;
             ++back)
            --end;
        (void)QString(decoder.decode(bytes.sliced(at, end - at)));
    }
    return !decoder.hasError();
}

}  // namespace

namespace {

// "name[N]": the name and N, or the whole header and 0.
std::pair<QString, int> headerParts(const QString& header) {
    static const QRegularExpression widthSuffix(QStringLiteral("^(.*)\\[([0-9]{1,5})\\]$"));
    const QString h = header.trimmed();
    const QRegularExpressionMatch m = widthSuffix.match(h);
    if (!m.hasMatch())
        return {h, 0};
    return {m.captured(1).trimmed(), m.captured(2).toInt()};
}

int columnOf(const QStringList& header, const QString& name) {
    for (int i = 0; i < header.size(); ++i)
        if (headerParts(header[i]).first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

}  // namespace

int CsvTable::declaredWidth(int column) const {
    return headerParts(header.value(column)).second;
}

int CsvTable::column(const QString& name) const {
    return columnOf(header, name);
}

int CsvReader::declaredWidth(int column) const {
    return headerParts(m_header.value(column)).second;
}

int CsvReader::column(const QString& name) const {
    return columnOf(m_header, name);
}

QString csvField(const QString& text, QStringView separators) {
    const bool plain = std::none_of(text.begin(), text.end(), [&](QChar c) {
        return c == QLatin1Char('"') || c == QLatin1Char('\n') || c == QLatin1Char('\r') ||
               separators.contains(c);
    });
    if (plain)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

CsvReader::CsvReader(QByteArray bytes, QString fileName)
    : m_bytes(std::move(bytes)), m_fileName(std::move(fileName)) {
    if (m_bytes.startsWith("\xEF\xBB\xBF")) {
        m_pos = 3;
    } else if (!decodesCleanly(m_bytes, "UTF-8")) {
        if (!decodesCleanly(m_bytes, "windows-1250"))
            throw Error(
                QStringLiteral("%1: the text is neither UTF-8 nor windows-1250").arg(m_fileName));
        m_utf8 = false;
    }
    // The header line decides: names never hold either separator.
    const QByteArrayView first = QByteArrayView(m_bytes).first(
        m_bytes.contains('\n') ? m_bytes.indexOf('\n') : m_bytes.size());
    m_separator = first.count(';') > first.count(',') ? ';' : ',';
    CsvTable::Row header;
    if (!next(header))
        throw Error(QStringLiteral("%1: the file has no header line").arg(m_fileName));
    m_header = header.cells;
    m_bodyPos = m_pos;
    m_bodyLine = m_line;
}

CsvReader CsvReader::open(const QString& path) {
    // Opened as the catalogue files are: a pipe or a device, which would
    // block or never end, is refused.
    QFile file;
    const QString reason = openSharedForReading(file, path);
    if (!reason.isEmpty())
        throw Error(QStringLiteral("%1: %2").arg(path, reason));
    return CsvReader(file.readAll(), path);
}

void CsvReader::rewind() {
    m_pos = m_bodyPos;
    m_line = m_bodyLine;
}

bool CsvReader::next(CsvTable::Row& row) {
    while (readRow(row)) {
        const bool blank = row.cells.size() == 1 && row.cells[0].trimmed().isEmpty();
        if (!blank)
            return true;
    }
    return false;
}

// One row from the current place on, blank or not; false at the end.
bool CsvReader::readRow(CsvTable::Row& row) {
    const qsizetype n = m_bytes.size();
    const char* const bytes = m_bytes.constData();
    if (m_pos >= n)
        return false;
    row.line = m_line;
    row.cells.clear();
    QByteArray cell;
    bool quoted = false;
    bool cellStarted = false;
    int quoteLine = 0;
    auto endCell = [&] {
        row.cells.append(m_utf8 ? QString::fromUtf8(cell) : QString(m_ansi.decode(cell)));
        cell.clear();
        cellStarted = false;
    };
    for (; m_pos < n; ++m_pos) {
        const char c = bytes[m_pos];
        if (quoted) {
            if (c == '"') {
                if (m_pos + 1 < n && bytes[m_pos + 1] == '"') {
                    cell.append(c);
                    ++m_pos;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n')
                    ++m_line;
                cell.append(c);
            }
        } else if (c == '"' && !cellStarted) {
            quoted = true;
            cellStarted = true;
            quoteLine = m_line;
        } else if (c == m_separator) {
            endCell();
        } else if (c == '\n') {
            ++m_line;
            ++m_pos;
            endCell();
            return true;
        } else if (c == '\r') {
            // A CR before LF ends nothing of its own; alone it would end a
            // line in some files and stand in a cell in others: refused.
            if (m_pos + 1 < n && bytes[m_pos + 1] == '\n')
                continue;
            if (!m_bytes.contains('\n'))
                throw Error(QStringLiteral(
                                "%1: the lines end in a carriage return alone; save the file with "
                                "CR LF or LF line ends")
                                .arg(m_fileName));
            throw Error(QStringLiteral("%1: line %2: a carriage return stands alone outside quotes")
                            .arg(m_fileName)
                            .arg(m_line));
        } else {
            cell.append(c);
            cellStarted = true;
        }
    }
    if (quoted)
        throw Error(QStringLiteral("%1: line %2: a quoted field is not closed")
                        .arg(m_fileName)
                        .arg(quoteLine));
    if (!cellStarted && row.cells.isEmpty() && cell.isEmpty())
        return false;
    endCell();
    return true;
}

namespace {

CsvTable allRows(CsvReader reader) {
    CsvTable table;
    table.fileName = reader.fileName();
    table.header = reader.header();
    CsvTable::Row row;
    while (reader.next(row)) table.rows.push_back(row);
    return table;
}

}  // namespace

CsvTable readCsvFile(const QString& path) {
    return allRows(CsvReader::open(path));
}

CsvTable parseCsv(const QByteArray& bytes, const QString& fileName) {
    return allRows(CsvReader(bytes, fileName));
}

}  // namespace kavinto
