// Any bytes as the two CSV files of `pack` (split at the first form feed).
// What pack accepts must be written, and read back exactly.
#include "binarypacketwriter.h"
#include "csv.h"
#include "error.h"
#include "pack.h"
#include "packetdecoder.h"

#include <cstdint>

namespace {

// What pack accepted loads, and is written again byte for byte from what loaded.
void roundTrip(const QByteArray& accepted) {
    try {
        if (kavinto::encodeBinaryPacket(kavinto::decodePacket(accepted)) != accepted)
            __builtin_trap();
    } catch (const kavinto::Error&) {
        __builtin_trap();  // accepted, but not written so that it loads
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.indexOf('\f');
    // The functions (after the form feed) first, as pack reads them.
    std::set<int> functionIds;
    if (split >= 0) {
        try {
            kavinto::PackFaults faults;
            kavinto::CsvReader functions(bytes.mid(split + 1), QStringLiteral("functions.csv"));
            const kavinto::PackedTable t = kavinto::functionsPacket(functions, functionIds, faults);
            if (faults.count() == 0)
                roundTrip(t.packet);
        } catch (const kavinto::Error&) {
        }
    }
    try {
        kavinto::PackFaults faults;
        kavinto::CsvReader methods(bytes.left(split < 0 ? bytes.size() : split),
                                   QStringLiteral("methods.csv"));
        const kavinto::PackedTable t = kavinto::methodsPacket(methods, functionIds, faults);
        if (faults.count() == 0)
            roundTrip(t.packet);
    } catch (const kavinto::Error&) {
    }
    return 0;
}
