#include "platformchoice.h"

namespace kavinto {

QByteArray platformChoice(const QByteArray& chosen, const QByteArray& waylandDisplay,
                          const QByteArray& display) {
    if (!chosen.isEmpty() || waylandDisplay.isEmpty() || display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

}  // namespace kavinto
