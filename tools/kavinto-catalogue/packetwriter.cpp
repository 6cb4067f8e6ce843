#include "packetwriter.h"

#include "error.h"
#include "packetlocale.h"

#include <QStringEncoder>

#include <zlib.h>

#include <cstring>

namespace kavinto {
namespace {

class ByteWriter {
public:
    void u8(quint8 v) { m_out.append(char(v)); }
    void le(quint64 v, int n) {
        for (int i = 0; i < n; ++i)
            m_out.append(char((v >> (8 * i)) & 0xFF));
    }
    void bytes(const QByteArray& b) { m_out.append(b); }
    void name(const QByteArray& n) {
        if (n.size() > 255)
            throw Error(QStringLiteral("the name '%1' is longer than 255 bytes").arg(QString::fromLatin1(n)));
        u8(quint8(n.size()));
        bytes(n);
    }
    QByteArray& data() { return m_out; }

private:
    QByteArray m_out;
};

struct Layout {
    quint16 kind;
    int size;  // value size, or the length prefix of a varying field
    bool varying;
};

Layout layoutOf(FieldType type, qsizetype longest) {
    const int prefix = longest <= 0xFF ? 1 : longest <= 0xFFFF ? 2 : 4;
    switch (type) {
        case FieldType::Int8: return {1, 1, false};
        case FieldType::Int16: return {1, 2, false};
        case FieldType::Int32: return {1, 4, false};
        case FieldType::Int64: return {1, 8, false};
        case FieldType::UInt8: return {2, 1, false};
        case FieldType::UInt16: return {2, 2, false};
        case FieldType::UInt32: return {2, 4, false};
        case FieldType::UInt64: return {2, 8, false};
        case FieldType::Boolean: return {3, 2, false};
        case FieldType::Float32: return {4, 4, false};
        case FieldType::Float64: return {4, 8, false};
        case FieldType::Date: return {6, 4, false};
        case FieldType::Time: return {7, 4, false};
        case FieldType::Timestamp: return {8, 8, false};
        case FieldType::String: return {9, std::min(prefix, 2), true};
        case FieldType::WideString: return {10, std::min(prefix, 2), true};
        case FieldType::Blob: return {11, 4, true};
        case FieldType::Decimal: break;
    }
    throw Error(QStringLiteral("decimal fields cannot be written"));
}

QByteArray encodeText(const QString& text, const QString& codePage, const QString& where) {
    QStringEncoder encoder(codePage.toLatin1().constData(), QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    // Round-trip: a character the code page lacks comes back changed.
    if (encoder.hasError() || QStringDecoder(codePage.toLatin1().constData()).decode(bytes) != text)
        throw Error(QStringLiteral("%1 holds a character that %2 cannot hold").arg(where, codePage));
    return bytes;
}

QByteArray utf16(const QString& text) {
    QByteArray b;
    for (QChar c : text) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    return b;
}

QByteArray valueBytes(const FieldDef& f, const Value& v, const QString& codePage, const QString& where) {
    ByteWriter w;
    auto integer = [&](int n) {
        const qint64 x = v.kind() == Value::Kind::Unsigned ? qint64(v.unsignedValue()) : v.toInteger();
        w.le(quint64(x), n);
    };
    switch (f.type) {
        case FieldType::Int8:
        case FieldType::UInt8: integer(1); break;
        case FieldType::Int16:
        case FieldType::UInt16: integer(2); break;
        case FieldType::Int32:
        case FieldType::UInt32: integer(4); break;
        case FieldType::Int64:
        case FieldType::UInt64: integer(8); break;
        case FieldType::Boolean: w.le(v.booleanValue() ? 1 : 0, 2); break;
        case FieldType::Float32: {
            const float x = float(v.floatValue());
            quint32 bits;
            std::memcpy(&bits, &x, 4);
            w.le(bits, 4);
            break;
        }
        case FieldType::Float64: {
            const double x = v.floatValue();
            quint64 bits;
            std::memcpy(&bits, &x, 8);
            w.le(bits, 8);
            break;
        }
        case FieldType::Date: w.le(quint32(v.dateValue().day), 4); break;
        case FieldType::Time: w.le(quint32(v.timeValue().msecs), 4); break;
        case FieldType::Timestamp: {
            const double x = v.timestampValue().msecs;
            quint64 bits;
            std::memcpy(&bits, &x, 8);
            w.le(bits, 8);
            break;
        }
        case FieldType::String: w.bytes(encodeText(v.toText(), codePage, where)); break;
        case FieldType::WideString: w.bytes(utf16(v.toText())); break;
        case FieldType::Blob:
            if (f.subtype == QLatin1String("Text"))
                w.bytes(encodeText(v.toText(), codePage, where));
            else if (f.subtype == QLatin1String("WideText"))
                w.bytes(utf16(v.toText()));
            else
                w.bytes(v.bytesValue());
            break;
        case FieldType::Decimal: throw Error(QStringLiteral("decimal fields cannot be written"));
    }
    return w.data();
}

void writeProperty(ByteWriter& w, const char* name, int size, quint16 type, const QByteArray& value) {
    w.name(QByteArray(name));
    w.le(quint64(size), 2);
    w.le(type, 2);
    w.bytes(value);
}

}  // namespace

QByteArray encodeBinaryPacket(const Packet& packet) {
    const qint32 lcid = packet.lcid.value_or(1038);
    const QString codePage = packetLocale(lcid).codePage;
    const std::size_t fieldCount = packet.fields.size();

    // Encode every value first: the field layout depends on the longest one.
    std::vector<std::vector<std::optional<QByteArray>>> encoded(packet.records.size());
    std::vector<qsizetype> longest(fieldCount, 0);
    for (std::size_t r = 0; r < packet.records.size(); ++r) {
        const Record& rec = packet.records[r];
        encoded[r].resize(fieldCount);
        for (std::size_t i = 0; i < fieldCount; ++i) {
            if (i >= rec.size() || rec[i].isNull())
                continue;
            const QString where = QStringLiteral("field '%1' of record %2").arg(packet.fields[i].name).arg(r + 1);
            encoded[r][i] = valueBytes(packet.fields[i], rec[i], codePage, where);
            longest[i] = std::max(longest[i], encoded[r][i]->size());
        }
    }

    ByteWriter body;
    std::vector<Layout> layouts;
    for (std::size_t i = 0; i < fieldCount; ++i) {
        const FieldDef& f = packet.fields[i];
        const Layout l = layoutOf(f.type, longest[i]);
        layouts.push_back(l);
        body.name(encodeText(f.name, codePage, QStringLiteral("the field name '%1'").arg(f.name)));
        body.le(quint64(l.size), 2);
        body.le(quint16(l.kind | (l.varying ? 0x40 : 0)), 2);
        body.le(f.attributes, 2);
        const bool hasSubtype = !f.subtype.isEmpty();
        const bool hasWidth = f.type == FieldType::String || f.type == FieldType::WideString;
        body.le(quint64(int(hasSubtype) + int(hasWidth)), 2);
        if (hasSubtype) {
            QByteArray text = f.subtype.toLatin1();
            text.append('\0');
            ByteWriter v;
            v.le(quint64(text.size()), 2);
            v.bytes(text);
            writeProperty(body, "SUBTYPE", 2, 0x49, v.data());
        }
        if (hasWidth) {
            const int unit = f.type == FieldType::WideString ? 2 : 1;
            const int width = std::max<int>({f.width, int(longest[i] / unit), 1});
            ByteWriter v;
            v.le(quint64(width), 2);
            writeProperty(body, "WIDTH", 2, 0x02, v.data());
        }
    }
    body.le(1, 2);
    ByteWriter lcidValue;
    lcidValue.le(quint32(lcid), 4);
    writeProperty(body, "LCID", 4, 0x01, lcidValue.data());
    const qsizetype headerSize = 24 + body.data().size();
    if (headerSize > 0xFFFF)
        throw Error(QStringLiteral("the packet header is longer than 65,535 bytes"));

    const qsizetype statusBytes = (2 * qsizetype(fieldCount) + 7) / 8;
    for (std::size_t r = 0; r < encoded.size(); ++r) {
        body.u8(0);
        QByteArray status(statusBytes, '\0');
        for (std::size_t i = 0; i < fieldCount; ++i)
            if (!encoded[r][i])
                status[qsizetype(i / 4)] = char(status[qsizetype(i / 4)] | (1 << (2 * (i % 4))));
        body.bytes(status);
        for (std::size_t i = 0; i < fieldCount; ++i)
            if (encoded[r][i]) {
                if (layouts[i].varying)
                    body.le(quint64(encoded[r][i]->size()), layouts[i].size);
                body.bytes(*encoded[r][i]);
            }
    }

    ByteWriter out;
    out.bytes(QByteArray("\x96\x19\xE0\xBD", 4));
    out.le(1, 4);
    out.le(24, 4);
    out.le(fieldCount, 2);
    out.le(encoded.size(), 4);
    out.le(3, 4);
    out.le(quint64(headerSize), 2);
    out.bytes(body.data());
    return out.data();
}

QByteArray compressCatalogueFile(const QByteArray& packet) {
    QByteArray content;
    const quint32 n = quint32(packet.size());
    for (int i = 0; i < 4; ++i)
        content.append(char((n >> (8 * i)) & 0xFF));
    content.append(packet);
    uLongf size = compressBound(uLong(content.size()));
    QByteArray out(qsizetype(size), '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(content.constData()), uLong(content.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        throw Error(QStringLiteral("zlib could not compress the packet"));
    out.resize(qsizetype(size));
    return out;
}

}  // namespace kavinto
