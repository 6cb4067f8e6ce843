#include "binarypacket.h"

#include "bytereader.h"
#include "changelog.h"
#include "error.h"
#include "packetlocale.h"
#include "textcodec.h"

#include <algorithm>

namespace kavinto {
namespace {

constexpr char kSignature[] = "\x96\x19\xE0\xBD";
constexpr quint16 kVaryingBit = 0x40;
constexpr quint16 kArrayBit = 0x80;

[[noreturn]] void fail(const QString& what) {
    throw Error(QStringLiteral("Invalid data packet: ") + what);
}

// A property as stored: its name and value bytes (for arrays, the elements).
struct Property {
    QByteArray name;
    int size = 0;
    quint16 type = 0;
    quint32 elementCount = 1;
    QByteArray value;
};

Property readProperty(ByteReader& in) {
    Property p;
    const qsizetype at = in.pos();
    p.name = in.bytes(in.u8("property name length"), "property name");
    p.size = in.i16("property size");
    p.type = in.u16("property type");
    if (p.size < 0)
        fail(QStringLiteral("property at offset %1 has the negative size %2").arg(at).arg(p.size));
    if (p.type & kArrayBit) {
        p.elementCount = in.u32("property element count");
        const quint64 total = quint64(p.elementCount) * quint64(p.size);
        if (total > quint64(in.remaining()))
            fail(QStringLiteral("property '%1' at offset %2 declares %3 elements of %4 bytes, more "
                                "than the packet holds")
                     .arg(QString::fromLatin1(p.name))
                     .arg(at)
                     .arg(p.elementCount)
                     .arg(p.size));
        p.value = in.bytes(qsizetype(total), "property elements");
    } else if (p.type & kVaryingBit) {
        if (p.size != 1 && p.size != 2 && p.size != 4)
            fail(QStringLiteral("property at offset %1 has a length prefix of %2 bytes").arg(at).arg(p.size));
        p.value = in.bytes(in.length(p.size, "property length"), "property value");
    } else {
        p.value = in.bytes(p.size, "property value");
    }
    return p;
}

quint64 littleEndian(const QByteArray& b, qsizetype from, int n) {
    quint64 v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = (v << 8) | static_cast<quint8>(b[from + i]);
    return v;
}

qint64 propertyInteger(const Property& p) {
    const int n = int(std::min<qsizetype>(p.value.size(), 8));
    const quint64 raw = littleEndian(p.value, 0, n);
    const bool isSigned = (p.type & 0x3F) == 1;
    if (isSigned && n > 0 && n < 8 && (raw >> (8 * n - 1)) & 1)
        return qint64(raw | (~quint64(0) << (8 * n)));
    return qint64(raw);
}

// Field kinds as coded in the low six bits of a field type.
enum Kind : quint16 {
    kSignedInt = 1, kUnsignedInt = 2, kBool = 3, kFloat = 4, kBcd = 5, kDate = 6, kTime = 7,
    kTimestamp = 8, kAnsiString = 9, kUnicodeString = 10, kBytes = 11, kAdt = 12, kArray = 13,
    kNested = 14, kReference = 15,
};

struct BinaryField {
    FieldDef def;
    QByteArray rawName;
    quint16 kind = 0;
    int size = 0;
    bool varying = false;
};

FieldType logicalType(const BinaryField& f, int index) {
    const QString where = QStringLiteral("field %1 ('%2')").arg(index + 1).arg(QString::fromLatin1(f.rawName));
    auto badSize = [&]() -> FieldType {
        fail(QStringLiteral("%1 has the size %2, which its type does not allow").arg(where).arg(f.size));
    };
    const bool textual = f.kind == kAnsiString || f.kind == kUnicodeString || f.kind == kBytes;
    if (f.varying && !textual)
        fail(QStringLiteral("%1 is marked varying, which its type does not allow").arg(where));
    switch (f.kind) {
        case kSignedInt:
        case kUnsignedInt: {
            const bool s = f.kind == kSignedInt;
            switch (f.size) {
                case 1: return s ? FieldType::Int8 : FieldType::UInt8;
                case 2: return s ? FieldType::Int16 : FieldType::UInt16;
                case 4: return s ? FieldType::Int32 : FieldType::UInt32;
                case 8: return s ? FieldType::Int64 : FieldType::UInt64;
                default: return badSize();
            }
        }
        case kBool: return f.size == 1 || f.size == 2 || f.size == 4 ? FieldType::Boolean : badSize();
        case kFloat:
            return f.size == 8 ? FieldType::Float64 : f.size == 4 ? FieldType::Float32 : badSize();
        case kBcd: return f.size == 34 ? FieldType::Decimal : badSize();
        case kDate: return f.size == 4 ? FieldType::Date : badSize();
        case kTime: return f.size == 4 ? FieldType::Time : badSize();
        case kTimestamp: return f.size == 8 ? FieldType::Timestamp : badSize();
        case kAnsiString:
        case kUnicodeString:
        case kBytes:
            if (f.varying ? (f.size != 1 && f.size != 2 && f.size != 4) : f.size <= 0)
                return badSize();
            return f.kind == kAnsiString ? FieldType::String
                   : f.kind == kUnicodeString ? FieldType::WideString : FieldType::Blob;
        case kAdt: fail(where + QStringLiteral(" is an ADT field, which is not supported"));
        case kArray: fail(where + QStringLiteral(" is an array field, which is not supported"));
        case kNested: fail(where + QStringLiteral(" is a nested table, which is not supported"));
        case kReference: fail(where + QStringLiteral(" is a reference field, which is not supported"));
        default: fail(QStringLiteral("%1 has the unknown type code %2").arg(where).arg(f.kind));
    }
}

// A fixed-size 8-bit string is NUL-padded; engines also end varying ones with NUL.
QByteArray cutAtNul(const QByteArray& b) {
    const qsizetype nul = b.indexOf('\0');
    return nul < 0 ? b : b.left(nul);
}

// Where a value stands, put into words only for a message.
struct Place {
    const QString& field;
    qint32 record;
    QString text() const { return QStringLiteral("field '%1' of record %2").arg(field).arg(record); }
};

struct Decoders {
    TextDecoder ansi;
    TextDecoder utf16;
};

QString decodeWith(TextDecoder& decoder, const QByteArray& b, const Place& place) {
    std::optional<QString> text = decoder.decode(b);
    if (!text)
        fail(QStringLiteral("%1 is not valid %2").arg(place.text(), decoder.encoding()));
    return *text;
}

QString decodeUtf16(Decoders& decoders, const QByteArray& b, const Place& place) {
    if (b.size() % 2 != 0)
        fail(place.text() + QStringLiteral(" holds an odd number of UTF-16 bytes"));
    QString s = decodeWith(decoders.utf16, b, place);
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

QString decodeBcd(const QByteArray& b) {
    // Precision byte, sign (bit 7) and decimals (low 6 bits), then 32 bytes of digit nibbles.
    const int precision = std::min<int>(static_cast<quint8>(b[0]), 64);
    const quint8 signPlaces = static_cast<quint8>(b[1]);
    const int places = std::min(signPlaces & 0x3F, precision);
    QString digits;
    for (int i = 0; i < precision; ++i) {
        const quint8 byte = static_cast<quint8>(b[2 + i / 2]);
        const int d = i % 2 == 0 ? byte >> 4 : byte & 0x0F;
        digits.append(QLatin1Char(char('0' + std::min(d, 9))));
    }
    QString whole = digits.left(precision - places);
    QString frac = digits.mid(precision - places);
    while (whole.size() > 1 && whole.front() == QLatin1Char('0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (!frac.isEmpty() && frac.back() == QLatin1Char('0'))
        frac.chop(1);
    QString text = frac.isEmpty() ? whole : whole + QLatin1Char('.') + frac;
    if ((signPlaces & 0x80) && text != QLatin1String("0"))
        text.prepend(QLatin1Char('-'));
    return text;
}

Value readValue(ByteReader& in, const BinaryField& f, Decoders& decoders, const Place& place) {
    const FieldType type = f.def.type;
    switch (type) {
        case FieldType::Int8: return Value::integer(qint8(in.u8("value")));
        case FieldType::Int16: return Value::integer(in.i16("value"));
        case FieldType::Int32: return Value::integer(in.i32("value"));
        case FieldType::Int64: return Value::integer(qint64(in.u64("value")));
        case FieldType::UInt8: return Value::integer(in.u8("value"));
        case FieldType::UInt16: return Value::integer(in.u16("value"));
        case FieldType::UInt32: return Value::integer(in.u32("value"));
        case FieldType::UInt64: return Value::unsignedInteger(in.u64("value"));
        case FieldType::Boolean: return Value::boolean(in.length(f.size, "value") != 0);
        case FieldType::Float32: return Value::floating(double(in.f32("value")));
        case FieldType::Float64: return Value::floating(in.f64("value"));
        case FieldType::Decimal: return Value::decimal(Decimal{decodeBcd(in.bytes(34, "value"))});
        case FieldType::Date: return Value::date(Date{in.i32("value")});
        case FieldType::Time: {
            const qint32 ms = in.i32("value");
            if (ms < 0 || ms >= 86400000)
                fail(QStringLiteral("%1 holds the time %2 ms, outside a day").arg(place.text()).arg(ms));
            return Value::time(Time{ms});
        }
        case FieldType::Timestamp: return Value::timestamp(Timestamp{in.f64("value")});
        case FieldType::String:
        case FieldType::WideString:
        case FieldType::Blob: {
            const quint32 n = f.varying ? in.length(f.size, "value length") : quint32(f.size);
            if (n > quint64(in.remaining()))
                fail(QStringLiteral("%1 at offset %2 declares %3 bytes, more than the packet holds")
                         .arg(place.text())
                         .arg(in.pos())
                         .arg(n));
            const QByteArray raw = in.bytes(qsizetype(n), "value");
            if (type == FieldType::String)
                return Value::text(decodeWith(decoders.ansi, cutAtNul(raw), place));
            if (type == FieldType::WideString)
                return Value::text(decodeUtf16(decoders, raw, place));
            if (f.def.subtype == QLatin1String("Text"))
                return Value::text(decodeWith(decoders.ansi, raw, place));
            if (f.def.subtype == QLatin1String("WideText"))
                return Value::text(decodeUtf16(decoders, raw, place));
            return Value::bytes(raw);
        }
    }
    return {};
}

}  // namespace

bool hasBinaryPacketSignature(const QByteArray& bytes) {
    return bytes.startsWith(QByteArray::fromRawData(kSignature, 4));
}

Packet decodeBinaryPacket(const QByteArray& bytes) {
    ByteReader in(bytes);
    if (!hasBinaryPacketSignature(bytes))
        fail(QStringLiteral("the binary signature is missing"));
    in.seek(4);
    in.i32("packet version");
    in.i32("header field");
    const quint16 fieldCount = in.u16("field count");
    const qint32 recordCount = in.i32("record count");
    in.i32("header field");
    const quint16 headerSize = in.u16("header size");
    if (recordCount < 0)
        fail(QStringLiteral("the record count %1 is negative").arg(recordCount));

    std::vector<BinaryField> fields(fieldCount);
    for (int i = 0; i < fieldCount; ++i) {
        BinaryField& f = fields[i];
        f.rawName = in.bytes(in.u8("field name length"), "field name");
        f.size = in.i16("field size");
        const quint16 type = in.u16("field type");
        f.def.attributes = in.u16("field attributes");
        const quint16 propertyCount = in.u16("field property count");
        if (type & kArrayBit)
            fail(QStringLiteral("field %1 ('%2') is an array field, which is not supported")
                     .arg(i + 1)
                     .arg(QString::fromLatin1(f.rawName)));
        f.kind = type & 0x3F;
        f.varying = type & kVaryingBit;
        f.def.type = logicalType(f, i);
        if (!f.varying && isTextType(f.def.type))
            f.def.width = f.def.type == FieldType::WideString ? f.size / 2 : f.size;
        for (int p = 0; p < propertyCount; ++p) {
            const Property prop = readProperty(in);
            if (prop.name == "WIDTH")
                f.def.width = int(propertyInteger(prop));
            else if (prop.name == "SUBTYPE")
                f.def.subtype = QString::fromLatin1(cutAtNul(prop.value));
        }
    }

    Packet packet;
    std::vector<quint32> changeLog;
    const quint16 packetPropertyCount = in.u16("packet property count");
    for (int p = 0; p < packetPropertyCount; ++p) {
        const Property prop = readProperty(in);
        if (prop.name == "LCID") {
            packet.lcid = qint32(propertyInteger(prop));
        } else if (prop.name == "CHANGE_LOG") {
            if (prop.size != 4)
                fail(QStringLiteral("the change log has elements of %1 bytes").arg(prop.size));
            for (quint32 e = 0; e < prop.elementCount; ++e)
                changeLog.push_back(quint32(littleEndian(prop.value, qsizetype(e) * 4, 4)));
        }
    }
    if (in.pos() > headerSize || headerSize > bytes.size())
        fail(QStringLiteral("the header size %1 does not match the header, which ends at offset %2")
                 .arg(headerSize)
                 .arg(in.pos()));

    const QString codePage = packetLocale(packet.lcid).codePage;
    Decoders decoders{TextDecoder(codePage, QStringLiteral("the packet")),
                      TextDecoder(QStringLiteral("UTF-16LE"), QStringLiteral("the packet"))};
    for (int i = 0; i < fieldCount; ++i) {
        fields[i].def.name =
            decodeText(fields[i].rawName, codePage, QStringLiteral("the name of field %1").arg(i + 1));
        packet.fields.push_back(fields[i].def);
    }

    in.seek(headerSize);
    const qsizetype statusBytes = (2 * qsizetype(fieldCount) + 7) / 8;
    std::vector<StoredRecord> stored;
    // Each record takes at least one byte: a corrupt count reserves no more than that.
    stored.reserve(std::size_t(std::min<qsizetype>(recordCount, in.remaining())));
    for (qint32 r = 0; r < recordCount; ++r) {
        StoredRecord rec;
        rec.status = in.u8("record status");
        const QByteArray fieldStatus = in.bytes(statusBytes, "field status");
        rec.values.resize(fieldCount);
        rec.unchanged.assign(fieldCount, false);
        for (int i = 0; i < fieldCount; ++i) {
            const int bits = (static_cast<quint8>(fieldStatus[i / 4]) >> (2 * (i % 4))) & 3;
            const Place place{packet.fields[std::size_t(i)].name, r + 1};
            if (bits == 1)
                continue;  // null
            if (bits == 2) {
                rec.unchanged[i] = true;
                continue;
            }
            if (bits == 3)
                fail(QStringLiteral("%1 has the invalid field status 3").arg(place.text()));
            rec.values[i] = readValue(in, fields[i], decoders, place);
        }
        stored.push_back(std::move(rec));
    }
    if (in.remaining() != 0)
        fail(QStringLiteral("%1 bytes follow the last record at offset %2").arg(in.remaining()).arg(in.pos()));

    packet.hasPendingChanges = hasPendingChanges(stored, changeLog);
    packet.records = resolvePendingChanges(std::move(stored), changeLog);
    return packet;
}

}  // namespace kavinto
