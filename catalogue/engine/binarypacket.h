#pragma once

#include "table.h"

#include <QByteArray>

namespace kavinto {

// The first bytes of every binary packet.
bool hasBinaryPacketSignature(const QByteArray& bytes);

// Decodes a binary data packet. Throws an Error "Invalid data packet: ..."
// naming the fault and its byte offset; never reads outside `bytes`.
Table decodeBinaryPacket(const QByteArray& bytes);

}  // namespace kavinto
