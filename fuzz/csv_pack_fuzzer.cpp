// Any bytes as the two CSV files of `pack` (split at the first form feed).
// What pack accepts must be written, and read back exactly.
#include "binarypacketwriter.h"
#include "csv.h"
#include "error.h"
#include "pack.h"
#include "packetdecoder.h"

#include <cstdint>

namespace {

void roundTrip(const kavinto::Packet& accepted) {
    const kavinto::Table written = kavinto::Table::fromPacket(accepted);
    kavinto::Table read;
    try {
        read = kavinto::decodePacket(kavinto::encodeBinaryPacket(written));
    } catch (const kavinto::Error&) {
        __builtin_trap();  // accepted, but not written so that it loads
    }
    if (read.recordCount() != written.recordCount() || read.fieldCount() != written.fieldCount())
        __builtin_trap();
    for (std::size_t r = 0; r < read.recordCount(); ++r)
        for (int f = 0; f < read.fieldCount(); ++f)
            if (read.value(r, f) != written.value(r, f))
                __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\f');
    try {
        roundTrip(kavinto::methodsPacket(kavinto::parseCsv(
            bytes.left(split < 0 ? bytes.size() : split), QStringLiteral("methods.csv"))));
    } catch (const kavinto::Error&) {
    }
    if (split >= 0) {
        try {
            roundTrip(kavinto::functionsPacket(
                kavinto::parseCsv(bytes.mid(split + 1), QStringLiteral("functions.csv"))));
        } catch (const kavinto::Error&) {
        }
    }
    return 0;
}
