#include "sharedfile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavinto {
namespace {

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

QString openSharedForReading(QFile& file, const QString& path) {
    // Non-blocking: a pipe or a device swapped in would otherwise block the open.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return reason(errno);
    auto refuse = [fd](const QString& why) {
        ::close(fd);
        return why;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return refuse(reason(errno));
    if (S_ISDIR(st.st_mode))
        return refuse(reason(EISDIR));
    if (!S_ISREG(st.st_mode))
        return refuse(QStringLiteral("Not a regular file"));
    // Advisory and shared: other readers go on; a writer's exclusive lock keeps us out.
    // Released when the file closes.
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0)
        return refuse(reason(errno));
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle))
        return refuse(file.errorString());
    return {};
}

}  // namespace kavinto
