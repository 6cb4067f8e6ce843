#include "xmlpacket.h"

#include "changelog.h"
#include "error.h"
#include "packetlocale.h"
#include "quoted.h"
#include "textcodec.h"
#include "xmlrows.h"

#include <QHashFunctions>  // std::hash<QString>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <cmath>
#include <limits>
#include <unordered_map>

namespace kavinto {
namespace {

// As many fields as a binary packet can declare.
constexpr int kMaxFields = 65535;
// Elements other than ROW carry a few attributes; a real packet nests four deep.
constexpr int kMaxOtherAttributes = 256;
constexpr int kMaxDepth = 64;

[[noreturn]] void fail(const QString& what) {
    throw Error::invalidPacket(what);
}

// A ROW's RowState: a number of 0 to 255.
std::optional<quint8> rowState(QStringView text) {
    bool ok = false;
    const uint state = text.toUInt(&ok);
    return ok && state <= 0xFF ? std::optional<quint8>(quint8(state)) : std::nullopt;
}

// The encoding that the bytes are in: a BOM, the declaration's, or the code page of the LCID.
QString documentEncoding(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QStringLiteral("UTF-8");
    if (bytes.startsWith("\xFF\xFE"))
        return QStringLiteral("UTF-16LE");
    if (bytes.startsWith("\xFE\xFF"))
        return QStringLiteral("UTF-16BE");
    const qsizetype start = skipBomAndSpace(bytes);
    if (bytes.mid(start, 5) == "<?xml") {
        const qsizetype end = bytes.indexOf("?>", start);
        static const QRegularExpression encodingAttr(
            QStringLiteral("encoding\\s*=\\s*[\"']([A-Za-z0-9._:-]+)[\"']"));
        const auto m = encodingAttr.match(QString::fromLatin1(
            bytes.mid(start, end < 0 ? 200 : std::min<qsizetype>(end - start, 200))));
        if (m.hasMatch())
            return m.captured(1);
    }
    // No declared encoding: find the LCID among the packet's parameters.
    static const QRegularExpression lcidAttr(
        QStringLiteral("<PARAMS[^>]*\\bLCID\\s*=\\s*[\"'](-?[0-9]+)[\"']"));
    const qsizetype params = bytes.indexOf("<PARAMS");
    std::optional<qint32> lcid;
    if (params >= 0) {
        const auto m = lcidAttr.match(QString::fromLatin1(bytes.mid(params, 4096)));
        if (m.hasMatch())
            lcid = m.captured(1).toInt();
    }
    return packetLocale(lcid).codePage;
}

// The packet's code units as the markup check walks them: bytes of an
// ASCII-compatible encoding (markup characters are single bytes in all of
// them), or the UTF-16 of a decoded text. Texts for messages are decoded.
struct ByteUnits {
    QByteArrayView bytes;
    QByteArray encoding;
    qsizetype size() const { return bytes.size(); }
    char16_t operator[](qsizetype i) const { return uchar(bytes[i]); }
    QString text(qsizetype from, qsizetype to) const {
        return QStringDecoder(encoding.constData(), QStringDecoder::Flag::Stateless)
            .decode(bytes.sliced(from, to - from));
    }
};
struct TextUnits {
    QStringView chars;
    qsizetype size() const { return chars.size(); }
    char16_t operator[](qsizetype i) const { return chars[i].unicode(); }
    QString text(qsizetype from, qsizetype to) const {
        return chars.sliced(from, to - from).toString();
    }
};

// Walks the markup once before the XML reader does, refusing in linear time
// what would make the reader's work grow with the square of a tag: more
// attributes than a ROW can hold (one a field, and RowState), or than any
// other element of a packet has. Also refuses a document type declaration
// and deep nesting. Well-formedness is left to the reader.
template <typename Units>
class MarkupCheck {
public:
    explicit MarkupCheck(Units units) : m_units(std::move(units)) {}

