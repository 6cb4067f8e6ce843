#pragma once

#include "bitvector.h"
#include "packet.h"
#include "podbuffer.h"
#include "value.h"

#include <QByteArrayView>
#include <QStringView>

#include <optional>
#include <variant>

namespace kavinto {

// One field of a read-only table: the values of every record, in one flat
// array of the field's kind, and which records are null. Only non-null values
// take room; value slot s holds the s-th non-null value in record order.
// Which slot holds a record's value is the column's own business: callers
// read a value by record, or go over the present values by slot.
//
// Layouts: 8- to 32-bit integers, dates and times as 32-bit integers; 64-bit
// and unsigned 32-bit integers as 64-bit integers (unsigned 64-bit ones as
// their bits); floats and timestamps as doubles; booleans as bytes; texts,
// memos and decimals (their canonical text) as UTF-16 in one arena with
// offsets; other blobs as bytes in one arena with offsets.
class Column {
public:
    enum class Storage : quint8 { Int32, Int64, Float, Boolean, Text, Bytes };

    explicit Column(FieldDef def);
    Column(Column&&) noexcept = default;
    Column& operator=(Column&&) noexcept = default;

    const FieldDef& def() const { return m_def; }
    Storage storage() const { return Storage(m_values.index()); }
    // The kind of every non-null value (Integer for an unsigned 64-bit field).
    Value::Kind valueKind() const { return m_kind; }

    std::size_t recordCount() const { return m_recordCount; }
    std::size_t valueCount() const { return m_valueCount; }
    bool hasNulls() const { return m_valueCount < m_recordCount; }

    bool isNull(std::size_t record) const { return slot(record) < 0; }
    // The record's value; null where it is null.
    Value value(std::size_t record) const;
    // The record's value as the column stores it; nothing where it is null.
    std::optional<qint64> integerOf(std::size_t record) const {
        return at(record, &Column::integerAt);
    }
    std::optional<double> floatOf(std::size_t record) const { return at(record, &Column::floatAt); }
    std::optional<bool> booleanOf(std::size_t record) const {
        return at(record, &Column::booleanAt);
    }
    std::optional<QStringView> textOf(std::size_t record) const {
        return at(record, &Column::textAt);
    }
    std::optional<QByteArrayView> bytesOf(std::size_t record) const {
        return at(record, &Column::bytesAt);
    }

    // The present values, slot 0 to valueCount() - 1, in record order.
    Value valueAtSlot(std::size_t slot) const;

    qint64 integerAt(std::size_t slot) const {
        return storage() == Storage::Int32 ? values<Int32s>()[slot] : values<Int64s>()[slot];
    }
    double floatAt(std::size_t slot) const { return values<Floats>()[slot]; }
    bool booleanAt(std::size_t slot) const { return values<Booleans>()[slot] != 0; }
    QStringView textAt(std::size_t slot) const { return values<Texts>().at(slot); }
    QByteArrayView bytesAt(std::size_t slot) const { return values<Blobs>().at(slot); }

    // Building, in ascending record order: beginValue(record) announces that
    // the record holds the next value, one push follows. Records without a
    // value are null. finish() seals the column for `recordCount` records.
    void beginValue(std::size_t record);
    void pushInt32(qint32 v) { values<Int32s>().push_back(v); }
    void pushInt64(qint64 v) { values<Int64s>().push_back(v); }
    void pushFloat(double v) { values<Floats>().push_back(v); }
    void pushBoolean(bool v) { values<Booleans>().push_back(v ? 1 : 0); }
    // Room for up to n characters of the next text; commitText(k) takes k.
    char16_t* textSpace(std::size_t n) { return values<Texts>().units.reserveMore(n); }
    void commitText(std::size_t n);
    void pushText(QStringView text);
    void pushBytes(QByteArrayView bytes);
    // Copies the record's value from a column of the same field, where it holds one.
    void pushFrom(const Column& other, std::size_t record);
    void finish(std::size_t recordCount);

private:
    // The value slot of a record, or -1 where the record's value is null.
    qint64 slot(std::size_t record) const;
    template <typename Get>
    auto at(std::size_t record, Get get) const
        -> std::optional<decltype((this->*get)(std::size_t()))> {
        const qint64 s = slot(record);
        if (s < 0)
            return std::nullopt;
        return (this->*get)(std::size_t(s));
    }
    void listValuesSoFar();

    FieldDef m_def;
    Value::Kind m_kind;

    std::size_t m_recordCount = 0;
    std::size_t m_valueCount = 0;
    // Which records hold values: all of them (neither below), the listed
    // ones, or those whose bit is set, whichever takes less room.
    enum class Presence : quint8 { All, Listed, Bitmap } m_presence = Presence::All;
    PodBuffer<quint32> m_listed;
    BitVector m_present;

    // Values of varying length, one after another; value s runs from
    // offsets[s] to offsets[s + 1].
    template <typename Unit, typename View>
    struct Arena {
        PodBuffer<quint32> offsets;
        PodBuffer<Unit> units;
        View at(std::size_t s) const {
            return View(units.data() + offsets[s], qsizetype(offsets[s + 1] - offsets[s]));
        }
    };
    using Int32s = PodBuffer<qint32>;
    using Int64s = PodBuffer<qint64>;
    using Floats = PodBuffer<double>;
    using Booleans = PodBuffer<quint8>;
    using Texts = Arena<char16_t, QStringView>;
    using Blobs = Arena<char, QByteArrayView>;
    // The buffers of the column's storage alone, in the order of Storage:
    // the alternative held is the storage.
    std::variant<Int32s, Int64s, Floats, Booleans, Texts, Blobs> m_values;
    static_assert(std::variant_size_v<decltype(m_values)> == std::size_t(Storage::Bytes) + 1);
    template <typename T>
    T& values() {
        return *std::get_if<T>(&m_values);
    }
    template <typename T>
    const T& values() const {
        return *std::get_if<T>(&m_values);
    }
};

}  // namespace kavinto
