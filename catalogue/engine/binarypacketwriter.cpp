#include "binarypacketwriter.h"

#include "binaryformat.h"

#include "error.h"
#include "packetlocale.h"
#include "quoted.h"
#include "textcodec.h"

#include <QStringEncoder>
#include <QtEndian>

#include <cstring>

namespace kavinto {
namespace {

using namespace binaryformat;

// The longest value a string field's 2-byte length prefix can announce.
constexpr qsizetype kMaxStringBytes = 0xFFFF;

class ByteWriter {
public:
    void u8(quint8 v) { m_out.append(char(v)); }
    void le(quint64 v, int n) {
        char b[8];
        qToLittleEndian(v, b);
        m_out.append(b, n);
    }
    void bytes(QByteArrayView b) { m_out.append(b); }
    void name(const QByteArray& n) {
        if (n.size() > 255)
            throw Error::unwritable(QStringLiteral("the name %1 is longer than 255 bytes")
                                        .arg(quoted(QString::fromLatin1(n))));
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
        case FieldType::Int8:
            return {kSignedInt, 1, false};
        case FieldType::Int16:
            return {kSignedInt, 2, false};
        case FieldType::Int32:
            return {kSignedInt, 4, false};
        case FieldType::Int64:
            return {kSignedInt, 8, false};
        case FieldType::UInt8:
            return {kUnsignedInt, 1, false};
        case FieldType::UInt16:
            return {kUnsignedInt, 2, false};
        case FieldType::UInt32:
            return {kUnsignedInt, 4, false};
        case FieldType::UInt64:
            return {kUnsignedInt, 8, false};
        case FieldType::Boolean:
            return {kBool, 2, false};
        case FieldType::Float32:
            return {kFloat, 4, false};
        case FieldType::Float64:
            return {kFloat, 8, false};
        case FieldType::Date:
            return {kDate, 4, false};
        case FieldType::Time:
            return {kTime, 4, false};
        case FieldType::Timestamp:
            return {kTimestamp, 8, false};
        case FieldType::String:
            return {kAnsiString, std::min(prefix, 2), true};
        case FieldType::WideString:
            return {kUnicodeString, std::min(prefix, 2), true};
        case FieldType::Blob:
            return {kBytes, 4, true};
        case FieldType::Decimal:
            break;
    }
    throw Error::unwritable(QStringLiteral("decimal fields cannot be written"));
}

// Texts in the packet's code page; a character the code page lacks is refused.
class TextEncoder {
public:
    explicit TextEncoder(const QString& codePage) : m_codePage(codePage) {
        if (const std::shared_ptr<const ByteTable> table = byteTableOf(codePage)) {
            m_byte.assign(0x10000, -1);
            for (int b = 255; b >= 0; --b)
                if (table->valid[std::size_t(b)])
                    m_byte[table->character[std::size_t(b)]] = qint16(b);
        }
    }

    QByteArray encode(QStringView text, const QString& where) const {
        if (!m_byte.empty()) {
            QByteArray out(text.size(), Qt::Uninitialized);
            for (qsizetype i = 0; i < text.size(); ++i) {
                const qint16 b = m_byte[text[i].unicode()];
                if (b < 0)
                    throw lacks(where);
                out[i] = char(b);
            }
            return out;
        }
        QStringEncoder encoder(m_codePage.toLatin1().constData(), QStringEncoder::Flag::Stateless);
        QByteArray bytes = encoder.encode(text);
        // Round-trip: a character the code page lacks comes back changed.
        if (encoder.hasError() ||
            QString(QStringDecoder(m_codePage.toLatin1().constData()).decode(bytes)) != text)
            throw lacks(where);
        return bytes;
    }

private:
    Error lacks(const QString& where) const {
        return Error::unwritable(
            QStringLiteral("%1 holds a character that %2 cannot hold").arg(where, m_codePage));
    }

