#pragma once

#include "table.h"

#include <QByteArray>

namespace kavinto {

// Encodes a table as a binary data packet: the packet's LCID (kDefaultLcid
// unless given otherwise), 8-bit strings in that LCID's code page
// with a WIDTH property, varying fields with the shortest length prefix that fits their longest
// value. Every record is unmodified. Throws an Error when a value cannot be written so that it
// reads back the same: a text the code page cannot hold, a string of more than 65,535 bytes or
// holding a NUL, an integer out of range, a decimal field, which it does not write.
QByteArray encodeBinaryPacket(const Table& table);
QByteArray encodeBinaryPacket(const Packet& packet);

}  // namespace kavinto
