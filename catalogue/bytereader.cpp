#include "bytereader.h"

#include "error.h"

namespace kavinto {

const char* ByteReader::take(qsizetype n, const char* what) {
    if (n < 0 || n > remaining())
        throw Error(QStringLiteral("Invalid data packet: %1 at offset %2 needs %3 bytes, but the "
                                   "packet ends after %4 bytes")
                        .arg(QLatin1String(what))
                        .arg(m_pos)
                        .arg(n)
                        .arg(m_data.size()));
    const char* p = m_data.constData() + m_pos;
    m_pos += n;
    return p;
}

}  // namespace kavinto
