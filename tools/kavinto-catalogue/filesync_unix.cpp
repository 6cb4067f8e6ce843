#include "filesync.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace kavinto {

bool syncToDisk(QFileDevice& file, QString* reason) {
    if (::fsync(file.handle()) == 0)
        return true;
    *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

}  // namespace kavinto
