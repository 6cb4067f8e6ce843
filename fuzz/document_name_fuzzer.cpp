// Any text as a document name: every name the check accepts names a file
// inside pdf/, however it is spelt.
#include "documentpath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>

namespace {

// pdf/ with files, a folder, and links leading in and out of it.
const QDir& base() {
    static QTemporaryDir dir;
    static const QDir d = [] {
        QDir b(dir.path());
        b.mkpath(QStringLiteral("pdf/sub"));
        b.mkpath(QStringLiteral("outside"));
        for (const char* f : {"pdf/a.pdf", "pdf/sub/b.pdf", "outside/secret.pdf", "top.pdf"}) {
            QFile file(b.filePath(QString::fromLatin1(f)));
            file.open(QIODevice::WriteOnly);
        }
        QFile::link(b.filePath(QStringLiteral("outside/secret.pdf")),
                    b.filePath(QStringLiteral("pdf/out.pdf")));
        QFile::link(b.filePath(QStringLiteral("outside")),
                    b.filePath(QStringLiteral("pdf/outdir")));
        QFile::link(b.filePath(QStringLiteral("pdf/a.pdf")),
                    b.filePath(QStringLiteral("pdf/in.pdf")));
        return b;
    }();
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!kavinto::isDocumentAvailable(name, base()))
        return 0;
    const QFileInfo document(base().filePath(kavinto::documentPath(name)));
    const QString folder =
        QFileInfo(base().filePath(QStringLiteral("pdf"))).canonicalFilePath() + QLatin1Char('/');
    if (!document.isFile() || !document.canonicalFilePath().startsWith(folder))
        __builtin_trap();
    return 0;
}
