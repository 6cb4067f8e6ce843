#include "csv.h"

#include "error.h"
#include "sharedfile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace kavinto {
namespace {

// Whether the bytes are all valid in a single-byte encoding, decoded in
// pieces so that no whole decoded copy is made.
bool decodesCleanly(QByteArrayView bytes, const char* encoding) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    constexpr qsizetype kPiece = 1 << 16;
    for (qsizetype at = 0; at < bytes.size() && !decoder.hasError(); at += kPiece)
        (void)QString(decoder.decode(bytes.sliced(at, std::min(kPiece, bytes.size() - at))));
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

// A byte order mark decides; else a file that is valid UTF-8 is UTF-8; one
// with lines of UTF-8 beside lines that are not would be garbled whichever
// way it were read, and is refused; else it is windows-1250. UTF-16 is read
// as the UTF-8 it converts to.
void CsvReader::decideEncoding() {
    const auto fromUtf16 = [&](QStringConverter::Encoding encoding, const char* name) {
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(m_bytes).sliced(2));
        if (decoder.hasError())
            throw Error(QStringLiteral("%1: the text is not valid %2")
                            .arg(m_fileName, QLatin1String(name)));
        m_bytes = text.toUtf8();
        m_encoding = QLatin1String(name);
    };
    if (m_bytes.startsWith("\xEF\xBB\xBF")) {
        m_pos = 3;
        m_encoding = QStringLiteral("UTF-8");
        return;
    }
    if (m_bytes.startsWith("\xFF\xFE"))
        return fromUtf16(QStringConverter::Utf16LE, "UTF-16 LE");
    if (m_bytes.startsWith("\xFE\xFF"))
        return fromUtf16(QStringConverter::Utf16BE, "UTF-16 BE");
    if (QByteArrayView(m_bytes).isValidUtf8()) {
        m_encoding = QStringLiteral("UTF-8");
        return;
    }
    int line = 1, firstForeign = 0;
    bool utf8Seen = false;
    for (qsizetype at = 0; at < m_bytes.size(); ++line) {
        const qsizetype end = m_bytes.indexOf('\n', at);
        const QByteArrayView text =
            QByteArrayView(m_bytes).sliced(at, (end < 0 ? m_bytes.size() : end) - at);
        const bool high = std::any_of(text.begin(), text.end(), [](char c) { return c & 0x80; });
        if (high && text.isValidUtf8())
            utf8Seen = true;
        else if (high && !firstForeign)
            firstForeign = line;
        if (utf8Seen && firstForeign)
            throw Error(QStringLiteral("%1: line %2 is not UTF-8, though other lines are: the file "
                                       "mixes encodings; save it again as UTF-8")
                            .arg(m_fileName)
                            .arg(firstForeign));
        at = end < 0 ? m_bytes.size() : end + 1;
    }
    if (!decodesCleanly(m_bytes, "windows-1250"))
        throw Error(
            QStringLiteral("%1: the text is neither UTF-8 nor windows-1250").arg(m_fileName));
    m_utf8 = false;
    m_encoding = QStringLiteral("windows-1250");
}

CsvReader::CsvReader(QByteArray bytes, QString fileName)
    : m_bytes(std::move(bytes)), m_fileName(std::move(fileName)) {
    decideEncoding();
    // The header line decides: names never hold a separator.
    const QByteArrayView first = QByteArrayView(m_bytes).first(
        m_bytes.contains('\n') ? m_bytes.indexOf('\n') : m_bytes.size());
    for (const char candidate : {';', '\t'})
        if (first.count(candidate) > first.count(m_separator))
            m_separator = candidate;
    CsvTable::Row header;
    if (!next(header))
        throw Error(QStringLiteral("%1: the file has no header line").arg(m_fileName));
    m_header = header.cells;
    m_bodyPos = m_pos;
    m_bodyLine = m_line;
    m_bodyRow = m_row;
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
    m_row = m_bodyRow;
}

