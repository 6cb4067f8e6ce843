#include "documentopener.h"

#include <QDir>

#include <windows.h>  // before the shell's header, which needs it

#include <shellapi.h>

namespace kavinto {

void SystemDocumentOpener::open(const QString& path, QWindow* owner) {
    // The shell takes the owner window, so that its messages stand in front of it.
    const QString native = QDir::toNativeSeparators(path);
    ShellExecuteW(owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr, L"open",
                  reinterpret_cast<const wchar_t*>(native.utf16()), nullptr, nullptr,
                  SW_SHOWNORMAL);
}

}  // namespace kavinto
