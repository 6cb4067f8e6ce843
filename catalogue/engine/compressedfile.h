#pragma once

#include "podbuffer.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>

#include <cstddef>

namespace kavinto {

class TClientDataSet;

// The largest packet a catalogue file may hold: far above any real
// catalogue (a million methods make about 140 MB).
inline constexpr std::size_t kPacketSizeLimit = std::size_t(512) << 20;

// Inflates a catalogue file's zlib stream from `source` and returns the
// packet that its 4-byte little-endian length N announces. Reads no further
// than the stream yields those 4 + N bytes; the buffer grows, without being
// copied, only with bytes really inflated, and never beyond `memoryLimit`.
// Throws an Error with the file format's messages: "Error" (no zlib stream,
// corrupt data, bad check value at a stream end reached), "Stream read
// error" (the stream or the file ends early), "Invalid stream operation" (N
// is 0), "Stream write error" (N is negative), "Out of memory while
// expanding memory stream" (the limit passed, or memory ran out).
PodBuffer<char> inflatePacket(QIODevice& source, std::size_t memoryLimit = kPacketSizeLimit);

// Wraps a packet in the catalogue file container: a zlib stream of the
// packet's 4-byte little-endian length followed by the packet.
QByteArray compressCatalogueFile(const QByteArray& packet);

// The packet's bytes, without copying them; valid while the buffer lives.
inline QByteArray bytesOf(const PodBuffer<char>& packet) {
    return QByteArray::fromRawData(packet.data(), qsizetype(packet.size()));
}

// Opens the file read-only under a shared advisory lock, inflates its
// packet and loads it into the table. A file that cannot be opened (missing,
// unreadable, a folder, a pipe or device, or held under an exclusive lock
// by another process) fails with "Cannot open file "<absolute path>".
// <system's reason>". On any failure before the packet is handed over the
// table is untouched; a packet that the table rejects leaves it closed.
// Memory running out anywhere in the load fails with "Out of memory while
// expanding memory stream".
void LoadDataset(TClientDataSet& table, const QString& path);

// Opens a catalogue file for reading as LoadDataset does, with its checks
// and messages; the file stays locked while it is open.
void openCatalogueFile(QFile& file);

// What the stream of a catalogue file holds beyond what loading reads.
struct StreamInspection {
    qint64 inflatedBytes = 0;       // everything the stream yields
    qint64 declaredLength = -1;     // the packet length its first 4 bytes give
    bool ended = false;             // the stream reached its end
    bool checkValueMatches = true;  // its Adler-32 check value, where it ended
    qint64 bytesAfterStream = 0;    // file bytes after the stream's end
    QString problem;                // a stream that cannot be inflated to its end, else empty
};
// Inflates the whole stream, keeping nothing of it.
StreamInspection inspectStream(QIODevice& source);

}  // namespace kavinto