bool CsvReader::next(CsvTable::Row& row) {
    // Rows of empty cells (";;;;" below a table once formatted) are skipped.
    while (readRow(row))
        if (std::any_of(row.cells.begin(), row.cells.end(),
                        [](const QString& c) { return !c.trimmed().isEmpty(); }))
            return true;
    return false;
}

// One row from the current place on, blank or not; false at the end. A cell
// is an optional quoted part, "" for a quote inside, then plain bytes up to
// the separator or the line's end. Each cell is decoded into the row's
// string of that place, so that reading rows allocates nothing once the
// strings have grown.
bool CsvReader::readRow(CsvTable::Row& row) {
    const qsizetype n = m_bytes.size();
    const char* const bytes = m_bytes.constData();
    if (m_pos >= n)
        return false;
    row.line = m_line;
    row.row = m_row++;
    // Moves m_pos to the end of the plain part of a cell.
    const auto skipPlain = [&] {
        for (; m_pos < n; ++m_pos) {
            const char c = bytes[m_pos];
            if (c == m_separator || c == '\n')
                return;
            if (c == '\r') {
                // A CR before LF ends nothing of its own; alone it would end a
                // line in some files and stand in a cell in others: refused.
                if (m_pos + 1 < n && bytes[m_pos + 1] == '\n')
                    return;
                if (!m_bytes.contains('\n'))
                    throw Error(QStringLiteral("%1: the lines end in a carriage return alone; "
                                               "save the file with CR LF or LF line ends")
                                    .arg(m_fileName));
                throw Error(
                    QStringLiteral("%1: line %2: a carriage return stands alone outside quotes")
                        .arg(m_fileName)
                        .arg(m_line));
            }
        }
    };
    qsizetype cells = 0;
    for (;;) {
        QByteArrayView text;
        if (m_pos < n && bytes[m_pos] == '"') {
            const int quoteLine = m_line;
            m_cell.clear();
            for (++m_pos;;) {
                const char* quote = static_cast<const char*>(
                    std::memchr(bytes + m_pos, '"', std::size_t(n - m_pos)));
                if (!quote)
                    throw Error(QStringLiteral("%1: line %2: a quoted field is not closed")
                                    .arg(m_fileName)
                                    .arg(quoteLine));
                const QByteArrayView part(bytes + m_pos, quote - (bytes + m_pos));
                m_line += int(part.count('\n'));
                m_cell.append(part);
                m_pos = quote - bytes + 1;
                if (m_pos >= n || bytes[m_pos] != '"')
                    break;
                m_cell.append('"');
                ++m_pos;
            }
            const qsizetype plain = m_pos;
            skipPlain();
            m_cell.append(bytes + plain, m_pos - plain);
            text = m_cell;
        } else {
            const qsizetype plain = m_pos;
            skipPlain();
            text = QByteArrayView(bytes + plain, m_pos - plain);
        }
        if (cells == row.cells.size())
            row.cells.append(QString());
        QString& cell = row.cells[cells++];
        if (std::all_of(text.begin(), text.end(), [](char c) { return quint8(c) < 0x80; })) {
            // ASCII, the same in both encodings, is widened without a decoder.
            cell.resize(text.size());
            std::transform(text.begin(), text.end(), reinterpret_cast<char16_t*>(cell.data()),
                           [](char c) { return char16_t(c); });
        } else {
            QStringDecoder& decoder = m_utf8 ? m_utf8Decoder : m_ansi;
            cell.resize(decoder.requiredSpace(text.size()));
            cell.truncate(decoder.appendToBuffer(cell.data(), text) - cell.constData());
        }
        if (m_pos < n && bytes[m_pos] == '\r')
            ++m_pos;  // before LF
        if (m_pos >= n || bytes[m_pos] == '\n') {
            if (m_pos < n) {
                ++m_pos;
                ++m_line;
            }
            row.cells.resize(cells);
            return true;
        }
        ++m_pos;  // the separator; at the very end it leaves an empty last cell
    }
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
