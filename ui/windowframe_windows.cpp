#include "windowframe.h"

#include <QWindow>

namespace kavinto {
namespace {

// Windows computes the frame from the window's style as soon as the native window exists.
std::optional<QMargins> frameOf(QWindow* window) {
    if (!window)
        return std::nullopt;
    window->create();
    const QMargins margins = window->frameMargins();
    return margins.isNull() ? std::nullopt : std::optional<QMargins>(margins);
}

}  // namespace

bool onWaylandSession() {
    return false;
}

bool windowManagerRuns() {
    return true;
}

std::optional<QMargins> requestFrameExtents(QWindow* window) {
    return frameOf(window);
}

void watchFrameExtents(QWindow*, std::function<void(QMargins)>) {}

void keepPlaced(QWindow*, QPoint, QPoint, int) {}

void keepSize(QWindow*, QSize, int) {}

std::optional<QMargins> currentFrameExtents(QWindow* window) {
    return frameOf(window);
}

}  // namespace kavinto
