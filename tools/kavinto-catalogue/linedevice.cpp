#include "linedevice.h"

#include <QString>

namespace kavinto {

LineDevice::LineDevice(Sink sink) : m_sink(std::move(sink)) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

LineDevice::~LineDevice() {
    LineDevice::close();
}

void LineDevice::close() {
    handOver(m_pending.size());
    QIODevice::close();
}

qint64 LineDevice::writeData(const char* data, qint64 size) {
    m_pending.append(data, qsizetype(size));
    handOver(m_pending.lastIndexOf('\n') + 1);
    return size;
}

void LineDevice::handOver(qsizetype end) {
    if (end <= 0)
        return;
    const QString text = QString::fromUtf8(m_pending.constData(), end);
    m_pending.remove(0, end);
    m_sink(text);
}

}  // namespace kavinto
