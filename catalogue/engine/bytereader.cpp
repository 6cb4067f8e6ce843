#include "bytereader.h"

#include "error.h"

namespace kavinto {

void ByteReader::fail(qsizetype n, const char* what) const {
    throw Error::invalidPacket(QStringLiteral("%1 at offset %2 needs %3 bytes, but the "
                                              "packet ends after %4 bytes")
                                   .arg(QLatin1String(what))
                                   .arg(m_pos)
                                   .arg(n)
                                   .arg(m_size));
}

}  // namespace kavinto
