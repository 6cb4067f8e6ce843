#include "column.h"

#include <algorithm>
#include <limits>
#include <new>

namespace kavinto {
namespace {

struct Layout {
    Column::Storage storage;
    Value::Kind kind;
};

Layout layoutOf(const FieldDef& def) {
    using S = Column::Storage;
    using K = Value::Kind;
    switch (def.type) {
        case FieldType::Int8:
        case FieldType::Int16:
        case FieldType::Int32:
        case FieldType::UInt8:
        case FieldType::UInt16:
            return {S::Int32, K::Integer};
        case FieldType::Int64:
        case FieldType::UInt32:
        case FieldType::UInt64:
            return {S::Int64, K::Integer};
        case FieldType::Boolean:
            return {S::Boolean, K::Boolean};
        case FieldType::Float32:
        case FieldType::Float64:
            return {S::Float, K::Float};
        case FieldType::Decimal:
            return {S::Text, K::Decimal};
        case FieldType::Date:
            return {S::Int32, K::Date};
        case FieldType::Time:
            return {S::Int32, K::Time};
        case FieldType::Timestamp:
            return {S::Float, K::Timestamp};
        case FieldType::String:
        case FieldType::WideString:
            return {S::Text, K::Text};
        case FieldType::Blob:
            return def.isMemo() ? Layout{S::Text, K::Text} : Layout{S::Bytes, K::Bytes};
    }
    return {S::Int32, K::Integer};
}

}  // namespace

Column::Column(FieldDef def) : m_def(std::move(def)) {
    const Layout layout = layoutOf(m_def);
    m_kind = layout.kind;
    switch (layout.storage) {
        case Storage::Int32:
            m_values.emplace<Int32s>();
            break;
        case Storage::Int64:
            m_values.emplace<Int64s>();
            break;
        case Storage::Float:
            m_values.emplace<Floats>();
            break;
        case Storage::Boolean:
            m_values.emplace<Booleans>();
            break;
        case Storage::Text:
            m_values.emplace<Texts>().offsets.push_back(0);
            break;
        case Storage::Bytes:
            m_values.emplace<Blobs>().offsets.push_back(0);
            break;
    }
}

qint64 Column::slot(std::size_t record) const {
    if (record >= m_recordCount)
        return -1;
    switch (m_presence) {
        case Presence::All:
            return qint64(record);
        case Presence::Bitmap:
            return m_present.test(record) ? qint64(m_present.rank(record)) : -1;
        case Presence::Listed: {
            const quint32* it = std::lower_bound(m_listed.begin(), m_listed.end(), quint32(record));
            return it != m_listed.end() && *it == record ? qint64(it - m_listed.begin()) : -1;
        }
    }
    return -1;
}

Value Column::value(std::size_t record) const {
    const qint64 s = slot(record);
    return s < 0 ? Value() : valueAtSlot(std::size_t(s));
}

Value Column::valueAtSlot(std::size_t s) const {
    switch (m_kind) {
        case Value::Kind::Integer:
            if (m_def.type == FieldType::UInt64)
                return Value::unsignedInteger(quint64(values<Int64s>()[s]));
            return Value::integer(integerAt(s));
        case Value::Kind::Date:
            return Value::date(Date{values<Int32s>()[s]});
        case Value::Kind::Time:
            return Value::time(Time{values<Int32s>()[s]});
        case Value::Kind::Float:
            return Value::floating(floatAt(s));
        case Value::Kind::Timestamp:
            return Value::timestamp(Timestamp{floatAt(s)});
        case Value::Kind::Boolean:
            return Value::boolean(booleanAt(s));
        case Value::Kind::Text:
            return Value::text(textAt(s).toString());
        case Value::Kind::Decimal:
            return Value::decimal(Decimal{textAt(s).toString()});
        case Value::Kind::Bytes:
            return Value::bytes(bytesAt(s).toByteArray());
        default:
            return {};
    }
}

void Column::listValuesSoFar() {
    m_presence = Presence::Listed;
    m_listed.reserveMore(m_valueCount);
    for (std::size_t r = 0; r < m_valueCount; ++r) m_listed.push_back(quint32(r));
}

void Column::beginValue(std::size_t record) {
    if (m_presence == Presence::All && record != m_valueCount)
        listValuesSoFar();
    if (m_presence == Presence::Listed)
        m_listed.push_back(quint32(record));
    ++m_valueCount;
}

void Column::commitText(std::size_t n) {
    Texts& texts = values<Texts>();
    texts.units.commit(n);
    if (texts.units.size() > std::numeric_limits<quint32>::max())
        throw std::bad_alloc();
    texts.offsets.push_back(quint32(texts.units.size()));
}

void Column::pushText(QStringView text) {
    const std::size_t n = std::size_t(text.size());
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), n, textSpace(n));
    commitText(n);
}

void Column::pushBytes(QByteArrayView bytes) {
    Blobs& blobs = values<Blobs>();
    blobs.units.append(bytes.data(), std::size_t(bytes.size()));
    if (blobs.units.size() > std::numeric_limits<quint32>::max())
        throw std::bad_alloc();
    blobs.offsets.push_back(quint32(blobs.units.size()));
}

void Column::pushFrom(const Column& other, std::size_t record) {
    const qint64 at = other.slot(record);
    if (at < 0)
        return;
    const auto s = std::size_t(at);
    switch (storage()) {
        case Storage::Int32:
            pushInt32(other.values<Int32s>()[s]);
            break;
        case Storage::Int64:
            pushInt64(other.values<Int64s>()[s]);
            break;
        case Storage::Float:
            pushFloat(other.floatAt(s));
            break;
        case Storage::Boolean:
            values<Booleans>().push_back(other.values<Booleans>()[s]);
            break;
        case Storage::Text:
            pushText(other.textAt(s));
            break;
        case Storage::Bytes:
            pushBytes(other.bytesAt(s));
            break;
    }
}

void Column::finish(std::size_t recordCount) {
    m_recordCount = recordCount;
    if (m_presence == Presence::All && m_valueCount < recordCount)
        listValuesSoFar();
    // A bitmap with its rank directory takes 1.5 bits a record, a list 32 bits a value.
    if (m_presence == Presence::Listed && recordCount / 8 + recordCount / 16 < m_valueCount * 4) {
        m_present = BitVector(recordCount);
        for (quint32 r : m_listed) m_present.set(r);
        m_present.buildRank();
        m_listed = PodBuffer<quint32>();
        m_presence = Presence::Bitmap;
    }
    m_listed.shrinkToFit();
    std::visit(
        [](auto& buffer) {
            if constexpr (std::is_same_v<std::decay_t<decltype(buffer)>, Texts> ||
                          std::is_same_v<std::decay_t<decltype(buffer)>, Blobs>) {
                buffer.offsets.shrinkToFit();
                buffer.units.shrinkToFit();
            } else {
                buffer.shrinkToFit();
            }
        },
        m_values);
}

}  // namespace kavinto
