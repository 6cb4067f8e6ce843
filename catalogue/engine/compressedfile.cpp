#include "compressedfile.h"

#include "clientdataset.h"
#include "deflatepieces.h"
#include "error.h"
#include "sharedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <zlib.h>

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace kavinto {
namespace {

// The system's description without its closing full stop, which the message adds.
QString reasonOf(QString reason) {
    while (!reason.isEmpty() && (reason.back().isSpace() || reason.back() == QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

QString fullPath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

[[noreturn]] void cannotOpen(const QString& path, const QString& reason) {
    throw Error::cannotOpen(fullPath(path), reasonOf(reason));
}

// A device that fails while it is read: not the end of the data.
[[noreturn]] void cannotRead(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    throw Error::cannotRead(file ? fullPath(file->fileName()) : QString(),
                            reasonOf(device.errorString()));
}

// A zlib inflater over a device, ended on every path by its destructor.
class Inflater {
public:
    explicit Inflater(QIODevice& source) : m_source(source) {
        if (inflateInit(&m_stream) != Z_OK)
            throw Error::streamFailed();
    }
    ~Inflater() { inflateEnd(&m_stream); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Produces up to `size` bytes into `out`; fewer only at the stream's or the file's end.
    std::size_t read(char* out, std::size_t size) {
        m_stream.next_out = reinterpret_cast<Bytef*>(out);
        m_stream.avail_out = uInt(size);
        while (m_stream.avail_out > 0 && !m_ended) {
            if (m_stream.avail_in == 0 && !fill())
                break;  // the file ends inside the stream
            const int rc = inflate(&m_stream, Z_NO_FLUSH);
            if (rc == Z_STREAM_END)
                m_ended = true;
            else if (rc == Z_MEM_ERROR)
                throw Error::outOfMemory();
            else if (rc != Z_OK && rc != Z_BUF_ERROR)
                throw Error::streamFailed();  // Z_DATA_ERROR, Z_NEED_DICT, Z_STREAM_ERROR
        }
        return size - m_stream.avail_out;
    }

    bool ended() const { return m_ended; }
    const char* zlibMessage() const { return m_stream.msg; }
    // After the stream's end: the file's bytes that follow it.
    qint64 bytesAfterStream() {
        qint64 n = m_stream.avail_in;
        m_stream.avail_in = 0;
        while (fill()) {
            n += m_stream.avail_in;
            m_stream.avail_in = 0;
        }
        return n;
    }

private:
    bool fill() {
        const qint64 n = m_source.read(m_input.data(), qint64(m_input.size()));
        if (n < 0)
            cannotRead(m_source);
        if (n == 0)
            return false;
        m_stream.next_in = reinterpret_cast<Bytef*>(m_input.data());
        m_stream.avail_in = uInt(n);
        return true;
    }

    QIODevice& m_source;
    z_stream m_stream{};
    std::array<char, 256 * 1024> m_input{};
    bool m_ended = false;
};

}  // namespace

PodBuffer<char> inflatePacket(QIODevice& source, std::size_t memoryLimit) {
    auto inflater = std::make_unique<Inflater>(source);
    char length[4];
    if (inflater->read(length, 4) != 4)
        throw Error::streamRead();
    const qint32 n = qFromLittleEndian<qint32>(length);
    if (n == 0)
        throw Error::invalidStreamOperation();
    if (n < 0)
        throw Error::streamWrite();

    PodBuffer<char> packet;
    std::size_t remaining = std::size_t(n);
    constexpr std::size_t kStep = std::size_t(1) << 20;
    try {
        while (remaining > 0) {
            // Never more than one byte past the limit, so that passing it is noticed at once.
            const std::size_t room = std::min(
                {remaining, kStep, memoryLimit + 1 - std::min(packet.size(), memoryLimit)});
            const std::size_t got = inflater->read(packet.reserveMore(room), room);
            if (got == 0)
                throw Error::streamRead();
            packet.commit(got);
            if (packet.size() > memoryLimit)
                throw std::bad_alloc();
            remaining -= got;
        }
    } catch (const std::bad_alloc&) {
        throw Error::outOfMemory();
    }
    return packet;
}

void openCatalogueFile(QFile& file) {
    const QString path = file.fileName();
    const QString reason = openSharedForReading(file, path);
    if (!reason.isEmpty())
        cannotOpen(path, reason);
}

void LoadDataset(TClientDataSet& table, const QString& path) {
    try {
        PodBuffer<char> packet;
        {
            QFile file(path);
            openCatalogueFile(file);
            packet = inflatePacket(file);
        }
        table.LoadPacket(bytesOf(packet));
    } catch (const std::bad_alloc&) {
        throw Error::outOfMemory();
    }
}

QByteArray compressCatalogueFile(const QByteArray& packet) {
    char length[4];
    qToLittleEndian(quint32(packet.size()), length);
    // zlib's fastest level: a file a quarter larger than its default's, in a
    // quarter of the time.
    return deflateInPieces(QByteArrayView(length, 4), packet, Z_BEST_SPEED);
}

StreamInspection inspectStream(QIODevice& source) {
    StreamInspection out;
    // The inflater's buffer is too big for the stack.
    const auto inflater = std::make_unique<Inflater>(source);
    std::vector<char> sink(64 * 1024);
    try {
        for (std::size_t got; (got = inflater->read(sink.data(), sink.size())) > 0;) {
            if (out.inflatedBytes == 0 && got >= 4)
                out.declaredLength = qFromLittleEndian<qint32>(sink.data());
            out.inflatedBytes += qint64(got);
        }
    } catch (const Error&) {
        const char* message = inflater->zlibMessage();
        // A wrong check value is found only after all the data has come out.
        if (message && std::strcmp(message, "incorrect data check") == 0) {
            out.ended = true;
            out.checkValueMatches = false;
            out.bytesAfterStream = inflater->bytesAfterStream();
        } else {
            out.problem = QStringLiteral("the compressed data is corrupt (zlib: %1)")
                              .arg(QString::fromLatin1(message ? message : "unknown error"));
        }
        return out;
    }
    out.ended = inflater->ended();
    if (out.ended)
        out.bytesAfterStream = inflater->bytesAfterStream();
    return out;
}

}  // namespace kavinto
