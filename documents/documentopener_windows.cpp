#include "documentopener.h"

#include <QDir>

#include <windows.h>  // before the shell's header, which needs it

#include <shellapi.h>

namespace kavinto {

void SystemDocumentOpener::open(const QString& path, QWindow* owner, Failed failed) {
    // The shell takes the owner window, so that its messages stand in front of it.
    const QString native = QDir::toNativeSeparators(path);
    const HINSTANCE result = ShellExecuteW(
        owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr, L"open",
        reinterpret_cast<const wchar_t*>(native.utf16()), nullptr, nullptr, SW_SHOWNORMAL);
    // 32 or less is a failure: no program associated, a file not found, ...
    if (reinterpret_cast<INT_PTR>(result) <= 32)
        failed();
}

}  // namespace kavinto
