#include "binarypacketwriter.h"

#include "binaryformat.h"

#include "error.h"
#include "packetlocale.h"
#include "quoted.h"
#include "textcodec.h"

#include <QStringEncoder>
#include <QtEndian>

#include <cstring>
#include <stdexcept>

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

// A text in the packet's code page; a character the code page lacks is refused.
QByteArray inCodePage(const TextEncoder& encoder, QStringView text, const QString& where) {
    std::optional<QByteArray> bytes = encoder.encode(text);
    if (!bytes)
        throw Error::unwritable(QStringLiteral("%1 holds a character that %2 cannot hold")
                                    .arg(where, encoder.codePage()));
    return *std::move(bytes);
}

QByteArray utf16(QStringView text) {
    return QStringEncoder(QStringEncoder::Utf16LE).encode(text);
}

QString place(const Column& c, std::size_t record) {
    return QStringLiteral("field %1 of record %2").arg(quoted(c.def().name)).arg(record + 1);
}

// The bytes of a text or blob value as they are stored.
QByteArray varyingBytes(const BinaryPacketWriter& w, const Column& c, int field,
                        std::size_t record) {
    if (c.storage() == Column::Storage::Bytes)
        return c.bytesOf(record)->toByteArray();
    return w.storedText(field, *c.textOf(record), place(c, record));
}

void writeProperty(ByteWriter& w, const char* name, int size, quint16 type,
                   const QByteArray& value) {
    w.name(QByteArray(name));
    w.le(quint64(size), 2);
    w.le(type, 2);
    w.bytes(value);
}

}  // namespace

struct BinaryPacketWriter::State {
    std::vector<FieldDef> fields;
    qint32 lcid;
    QString codePage;
    TextEncoder encoder;
    std::vector<qsizetype> longest;
    std::vector<Layout> layouts;
    ByteWriter out;
    QByteArray status;
    std::size_t announced = 0;
    std::size_t written = 0;
};

BinaryPacketWriter::BinaryPacketWriter(std::vector<FieldDef> fields, std::optional<qint32> lcid) {
    if (fields.size() > 0xFFFF)
        throw Error::unwritable(QStringLiteral("a packet holds at most 65,535 fields"));
    for (const FieldDef& f : fields)
        if (f.type == FieldType::Decimal)
            layoutOf(FieldType::Decimal, 0);
    const qint32 id = lcid.value_or(kDefaultLcid);
    const QString codePage = packetLocale(id).codePage;
    d.reset(
        new State{std::move(fields), id, codePage, TextEncoder(codePage), {}, {}, {}, {}, 0, 0});
    d->longest.assign(d->fields.size(), 0);
}

BinaryPacketWriter::~BinaryPacketWriter() = default;

QByteArray BinaryPacketWriter::storedText(int field, QStringView text, const QString& place) const {
    const FieldDef& f = d->fields[std::size_t(field)];
    const bool wide = f.type == FieldType::WideString || f.subtype == QLatin1String("WideText");
    // The reader ends a string at its first NUL, so a NUL inside one would cut it short.
    if (f.type != FieldType::Blob && text.contains(QChar(0)))
        throw Error::unwritable(
            place + QStringLiteral(" holds a NUL character, which a string field cannot hold"));
    QByteArray bytes = wide ? utf16(text) : inCodePage(d->encoder, text, place);
    if (f.type != FieldType::Blob && bytes.size() > kMaxStringBytes)
        throw Error::unwritable(
            QStringLiteral("%1 is %2 bytes long, more than the %3 a string field can hold")
                .arg(place)
                .arg(bytes.size())
                .arg(kMaxStringBytes));
    return bytes;
}

void BinaryPacketWriter::measure(int field, qsizetype storedBytes) {
    qsizetype& longest = d->longest[std::size_t(field)];
    longest = std::max(longest, storedBytes);
}

