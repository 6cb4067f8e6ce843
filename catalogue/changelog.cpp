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

[[noreturn]] void logError(const QString& what) {
    throw Error(QStringLiteral("Invalid data packet: change log %1").arg(what));
}

}  // namespace

bool hasPendingChanges(const std::vector<StoredRecord>& stored, const std::vector<quint32>& changeLog) {
    return !changeLog.empty() ||
           std::any_of(stored.begin(), stored.end(), [](const StoredRecord& r) { return r.status != 0; });
}

std::vector<Record> resolvePendingChanges(std::vector<StoredRecord> stored,
                                          const std::vector<quint32>& changeLog) {
    const std::size_t count = stored.size();
    std::vector<std::size_t> current;  // indexes into stored
    current.reserve(count);

    if (changeLog.empty()) {
        for (std::size_t i = 0; i < count; ++i)
            if ((stored[i].status & (kOriginal | kDeleted)) == 0)
                current.push_back(i);
    } else {
        if (changeLog.size() % 3 != 0)
            logError(QStringLiteral("has %1 entries, not a multiple of three").arg(changeLog.size()));
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
        std::vector<bool> isCurrent(count, false);
        for (std::size_t i = 0; i < count; ++i)
            if (!logged[i] && (stored[i].status & kDeleted) == 0) {
                current.push_back(i);
                isCurrent[i] = true;
            }
        for (std::size_t t = 0; t < changeLog.size(); t += 3) {
            const std::size_t rec = changeLog[t] - 1;
            const quint32 prev = changeLog[t + 1];
            const quint32 kind = changeLog[t + 2];
            if (isCurrent[rec] && (kind & (kLogModify | kLogInsert)))
                logError(QStringLiteral("entry %1 adds record %2 a second time")
                             .arg(t / 3 + 1)
                             .arg(rec + 1));
            auto replaced = prev == 0 ? current.end()
                                      : std::find(current.begin(), current.end(), prev - 1);
            if (kind & kLogModify) {
                if (replaced == current.end())
                    logError(QStringLiteral("entry %1 modifies record %2, which is not current")
                                 .arg(t / 3 + 1)
                                 .arg(prev));
                StoredRecord& next = stored[rec];
                const StoredRecord& old = stored[*replaced];
                for (std::size_t f = 0; f < next.unchanged.size() && f < old.values.size(); ++f)
                    if (next.unchanged[f])
                        next.values[f] = old.values[f];
                isCurrent[*replaced] = false;
                *replaced = rec;
                isCurrent[rec] = true;
            } else if (kind & kLogInsert) {
                current.push_back(rec);
                isCurrent[rec] = true;
            } else if (kind & kLogDelete) {
                auto gone = replaced != current.end()
                                ? replaced
                                : std::find(current.begin(), current.end(), rec);
                if (gone != current.end()) {
                    isCurrent[*gone] = false;
                    current.erase(gone);
                }
            } else {
                logError(QStringLiteral("entry %1 has the unknown kind %2").arg(t / 3 + 1).arg(kind));
            }
        }
    }

    std::vector<Record> records;
    records.reserve(current.size());
    for (std::size_t i : current)
        records.push_back(std::move(stored[i].values));
    return records;
}

}  // namespace kavinto
