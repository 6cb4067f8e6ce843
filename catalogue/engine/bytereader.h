#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstring>

namespace kavinto {

// An unsigned little-endian number of n bytes, 0 to 8.
inline quint64 littleEndian(const char* bytes, int n) {
    uchar eight[8] = {};
    std::memcpy(eight, bytes, std::size_t(n));
    return qFromLittleEndian<quint64>(eight);
}

// Bounds-checked little-endian reads from a packet. Every read names what it
// reads, so that a truncated packet is reported with the part that is cut off.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& data) : m_data(data.constData()), m_size(data.size()) {}

    qsizetype pos() const { return m_pos; }
    qsizetype size() const { return m_size; }
    qsizetype remaining() const { return m_size - m_pos; }
    void seek(qsizetype pos) { m_pos = pos; }

    quint8 u8(const char* what) { return static_cast<quint8>(*take(1, what)); }
    quint16 u16(const char* what) { return static_cast<quint16>(le(2, what)); }
    qint16 i16(const char* what) { return static_cast<qint16>(le(2, what)); }
    quint32 u32(const char* what) { return static_cast<quint32>(le(4, what)); }
    qint32 i32(const char* what) { return static_cast<qint32>(u32(what)); }
    quint64 u64(const char* what) { return le(8, what); }
    double f64(const char* what) {
        const quint64 bits = u64(what);
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    float f32(const char* what) {
        const quint32 bits = u32(what);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    QByteArray bytes(qsizetype n, const char* what) { return QByteArray(take(n, what), n); }
    // An unsigned little-endian length of `width` bytes (1, 2 or 4).
    quint32 length(int width, const char* what) { return static_cast<quint32>(le(width, what)); }
    // The next n bytes, in place.
    const char* take(qsizetype n, const char* what) {
        if (Q_UNLIKELY(n < 0 || n > remaining()))
            fail(n, what);
        const char* p = m_data + m_pos;
        m_pos += n;
        return p;
    }

private:
    [[noreturn]] void fail(qsizetype n, const char* what) const;
    quint64 le(int n, const char* what) { return littleEndian(take(n, what), n); }

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

}  // namespace kavinto
