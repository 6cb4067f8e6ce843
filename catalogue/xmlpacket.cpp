#include "xmlpacket.h"

#include "changelog.h"
#include "error.h"
#include "packetlocale.h"
#include "textcodec.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <cmath>
#include <limits>

namespace kavinto {
namespace {

[[noreturn]] void fail(const QString& what) {
    throw Error(QStringLiteral("Invalid data packet: ") + what);
}

qsizetype skipBomAndSpace(const QByteArray& b) {
    qsizetype i = b.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < b.size() && (b[i] == ' ' || b[i] == '\t' || b[i] == '\r' || b[i] == '\n'))
        ++i;
    return i;
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
        const auto m = encodingAttr.match(QString::fromLatin1(bytes.mid(start, end < 0 ? 200 : end - start)));
        if (m.hasMatch())
            return m.captured(1);
    }
    // No declared encoding: find the LCID among the packet's parameters.
    static const QRegularExpression lcidAttr(QStringLiteral("<PARAMS[^>]*\\bLCID\\s*=\\s*[\"'](-?[0-9]+)[\"']"));
    const qsizetype params = bytes.indexOf("<PARAMS");
    std::optional<qint32> lcid;
    if (params >= 0) {
        const auto m = lcidAttr.match(QString::fromLatin1(bytes.mid(params, 4096)));
        if (m.hasMatch())
            lcid = m.captured(1).toInt();
    }
    return packetLocale(lcid).codePage;
}

struct XmlField {
    FieldDef def;
    QString attrName;
};

class XmlPacketReader {
public:
    explicit XmlPacketReader(const QString& text) : m_xml(text) {}

    Packet read() {
        expectElement(u"DATAPACKET");
        while (nextChild()) {
            if (name() == u"METADATA")
                readMetadata();
            else if (name() == u"ROWDATA")
                readRows();
            else
                m_xml.skipCurrentElement();
        }
        checkXml();
        if (!m_haveMetadata)
            fail(QStringLiteral("the XML packet has no METADATA"));
        Packet packet;
        packet.lcid = m_lcid;
        for (const XmlField& f : m_fields)
            packet.fields.push_back(f.def);
        packet.hasPendingChanges = hasPendingChanges(m_rows, m_changeLog);
        packet.records = resolvePendingChanges(std::move(m_rows), m_changeLog);
        return packet;
    }

private:
    QStringView name() const { return m_xml.name(); }

    QString where() const {
        return QStringLiteral("line %1, column %2").arg(m_xml.lineNumber()).arg(m_xml.columnNumber());
    }

    void checkXml() {
        if (m_xml.hasError())
            fail(QStringLiteral("malformed XML at %1: %2").arg(where(), m_xml.errorString()));
    }

    void expectElement(QStringView expected) {
        if (!m_xml.readNextStartElement()) {
            checkXml();
            fail(QStringLiteral("the XML packet has no %1 element").arg(expected));
        }
        if (name() != expected)
            fail(QStringLiteral("the XML packet begins with <%1>, not <%2>").arg(name(), expected));
    }

