#include "packetdecoder.h"

#include "binarypacket.h"
#include "error.h"
#include "xmlpacket.h"

namespace kavinto {

bool looksLikePacket(const QByteArray& head) {
    return hasBinaryPacketSignature(head) || looksLikeXmlPacket(head);
}

Table decodePacket(const QByteArray& bytes) {
    if (hasBinaryPacketSignature(bytes))
        return decodeBinaryPacket(bytes);
    if (looksLikeXmlPacket(bytes))
        return decodeXmlPacket(bytes);
    throw Error::invalidPacket(
        QStringLiteral("the %1 bytes are neither a binary nor an XML data packet")
            .arg(bytes.size()));
}

}  // namespace kavinto
