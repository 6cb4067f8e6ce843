#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <cstddef>
#include <limits>

namespace kavinto {

class TClientDataSet;

// Inflates a catalogue file's zlib stream from `source` and returns the
// packet that its 4-byte little-endian length N announces. Reads no further
// than the stream yields those 4 + N bytes; the buffer grows only with bytes
// really inflated, and never beyond `memoryLimit`. Throws an Error with the
// file format's messages: "Error" (no zlib stream, corrupt data, bad check
// value at a stream end reached), "Stream read error" (the stream or the
// file ends early), "Invalid stream operation" (N is 0), "Stream write
// error" (N is negative), "Out of memory while expanding memory stream".
QByteArray inflatePacket(QIODevice& source,
                         std::size_t memoryLimit = std::numeric_limits<std::size_t>::max());

// Opens the file read-only under a shared advisory lock, inflates its
// packet and loads it into the table. A file that cannot be opened (missing,
// unreadable, a folder, or held under an exclusive lock by another process)
// fails with "Cannot open file "<absolute path>". <system's reason>". On any
// failure before the packet is handed over the table is untouched; a packet
// that the table rejects leaves it closed.
void LoadDataset(TClientDataSet& table, const QString& path);

}  // namespace kavinto