    // Moves to the next child element of the current one; false at its end.
    bool nextChild() {
        const bool more = m_xml.readNextStartElement();
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
                m_xml.skipCurrentElement();
        }
    }

    void readFields() {
        while (nextChild()) {
            if (name() != u"FIELD") {
                m_xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes a = m_xml.attributes();
            XmlField f;
            f.attrName = a.value(QLatin1String("attrname")).toString();
            const QString fieldName = a.value(QLatin1String("fieldname")).toString();
            f.def.name = fieldName.isEmpty() ? f.attrName : fieldName;
            const QString typeName = a.value(QLatin1String("fieldtype")).toString();
            const QString at = QStringLiteral("field %1 ('%2') at %3").arg(m_fields.size() + 1).arg(f.def.name, where());
            if (f.attrName.isEmpty())
                fail(at + QStringLiteral(" has no attrname"));
            const std::optional<FieldType> type = fieldTypeFromName(typeName);
            if (!type) {
                if (typeName == u"nested" || typeName == u"ADT" || typeName == u"array" ||
                    typeName == u"ref")
                    fail(QStringLiteral("%1 has the type %2, which is not supported").arg(at, typeName));
                fail(QStringLiteral("%1 has the unknown type '%2'").arg(at, typeName));
            }
            f.def.type = *type;
            f.def.subtype = a.value(QLatin1String("SUBTYPE")).toString();
            if (a.hasAttribute(QLatin1String("WIDTH"))) {
                bool ok = false;
                f.def.width = a.value(QLatin1String("WIDTH")).toInt(&ok);
                if (!ok || f.def.width < 0)
                    fail(QStringLiteral("%1 has the invalid WIDTH '%2'").arg(at, a.value(QLatin1String("WIDTH"))));
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
                m_xml.skipCurrentElement();
            }
            m_fields.push_back(std::move(f));
        }
    }

    void readParams() {
        const QXmlStreamAttributes a = m_xml.attributes();
        if (a.hasAttribute(QLatin1String("LCID"))) {
            bool ok = false;
            m_lcid = a.value(QLatin1String("LCID")).toInt(&ok);
            if (!ok)
                fail(QStringLiteral("the LCID '%1' at %2 is no number").arg(a.value(QLatin1String("LCID")), where()));
        }
        if (a.hasAttribute(QLatin1String("CHANGE_LOG"))) {
            const auto items = a.value(QLatin1String("CHANGE_LOG")).split(u' ', Qt::SkipEmptyParts);
            for (QStringView item : items) {
                bool ok = false;
                m_changeLog.push_back(item.toUInt(&ok));
                if (!ok)
                    fail(QStringLiteral("the change log at %1 holds '%2'").arg(where(), item));
            }
        }
        m_xml.skipCurrentElement();
    }

    void readRows() {
        while (nextChild()) {
            if (name() != u"ROW") {
                m_xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes a = m_xml.attributes();
            StoredRecord rec;
            rec.values.resize(m_fields.size());
            const qsizetype rowNumber = qsizetype(m_rows.size()) + 1;
            if (a.hasAttribute(QLatin1String("RowState"))) {
                bool ok = false;
                const uint state = a.value(QLatin1String("RowState")).toUInt(&ok);
                if (!ok || state > 0xFF)
                    fail(QStringLiteral("row %1 at %2 has the invalid RowState '%3'")
                             .arg(rowNumber)
                             .arg(where(), a.value(QLatin1String("RowState"))));
                rec.status = quint8(state);
            }
            for (std::size_t i = 0; i < m_fields.size(); ++i) {
                const XmlField& f = m_fields[i];
                if (!a.hasAttribute(f.attrName))
                    continue;  // null
                rec.values[i] = parseValue(f, a.value(f.attrName).toString(), rowNumber);
            }
            m_rows.push_back(std::move(rec));
            m_xml.skipCurrentElement();
        }
    }

    Value parseValue(const XmlField& f, const QString& text, qsizetype row) const {
        auto bad = [&]() -> Value {
            fail(QStringLiteral("field '%1' of row %2 at %3 holds '%4', which is no %5 value")
                     .arg(f.def.name)
                     .arg(row)
                     .arg(where(), text.left(60), fieldTypeName(f.def.type)));
        };
        bool ok = false;
        switch (f.def.type) {
            case FieldType::Int8:
            case FieldType::Int16:
            case FieldType::Int32:
            case FieldType::Int64: {
                const qint64 v = text.toLongLong(&ok);
                const int bits = f.def.type == FieldType::Int8    ? 8
                                 : f.def.type == FieldType::Int16 ? 16
                                 : f.def.type == FieldType::Int32 ? 32 : 64;
                if (!ok || (bits < 64 && (v < -(qint64(1) << (bits - 1)) || v >= (qint64(1) << (bits - 1)))))
                    return bad();
                return Value::integer(v);
            }
            case FieldType::UInt8:
            case FieldType::UInt16:
            case FieldType::UInt32:
            case FieldType::UInt64: {
                const quint64 v = text.toULongLong(&ok);
                const int bits = f.def.type == FieldType::UInt8    ? 8
                                 : f.def.type == FieldType::UInt16 ? 16
                                 : f.def.type == FieldType::UInt32 ? 32 : 64;
                if (!ok || text.startsWith(u'-') || (bits < 64 && v >= (quint64(1) << bits)))
                    return bad();
                return Value::unsignedInteger(v);
            }
            case FieldType::Boolean:
                if (text.compare(u"TRUE", Qt::CaseInsensitive) == 0)
                    return Value::boolean(true);
                if (text.compare(u"FALSE", Qt::CaseInsensitive) == 0)
                    return Value::boolean(false);
                return bad();
            case FieldType::Float32:
            case FieldType::Float64: {
                const double v = text.toDouble(&ok);
                if (!ok || !std::isfinite(v))
                    return bad();
                return Value::floating(f.def.type == FieldType::Float32 ? double(float(v)) : v);
            }
            case FieldType::Decimal: {
                const std::optional<QString> d = canonicalDecimal(text);
                return d ? Value::decimal(Decimal{*d}) : bad();
            }
            case FieldType::Date: {
                const std::optional<qint32> d = parseDate(QStringView(text));
                return d ? Value::date(Date{*d}) : bad();
            }
            case FieldType::Time: {
                const std::optional<qint32> t = parseTime(QStringView(text));
                return t ? Value::time(Time{*t}) : bad();
            }
            case FieldType::Timestamp: {
                const std::optional<qint32> d = parseDate(QStringView(text).left(8));
                std::optional<qint32> t = 0;
                if (text.size() > 8)
                    t = text[8] == u'T' ? parseTime(QStringView(text).mid(9)) : std::nullopt;
                if (!d || !t)
                    return bad();
                return Value::timestamp(Timestamp{double(*d) * 86400000.0 + *t});
            }
            case FieldType::String:
            case FieldType::WideString: return Value::text(text);
            case FieldType::Blob: {
                if (f.def.isMemo())
                    return Value::text(text);
                const auto decoded = QByteArray::fromBase64Encoding(
                    text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
                if (!decoded)
                    return bad();
                return Value::bytes(decoded.decoded);
            }
        }
        return {};
    }

    static std::optional<qint32> parseDate(QStringView s) {
        if (s.size() != 8)
            return std::nullopt;
        bool ok1 = false, ok2 = false, ok3 = false;
        const int y = s.left(4).toInt(&ok1), m = s.mid(4, 2).toInt(&ok2), d = s.mid(6, 2).toInt(&ok3);
        if (!ok1 || !ok2 || !ok3 || y < 1 || m < 1 || m > 12 || d < 1 || d > 31)
            return std::nullopt;
        return dayNumber(y, m, d);
    }

    // HH:MM:SSmmm, the milliseconds optional.
    static std::optional<qint32> parseTime(QStringView s) {
        if ((s.size() != 8 && s.size() != 11) || s[2] != u':' || s[5] != u':')
            return std::nullopt;
        bool ok1 = false, ok2 = false, ok3 = false, ok4 = true;
        const int h = s.left(2).toInt(&ok1), m = s.mid(3, 2).toInt(&ok2), sec = s.mid(6, 2).toInt(&ok3);
        const int ms = s.size() == 11 ? s.mid(8, 3).toInt(&ok4) : 0;
        if (!ok1 || !ok2 || !ok3 || !ok4 || h > 23 || m > 59 || sec > 59 || h < 0 || m < 0 || sec < 0 || ms < 0)
            return std::nullopt;
        return ((h * 60 + m) * 60 + sec) * 1000 + ms;
    }

    static std::optional<QString> canonicalDecimal(const QString& text) {
        static const QRegularExpression form(QStringLiteral("^([-+]?)([0-9]*)(?:\\.([0-9]*))?$"));
        const auto m = form.match(text);
        if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(3).isEmpty()))
            return std::nullopt;
        QString whole = m.captured(2), frac = m.captured(3);
        while (whole.size() > 1 && whole.front() == u'0')
            whole.remove(0, 1);
        if (whole.isEmpty())
            whole = QStringLiteral("0");
        while (!frac.isEmpty() && frac.back() == u'0')
            frac.chop(1);
        QString out = frac.isEmpty() ? whole : whole + u'.' + frac;
        if (m.captured(1) == u"-" && out != u"0")
            out.prepend(u'-');
        return out;
    }

    QXmlStreamReader m_xml;
    std::vector<XmlField> m_fields;
    std::vector<StoredRecord> m_rows;
    std::vector<quint32> m_changeLog;
    std::optional<qint32> m_lcid;
    bool m_haveMetadata = false;
};

}  // namespace

bool looksLikeXmlPacket(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return true;
    const qsizetype i = skipBomAndSpace(bytes);
    return i < bytes.size() && bytes[i] == '<';
}

Packet decodeXmlPacket(const QByteArray& bytes) {
    const QString encoding = documentEncoding(bytes);
    if (!QStringDecoder(encoding.toLatin1().constData()).isValid())
        fail(QStringLiteral("the encoding %1 of the XML text is not available").arg(encoding));
    QByteArray body = bytes;
    if (encoding == u"UTF-8" && body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    const QString text = decodeText(body, encoding, QStringLiteral("the XML text"));
    return XmlPacketReader(text).read();
}

}  // namespace kavinto
