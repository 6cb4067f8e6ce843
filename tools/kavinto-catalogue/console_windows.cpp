#include "console.h"

#include "linedevice.h"

#include <QFile>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace kavinto {

std::unique_ptr<QIODevice> openConsoleStream(FILE* stream) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        return std::make_unique<LineDevice>([handle](QStringView text) {
            const wchar_t* p = reinterpret_cast<const wchar_t*>(text.utf16());
            for (qsizetype left = text.size(); left > 0;) {
                DWORD written = 0;
                const DWORD chunk = DWORD(std::min<qsizetype>(left, 16384));
                if (!WriteConsoleW(handle, p, chunk, &written, nullptr) || written == 0)
                    return;
                p += written;
                left -= qsizetype(written);
            }
        });
    }
    _setmode(_fileno(stream), _O_BINARY);
    auto file = std::make_unique<QFile>();
    file->open(stream, QIODevice::WriteOnly | QIODevice::Unbuffered, QFile::DontCloseHandle);
    return file;
}

// Qt takes the arguments from the system as UTF-16: every name round-trips.
std::optional<QString> unrepresentableArgument(int, char**) {
    return std::nullopt;
}

}  // namespace kavinto
