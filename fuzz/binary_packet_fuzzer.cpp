// Any bytes as a binary data packet, then the table operations on what it
// holds. Must never crash, leak or read outside the input.
#include "binarypacket.h"
#include "tableops.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (kavinto::hasBinaryPacketSignature(bytes))
        kavinto::fuzz::loadAndExercise(bytes);
    return 0;
}
