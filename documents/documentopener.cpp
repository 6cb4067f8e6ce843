#include "documentopener.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#ifdef Q_OS_WIN
#include <windows.h>
#include <shellapi.h>
#endif

namespace kavinto {

void SystemDocumentOpener::open(const QString& path, QWindow* owner) {
#ifdef Q_OS_WIN
    // The shell takes the owner window, so that its messages stand in front of it.
    const QString native = QDir::toNativeSeparators(path);
    ShellExecuteW(owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr, L"open",
                  reinterpret_cast<const wchar_t*>(native.utf16()), nullptr, nullptr, SW_SHOWNORMAL);
#else
    Q_UNUSED(owner);
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
#endif
}

}  // namespace kavinto
