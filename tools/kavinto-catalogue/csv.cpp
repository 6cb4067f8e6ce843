#include "csv.h"

#include "error.h"
#include "sharedfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace kavinto {
namespace {

QString decode(const QByteArray& bytes, const QString& fileName) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder ansi("windows-1250", QStringDecoder::Flag::Stateless);
    const QString fallback = ansi.decode(bytes);
    if (ansi.hasError())
        throw Error(QStringLiteral("%1: the text is neither UTF-8 nor windows-1250").arg(fileName));
    return fallback;
}

QChar separatorOf(const QString& text) {
    // The header line decides: names never hold either separator.
    const QString first = text.section(QLatin1Char('\n'), 0, 0);
    return first.count(QLatin1Char(';')) > first.count(QLatin1Char(',')) ? QLatin1Char(';')
                                                                         : QLatin1Char(',');
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

}  // namespace

int CsvTable::declaredWidth(int column) const {
    return headerParts(header.value(column)).second;
}

int CsvTable::column(const QString& name) const {
    for (int i = 0; i < header.size(); ++i)
        if (headerParts(header[i]).first.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
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

CsvTable readCsvFile(const QString& path) {
    // Opened as the catalogue files are: a pipe or a device, which would
    // block or never end, is refused.
    QFile file;
    const QString reason = openSharedForReading(file, path);
    if (!reason.isEmpty())
        throw Error(QStringLiteral("%1: %2").arg(path, reason));
    return parseCsv(file.readAll(), path);
}

CsvTable parseCsv(const QByteArray& bytes, const QString& fileName) {
    const QString text = decode(bytes, fileName);
    const QChar sep = separatorOf(text);
    CsvTable table;
    table.fileName = fileName;

    std::vector<CsvTable::Row> rows;
    CsvTable::Row row;
    QString cell;
    bool quoted = false;
    bool cellStarted = false;
    int line = 1;
    int quoteLine = 0;
    row.line = 1;
    auto endCell = [&] {
        row.cells.append(cell);
        cell.clear();
        cellStarted = false;
    };
    auto endRow = [&] {
        endCell();
        const bool blank = row.cells.size() == 1 && row.cells[0].trimmed().isEmpty();
        if (!blank)
            rows.push_back(row);
        row = CsvTable::Row{};
        row.line = line;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    cell.append(c);
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                cell.append(c);
            }
        } else if (c == QLatin1Char('"') && !cellStarted) {
            quoted = true;
            cellStarted = true;
            quoteLine = line;
        } else if (c == sep) {
            endCell();
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRow();
        } else if (c == QLatin1Char('\r')) {
            // A CR before LF ends nothing of its own; alone it would end a
            // line in some files and stand in a cell in others: refused.
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                continue;
            if (!text.contains(QLatin1Char('\n')))
                throw Error(QStringLiteral(
                                "%1: the lines end in a carriage return alone; save the file with "
                                "CR LF or LF line ends")
                                .arg(fileName));
            throw Error(QStringLiteral("%1: line %2: a carriage return stands alone outside quotes")
                            .arg(fileName)
                            .arg(line));
        } else {
            cell.append(c);
            cellStarted = true;
        }
    }
    if (quoted)
        throw Error(QStringLiteral("%1: line %2: a quoted field is not closed")
                        .arg(fileName)
                        .arg(quoteLine));
    if (cellStarted || !row.cells.isEmpty() || !cell.isEmpty())
        endRow();
    if (rows.empty())
        throw Error(QStringLiteral("%1: the file has no header line").arg(fileName));
    table.header = rows.front().cells;
    table.rows.assign(rows.begin() + 1, rows.end());
    return table;
}

}  // namespace kavinto
