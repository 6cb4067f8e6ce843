#pragma once

#include "table.h"

#include <utility>
#include <vector>

namespace kavinto {

// What a decoder gathers about the stored records besides their values.
struct StoredRecords {
    // Per stored record: 0 unmodified, 1 original, 2 deleted, 4 inserted, 8 modified.
    std::vector<quint8> status;
    // Cells marked "not changed", which take the value of the record they
    // replace: (record, field), in ascending record order.
    std::vector<std::pair<quint32, quint16>> unchanged;
};

// Whether a packet with these records and log carries unsaved changes.
bool hasPendingChanges(const StoredRecords& stored, const std::vector<quint32>& changeLog);

// The table's current content, from the table of every stored record: each
// record neither deleted nor replaced, a modified record standing in the
// place of the one it replaces. changeLog is the packet's CHANGE_LOG:
// triples (record, replaced record or 0, kind), records counted from 1.
// Linear in the records and the log. Throws an Error naming a malformed log.
Table currentRecords(Table stored, const StoredRecords& records,
                     const std::vector<quint32>& changeLog);

}  // namespace kavinto
