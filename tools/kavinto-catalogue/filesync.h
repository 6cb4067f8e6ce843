#pragma once

#include <QFileDevice>

namespace kavinto {

// Asks the system to put what was written to the open file on the disk;
// false, with the system's reason in `reason`, when it says it cannot.
bool syncToDisk(QFileDevice& file, QString* reason);

}  // namespace kavinto
