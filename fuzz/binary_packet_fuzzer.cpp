// Any bytes as a binary data packet, then the table operations on what it
// holds. Must never crash, leak or read outside the input.
#include "binarypacket.h"
#include "tableops.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!kavinto::hasBinaryPacketSignature(bytes))
        return 0;
    kavinto::TClientDataSet table(QStringLiteral("T"));
    try {
        table.LoadPacket(bytes);
    } catch (const kavinto::Error&) {
        return 0;
    }
    kavinto::fuzz::exerciseTable(table);
    return 0;
}
