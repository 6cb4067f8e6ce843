#include "documentopener.h"

#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include <climits>

#include <unistd.h>

namespace kavinto {

void SystemDocumentOpener::open(const QString& path, QWindow* owner) {
    Q_UNUSED(owner);
    // The URL is made of the working directory's own bytes, which need not be
    // UTF-8 (a Latin-2 folder name): percent-encoded, they reach the viewer unchanged.
    char cwd[PATH_MAX];
    if (!::getcwd(cwd, sizeof cwd))
        return;
    const QByteArray file = QByteArray(cwd) + '/' + QFile::encodeName(path);
    QDesktopServices::openUrl(QUrl::fromEncoded("file://" + file.toPercentEncoding("/")));
}

}  // namespace kavinto
