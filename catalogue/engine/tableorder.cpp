#include "tableorder.h"

#include "collation.h"
#include "comparison.h"
#include "parallel.h"
#include "radixsort.h"

#include <QHash>

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
    for (std::size_t s = 1; s < n && sorted; ++s) sorted = !less(keys[s], keys[s - 1]);
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

// Texts by collation. Equal texts share one sort key, so that each distinct
// text is keyed once; the distinct keys are sorted, and the slots placed
// by the rank of their key, in slot order among equals.
std::vector<quint32> collatedSlots(const Column& column, const QLocale& locale) {
    const std::size_t n = column.valueCount();
    // Equal texts found by sorting the slots by a hash of their text: linear,
    // and reading memory in order.
    std::vector<quint64> byHash(n);
    for (std::size_t s = 0; s < n; ++s)
        byHash[s] = quint64(quint32(qHash(column.textAt(s)))) << 32 | s;
    radixSortHigh32(byHash);
    std::vector<quint32> distinctOf(n);
    std::vector<quint32> firstSlot;  // of each distinct text
    for (std::size_t i = 0; i < n;) {
        std::size_t end = i + 1;
        while (end < n && byHash[end] >> 32 == byHash[i] >> 32) ++end;
        const std::size_t firstDistinct = firstSlot.size();
        for (; i < end; ++i) {
            const auto s = quint32(byHash[i]);
            const QStringView text = column.textAt(s);
            std::size_t d = firstDistinct;
            while (d < firstSlot.size() && column.textAt(firstSlot[d]) != text) ++d;
            if (d == firstSlot.size())
                firstSlot.push_back(s);
            distinctOf[s] = quint32(d);
        }
    }
    const std::size_t distinct = firstSlot.size();
    // The keys are made in parts, on every core, each part with a collator
    // of its own (one is not to be shared between threads).
    constexpr std::size_t kPart = 1024;
    std::vector<PodBuffer<char>> partKeys((distinct + kPart - 1) / kPart);
    std::vector<const char*> keyOf(distinct);
    forEachInParallel(partKeys.size(), [&](std::size_t part) {
        const Collation collation(locale);
        PodBuffer<char>& keys = partKeys[part];
        const std::size_t first = part * kPart, end = std::min(distinct, first + kPart);
        std::size_t offsets[kPart];
        for (std::size_t d = first; d < end; ++d) {
            offsets[d - first] = keys.size();
            collation.appendKey(column.textAt(firstSlot[d]), keys);
        }
        for (std::size_t d = first; d < end; ++d) keyOf[d] = keys.data() + offsets[d - first];
    });
    // The first sixteen key bytes decide most comparisons without touching the keys.
    struct Entry {
        quint64 high;
        quint64 low;
        quint32 distinct;
    };
    std::vector<Entry> entries(distinct);
    for (std::size_t d = 0; d < distinct; ++d) {
        const char* key = keyOf[d];
        quint64 prefix[2] = {0, 0};
        bool ended = false;
        for (int i = 0; i < 16; ++i) {
            const quint8 b = ended ? 0 : static_cast<quint8>(key[i]);
            ended = ended || b == 0;
            prefix[i / 8] = (prefix[i / 8] << 8) | b;
        }
        entries[d] = {prefix[0], prefix[1], quint32(d)};
    }
    auto compare = [&](const Entry& a, const Entry& b) {
        if (a.high != b.high)
            return a.high < b.high ? -1 : 1;
        if (a.low != b.low)
            return a.low < b.low ? -1 : 1;
        return std::strcmp(keyOf[a.distinct], keyOf[b.distinct]);
    };
    // Sorted in two halves, each on a core, then merged.
    const auto less = [&](const Entry& a, const Entry& b) { return compare(a, b) < 0; };
    const auto middle = entries.begin() + std::ptrdiff_t(distinct / 2);
    forEachInParallel(2, [&](std::size_t half) {
        std::sort(half == 0 ? entries.begin() : middle, half == 0 ? middle : entries.end(), less);
    });
    std::inplace_merge(entries.begin(), middle, entries.end(), less);
    // Texts whose keys are equal collate as equal: one rank.
    std::vector<quint32> rankOf(distinct);
    quint32 rank = 0;
    for (std::size_t i = 0; i < distinct; ++i) {
        if (i > 0 && compare(entries[i], entries[i - 1]) != 0)
            ++rank;
        rankOf[entries[i].distinct] = rank;
    }
    std::vector<quint32> start(std::size_t(rank) + 2, 0);
    for (std::size_t s = 0; s < n; ++s) ++start[rankOf[distinctOf[s]] + 1];
    for (std::size_t r = 1; r < start.size(); ++r) start[r] += start[r - 1];
    std::vector<quint32> bySlot(n);
    for (std::size_t s = 0; s < n; ++s) bySlot[start[rankOf[distinctOf[s]]]++] = quint32(s);
    return bySlot;
}

