#pragma once

#include <QDir>
#include <QString>

namespace kavinto {

// "pdf/" followed by the document name, unchanged.
QString documentPath(const QString& name);

// Whether the document can be handed to the system: "pdf/" + name below
// `base` is an existing file (a folder does not count) that stays inside
// the pdf folder. An absolute name, a ".." component, or a link that
// resolves outside the folder counts as missing.
bool isDocumentAvailable(const QString& name, const QDir& base = QDir::current());

}  // namespace kavinto