void BinaryPacketWriter::start(std::size_t recordCount) {
    if (recordCount > 0x7FFFFFFF)
        throw Error::unwritable(QStringLiteral("a packet holds at most 2,147,483,647 records"));
    ByteWriter fields;
    for (std::size_t i = 0; i < d->fields.size(); ++i) {
        const FieldDef& f = d->fields[i];
        const Layout l = layoutOf(f.type, d->longest[i]);
        d->layouts.push_back(l);
        fields.name(inCodePage(d->encoder, f.name,
                               QStringLiteral("the field name %1").arg(quoted(f.name))));
        fields.le(quint64(l.size), 2);
        fields.le(quint16(l.kind | (l.varying ? kVaryingBit : 0)), 2);
        fields.le(f.attributes, 2);
        const bool hasSubtype = !f.subtype.isEmpty();
        const bool hasWidth = f.type == FieldType::String || f.type == FieldType::WideString;
        fields.le(quint64(int(hasSubtype) + int(hasWidth)), 2);
        if (hasSubtype) {
            QByteArray text = f.subtype.toLatin1();
            text.append('\0');
            ByteWriter v;
            v.le(quint64(text.size()), 2);
            v.bytes(text);
            writeProperty(fields, kSubtypeProperty, 2, kAnsiString | kVaryingBit, v.data());
        }
        if (hasWidth) {
            const int unit = f.type == FieldType::WideString ? 2 : 1;
            const int width = std::max<int>({f.width, int(d->longest[i] / unit), 1});
            ByteWriter v;
            v.le(quint64(width), 2);
            writeProperty(fields, kWidthProperty, 2, kUnsignedInt, v.data());
        }
    }
    fields.le(1, 2);
    ByteWriter lcidValue;
    lcidValue.le(quint32(d->lcid), 4);
    writeProperty(fields, kLcidProperty, 4, kSignedInt, lcidValue.data());
    const qsizetype headerSize = kFixedHeaderSize + fields.data().size();
    if (headerSize > 0xFFFF)
        throw Error::unwritable(QStringLiteral("the packet header is longer than 65,535 bytes"));

    ByteWriter& out = d->out;
    out.bytes(kSignature);
    out.le(kVersion, 4);
    out.le(kFixedHeaderSize, 4);
    out.le(quint64(d->fields.size()), 2);
    out.le(recordCount, 4);
    out.le(kHeaderFlags, 4);
    out.le(quint64(headerSize), 2);
    out.bytes(fields.data());
    d->announced = recordCount;
    d->status = QByteArray(binaryformat::fieldStatusBytes(qsizetype(d->fields.size())), '\0');
}

void BinaryPacketWriter::beginRecord(const std::vector<bool>& nulls) {
    if (d->written++ == d->announced)
        throw std::logic_error("more records than announced");
    d->out.u8(0);
    d->status.fill('\0');
    for (std::size_t i = 0; i < nulls.size(); ++i)
        if (nulls[i])
            binaryformat::setFieldStatus(d->status.data(), int(i), binaryformat::kNull);
    d->out.bytes(d->status);
}

void BinaryPacketWriter::integer(int field, qint64 value) {
    d->out.le(quint64(value), d->layouts[std::size_t(field)].size);
}

void BinaryPacketWriter::real(int field, double value) {
    auto bitsOf = [](auto x) {
        quint64 bits = 0;
        std::memcpy(&bits, &x, sizeof x);
        return bits;
    };
    if (d->fields[std::size_t(field)].type == FieldType::Float32)
        d->out.le(bitsOf(float(value)), 4);
    else
        d->out.le(bitsOf(value), 8);
}

void BinaryPacketWriter::boolean(int, bool value) {
    d->out.le(value ? 1 : 0, 2);
}

void BinaryPacketWriter::varying(int field, QByteArrayView stored) {
    d->out.le(quint64(stored.size()), d->layouts[std::size_t(field)].size);
    d->out.bytes(stored);
}

QByteArray BinaryPacketWriter::finish() {
    if (d->written != d->announced)
        throw std::logic_error("fewer records than announced");
    return std::move(d->out.data());
}

QByteArray encodeBinaryPacket(const Packet& packet) {
    return encodeBinaryPacket(Table::fromPacket(packet));
}

QByteArray encodeBinaryPacket(const Table& table) {
    const int fieldCount = table.fieldCount();
    std::vector<FieldDef> fields;
    for (int i = 0; i < fieldCount; ++i) fields.push_back(table.field(i));
    BinaryPacketWriter w(std::move(fields), table.lcid);
    const std::size_t recordCount = table.recordCount();
    // The layout of a varying field depends on its longest value.
    for (int i = 0; i < fieldCount; ++i) {
        const Column& c = table.column(i);
        if (c.storage() != Column::Storage::Text && c.storage() != Column::Storage::Bytes)
            continue;
        for (std::size_t r = 0; r < recordCount; ++r)
            if (!c.isNull(r))
                w.measure(i, varyingBytes(w, c, i, r).size());
    }
    w.start(recordCount);
    std::vector<bool> nulls(static_cast<std::size_t>(fieldCount));
    for (std::size_t r = 0; r < recordCount; ++r) {
        for (int i = 0; i < fieldCount; ++i) nulls[std::size_t(i)] = table.column(i).isNull(r);
        w.beginRecord(nulls);
        for (int i = 0; i < fieldCount; ++i) {
            const Column& c = table.column(i);
            if (c.isNull(r))
                continue;
            switch (c.def().type) {
                case FieldType::String:
                case FieldType::WideString:
                case FieldType::Blob:
                    w.varying(i, varyingBytes(w, c, i, r));
                    break;
                case FieldType::Boolean:
                    w.boolean(i, *c.booleanOf(r));
                    break;
                case FieldType::Float32:
                case FieldType::Float64:
                case FieldType::Timestamp:
                    w.real(i, *c.floatOf(r));
                    break;
                default:
                    w.integer(i, *c.integerOf(r));
                    break;
            }
        }
    }
    return w.finish();
}

}  // namespace kavinto
