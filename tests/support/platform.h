#pragma once

#include "packetbuilder.h"

#include <QDir>
#include <QFile>
#include <QString>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace kavinto::test {

// The system's words for the failures the tests provoke, as a message quotes
// them (without the final full stop).
#ifdef Q_OS_WIN
inline constexpr const char* kNoSuchFile = "The system cannot find the file specified";
inline constexpr const char* kNoSuchPath = "The system cannot find the path specified";
#else
inline constexpr const char* kNoSuchFile = "No such file or directory";
inline constexpr const char* kNoSuchPath = "No such file or directory";
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

// The loader's message for a file it cannot open.
inline QString cannotOpenMessage(const QString& absolutePath, const char* reason) {
    return QStringLiteral("Cannot open file \"%1\". %2")
        .arg(QDir::toNativeSeparators(absolutePath), QLatin1String(reason));
}

}  // namespace kavinto::test
