#include "changelog.h"

#include "error.h"

#include <algorithm>

namespace kavinto {
namespace {

constexpr quint8 kOriginal = 0x01;
constexpr quint8 kDeleted = 0x02;
constexpr quint32 kLogDelete = 2;
constexpr quint32 kLogInsert = 4;
constexpr quint32 kLogModify = 8;
constexpr quint32 kGone = 0xFFFFFFFF;

[[noreturn]] void logError(const QString& what) {
    throw Error::invalidPacket(QStringLiteral("change log %1").arg(what));
}

quint64 cellKey(quint32 record, quint16 field) {
    return quint64(record) * 65536 + field;
}

}  // namespace

bool hasPendingChanges(const StoredRecords& stored, const std::vector<quint32>& changeLog) {
    return !changeLog.empty() ||
           std::any_of(stored.status.begin(), stored.status.end(), [](quint8 s) { return s != 0; });
}

Table currentRecords(Table stored, const StoredRecords& records,
                     const std::vector<quint32>& changeLog) {
    const std::size_t count = records.status.size();
    std::vector<quint32> current;  // stored record numbers from 0; kGone where deleted
    CellSources sources;

    if (changeLog.empty()) {
        if (std::all_of(records.status.begin(), records.status.end(),
                        [](quint8 s) { return s == 0; }))
            return stored;
        for (std::size_t i = 0; i < count; ++i)
            if ((records.status[i] & (kOriginal | kDeleted)) == 0)
                current.push_back(quint32(i));
    } else {
        if (changeLog.size() % 3 != 0)
            logError(
                QStringLiteral("has %1 entries, not a multiple of three").arg(changeLog.size()));
        std::vector<bool> logged(count, false);
        for (std::size_t t = 0; t < changeLog.size(); t += 3) {
            const quint32 rec = changeLog[t];
            const quint32 prev = changeLog[t + 1];
            if (rec < 1 || rec > count || prev > count)
                logError(QStringLiteral("entry %1 names record %2 of %3")
                             .arg(t / 3 + 1)
                             .arg(rec < 1 || rec > count ? rec : prev)
                             .arg(count));
            logged[rec - 1] = true;
        }
        // positionOf[record]: its place in `current`, or kGone while it is not current.
        std::vector<quint32> positionOf(count, kGone);
        for (std::size_t i = 0; i < count; ++i)
            if (!logged[i] && (records.status[i] & kDeleted) == 0) {
                positionOf[i] = quint32(current.size());
                current.push_back(quint32(i));
            }
        auto sourceOf = [&](quint32 record, quint16 field) {
            const auto it = sources.find(cellKey(record, field));
            return it == sources.end() ? record : it->second;
        };
        for (std::size_t t = 0; t < changeLog.size(); t += 3) {
            const quint32 rec = changeLog[t] - 1;
            const quint32 prev = changeLog[t + 1];
            const quint32 kind = changeLog[t + 2];
            if (positionOf[rec] != kGone && (kind & (kLogModify | kLogInsert)))
                logError(QStringLiteral("entry %1 adds record %2 a second time")
                             .arg(t / 3 + 1)
                             .arg(rec + 1));
            const quint32 replaced = prev == 0 ? kGone : positionOf[prev - 1];
            if (kind & kLogModify) {
                if (replaced == kGone)
                    logError(QStringLiteral("entry %1 modifies record %2, which is not current")
                                 .arg(t / 3 + 1)
                                 .arg(prev));
                auto cell = std::lower_bound(records.unchanged.begin(), records.unchanged.end(),
                                             std::pair<quint32, quint16>(rec, 0));
                for (; cell != records.unchanged.end() && cell->first == rec; ++cell)
                    sources[cellKey(rec, cell->second)] = sourceOf(prev - 1, cell->second);
                positionOf[prev - 1] = kGone;
                current[replaced] = rec;
                positionOf[rec] = replaced;
            } else if (kind & kLogInsert) {
                positionOf[rec] = quint32(current.size());
                current.push_back(rec);
            } else if (kind & kLogDelete) {
                const quint32 gone = replaced != kGone ? replaced : positionOf[rec];
                if (gone != kGone) {
                    positionOf[current[gone]] = kGone;
                    current[gone] = kGone;
                }
            } else {
                logError(
                    QStringLiteral("entry %1 has the unknown kind %2").arg(t / 3 + 1).arg(kind));
            }
        }
        current.erase(std::remove(current.begin(), current.end(), kGone), current.end());
    }
    return stored.select(current, sources);
}

}  // namespace kavinto
