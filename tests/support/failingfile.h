#pragma once

#include <QFile>

namespace kavinto::test {

// A file whose reads fail, as a failing disk or a dropped network share
// makes them, once `goodBytes` have been read.
class FailingFile : public QFile {
public:
    FailingFile(const QString& path, qint64 goodBytes) : QFile(path), m_left(goodBytes) {}

protected:
    qint64 readData(char* data, qint64 size) override {
        if (m_left <= 0) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = QFile::readData(data, qMin(size, m_left));
        m_left -= qMax<qint64>(n, 0);
        return n;
    }

private:
    qint64 m_left;
};

}  // namespace kavinto::test
