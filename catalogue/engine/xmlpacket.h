#pragma once

#include "table.h"

#include <QByteArray>

namespace kavinto {

// Whether the bytes begin like an XML document (after an optional BOM and
// white space).
bool looksLikeXmlPacket(const QByteArray& bytes);

// Decodes an XML data packet. The text is decoded by the encoding its
// declaration names; without one, raw bytes above 127 are in the code page
// of the packet's LCID. Throws an Error "Invalid data packet: ..." naming the
// fault and, for malformed XML, its line and column.
Table decodeXmlPacket(const QByteArray& bytes);

}  // namespace kavinto
