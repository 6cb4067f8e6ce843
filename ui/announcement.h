#pragma once

#include <QString>

class QWidget;

namespace kavinto {

// Tells a notification to the platform's screen readers where Qt's own
// bridge does not: on Windows as a UI Automation notification of the
// window (Qt 6.4's bridge answers an alert with a system sound only).
// Elsewhere Qt's events suffice and this does nothing.
void raisePlatformNotification(QWidget* source, const QString& text);

}  // namespace kavinto
