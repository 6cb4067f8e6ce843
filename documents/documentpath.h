#pragma once

#include <QDir>
#include <QString>

namespace kavinto {

// "pdf/" followed by the document name, unchanged.
QString documentPath(const QString& name);

// Whether the document can be handed to the system: "pdf/" + name below
// `base` is an existing file (a folder does not count) that stays inside
// the pdf folder. An absolute name, a drive letter, a ".." component, a
// name Windows reserves for a device (CON, NUL, COM1, ...), or a link that
// resolves outside the folder counts as missing. Either slash separates.
// The default base is the working directory as it is, never its name, which
// the system may spell in bytes that are not UTF-8.
bool isDocumentAvailable(const QString& name, const QDir& base = QDir());

}  // namespace kavinto
