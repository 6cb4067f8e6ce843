#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace kavinto {

struct FileContents {
    QString path;
    QByteArray bytes;
};

// Writes the files as one unit: either every file holds its new bytes
// afterwards, or every file is as it was. Each is written under a temporary
// name beside it, every write checked, flushed and synced to the disk, and
// only then do the new files replace the old ones; a replacement that fails
// puts back those already replaced. Throws an Error naming the file and the
// system's reason; no temporary file remains.
void writeAllOrNothing(const std::vector<FileContents>& files);

// Makes the folder and those above it; throws an Error naming it and the
// system's reason where it cannot.
void createFolder(const QString& path);

}  // namespace kavinto
