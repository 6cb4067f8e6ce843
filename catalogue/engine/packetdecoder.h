#pragma once

#include "table.h"

#include <QByteArray>

namespace kavinto {

// Whether the bytes begin as a data packet in either format does: the
// binary signature, or a byte order mark or spaces before "<".
bool looksLikePacket(const QByteArray& head);

// Decodes a data packet in either standard format, told apart by its first
// bytes. Throws an Error "Invalid data packet: ..." for anything else.
Table decodePacket(const QByteArray& bytes);

}  // namespace kavinto
