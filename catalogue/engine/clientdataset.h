#pragma once

#include "loadedtable.h"

#include <QIODevice>
#include <QString>

#include <memory>
#include <vector>

namespace kavinto {

// A run of one field's values as texts, from one order of a loaded table:
// the texts are made when asked for, and the run keeps the table alive.
class TextRun {
public:
    TextRun() = default;
    TextRun(std::shared_ptr<const LoadedTable> table, std::shared_ptr<const RecordOrder> order,
            int field, std::size_t first, std::size_t count)
        : m_table(std::move(table)),
          m_order(std::move(order)),
          m_field(field),
          m_first(first),
          m_count(count) {}

    std::size_t size() const { return m_count; }
    QString at(std::size_t i) const;

private:
    std::shared_ptr<const LoadedTable> m_table;
    std::shared_ptr<const RecordOrder> m_order;
    int m_field = 0;
    std::size_t m_first = 0;
    std::size_t m_count = 0;
};

// An in-memory, read-only table loaded from one data packet, with a current
// record and an order. Errors of its own are Errors whose text begins with
// the table's name and ": "; a packet that the decoder rejects fails
// LoadPacket with the decoder's text, unprefixed, and leaves the table closed.
//
// The loaded content never changes: every order and FindValue index is
// computed once, when first needed, and kept for every later use.
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
    // Starts computing the order by one named field in the background, so
    // that a later IndexFieldNames of it finds it ready or waits for it; no
    // effect for a field the table lacks.
    void prepareIndex(const QString& fieldName);

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

    // Whole-table access for the search and the lists.
    // The number of the named field; throws "Field '%s' not found".
    int fieldNumber(const QString& fieldName) const;
    // The loaded content, shared with whoever keeps it; throws on a closed table.
    std::shared_ptr<const LoadedTable> content() const;
    // The current order, computed if it is not yet.
    std::shared_ptr<const RecordOrder> currentOrder();
    // Positions of the current order whose record holds a value equal to `value`.
    const BitVector& positionsEqualTo(int field, const Value& value);
    // The field's values as text from the current record on, up to the first
    // value that cannot be taken as text, at which the table then stands (or
    // at its end, AtEnd, when there is none).
    TextRun textsToEnd(const QString& fieldName);

    // For tools and tests: the current record's value of field `index` (0-based).
    Value valueAt(int index) const;
    std::vector<FieldDef> fields() const;
    int recordCount() const;
    std::optional<qint32> lcid() const;

private:
    void requireOpen() const;
    std::vector<int> resolveFields(const QString& names) const;
    const RecordOrder& order();
    std::size_t position();

    QString m_name;
    QString m_indexFieldNames;
    QString m_fileName;
    bool m_active = false;

    std::shared_ptr<const LoadedTable> m_loaded;
    std::vector<int> m_orderFields;
    std::shared_ptr<const RecordOrder> m_order;  // null until needed
    qint64 m_record = -1;                        // the current record; -1 on an empty table
    std::size_t m_position = 0;                  // its place in m_order, while m_positionKnown
    bool m_positionKnown = false;
    bool m_atEnd = true;
};

}  // namespace kavinto
