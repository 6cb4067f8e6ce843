#pragma once

#include "packetbuilder.h"

#include <QDir>
#include <QFile>
#include <QString>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kavinto::test {

// The system's words for the failures the tests provoke, as a message quotes
// them (without the final full stop). Windows' words, and Wine's, are its own.
#ifdef Q_OS_WIN
inline QString systemReason(int code) {
    QString reason = qt_error_string(code);
    while (reason.endsWith(QLatin1Char('.'))) reason.chop(1);
    return reason;
}
inline QString noSuchFile() {
    return systemReason(ERROR_FILE_NOT_FOUND);
}
inline QString noSuchPath() {
    return systemReason(ERROR_PATH_NOT_FOUND);
}
#else
inline QString noSuchFile() {
    return QStringLiteral("No such file or directory");
}
inline QString noSuchPath() {
    return noSuchFile();
}
#endif

// Something below `dir` that has a name but is no regular file, and would
// block a reader that opened it plainly: a named pipe, or on Windows a device.
inline QString nonRegularFile(const ScratchDir& dir) {
#ifdef Q_OS_WIN
    Q_UNUSED(dir);
    return QStringLiteral("NUL");
#else
    const QString pipe = dir.path(QStringLiteral("pipe.cds"));
    return mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0 ? pipe : QString();
#endif
}

// A limit on the size of the files this process writes, its signal ignored,
// as a quota does: writes past it fail with "File too large". Lifted when it
// goes; inactive where the system has none.
class FileSizeLimit {
public:
#ifdef Q_OS_WIN
    explicit FileSizeLimit(qint64) {}
    bool active() const {
        return false;
    }
#else
    explicit FileSizeLimit(qint64 bytes) {
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = rlim_t(bytes);
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_signal);
    }
    bool active() const {
        return m_active;
    }

private:
    rlimit m_old{};
    void (*m_signal)(int) = nullptr;
    bool m_active = false;
#endif
};

// A small empty file system mounted on the folder `dir` (a tmpfs, where the
// process may mount one), unmounted when it goes.
class SmallFileSystem {
public:
#ifdef Q_OS_WIN
    SmallFileSystem(const QString&, qint64) {}
    bool mounted() const {
        return false;
    }
#else
    SmallFileSystem(const QString& dir, qint64 bytes) : m_dir(QFile::encodeName(dir)) {
        const QByteArray options = "size=" + QByteArray::number(bytes);
        m_mounted = mount("tmpfs", m_dir.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~SmallFileSystem() {
        if (m_mounted)
            umount(m_dir.constData());
    }
    bool mounted() const {
        return m_mounted;
    }

private:
    QByteArray m_dir;
    bool m_mounted = false;
#endif
};

// Whether folder permissions bind this process (they do not bind root).
inline bool permissionsBind() {
#ifdef Q_OS_WIN
    return false;  // a read-only folder attribute does not stop writes there
#else
    return geteuid() != 0;
#endif
}

// The loader's message for a file it cannot open.
inline QString cannotOpenMessage(const QString& absolutePath, const QString& reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QDir::toNativeSeparators(absolutePath), reason);
}

}  // namespace kavinto::test