    void run() {
        const qsizetype n = m_units.size();
        qsizetype i = 0;
        while (i < n) {
            const char16_t c = m_units[i];
            if (c == u'\n') {
                newLine(i);
                ++i;
            } else if (c != u'<') {
                ++i;
            } else if (startsWith(i, "<!--")) {
                i = skipPast(i + 4, "-->");
            } else if (startsWith(i, "<![CDATA[")) {
                i = skipPast(i + 9, "]]>");
            } else if (startsWith(i, "<?")) {
                i = skipPast(i + 2, "?>");
            } else if (startsWith(i, "<!")) {
                fail(QStringLiteral("the XML packet declares a document type at %1, which a data "
                                    "packet does not have")
                         .arg(where(m_line, m_lineStart, i)));
            } else if (startsWith(i, "</")) {
                if (!m_open.empty())
                    m_open.pop_back();
                i = skipPast(i + 2, ">");
            } else {
                i = startTag(i);
            }
        }
    }

private:
    struct Name {
        qsizetype at = 0;
        qsizetype size = 0;
    };

    bool startsWith(qsizetype i, std::string_view s) const {
        if (m_units.size() - i < qsizetype(s.size()))
            return false;
        for (std::size_t k = 0; k < s.size(); ++k)
            if (m_units[i + qsizetype(k)] != char16_t(s[k]))
                return false;
        return true;
    }
    bool is(Name name, std::string_view s) const {
        return name.size == qsizetype(s.size()) && startsWith(name.at, s);
    }
    void newLine(qsizetype i) {
        ++m_line;
        m_lineStart = i + 1;
    }
    // Columns count characters, as the XML reader's do.
    QString where(qsizetype line, qsizetype lineStart, qsizetype i) const {
        return QStringLiteral("line %1, column %2")
            .arg(line)
            .arg(m_units.text(lineStart, i).size() + 1);
    }
    qsizetype skipPast(qsizetype i, std::string_view end) {
        const qsizetype n = m_units.size();
        for (; i < n; ++i) {
            if (m_units[i] == u'\n')
                newLine(i);
            else if (startsWith(i, end))
                return i + qsizetype(end.size());
        }
        return n;
    }
    bool inFields() const {
        return m_open.size() == 3 && is(m_open[0], "DATAPACKET") && is(m_open[1], "METADATA") &&
               is(m_open[2], "FIELDS");
    }
    static bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

    qsizetype startTag(qsizetype at) {
        const qsizetype line = m_line, lineStart = m_lineStart;
        auto place = [&] { return where(line, lineStart, at); };
        const qsizetype n = m_units.size();
        qsizetype i = at + 1;
        while (i < n && !isSpace(m_units[i]) && m_units[i] != u'/' && m_units[i] != u'>') ++i;
        const Name name{at + 1, i - at - 1};
        qsizetype attributes = 0;
        bool empty = false;
        for (; i < n; ++i) {
            const char16_t c = m_units[i];
            if (c == u'\n') {
                newLine(i);
            } else if (c == u'"' || c == u'\'') {
                for (++i; i < n && m_units[i] != c; ++i)
                    if (m_units[i] == u'\n')
                        newLine(i);
            } else if (c == u'=') {
                ++attributes;
            } else if (c == u'>') {
                empty = m_units[i - 1] == u'/';
                ++i;
                break;
            }
        }
        if (is(name, "ROW")) {
            if (attributes > m_fields + 1)
                fail(QStringLiteral("the row at %1 has %2 attributes, more than the %3 fields and "
                                    "RowState of the packet")
                         .arg(place())
                         .arg(attributes)
                         .arg(m_fields));
        } else if (attributes > kMaxOtherAttributes) {
            fail(QStringLiteral("the element <%1> at %2 has %3 attributes, more than a data "
                                "packet's elements have")
                     .arg(quoted(m_units.text(name.at, name.at + name.size)).mid(1).chopped(1),
                          place())
                     .arg(attributes));
        }
        if (is(name, "FIELD") && inFields() && ++m_fields > kMaxFields)
            fail(QStringLiteral("the XML packet declares more than %1 fields at %2")
                     .arg(kMaxFields)
                     .arg(place()));
        if (!empty) {
            if (m_open.size() >= kMaxDepth)
                fail(QStringLiteral("the XML packet nests elements more than %1 deep at %2")
                         .arg(kMaxDepth)
                         .arg(place()));
            m_open.push_back(name);
        }
        return i;
    }

