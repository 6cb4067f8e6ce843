#include "documentpath.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace kavinto {

QString documentPath(const QString& name) {
    return QStringLiteral("pdf/") + name;
}

bool isDocumentAvailable(const QString& name, const QDir& base) {
    // Either separator counts: a catalogue may come from Windows.
    static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1Char('\\')) ||
        drive.match(name).hasMatch())
        return false;
    // Windows reserves these names, with any extension, in every folder: they
    // open devices. Refused everywhere, so that a catalogue behaves alike on
    // every system.
    static const QRegularExpression device(
        QStringLiteral("^(con|prn|aux|nul|com[0-9]|lpt[0-9])\\s*(\\..*)?$"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& component : name.split(separators)) {
        if (component == QStringLiteral("..") || device.match(component).hasMatch())
            return false;
    }
    const QFileInfo document(base.filePath(documentPath(name)));
    if (!document.exists() || document.isDir())
        return false;
    const QString folder = QFileInfo(base.filePath(QStringLiteral("pdf"))).canonicalFilePath();
    const QString target = document.canonicalFilePath();
    return !folder.isEmpty() && target.startsWith(folder + QLatin1Char('/'));
}

}  // namespace kavinto
