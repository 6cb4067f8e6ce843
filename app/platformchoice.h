#pragma once

#include <QByteArray>

namespace kavinto {

// The Qt platform to use, from the environment the program starts in: on
// Linux, on a Wayland session with XWayland, and no platform chosen by the
// user, "xcb", so that the window keeps its fixed size and asks to be
// centred, which Wayland lets no window do; otherwise, and always on
// Windows, nothing, and Qt chooses.
QByteArray platformChoice(const QByteArray& chosen, const QByteArray& waylandDisplay,
                          const QByteArray& display);

}  // namespace kavinto
