// libFuzzer target: any bytes as a catalogue file's zlib stream, with a
// small memory limit so that a length field cannot make it allocate.
#include "compressedfile.h"
#include "error.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QBuffer device;
    device.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    device.open(QIODevice::ReadOnly);
    try {
        kavinto::inflatePacket(device, 1 << 20);
    } catch (const kavinto::Error&) {
    }
    return 0;
}
