#pragma once

#include "table.h"

#include <QByteArray>

namespace kavinto {

// Decodes a data packet in either standard format, told apart by its first
// bytes. Throws an Error "Invalid data packet: ..." for anything else.
Table decodePacket(const QByteArray& bytes);

}  // namespace kavinto