    Units m_units;
    std::vector<Name> m_open;
    qsizetype m_fields = 0;
    qsizetype m_line = 1;
    qsizetype m_lineStart = 0;
};

struct XmlField {
    FieldDef def;
    QString attrName;
};

// The rows of the packet's first ROWDATA, cut out of the text the reader
// is given, which ends `prefixChars` characters into the element.
struct CutRows {
    QByteArrayView bytes;
    qsizetype prefixChars = 0;
};

class XmlPacketReader {
public:
    XmlPacketReader(const QByteArray& bytes, const QString& encoding,
                    std::optional<CutRows> cutRows = std::nullopt)
        : m_bytes(bytes),
          m_encoding(encoding),
          m_decoder(encoding.toLatin1().constData()),
          m_cutRows(cutRows) {}

    Table read() {
        m_xml.setNamespaceProcessing(false);
        expectElement(u"DATAPACKET");
        while (nextChild()) {
            if (name() == u"METADATA")
                readMetadata();
            else if (name() == u"ROWDATA")
                readRows();
            else
                skipCurrentElement();
        }
        checkXml();
        if (m_cutRows)
            throw NotSimple{};  // the rows were not where the reader went
        if (!m_haveMetadata)
            fail(QStringLiteral("the XML packet has no METADATA"));
        ensureColumns();
        for (Column& c : m_columns) c.finish(m_stored.status.size());
        Table table(std::move(m_columns), m_stored.status.size());
        table.lcid = m_lcid;
        table.hasPendingChanges = hasPendingChanges(m_stored, m_changeLog);
        return currentRecords(std::move(table), m_stored, m_changeLog);
    }

private:
    // The reader is given the text a piece at a time, so that the packet is
    // never held twice; it asks for more by reporting a premature end.
    static constexpr qsizetype kPieceBytes = qsizetype(1) << 20;

    bool feed() {
        if (m_fed == m_bytes.size())
            return false;
        const qsizetype n = std::min(kPieceBytes, m_bytes.size() - m_fed);
        const QString piece = m_decoder.decode(QByteArrayView(m_bytes).sliced(m_fed, n));
        m_fed += n;
        if (m_decoder.hasError())
            throw invalidTextError(QStringLiteral("the XML text"), m_encoding);
        // Text, not bytes: the reader does not decode it again by the declaration.
        m_xml.addData(piece);
        return true;
    }

    QXmlStreamReader::TokenType readNext() {
        for (;;) {
            const QXmlStreamReader::TokenType type = m_xml.readNext();
            if (type != QXmlStreamReader::Invalid ||
                m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || !feed())
                return type;
        }
    }

    bool readNextStartElement() {
        for (;;) {
            switch (readNext()) {
                case QXmlStreamReader::StartElement:
                    return true;
                case QXmlStreamReader::EndElement:
                case QXmlStreamReader::Invalid:
                    return false;
                default:
                    break;
            }
        }
    }

    void skipCurrentElement() {
        for (int depth = 1; depth > 0;) {
            switch (readNext()) {
                case QXmlStreamReader::StartElement:
                    ++depth;
                    break;
                case QXmlStreamReader::EndElement:
                    --depth;
                    break;
                case QXmlStreamReader::Invalid:
                    return;
                default:
                    break;
            }
        }
    }

    QStringView name() const { return m_xml.name(); }

    QString where() const {
        return QStringLiteral("line %1, column %2")
            .arg(m_xml.lineNumber())
            .arg(m_xml.columnNumber());
    }

    void checkXml() {
        if (m_xml.hasError())
            fail(QStringLiteral("malformed XML at %1: %2").arg(where(), m_xml.errorString()));
    }

    void expectElement(QStringView expected) {
        if (!readNextStartElement()) {
            checkXml();
            fail(QStringLiteral("the XML packet has no %1 element").arg(expected));
        }
        if (name() != expected)
            fail(QStringLiteral("the XML packet begins with <%1>, not <%2>")
                     .arg(quoted(name()).mid(1).chopped(1), expected));
    }

