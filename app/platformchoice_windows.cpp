#include "platformchoice.h"

namespace kavinto {

// Windows has one platform, its own: a Wayland or X11 display that Wine
// may pass on from its desktop means nothing here.
QByteArray platformChoice(const QByteArray&, const QByteArray&, const QByteArray&) {
    return {};
}

}  // namespace kavinto
