#include "allornothing.h"

#include "error.h"
#include "filesync.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <filesystem>
#include <memory>

namespace kavinto {
namespace {

[[noreturn]] void cannotWrite(const QString& path, const QString& reason) {
    throw Error(QStringLiteral("%1: cannot be written: %2").arg(path, reason));
}

// Copies of the files about to be replaced, to put back if a later one fails;
// removed when done.
class OldCopies {
public:
    ~OldCopies() {
        for (const auto& [path, copy] : m_copies) QFile::remove(copy);
    }
    void keep(const QString& path) {
        if (!QFile::exists(path))
            return;
        const QString copy = path + QStringLiteral(".old~");
        QFile::remove(copy);
        QFile original(path);
        if (!original.copy(copy))
            cannotWrite(copy, original.errorString());
        m_copies.emplace_back(path, copy);
    }
    // Puts back the old contents of the first `n` files (or removes a file
    // that was not there): renames, which need no room on the disk.
    void restore(const std::vector<FileContents>& files, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            QFile::remove(files[i].path);
            for (const auto& [path, copy] : m_copies)
                if (path == files[i].path)
                    QFile::rename(copy, path);
        }
    }

private:
    std::vector<std::pair<QString, QString>> m_copies;
};

}  // namespace

void writeAllOrNothing(const std::vector<FileContents>& files) {
    // Each removes its temporary file unless committed.
    std::vector<std::unique_ptr<QSaveFile>> written;
    for (const FileContents& f : files) {
        auto file = std::make_unique<QSaveFile>(f.path);
        file->setDirectWriteFallback(false);
        // Unbuffered: a buffered write fails only at the flush in commit(),
        // which does not report it. A short write is retried, so that the
        // system names its reason (a full disk, a size limit).
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            cannotWrite(f.path, file->errorString());
        for (qint64 done = 0; done < f.bytes.size();) {
            const qint64 n = file->write(f.bytes.constData() + done, f.bytes.size() - done);
            if (n <= 0)
                cannotWrite(f.path, file->errorString());
            done += n;
        }
        QString reason;
        if (!syncToDisk(*file, &reason))
            cannotWrite(f.path, reason);
        written.push_back(std::move(file));
    }
    OldCopies old;
    if (files.size() > 1)
        for (const FileContents& f : files) old.keep(f.path);
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (!written[i]->commit()) {
            const QString reason = written[i]->errorString();
            old.restore(files, i);
            cannotWrite(files[i].path, reason);
        }
    }
}

void createFolder(const QString& path) {
    std::error_code failure;
    std::filesystem::create_directories(QFileInfo(path).filesystemFilePath(), failure);
    if (failure)
        throw Error(QStringLiteral("%1: the folder cannot be created: %2")
                        .arg(path, QString::fromLocal8Bit(failure.message())));
}

}  // namespace kavinto