    // Moves to the next child element of the current one; false at its end.
    bool nextChild() {
        const bool more = readNextStartElement();
        checkXml();
        return more;
    }

    void readMetadata() {
        m_haveMetadata = true;
        while (nextChild()) {
            if (name() == u"FIELDS")
                readFields();
            else if (name() == u"PARAMS")
                readParams();
            else
                skipCurrentElement();
        }
    }

    void readFields() {
        while (nextChild()) {
            if (name() != u"FIELD") {
                skipCurrentElement();
                continue;
            }
            if (!m_columns.empty())
                fail(QStringLiteral("field %1 at %2 is declared after the rows")
                         .arg(m_fields.size() + 1)
                         .arg(where()));
            const QXmlStreamAttributes a = m_xml.attributes();
            XmlField f;
            f.attrName = a.value(QLatin1String("attrname")).toString();
            const QString fieldName = a.value(QLatin1String("fieldname")).toString();
            f.def.name = fieldName.isEmpty() ? f.attrName : fieldName;
            const QString typeName = a.value(QLatin1String("fieldtype")).toString();
            const QString at = QStringLiteral("field %1 (%2) at %3")
                                   .arg(m_fields.size() + 1)
                                   .arg(quoted(f.def.name), where());
            if (f.attrName.isEmpty())
                fail(at + QStringLiteral(" has no attrname"));
            const std::optional<FieldType> type = fieldTypeFromName(typeName);
            if (!type) {
                if (typeName == u"nested" || typeName == u"ADT" || typeName == u"array" ||
                    typeName == u"ref")
                    fail(QStringLiteral("%1 has the type %2, which is not supported")
                             .arg(at, typeName));
                fail(QStringLiteral("%1 has the unknown type %2").arg(at, quoted(typeName)));
            }
            f.def.type = *type;
            f.def.subtype = a.value(QLatin1String("SUBTYPE")).toString();
            if (a.hasAttribute(QLatin1String("WIDTH"))) {
                bool ok = false;
                f.def.width = a.value(QLatin1String("WIDTH")).toInt(&ok);
                if (!ok || f.def.width < 0)
                    fail(QStringLiteral("%1 has the invalid WIDTH %2")
                             .arg(at, quoted(a.value(QLatin1String("WIDTH")))));
            }
            if (a.value(QLatin1String("readonly")) == u"true")
                f.def.attributes |= kReadOnly;
            if (a.value(QLatin1String("required")) == u"true")
                f.def.attributes |= kRequired;
            if (a.value(QLatin1String("hidden")) == u"true")
                f.def.attributes |= kHidden;
            if (a.value(QLatin1String("linkfield")) == u"true")
                f.def.attributes |= kLink;
            // A nested table declares FIELDS of its own inside its FIELD.
            while (nextChild()) {
                if (name() == u"FIELDS")
                    fail(at + QStringLiteral(" is a nested table, which is not supported"));
                skipCurrentElement();
            }
            // A row could not tell two such fields apart.
            const auto known = m_fieldByAttrName.find(f.attrName);
            if (known != m_fieldByAttrName.end())
                fail(QStringLiteral("%1 has the attrname %2 of field %3")
                         .arg(at, quoted(f.attrName))
                         .arg(known->second + 1));
            m_fieldByAttrName.emplace(f.attrName, int(m_fields.size()));
            m_fields.push_back(std::move(f));
        }
    }

    void readParams() {
        const QXmlStreamAttributes a = m_xml.attributes();
        if (a.hasAttribute(QLatin1String("LCID"))) {
            bool ok = false;
            m_lcid = a.value(QLatin1String("LCID")).toInt(&ok);
            if (!ok)
                fail(QStringLiteral("the LCID %1 at %2 is no number")
                         .arg(quoted(a.value(QLatin1String("LCID"))), where()));
        }
        if (a.hasAttribute(QLatin1String("CHANGE_LOG"))) {
            const auto items = a.value(QLatin1String("CHANGE_LOG")).split(u' ', Qt::SkipEmptyParts);
            for (QStringView item : items) {
                bool ok = false;
                m_changeLog.push_back(item.toUInt(&ok));
                if (!ok)
                    fail(
                        QStringLiteral("the change log at %1 holds %2").arg(where(), quoted(item)));
            }
        }
        skipCurrentElement();
    }

