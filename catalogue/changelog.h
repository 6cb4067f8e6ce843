#pragma once

#include "packet.h"

#include <vector>

namespace kavinto {

// A record as stored in a packet, before pending changes are resolved.
struct StoredRecord {
    quint8 status = 0;  // 0 unmodified, 1 original, 2 deleted, 4 inserted, 8 modified
    Record values;
    std::vector<bool> unchanged;  // per field: "not changed", take the replaced record's value
};

// The table's current content: every record neither deleted nor replaced,
// a modified record standing in the place of the one it replaces. changeLog
// is the packet's CHANGE_LOG: triples (record, replaced record or 0, kind),
// records counted from 1. Throws an Error naming a malformed log.
std::vector<Record> resolvePendingChanges(std::vector<StoredRecord> stored,
                                          const std::vector<quint32>& changeLog);

// Whether a packet with these records and log carries unsaved changes.
bool hasPendingChanges(const std::vector<StoredRecord>& stored, const std::vector<quint32>& changeLog);

}  // namespace kavinto
