#include "announcement.h"

namespace kavinto {

// AT-SPI speaks the notification from Qt's own events.
void raisePlatformNotification(QWidget*, const QString&) {}

}  // namespace kavinto
