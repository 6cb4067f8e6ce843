#pragma once

#include "table.h"

#include <QByteArray>

#include <memory>
#include <optional>
#include <vector>

namespace kavinto {

// Encodes a table as a binary data packet: the packet's LCID (kDefaultLcid
// unless given otherwise), 8-bit strings in that LCID's code page
// with a WIDTH property, varying fields with the shortest length prefix that fits their longest
// value. Every record is unmodified. Throws an Error when a value cannot be written so that it
// reads back the same: a text the code page cannot hold, a string of more than 65,535 bytes or
// holding a NUL, an integer out of range, a decimal field, which it does not write.
QByteArray encodeBinaryPacket(const Table& table);
QByteArray encodeBinaryPacket(const Packet& packet);

// The same, record by record, for a table too large to be held beside its
// packet. First every value of a text or blob field is measured, in its
// stored bytes; then the records are written, each value of a field in
// order, nulls left out; then the packet is taken.
class BinaryPacketWriter {
public:
    BinaryPacketWriter(std::vector<FieldDef> fields, std::optional<qint32> lcid);
    ~BinaryPacketWriter();
    BinaryPacketWriter(const BinaryPacketWriter&) = delete;
    BinaryPacketWriter& operator=(const BinaryPacketWriter&) = delete;

    // A text of `field` as it is stored; `place` names the value in the
    // error for a text that cannot be stored.
    QByteArray storedText(int field, QStringView text, const QString& place) const;
    void measure(int field, qsizetype storedBytes);

    // Writes the header of a packet of `recordCount` records.
    void start(std::size_t recordCount);
    // Begins the next record; `nulls[i]` where field i is null (none when empty).
    void beginRecord(const std::vector<bool>& nulls = {});
    void integer(int field, qint64 value);
    void real(int field, double value);
    void boolean(int field, bool value);
    void varying(int field, QByteArrayView stored);
    // The packet, once every record announced is written.
    QByteArray finish();

private:
    struct State;
    std::unique_ptr<State> d;
};

}  // namespace kavinto