    QString m_codePage;
    std::vector<qint16> m_byte;  // character -> byte, -1 where the code page lacks it
};

QByteArray utf16(QStringView text) {
    return QStringEncoder(QStringEncoder::Utf16LE).encode(text);
}

QString place(const Column& c, std::size_t record) {
    return QStringLiteral("field %1 of record %2").arg(quoted(c.def().name)).arg(record + 1);
}

// The bytes of a text or blob value as they are stored.
QByteArray varyingBytes(const Column& c, std::size_t record, const TextEncoder& encoder) {
    const FieldDef& f = c.def();
    if (c.storage() == Column::Storage::Bytes)
        return c.bytesOf(record)->toByteArray();
    const QStringView text = *c.textOf(record);
    const bool wide = f.type == FieldType::WideString || f.subtype == QLatin1String("WideText");
    // The reader ends a string at its first NUL, so a NUL inside one would cut it short.
    if (f.type != FieldType::Blob && text.contains(QChar(0)))
        throw Error::unwritable(
            place(c, record) +
            QStringLiteral(" holds a NUL character, which a string field cannot hold"));
    QByteArray bytes = wide ? utf16(text) : encoder.encode(text, place(c, record));
    if (f.type != FieldType::Blob && bytes.size() > kMaxStringBytes)
        throw Error::unwritable(
            QStringLiteral("%1 is %2 bytes long, more than the %3 a string field can hold")
                .arg(place(c, record))
                .arg(bytes.size())
                .arg(kMaxStringBytes));
    return bytes;
}

void writeFixed(ByteWriter& w, const Column& c, std::size_t record) {
    auto bitsOf = [](auto x) {
        quint64 bits = 0;
        std::memcpy(&bits, &x, sizeof x);
        return bits;
    };
    switch (c.def().type) {
        case FieldType::Int8:
        case FieldType::UInt8:
            w.le(quint64(*c.integerOf(record)), 1);
            break;
        case FieldType::Int16:
        case FieldType::UInt16:
            w.le(quint64(*c.integerOf(record)), 2);
            break;
        case FieldType::Int32:
        case FieldType::UInt32:
        case FieldType::Date:
        case FieldType::Time:
            w.le(quint64(*c.integerOf(record)), 4);
            break;
        case FieldType::Int64:
        case FieldType::UInt64:
            w.le(quint64(*c.integerOf(record)), 8);
            break;
        case FieldType::Boolean:
            w.le(*c.booleanOf(record) ? 1 : 0, 2);
            break;
        case FieldType::Float32:
            w.le(bitsOf(float(*c.floatOf(record))), 4);
            break;
        case FieldType::Float64:
        case FieldType::Timestamp:
            w.le(bitsOf(*c.floatOf(record)), 8);
            break;
        default:
            break;
    }
}

void writeProperty(ByteWriter& w, const char* name, int size, quint16 type,
                   const QByteArray& value) {
    w.name(QByteArray(name));
    w.le(quint64(size), 2);
    w.le(type, 2);
    w.bytes(value);
}

}  // namespace

QByteArray encodeBinaryPacket(const Packet& packet) {
    return encodeBinaryPacket(Table::fromPacket(packet));
}

QByteArray encodeBinaryPacket(const Table& table) {
    const qint32 lcid = table.lcid.value_or(kDefaultLcid);
    const QString codePage = packetLocale(lcid).codePage;
    const TextEncoder encoder(codePage);
    const int fieldCount = table.fieldCount();
    const std::size_t recordCount = table.recordCount();
    if (fieldCount > 0xFFFF)
        throw Error::unwritable(QStringLiteral("a packet holds at most 65,535 fields"));

    // The layout of a varying field depends on its longest value.
    std::vector<qsizetype> longest(std::size_t(fieldCount), 0);
    for (int i = 0; i < fieldCount; ++i) {
        const Column& c = table.column(i);
        if (c.def().type == FieldType::Decimal)
            layoutOf(FieldType::Decimal, 0);
        if (c.storage() != Column::Storage::Text && c.storage() != Column::Storage::Bytes)
            continue;
        for (std::size_t r = 0; r < recordCount; ++r)
            if (!c.isNull(r))
                longest[std::size_t(i)] =
                    std::max(longest[std::size_t(i)], varyingBytes(c, r, encoder).size());
    }

    ByteWriter body;
    std::vector<Layout> layouts;
    for (int i = 0; i < fieldCount; ++i) {
        const FieldDef& f = table.field(i);
        const Layout l = layoutOf(f.type, longest[std::size_t(i)]);
        layouts.push_back(l);
        body.name(encoder.encode(f.name, QStringLiteral("the field name %1").arg(quoted(f.name))));
        body.le(quint64(l.size), 2);
        body.le(quint16(l.kind | (l.varying ? kVaryingBit : 0)), 2);
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
            writeProperty(body, kSubtypeProperty, 2, kAnsiString | kVaryingBit, v.data());
        }
        if (hasWidth) {
            const int unit = f.type == FieldType::WideString ? 2 : 1;
            const int width = std::max<int>({f.width, int(longest[std::size_t(i)] / unit), 1});
            ByteWriter v;
            v.le(quint64(width), 2);
            writeProperty(body, kWidthProperty, 2, kUnsignedInt, v.data());
        }
    }
    body.le(1, 2);
    ByteWriter lcidValue;
    lcidValue.le(quint32(lcid), 4);
    writeProperty(body, kLcidProperty, 4, kSignedInt, lcidValue.data());
    const qsizetype headerSize = kFixedHeaderSize + body.data().size();
    if (headerSize > 0xFFFF)
        throw Error::unwritable(QStringLiteral("the packet header is longer than 65,535 bytes"));

    const qsizetype statusBytes = (2 * qsizetype(fieldCount) + 7) / 8;
    QByteArray status(statusBytes, '\0');
    for (std::size_t r = 0; r < recordCount; ++r) {
        body.u8(0);
        status.fill('\0');
        for (int i = 0; i < fieldCount; ++i)
            if (table.column(i).isNull(r))
                status[qsizetype(i / 4)] = char(status[qsizetype(i / 4)] | (1 << (2 * (i % 4))));
        body.bytes(status);
        for (int i = 0; i < fieldCount; ++i) {
            const Column& c = table.column(i);
            if (c.isNull(r))
                continue;
            if (!layouts[std::size_t(i)].varying) {
                writeFixed(body, c, r);
                continue;
            }
            const QByteArray bytes = varyingBytes(c, r, encoder);
            body.le(quint64(bytes.size()), layouts[std::size_t(i)].size);
            body.bytes(bytes);
        }
    }
    if (recordCount > 0x7FFFFFFF)
        throw Error::unwritable(QStringLiteral("a packet holds at most 2,147,483,647 records"));

    ByteWriter out;
    out.bytes(kSignature);
    out.le(kVersion, 4);
    out.le(kFixedHeaderSize, 4);
    out.le(quint64(fieldCount), 2);
    out.le(recordCount, 4);
    out.le(kHeaderFlags, 4);
    out.le(quint64(headerSize), 2);
    out.bytes(body.data());
    return out.data();
}

}  // namespace kavinto
