#include "binarypacket.h"

#include "binaryformat.h"
#include "bytereader.h"
#include "changelog.h"
#include "error.h"
#include "packetlocale.h"
#include "quoted.h"
#include "textcodec.h"

#include <algorithm>
#include <cstring>

namespace kavinto {
namespace {

using namespace binaryformat;

[[noreturn]] void fail(const QString& what) {
    throw Error::invalidPacket(what);
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
            fail(QStringLiteral("property %1 at offset %2 declares %3 elements of %4 bytes, more "
                                "than the packet holds")
                     .arg(quoted(p.name))
                     .arg(at)
                     .arg(p.elementCount)
                     .arg(p.size));
        p.value = in.bytes(qsizetype(total), "property elements");
    } else if (p.type & kVaryingBit) {
        if (p.size != 1 && p.size != 2 && p.size != 4)
            fail(QStringLiteral("property at offset %1 has a length prefix of %2 bytes")
                     .arg(at)
                     .arg(p.size));
        p.value = in.bytes(in.length(p.size, "property length"), "property value");
    } else {
        p.value = in.bytes(p.size, "property value");
    }
    return p;
}

qint64 propertyInteger(const Property& p) {
    const int n = int(std::min<qsizetype>(p.value.size(), 8));
    const quint64 raw = littleEndian(p.value.constData(), n);
    const bool isSigned = (p.type & kKindMask) == kSignedInt;
    if (isSigned && n > 0 && n < 8 && (raw >> (8 * n - 1)) & 1)
        return qint64(raw | (~quint64(0) << (8 * n)));
    return qint64(raw);
}

// How a string or blob field's bytes are read: as text in the packet's code
// page, as UTF-16 text, or as bytes.
enum class TextRead : quint8 { Ansi, Wide, Bytes };

struct BinaryField {
    FieldDef def;
    QByteArray rawName;
    quint16 kind = 0;
    int size = 0;
    bool varying = false;
    TextRead text = TextRead::Bytes;
};

FieldType logicalType(const BinaryField& f, int index) {
    const QString where = QStringLiteral("field %1 (%2)").arg(index + 1).arg(quoted(f.rawName));
    auto badSize = [&]() -> FieldType {
        fail(QStringLiteral("%1 has the size %2, which its type does not allow")
                 .arg(where)
                 .arg(f.size));
    };
    const bool textual = f.kind == kAnsiString || f.kind == kUnicodeString || f.kind == kBytes;
    if (f.varying && !textual)
        fail(QStringLiteral("%1 is marked varying, which its type does not allow").arg(where));
    switch (f.kind) {
        case kSignedInt:
        case kUnsignedInt: {
            const bool s = f.kind == kSignedInt;
            switch (f.size) {
                case 1:
                    return s ? FieldType::Int8 : FieldType::UInt8;
                case 2:
                    return s ? FieldType::Int16 : FieldType::UInt16;
                case 4:
                    return s ? FieldType::Int32 : FieldType::UInt32;
                case 8:
                    return s ? FieldType::Int64 : FieldType::UInt64;
                default:
                    return badSize();
            }
        }
        case kBool:
            return f.size == 1 || f.size == 2 || f.size == 4 ? FieldType::Boolean : badSize();
        case kFloat:
            return f.size == 8 ? FieldType::Float64 : f.size == 4 ? FieldType::Float32 : badSize();
        case kBcd:
            return f.size == 34 ? FieldType::Decimal : badSize();
        case kDate:
            return f.size == 4 ? FieldType::Date : badSize();
        case kTime:
            return f.size == 4 ? FieldType::Time : badSize();
        case kTimestamp:
            return f.size == 8 ? FieldType::Timestamp : badSize();
        case kAnsiString:
        case kUnicodeString:
        case kBytes:
            if (f.varying ? (f.size != 1 && f.size != 2 && f.size != 4) : f.size <= 0)
                return badSize();
            return f.kind == kAnsiString      ? FieldType::String
                   : f.kind == kUnicodeString ? FieldType::WideString
                                              : FieldType::Blob;
        case kAdt:
            fail(where + QStringLiteral(" is an ADT field, which is not supported"));
        case kArray:
            fail(where + QStringLiteral(" is an array field, which is not supported"));
        case kNested:
            fail(where + QStringLiteral(" is a nested table, which is not supported"));
        case kReference:
            fail(where + QStringLiteral(" is a reference field, which is not supported"));
        default:
            fail(QStringLiteral("%1 has the unknown type code %2").arg(where).arg(f.kind));
    }
}

TextRead textReadOf(const FieldDef& def) {
    if (def.type == FieldType::String ||
        (def.type == FieldType::Blob && def.subtype == QLatin1String("Text")))
        return TextRead::Ansi;
    if (def.type == FieldType::WideString ||
        (def.type == FieldType::Blob && def.subtype == QLatin1String("WideText")))
        return TextRead::Wide;
    return TextRead::Bytes;
}

QString decodeBcd(const char* b) {
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
    while (whole.size() > 1 && whole.front() == QLatin1Char('0')) whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (!frac.isEmpty() && frac.back() == QLatin1Char('0')) frac.chop(1);
    QString text = frac.isEmpty() ? whole : whole + QLatin1Char('.') + frac;
    if ((signPlaces & 0x80) && text != QLatin1String("0"))
        text.prepend(QLatin1Char('-'));
    return text;
}

// Reads the records into columns, one field value at a time.
class RecordReader {
public:
    RecordReader(ByteReader& in, std::vector<BinaryField>& fields, std::vector<Column>& columns,
                 const QString& codePage)
        : m_in(in),
          m_fields(fields),
          m_columns(columns),
          m_ansi(codePage, QStringLiteral("the packet")),
          m_utf16(QStringLiteral("UTF-16LE"), QStringLiteral("the packet")) {}

