#pragma once

#include "clientdataset.h"
#include "error.h"

namespace kavinto::fuzz {

// Every table operation the program uses, on every field: each order, a walk
// over it, FindValue for each value met, the texts of a field to its end.
inline void exerciseTable(TClientDataSet& table) {
    for (const FieldDef& f : table.fields()) {
        try {
            table.setIndexFieldNames(f.name);
            for (table.GoFirst(); !table.AtEnd(); table.GoNext()) {
                const Value v = table.ReadValue(f.name);
                if (v.isNull())
                    continue;
                // FindValue moves to the first match; come back to keep walking.
                const int here = table.Bookmark();
                table.FindValue(f.name, Value::text(v.toText()));
                table.GotoBookmark(here);
            }
            table.positionsEqualTo(table.fieldNumber(f.name), Value::text(QStringLiteral("1")));
            table.GoFirst();
            const TextRun run = table.textsToEnd(f.name);
            for (std::size_t i = 0; i < run.size(); ++i) run.at(i);
        } catch (const Error&) {
        }
    }
}

// A packet loaded into a table, then every operation on what it holds.
inline void loadAndExercise(const QByteArray& packet) {
    TClientDataSet table(QStringLiteral("T"));
    try {
        table.LoadPacket(packet);
    } catch (const Error&) {
        return;
    }
    exerciseTable(table);
}

}  // namespace kavinto::fuzz
