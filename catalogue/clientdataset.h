#pragma once

#include "packet.h"

#include <QCollator>
#include <QHash>
#include <QIODevice>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

namespace kavinto {

// An in-memory, read-only table loaded from one data packet, with a current
// record and an order. Errors of its own are Errors whose text begins with
// the table's name and ": "; a packet that the decoder rejects fails
// LoadPacket with the decoder's text, unprefixed, and leaves the table closed.
class TClientDataSet {
public:
    explicit TClientDataSet(QString name);

    const QString& name() const { return m_name; }

    // Closes the table, discarding its records. Active(false) is the same.
    void CloseTable();
    bool Active() const { return m_active; }
    void setActive(bool active);

    // Ascending order by the named field (several joined by ';'); empty: the
    // packet's order. Texts are collated by the packet's language, with regard
    // to case; equal keys keep the packet's order; nulls come first. Applies at
    // once to an open table (keeping the current record), at opening to a
    // closed one; the current value again changes nothing.
    const QString& IndexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString& names);

    // The table reads and writes no file of its own; the name is only kept.
    const QString& FileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }

    // Closes the table, takes the bytes as one packet and opens on its first record.
    void LoadPacket(const QByteArray& packet);
    // The same for the device's remaining bytes.
    void LoadPacket(QIODevice& stream);

    // Without pending changes: returns 0. A table has no provider, so pending
    // changes cannot be applied: "Missing data provider or data packet".
    int ApplyPending(int maxErrors);
    // No effect on an open table; a closed one has no packet to open.
    void OpenTable();

    void GoFirst();
    void GoNext();
    bool AtEnd() const;

    // The current record's value of the field, named without regard to case;
    // null on an empty table.
    Value ReadValue(const QString& fieldName) const;
    // Makes the first record in the current order whose field equals the
    // value current. Texts compare whole and case-insensitively (full case
    // folding); a numeric field reads the value's text as a number, and a text
    // that is no number finds nothing. Returns false and keeps the current
    // record when none matches.
    bool FindValue(const QString& fieldName, const Value& value);

    // The current record's identity: its place in the packet, kept across
    // order changes; -1 on an empty table. GotoBookmark makes it current again.
    int Bookmark() const;
    void GotoBookmark(int bookmark);

    // For tools and tests: the current record's value of field `index` (0-based).
    Value valueAt(int index) const;
    const std::vector<FieldDef>& fields() const { return m_fields; }
    int recordCount() const { return int(m_records.size()); }
    std::optional<qint32> lcid() const { return m_lcid; }

private:
    [[noreturn]] void fail(const QString& message) const;
    void requireOpen() const;
    int fieldIndex(const QString& fieldName) const;
    void applyOrder();
    const QHash<QString, int>& lookupIndex(int field);
    static QString lookupKey(const FieldDef& field, const Value& value);

    QString m_name;
    QString m_indexFieldNames;
    QString m_fileName;
    bool m_active = false;
    bool m_pendingChanges = false;

    std::vector<FieldDef> m_fields;
    QHash<QString, int> m_fieldByFoldedName;
    std::vector<Record> m_records;  // packet order
    std::optional<qint32> m_lcid;

    std::vector<int> m_order;  // record indexes in the current order
    int m_position = 0;        // index into m_order
    bool m_atEnd = true;

    std::vector<int> m_positionOf;  // record index -> position, built on first use
    // Per field: folded key -> first position in the current order.
    std::unordered_map<int, QHash<QString, int>> m_lookup;
};

}  // namespace kavinto