    void read(std::size_t record, int i) {
        const BinaryField& f = m_fields[std::size_t(i)];
        Column& c = m_columns[std::size_t(i)];
        ByteReader& in = m_in;
        c.beginValue(record);
        switch (f.def.type) {
            case FieldType::Int8:
                c.pushInt32(qint8(in.u8("value")));
                return;
            case FieldType::Int16:
                c.pushInt32(in.i16("value"));
                return;
            case FieldType::Int32:
                c.pushInt32(in.i32("value"));
                return;
            case FieldType::Int64:
                c.pushInt64(qint64(in.u64("value")));
                return;
            case FieldType::UInt8:
                c.pushInt32(in.u8("value"));
                return;
            case FieldType::UInt16:
                c.pushInt32(in.u16("value"));
                return;
            case FieldType::UInt32:
                c.pushInt64(in.u32("value"));
                return;
            case FieldType::UInt64:
                c.pushInt64(qint64(in.u64("value")));
                return;
            case FieldType::Boolean:
                c.pushBoolean(in.length(f.size, "value") != 0);
                return;
            case FieldType::Float32:
                c.pushFloat(double(in.f32("value")));
                return;
            case FieldType::Float64:
                c.pushFloat(in.f64("value"));
                return;
            case FieldType::Decimal:
                c.pushText(decodeBcd(in.take(34, "value")));
                return;
            case FieldType::Date:
                c.pushInt32(in.i32("value"));
                return;
            case FieldType::Time: {
                const qint32 ms = in.i32("value");
                if (ms < 0 || ms >= 86400000)
                    fail(QStringLiteral("%1 holds the time %2 ms, outside a day")
                             .arg(place(i, record))
                             .arg(ms));
                c.pushInt32(ms);
                return;
            }
            case FieldType::Timestamp:
                c.pushFloat(in.f64("value"));
                return;
            case FieldType::String:
            case FieldType::WideString:
            case FieldType::Blob:
                break;
        }
        const quint32 n = f.varying ? in.length(f.size, "value length") : quint32(f.size);
        if (n > quint64(in.remaining()))
            fail(QStringLiteral("%1 at offset %2 declares %3 bytes, more than the packet holds")
                     .arg(place(i, record))
                     .arg(in.pos())
                     .arg(n));
        const char* raw = in.take(qsizetype(n), "value");
        if (f.text == TextRead::Bytes) {
            c.pushBytes(QByteArrayView(raw, n));
            return;
        }
        if (f.text == TextRead::Wide) {
            if (n % 2 != 0)
                fail(place(i, record) + QStringLiteral(" holds an odd number of UTF-16 bytes"));
            char16_t* text = c.textSpace(n / 2);
            const qsizetype written = m_utf16.decodeInto(raw, n, text);
            if (written < 0)
                fail(QStringLiteral("%1 is not valid UTF-16LE").arg(place(i, record)));
            c.commitText(std::size_t(std::find(text, text + written, u'\0') - text));
            return;
        }
        // A fixed-size 8-bit string is NUL-padded; engines also end varying ones with NUL.
        qsizetype length = n;
        if (f.def.type == FieldType::String)
            if (const void* nul = std::memchr(raw, 0, n))
                length = static_cast<const char*>(nul) - raw;
        const qsizetype written = m_ansi.decodeInto(raw, length, c.textSpace(std::size_t(length)));
        if (written < 0)
            fail(QStringLiteral("%1 is not valid %2").arg(place(i, record), m_ansi.encoding()));
        c.commitText(std::size_t(written));
    }

    QString place(int field, std::size_t record) const {
        return QStringLiteral("field %1 of record %2")
            .arg(quoted(m_fields[std::size_t(field)].def.name))
            .arg(record + 1);
    }

private:
    ByteReader& m_in;
    std::vector<BinaryField>& m_fields;
    std::vector<Column>& m_columns;
    TextDecoder m_ansi;
    TextDecoder m_utf16;
};

}  // namespace

bool hasBinaryPacketSignature(const QByteArray& bytes) {
    return QByteArrayView(bytes).startsWith(kSignature);
}

