#include "documentopener.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace kavinto {

void SystemDocumentOpener::open(const QString& path, QWindow* owner) {
    Q_UNUSED(owner);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

}  // namespace kavinto
