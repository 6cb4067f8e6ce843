// Any bytes as an XML data packet, then the table operations on what it holds.
#include "tableops.h"
#include "xmlpacket.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (kavinto::looksLikeXmlPacket(bytes))
        kavinto::fuzz::loadAndExercise(bytes);
    return 0;
}