Table decodeBinaryPacket(const QByteArray& bytes) {
    ByteReader in(bytes);
    if (!hasBinaryPacketSignature(bytes))
        fail(QStringLiteral("the binary signature is missing"));
    in.seek(kSignature.size());
    in.i32("packet version");
    in.i32("header field");
    const quint16 fieldCount = in.u16("field count");
    const qint32 recordCount = in.i32("record count");
    in.i32("header field");
    const quint16 headerSize = in.u16("header size");
    if (recordCount < 0)
        fail(QStringLiteral("the record count %1 is negative").arg(recordCount));

    std::vector<BinaryField> fields;
    for (int i = 0; i < fieldCount; ++i) {
        BinaryField f;
        f.rawName = in.bytes(in.u8("field name length"), "field name");
        f.size = in.i16("field size");
        const quint16 type = in.u16("field type");
        f.def.attributes = in.u16("field attributes");
        const quint16 propertyCount = in.u16("field property count");
        if (type & kArrayBit)
            fail(QStringLiteral("field %1 (%2) is an array field, which is not supported")
                     .arg(i + 1)
                     .arg(quoted(f.rawName)));
        f.kind = type & kKindMask;
        f.varying = type & kVaryingBit;
        f.def.type = logicalType(f, i);
        if (!f.varying && isTextType(f.def.type))
            f.def.width = f.def.type == FieldType::WideString ? f.size / 2 : f.size;
        for (int p = 0; p < propertyCount; ++p) {
            const Property prop = readProperty(in);
            if (prop.name == kWidthProperty)
                f.def.width = int(propertyInteger(prop));
            else if (prop.name == kSubtypeProperty)
                f.def.subtype =
                    QString::fromLatin1(prop.value.constData(),
                                        qstrnlen(prop.value.constData(), uint(prop.value.size())));
        }
        f.text = textReadOf(f.def);
        fields.push_back(std::move(f));
    }

    std::optional<qint32> lcid;
    std::vector<quint32> changeLog;
    const quint16 packetPropertyCount = in.u16("packet property count");
    for (int p = 0; p < packetPropertyCount; ++p) {
        const Property prop = readProperty(in);
        if (prop.name == kLcidProperty) {
            lcid = qint32(propertyInteger(prop));
        } else if (prop.name == "CHANGE_LOG") {
            if (prop.size != 4)
                fail(QStringLiteral("the change log has elements of %1 bytes").arg(prop.size));
            changeLog.reserve(prop.elementCount);
            for (quint32 e = 0; e < prop.elementCount; ++e)
                changeLog.push_back(
                    quint32(littleEndian(prop.value.constData() + qsizetype(e) * 4, 4)));
        }
    }
    if (in.pos() > headerSize || headerSize > bytes.size())
        fail(QStringLiteral("the header size %1 does not match the header, which ends at offset %2")
                 .arg(headerSize)
                 .arg(in.pos()));

    const QString codePage = packetLocale(lcid).codePage;
    std::vector<Column> columns;
    columns.reserve(fieldCount);
    for (int i = 0; i < fieldCount; ++i) {
        BinaryField& f = fields[std::size_t(i)];
        f.def.name =
            decodeText(f.rawName, codePage, QStringLiteral("the name of field %1").arg(i + 1));
        columns.emplace_back(f.def);
    }

    in.seek(headerSize);
    const qsizetype statusBytes = binaryformat::fieldStatusBytes(fieldCount);
    StoredRecords stored;
    // Each record takes at least one byte: a corrupt count reserves no more than that.
    stored.status.reserve(std::size_t(std::min<qsizetype>(recordCount, in.remaining())));
    RecordReader reader(in, fields, columns, codePage);
    for (qint32 r = 0; r < recordCount; ++r) {
        stored.status.push_back(in.u8("record status"));
        const char* fieldStatus = in.take(statusBytes, "field status");
        for (int i = 0; i < fieldCount; ++i) {
            const int bits = binaryformat::fieldStatus(fieldStatus, i);
            if (bits == binaryformat::kValueFollows) {
                reader.read(std::size_t(r), i);
            } else if (bits == binaryformat::kUnchanged) {
                stored.unchanged.emplace_back(quint32(r), quint16(i));
            } else if (bits == binaryformat::kInvalidStatus) {
                fail(QStringLiteral("%1 has the invalid field status 3")
                         .arg(reader.place(i, std::size_t(r))));
            }
        }
    }
    if (in.remaining() != 0)
        fail(QStringLiteral("%1 bytes follow the last record at offset %2")
                 .arg(in.remaining())
                 .arg(in.pos()));

    for (Column& c : columns) c.finish(std::size_t(recordCount));
    Table table(std::move(columns), std::size_t(recordCount));
    table.lcid = lcid;
    table.hasPendingChanges = hasPendingChanges(stored, changeLog);
    return currentRecords(std::move(table), stored, changeLog);
}

}  // namespace kavinto
