#include "sharedfile.h"

#include <QDir>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace kavinto {
namespace {

// Windows says only "Access is denied" of a folder; the words used elsewhere are plainer.
QString isADirectoryReason() {
    return QStringLiteral("Is a directory");
}

}  // namespace

QString openSharedForReading(QFile& file, const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    // Others may read alongside; one who writes, or holds the file exclusively, keeps us out.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()), GENERIC_READ, FILE_SHARE_READ,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const DWORD attributes =
            GetFileAttributesW(reinterpret_cast<const wchar_t*>(native.utf16()));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return isADirectoryReason();
        return qt_error_string(int(error));
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        return QStringLiteral("Not a regular file");
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return qt_error_string(-1);
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return file.errorString();
    }
    return {};
}

}  // namespace kavinto
