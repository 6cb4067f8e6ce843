#pragma once

#include <QFile>
#include <QString>

namespace kavinto {

// Opens `path` read-only into the closed `file`, shared with other readers:
// a writer that holds the file exclusively keeps us out, and while it is open
// here nobody else gets to write it. The file is opened first and what was
// opened is checked, so that nothing swapped in between the two is read; the
// open never blocks. Only regular files are taken: a folder, a pipe or a
// device is refused. Returns the reason, in the system's words, when the file
// cannot be had; an empty text when it is open.
QString openSharedForReading(QFile& file, const QString& path);

}  // namespace kavinto
