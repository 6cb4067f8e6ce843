#include "platform.h"
#include "sharedfile.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace kavinto;
using namespace kavinto::test;

TEST(SharedFile, PipeIsRefusedWithoutBlocking) {
    ScratchDir dir;
    const QString fifo = nonRegularFile(dir);
    ASSERT_FALSE(fifo.isEmpty());
    QFile file;
    EXPECT_EQ(openSharedForReading(file, fifo), QStringLiteral("Not a regular file"));
    EXPECT_FALSE(file.isOpen());
}

TEST(SharedFile, FileHeldExclusivelyByAnotherProcessIsRefused) {
    ScratchDir dir;
    const QString path = dir.write(QStringLiteral("held.cds"), QByteArray("x"));
    // flock belongs to the open file description: a second open() stands for another process.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    QFile refused;
    EXPECT_EQ(openSharedForReading(refused, path),
              QStringLiteral("Resource temporarily unavailable"));
    ::close(fd);
    QFile file;
    EXPECT_EQ(openSharedForReading(file, path), QString());
    EXPECT_EQ(file.readAll(), QByteArray("x"));
}