    void ensureColumns() {
        if (!m_columns.empty() || m_fields.empty())
            return;
        m_columns.reserve(m_fields.size());
        for (const XmlField& f : m_fields) m_columns.emplace_back(f.def);
    }

    int fieldOf(QStringView attrName, int expected) const {
        if (expected < int(m_fields.size()) && m_fields[std::size_t(expected)].attrName == attrName)
            return expected;
        const auto it = m_fieldByAttrName.find(attrName.toString());
        return it == m_fieldByAttrName.end() ? -1 : it->second;
    }

    void readRows() {
        ensureColumns();
        if (m_cutRows) {
            if (m_xml.characterOffset() != m_cutRows->prefixChars)
                throw NotSimple{};
            readSimpleRows(SimpleRows(m_cutRows->bytes, m_encoding));
            m_cutRows.reset();
        }
        while (nextChild()) {
            if (name() != u"ROW") {
                skipCurrentElement();
                continue;
            }
            const std::size_t record = m_stored.status.size();
            quint8 status = 0;
            const QXmlStreamAttributes attributes = m_xml.attributes();
            int expected = 0;
            for (const QXmlStreamAttribute& a : attributes) {
                const QStringView attrName = a.qualifiedName();
                if (attrName == u"RowState") {
                    const std::optional<quint8> state = rowState(a.value());
                    if (!state)
                        fail(QStringLiteral("row %1 at %2 has the invalid RowState %3")
                                 .arg(record + 1)
                                 .arg(where(), quoted(a.value())));
                    status = *state;
                    continue;
                }
                const int field = fieldOf(attrName, expected);
                if (field >= 0) {
                    expected = field + 1;
                    parseValue(field, a.value(), record);
                }
            }
            m_stored.status.push_back(status);
            skipCurrentElement();
        }
    }

    // Rows read straight from the bytes; anything the XML reader would
    // refuse or name is left to it (NotSimple, or the Error of a value).
    void readSimpleRows(SimpleRows rows) {
        std::vector<std::size_t> rowOfField(m_fields.size(), std::size_t(-1));
        while (rows.nextRow()) {
            const std::size_t record = m_stored.status.size();
            quint8 status = 0;
            bool stated = false;
            int expected = 0;
            while (rows.nextAttribute()) {
                if (rows.name() == u"RowState") {
                    const std::optional<quint8> state = rowState(rows.value());
                    if (stated || !state)
                        throw NotSimple{};
                    stated = true;
                    status = *state;
                    continue;
                }
                const int field = fieldOf(rows.name(), expected);
                if (field < 0 || rowOfField[std::size_t(field)] == record)
                    throw NotSimple{};
                rowOfField[std::size_t(field)] = record;
                expected = field + 1;
                parseValue(field, rows.value(), record);
            }
            m_stored.status.push_back(status);
        }
    }