std::vector<quint32> valueSlots(const Column& column) {
    const std::size_t n = column.valueCount();
    std::vector<Value> values;
    values.reserve(n);
    for (std::size_t s = 0; s < n; ++s) values.push_back(column.valueAtSlot(s));
    return sortedSlots(n, values.data(), orderedBefore);
}

std::vector<quint32> slotOrder(const Column& column, const QLocale& locale) {
    const std::size_t n = column.valueCount();
    switch (column.storage()) {
        case Column::Storage::Int32:
        case Column::Storage::Int64: {
            std::vector<qint64> keys(n);
            for (std::size_t s = 0; s < n; ++s) keys[s] = column.integerAt(s);
            if (column.def().type == FieldType::UInt64)
                return sortedSlots(n, keys.data(),
                                   [](qint64 a, qint64 b) { return quint64(a) < quint64(b); });
            return sortedSlots(n, keys.data(), [](qint64 a, qint64 b) { return a < b; });
        }
        case Column::Storage::Float: {
            std::vector<double> keys(n);
            for (std::size_t s = 0; s < n; ++s) keys[s] = column.floatAt(s);
            // Not-a-number values last, in record order (equal to nothing, each ranks alone).
            return sortedSlots(n, keys.data(), [](double a, double b) {
                return a < b || (!std::isnan(a) && std::isnan(b));
            });
        }
        case Column::Storage::Boolean: {
            std::vector<quint8> keys(n);
            for (std::size_t s = 0; s < n; ++s) keys[s] = column.booleanAt(s);
            return sortedSlots(n, keys.data(), [](quint8 a, quint8 b) { return a < b; });
        }
        case Column::Storage::Text:
            if (column.valueKind() == Value::Kind::Text)
                return collatedSlots(column, locale);
            return valueSlots(column);
        case Column::Storage::Bytes:
            return valueSlots(column);
    }
    return {};
}

// Equal ranks for records whose keys are equal, ascending along the order.
std::vector<quint32> ranksOf(const Column& column, const std::vector<quint32>& order,
                             const QLocale& locale) {
    const Collation collation(locale);
    std::vector<quint32> ranks(order.size());
    quint32 rank = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (i > 0) {
            const quint32 a = order[i - 1], b = order[i];
            bool same = column.isNull(a) && column.isNull(b);
            if (!column.isNull(a) && !column.isNull(b)) {
                if (column.storage() == Column::Storage::Text &&
                    column.valueKind() == Value::Kind::Text)
                    same = collation.equal(*column.textOf(a), *column.textOf(b));
                else
                    same = column.value(a).equals(column.value(b));
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
    for (quint32 s : bySlot) order.push_back(recordOfSlot[s]);
    return order;
}

quint32 firstInFieldOrder(const Column& column, const QLocale& locale,
                          const std::vector<quint32>& records) {
    if (column.valueKind() != Value::Kind::Text)
        return fieldOrder(column, locale)[0];  // not reached for a text field's order
    const Collation collation(locale);
    PodBuffer<char> keys;
    std::vector<std::size_t> offsets;
    for (quint32 r : records) {
        offsets.push_back(keys.size());
        if (const std::optional<QStringView> text = column.textOf(r))
            collation.appendKey(*text, keys);
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < records.size(); ++i) {
        const bool nullI = column.isNull(records[i]), nullBest = column.isNull(records[best]);
        int c = nullI == nullBest ? 0 : (nullI ? -1 : 1);
        if (c == 0 && !nullI)
            c = std::strcmp(keys.data() + offsets[i], keys.data() + offsets[best]);
        if (c < 0 || (c == 0 && records[i] < records[best]))
            best = i;
    }
    return records[best];
}

std::vector<quint32> combinedOrder(const Table& table, const std::vector<int>& fields,
                                   const std::vector<const std::vector<quint32>*>& orders,
                                   const QLocale& locale) {
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
