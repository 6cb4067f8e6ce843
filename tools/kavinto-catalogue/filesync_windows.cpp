#include "filesync.h"

#include <io.h>
#include <windows.h>

namespace kavinto {

bool syncToDisk(QFileDevice& file, QString* reason) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    if (handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle))
        return true;
    *reason = qt_error_string(-1);
    return false;
}

}  // namespace kavinto
