#include "tableorder.h"

#include "collation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace kavinto {
namespace {

// Slot numbers 0..n-1 sorted by `less` on their keys; equal keys by slot.
template <typename Key, typename Less>
std::vector<quint32> sortedSlots(std::size_t n, const Key* keys, Less less) {
    std::vector<quint32> bySlot(n);
    std::iota(bySlot.begin(), bySlot.end(), 0u);
    bool sorted = true;
    for (std::size_t s = 1; s < n && sorted; ++s)
        sorted = !less(keys[s], keys[s - 1]);
    if (!sorted)
        std::sort(bySlot.begin(), bySlot.end(), [&](quint32 a, quint32 b) {
            if (less(keys[a], keys[b]))
                return true;
            if (less(keys[b], keys[a]))
                return false;
            return a < b;
        });
    return bySlot;
}

std::vector<quint32> collatedSlots(const Column& column, const QLocale& locale) {
    const std::size_t n = column.valueCount();
    const Collation collation(locale);
    PodBuffer<char> keys;
    std::vector<std::size_t> offsets(n);
    for (std::size_t s = 0; s < n; ++s) {
        offsets[s] = keys.size();
        collation.appendKey(column.textAt(s), keys);
    }
    // The first eight key bytes decide most comparisons without touching the keys.
    struct Entry {
        quint64 prefix;
        quint32 slot;
    };
    std::vector<Entry> entries(n);
    for (std::size_t s = 0; s < n; ++s) {
        const char* key = keys.data() + offsets[s];
        quint64 prefix = 0;
        bool ended = false;
        for (int i = 0; i < 8; ++i) {
            const quint8 b = ended ? 0 : static_cast<quint8>(key[i]);
            ended = ended || b == 0;
            prefix = (prefix << 8) | b;
        }
        entries[s] = {prefix, quint32(s)};
    }
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        const int c = std::strcmp(keys.data() + offsets[a.slot], keys.data() + offsets[b.slot]);
        return c != 0 ? c < 0 : a.slot < b.slot;
    });
    std::vector<quint32> bySlot(n);
    for (std::size_t i = 0; i < n; ++i)
        bySlot[i] = entries[i].slot;
    return bySlot;
}

std::vector<quint32> valueSlots(const Column& column) {
    const std::size_t n = column.valueCount();
    std::vector<Value> values;
    values.reserve(n);
    for (std::size_t s = 0; s < n; ++s)
        values.push_back(column.valueAtSlot(s));
    auto less = [](const Value& a, const Value& b) {
        const std::optional<Number> na = numberOf(a);
        const std::optional<Number> nb = numberOf(b);
        if (na && nb)
            return compareNumbers(*na, *nb) < 0;
        if (a.kind() == Value::Kind::Bytes && b.kind() == Value::Kind::Bytes)
            return a.bytesValue() < b.bytesValue();
        return a.toText() < b.toText();
    };
    return sortedSlots(n, values.data(), less);
}

std::vector<quint32> slotOrder(const Column& column, const QLocale& locale) {
    const std::size_t n = column.valueCount();
    switch (column.storage()) {
        case Column::Storage::Int32:
        case Column::Storage::Int64: {
            std::vector<qint64> keys(n);
            for (std::size_t s = 0; s < n; ++s)
                keys[s] = column.integerAt(s);
            if (column.def().type == FieldType::UInt64)
                return sortedSlots(n, keys.data(), [](qint64 a, qint64 b) { return quint64(a) < quint64(b); });
            return sortedSlots(n, keys.data(), [](qint64 a, qint64 b) { return a < b; });
        }
        case Column::Storage::Float: {
            std::vector<double> keys(n);
            for (std::size_t s = 0; s < n; ++s)
                keys[s] = column.floatAt(s);
            // Not-a-number values last, equal among themselves.
            return sortedSlots(n, keys.data(), [](double a, double b) { return a < b || (!std::isnan(a) && std::isnan(b)); });
        }
        case Column::Storage::Boolean: {
            std::vector<quint8> keys(n);
            for (std::size_t s = 0; s < n; ++s)
                keys[s] = column.booleanAt(s);
            return sortedSlots(n, keys.data(), [](quint8 a, quint8 b) { return a < b; });
        }
        case Column::Storage::Text:
            if (column.valueKind() == Value::Kind::Text)
                return collatedSlots(column, locale);
            return valueSlots(column);
        case Column::Storage::Bytes: return valueSlots(column);
    }
    return {};
}

// Equal ranks for records whose keys are equal, ascending along the order.
std::vector<quint32> ranksOf(const Column& column, const std::vector<quint32>& order, const QLocale& locale) {
    const Collation collation(locale);
    std::vector<quint32> ranks(order.size());
    quint32 rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0) {
            const qint64 a = column.slot(order[i - 1]);
            const qint64 b = column.slot(order[i]);
            bool same = a < 0 && b < 0;
            if (a >= 0 && b >= 0) {
                if (column.storage() == Column::Storage::Text && column.valueKind() == Value::Kind::Text)
                    same = collation.equal(column.textAt(std::size_t(a)), column.textAt(std::size_t(b)));
                else
                    same = column.valueAtSlot(std::size_t(a)).equals(column.valueAtSlot(std::size_t(b)));
            }
            rank += same ? 0 : 1;
        }
        ranks[order[i]] = rank;
    }
    return ranks;
}

}  // namespace

std::vector<quint32> fieldOrder(const Column& column, const QLocale& locale) {
    const std::vector<quint32> bySlot = slotOrder(column, locale);
    if (!column.hasNulls())
        return bySlot;
    std::vector<quint32> order;
    order.reserve(column.recordCount());
    std::vector<quint32> recordOfSlot;
    recordOfSlot.reserve(column.valueCount());
    for (std::size_t r = 0; r < column.recordCount(); ++r) {
        if (column.isNull(r))
            order.push_back(quint32(r));
        else
            recordOfSlot.push_back(quint32(r));
    }
    for (quint32 s : bySlot)
        order.push_back(recordOfSlot[s]);
    return order;
}

std::vector<quint32> combinedOrder(const Table& table, const std::vector<int>& fields,
                                   const std::vector<const std::vector<quint32>*>& orders, const QLocale& locale) {
    std::vector<std::vector<quint32>> ranks;
    for (std::size_t k = 0; k < fields.size(); ++k)
        ranks.push_back(ranksOf(table.column(fields[k]), *orders[k], locale));
    std::vector<quint32> order(table.recordCount());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        for (const std::vector<quint32>& r : ranks)
            if (r[a] != r[b])
                return r[a] < r[b];
        return false;
    });
    return order;
}

}  // namespace kavinto
