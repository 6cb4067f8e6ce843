#include "packetbuilder.h"
#include "sharedfile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <windows.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

HANDLE openWithSharing(const QString& path, DWORD access, DWORD share) {
    const QString native = QDir::toNativeSeparators(path);
    return CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()), access, share, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TEST(SharedFile, AnotherReaderSharesAnExclusiveHolderRefuses) {
    ScratchDir dir;
    const QString path = dir.write(QStringLiteral("Katalógus Éva/held.cds"), QByteArray("x"));
    const HANDLE reader = openWithSharing(path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    {
        QFile file;
        EXPECT_EQ(openSharedForReading(file, path), QString());
        EXPECT_EQ(file.readAll(), QByteArray("x"));
    }
    CloseHandle(reader);

    const HANDLE holder = openWithSharing(path, GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    QFile refused;
    EXPECT_EQ(openSharedForReading(refused, path), qt_error_string(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(refused.isOpen());
    CloseHandle(holder);
}

TEST(SharedFile, DevicesAreRefused) {
    for (const char* device : {"NUL", "data/CON", "COM1.cds"}) {
        QFile file;
        EXPECT_FALSE(openSharedForReading(file, QString::fromLatin1(device)).isEmpty()) << device;
        EXPECT_FALSE(file.isOpen()) << device;
    }
}
