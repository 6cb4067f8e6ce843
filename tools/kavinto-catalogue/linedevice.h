#pragma once

#include <QIODevice>
#include <QStringView>

#include <functional>

namespace kavinto {

// A write-only device that takes UTF-8 bytes and hands them on decoded, a
// whole line (or several) at a time, so that no character is ever split
// between two hand-overs; what follows the last line end goes on when the
// device is closed or destroyed.
class LineDevice : public QIODevice {
public:
    using Sink = std::function<void(QStringView)>;
    explicit LineDevice(Sink sink);
    ~LineDevice() override;
    void close() override;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    void handOver(qsizetype end);

    Sink m_sink;
    QByteArray m_pending;
};

}  // namespace kavinto