    // Values arrive in attribute order; a column takes them in record order.
    void parseValue(int field, QStringView text, std::size_t row) {
        const XmlField& f = m_fields[std::size_t(field)];
        Column& c = m_columns[std::size_t(field)];
        auto bad = [&]() {
            fail(QStringLiteral("field %1 of row %2 at %3 holds %4, which is no %5 value")
                     .arg(quoted(f.def.name))
                     .arg(row + 1)
                     .arg(where(), quoted(text), fieldTypeName(f.def.type)));
        };
        bool ok = false;
        switch (f.def.type) {
            case FieldType::Int8:
            case FieldType::Int16:
            case FieldType::Int32:
            case FieldType::Int64: {
                const qint64 v = toInteger(text, &ok);
                const int bits = f.def.type == FieldType::Int8    ? 8
                                 : f.def.type == FieldType::Int16 ? 16
                                 : f.def.type == FieldType::Int32 ? 32
                                                                  : 64;
                if (!ok || (bits < 64 &&
                            (v < -(qint64(1) << (bits - 1)) || v >= (qint64(1) << (bits - 1)))))
                    bad();
                c.beginValue(row);
                bits == 64 ? c.pushInt64(v) : c.pushInt32(qint32(v));
                return;
            }
            case FieldType::UInt8:
            case FieldType::UInt16:
            case FieldType::UInt32:
            case FieldType::UInt64: {
                const quint64 v = text.toULongLong(&ok);
                const int bits = f.def.type == FieldType::UInt8    ? 8
                                 : f.def.type == FieldType::UInt16 ? 16
                                 : f.def.type == FieldType::UInt32 ? 32
                                                                   : 64;
                if (!ok || text.startsWith(u'-') || (bits < 64 && v >= (quint64(1) << bits)))
                    bad();
                c.beginValue(row);
                bits <= 16 ? c.pushInt32(qint32(v)) : c.pushInt64(qint64(v));
                return;
            }
            case FieldType::Boolean:
                if (text.compare(u"TRUE", Qt::CaseInsensitive) == 0)
                    ok = true;
                else if (text.compare(u"FALSE", Qt::CaseInsensitive) != 0)
                    bad();
                c.beginValue(row);
                c.pushBoolean(ok);
                return;
            case FieldType::Float32:
            case FieldType::Float64: {
                const double v = text.toDouble(&ok);
                if (!ok || !std::isfinite(v))
                    bad();
                c.beginValue(row);
                c.pushFloat(f.def.type == FieldType::Float32 ? double(float(v)) : v);
                return;
            }
            case FieldType::Decimal: {
                const std::optional<QString> d = canonicalDecimal(text);
                if (!d)
                    bad();
                c.beginValue(row);
                c.pushText(*d);
                return;
            }
            case FieldType::Date: {
                const std::optional<qint32> d = parseDate(text);
                if (!d)
                    bad();
                c.beginValue(row);
                c.pushInt32(*d);
                return;
            }
            case FieldType::Time: {
                const std::optional<qint32> t = parseTime(text);
                if (!t)
                    bad();
                c.beginValue(row);
                c.pushInt32(*t);
                return;
            }
            case FieldType::Timestamp: {
                const std::optional<qint32> d = parseDate(text.left(8));
                std::optional<qint32> t = 0;
                if (text.size() > 8)
                    t = text[8] == u'T' ? parseTime(text.mid(9)) : std::nullopt;
                if (!d || !t)
                    bad();
                c.beginValue(row);
                c.pushFloat(double(*d) * 86400000.0 + *t);
                return;
            }
            case FieldType::String:
            case FieldType::WideString:
                c.beginValue(row);
                c.pushText(text);
                return;
            case FieldType::Blob: {
                if (f.def.isMemo()) {
                    c.beginValue(row);
                    c.pushText(text);
                    return;
                }
                const auto decoded = QByteArray::fromBase64Encoding(
                    text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
                if (!decoded)
                    bad();
                c.beginValue(row);
                c.pushBytes(decoded.decoded);
                return;
            }
        }
    }

    // Plain decimal digits, as packets write integers, read here; any other
    // form as QString reads it.
    static qint64 toInteger(QStringView text, bool* ok) {
        const qsizetype sign = !text.isEmpty() && text[0] == u'-' ? 1 : 0;
        if (text.size() - sign < 1 || text.size() - sign > 18)
            return text.toLongLong(ok);
        qint64 v = 0;
        for (qsizetype i = sign; i < text.size(); ++i) {
            const char16_t d = text[i].unicode();
            if (d < u'0' || d > u'9')
                return text.toLongLong(ok);
            v = v * 10 + (d - u'0');
        }
        *ok = true;
        return sign ? -v : v;
    }

    static std::optional<qint32> parseDate(QStringView s) {
        if (s.size() != 8)
            return std::nullopt;
        bool ok1 = false, ok2 = false, ok3 = false;
        const int y = s.left(4).toInt(&ok1), m = s.mid(4, 2).toInt(&ok2),
                  d = s.mid(6, 2).toInt(&ok3);
        if (!ok1 || !ok2 || !ok3 || y < 1 || m < 1 || m > 12 || d < 1 || d > 31)
            return std::nullopt;
        return dayNumber(y, m, d);
    }

    // HH:MM:SSmmm, the milliseconds optional.
    static std::optional<qint32> parseTime(QStringView s) {
        if ((s.size() != 8 && s.size() != 11) || s[2] != u':' || s[5] != u':')
            return std::nullopt;
        bool ok1 = false, ok2 = false, ok3 = false, ok4 = true;
        const int h = s.left(2).toInt(&ok1), m = s.mid(3, 2).toInt(&ok2),
                  sec = s.mid(6, 2).toInt(&ok3);
        const int ms = s.size() == 11 ? s.mid(8, 3).toInt(&ok4) : 0;
        if (!ok1 || !ok2 || !ok3 || !ok4 || h > 23 || m > 59 || sec > 59 || h < 0 || m < 0 ||
            sec < 0 || ms < 0)
            return std::nullopt;
        return ((h * 60 + m) * 60 + sec) * 1000 + ms;
    }

    static std::optional<QString> canonicalDecimal(QStringView text) {
        static const QRegularExpression form(QStringLiteral("^([-+]?)([0-9]*)(?:\\.([0-9]*))?$"));
        const auto m = form.match(text);
        if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
            return std::nullopt;
        QString whole = m.captured(2), frac = m.captured(3);
        while (whole.size() > 1 && whole.front() == u'0') whole.remove(0, 1);
        if (whole.isEmpty())
            whole = QStringLiteral("0");
        while (!frac.isEmpty() && frac.back() == u'0') frac.chop(1);
        QString out = frac.isEmpty() ? whole : whole + u'.' + frac;
        if (m.captured(1) == u"-" && out != u"0")
            out.prepend(u'-');
        return out;
    }

    const QByteArray& m_bytes;
    const QString m_encoding;
    QStringDecoder m_decoder;
    qsizetype m_fed = 0;
    QXmlStreamReader m_xml;
    std::vector<XmlField> m_fields;
    std::unordered_map<QString, int> m_fieldByAttrName;
    std::vector<Column> m_columns;
    StoredRecords m_stored;
    std::vector<quint32> m_changeLog;
    std::optional<qint32> m_lcid;
    bool m_haveMetadata = false;
    std::optional<CutRows> m_cutRows;
};

}  // namespace

bool looksLikeXmlPacket(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    const qsizetype i = skipBomAndSpace(bytes);
    return i < bytes.size() && bytes[i] == '<';
}

Table decodeXmlPacket(const QByteArray& bytes) {
    const QString encoding = documentEncoding(bytes);
    if (!QStringDecoder(encoding.toLatin1().constData()).isValid())
        fail(QStringLiteral("the encoding %1 of the XML text is not available").arg(encoding));
    if (encoding.startsWith(QLatin1String("UTF-16"), Qt::CaseInsensitive) ||
        encoding.startsWith(QLatin1String("UTF-32"), Qt::CaseInsensitive)) {
        const QString text = decodeText(bytes, encoding, QStringLiteral("the XML text"));
        MarkupCheck(TextUnits{text}).run();
    } else {
        // The rows, nearly all of a packet, read straight from the bytes
        // where they are as packets write them; the reader takes the rest,
        // and everything again where anything is amiss, to name it rightly.
        if (const std::optional<RowRegion> rows = simpleRowRegion(bytes)) {
            try {
                const QString prefix = QStringDecoder(encoding.toLatin1().constData())
                                           .decode(QByteArrayView(bytes).first(rows->start));
                const CutRows cut{
                    QByteArrayView(bytes).sliced(rows->start, rows->end - rows->start),
                    prefix.size()};
                const QByteArray rest = bytes.first(rows->start) + bytes.sliced(rows->end);
                MarkupCheck(ByteUnits{rest, encoding.toLatin1()}).run();
                return XmlPacketReader(rest, encoding, cut).read();
            } catch (const NotSimple&) {
            } catch (const Error&) {
            }
        }
        MarkupCheck(ByteUnits{bytes, encoding.toLatin1()}).run();
    }
    return XmlPacketReader(bytes, encoding).read();
}

}  // namespace kavinto
